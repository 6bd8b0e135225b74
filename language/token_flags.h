// The flag words that the tokenizer and the dictionary pass share: the bits
// of Token::flags and of Sentence::flags (analysis/annotation.h).
//
// The tokenizer sets most token bits from the break rule that cut a token
// (its rule status) and from the spans the sentence splitter forced; the
// dictionary pass reads them to decide how, or whether, a token is looked
// up, and sets the rest. The sentence bits tell the repairs at the end of a
// sentence's dictionary pass that they have work to do.

#ifndef KAVERO_LANGUAGE_TOKEN_FLAGS_H_
#define KAVERO_LANGUAGE_TOKEN_FLAGS_H_

#include <cstdint>

namespace zel {
namespace kavero {

namespace token_flags {

// The readings came from a compound-lexicon entry (dictionary pass); read
// by the automatic disambiguation.
constexpr uint64_t compound = 0x1;
// Rule statuses 2000 to 2999: look the token up in the named lookups of its
// properties.
constexpr uint64_t property_lookup = 0x2;
// Rule statuses 500 to 509 and 3000 to 4000: no dictionary lookup.
constexpr uint64_t skip_lookup = 0x4;
// A token holding the property "tag" received readings (dictionary pass);
// read by the text streams.
constexpr uint64_t tagged = 0x10;
// Forced over a span the sentence splitter matched as an abbreviation.
constexpr uint64_t abbreviation_range = 0x20;
// Rule status 513, and the tokens the apostrophe repair rebuilds.
constexpr uint64_t apostrophe = 0x40;
// Rule status 512: a markup tag.
constexpr uint64_t markup = 0x100;
// A unit word of a measurement still to be decided (metre or million).
constexpr uint64_t measure_candidate = 0x200;
// The magnitude after a currency and a value ($5m).
constexpr uint64_t measure_unit = 0x400;
// The tokenizer's readings are final: no dictionary lookup (URLs, numbers
// with a unit that are no measurement, measurement pieces, a split full
// stop).
constexpr uint64_t readings_final = 0x800;
// Forced over a header prefix the sentence splitter found.
constexpr uint64_t header_range = 0x1000;
// A full stop that ends a sentence (dictionary pass); read by the sentence
// repair.
constexpr uint64_t sentence_end = 0x2000;

}  // namespace token_flags

namespace sentence_flags {

// A token of rule status 513 was made: the apostrophe repair runs.
constexpr uint64_t has_apostrophe = 0x1;
// A measurement left a unit word to decide: the measurement repair runs.
constexpr uint64_t has_measure_candidate = 0x2;

}  // namespace sentence_flags

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKEN_FLAGS_H_
