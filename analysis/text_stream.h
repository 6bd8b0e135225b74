// Texts built from stretches of the annotation lists.
//
// Text views of one annotation range, as plain texts:
//   get_annotation_string       the token literals joined by single blanks;
//   get_annotation_real_string  the tokens with the document's own spacing
//                               and the canonical form of name tokens;
//   get_canonical               a concept's "canonical" attribute, else the
//                               literal text of its range;
//   get_person_canonical        the same, else the real text of its range
//                               capitalised word by word;
//   get_pos_sequence            the root parts of speech of a concept's
//                               tokens, run together ("DetAdjNn").
//
// Lookup streams of a whole list (get_annotation_buffer), one per text-stream
// kind (zel::text_stream_type): every token (for the canonical stream, every
// concept with a canonical form) contributes its piece followed by a blank,
// and two tables turn positions in the text back into document offsets, so
// that a lexicon matched over the text yields document ranges.
//
//   kind                    piece                      conversion
//   literal                 literal                    none
//   stem                    first reading's stem(s)    none
//   normalized_literal      literal                    normalised, lower case
//   normalized_stem         first reading's stem(s)    normalised, lower case
//   component               stems of the compound's    lower case
//                           parts, or the stem
//   head                    stem of the last part,     lower case
//                           or the stem
//   canonical               concepts' "canonical"      none
//
// The normalised streams leave out tokens that are exactly "-" or "_". A
// token without readings gives its (converted) literal in the stem,
// component and head streams, without table entries.
//
// Texts are UTF-8. A piece holding a code point that is no Unicode scalar
// value ends early: "Warning utf8::invalid_code_point" goes to standard
// output and the rest of that piece is left out. A malformed UTF-8 sequence in
// a piece raises utfcpp's error and no stream is returned.

#ifndef KAVERO_ANALYSIS_TEXT_STREAM_H_
#define KAVERO_ANALYSIS_TEXT_STREAM_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "base/normalize.h"
#include "base/stream_name.h"

namespace zel {
namespace kavero {

// One built lookup stream.
struct annotation_stream_info {
  // 0 when built; a caller that caches streams stores the kind here.
  uint32_t stream_type = 0;
  // From the begin offset of an annotation to the position in `text` where
  // a piece of it starts; one annotation may start several pieces. Keyed by
  // the offset as it is, unsigned, so that offsets past 2^31 sort after the
  // others.
  std::multimap<uint32_t, uint64_t> begin_map;
  // From the position in `text` just after a piece to the end offset of its
  // annotation. A position keeps the first entry made for it.
  std::map<uint64_t, uint64_t> end_map;
  // The stream's bytes, not terminated.
  std::vector<char> text;
};

// The stream of one kind over a document list (or a sentence list), pieces
// in document order. Any other kind gives an empty stream.
annotation_stream_info get_annotation_buffer(const AnnotationCollection& list,
                                             const text_stream_type& kind);

// The literals of the tokens from `first` up to, not including, `last`
// (sentences met on the way are entered), joined by single blanks, with
// blanks and bytes 0 to 13 trimmed from both ends. A null `last`, or one
// that the walk never meets, runs to the end of the list.
std::string get_annotation_string(const RawPtrIterator& first,
                                  const RawPtrIterator& last);

// The same range with the document's spacing: one blank where two taken
// tokens do not touch in the document, none where they do. Tokens whose
// literal begins with "-" are left out. A token gives its first reading's
// stem when it is a name of a person (a Prop reading and one of the
// properties "gen", "giv", "fam", or a reading tagged "Prop-Gen..."), unless
// it carries the property "guess"; otherwise its literal. Trimmed as above.
std::string get_annotation_real_string(const RawPtrIterator& first,
                                       const RawPtrIterator& last);

// The concept's "canonical" attribute when it is not empty, else the literal
// text of the range from the concept to its end annotation.
std::string get_canonical(const Concept* concept_annotation);

// The "canonical" attribute when it is not empty, else the real text of the
// concept's range with every word capitalised and the rest of it lower-cased,
// blanks and hyphens between words written as one blank ("JEAN-PIERRE" gives
// "Jean Pierre").
std::string get_person_canonical(const Concept* concept_annotation);

// The first reading's part of speech, up to its first "-", of every token
// from the concept to its end annotation, with nothing between them; tokens
// without readings add nothing.
std::string get_pos_sequence(const Concept* concept_annotation);

// Replaces typographic punctuation by plain ASCII (the table
// zel_input_converter); U+2019 stays. Bad UTF-8 raises utfcpp's error.
using zel::string::cleanup_input;
using zel::string::zel_input_converter;

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_TEXT_STREAM_H_
