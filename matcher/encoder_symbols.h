// The input symbols of a token encoder, decoded once per loaded domain.
//
// A token encoder (written by the rule compiler) is a transducer whose
// input symbol texts say what each arc matches of a token:
//   "??"                  any code point
//   ":" + a class name    a code point of that class
//   any other text        its first code point
//   U+EF00 + digits       emit the token id given by the digits
//   U+EF01                go on over the token's literal
//   U+EF02                go on over each reading's stem
//   U+EF03                go on over a part-of-speech text
//   U+EF04 + a text       the token or one of its readings has that property
//   U+EF05                go on over each reading's stem and component stems
//   U+EF06                go on over each reading's head stem
//   U+EF07                the end of a text
//   U+EF08 + c            the root part of speech c
//   U+EF09 + a [+ b]      the literal is a bytes long (or a to b bytes)
// The encoder reads every arc's label for every token it encodes, so the
// texts are decoded here, when the domain loads, into what the search
// compares.
//
// Commands consume nothing (and U+EF01 even goes back to the literal's
// beginning), so a cycle through a command arc would never end: such an
// encoder is refused. Cycles of characters alone consume input on every
// turn and are fine.

#ifndef KAVERO_MATCHER_ENCODER_SYMBOLS_H_
#define KAVERO_MATCHER_ENCODER_SYMBOLS_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>

namespace zel {
namespace kavero {
namespace idstrm {

enum class EncoderSymbolKind : uint8_t {
  kNothing,              // no text (or a command missing its argument): never matches
  kAny,                  // "??"
  kClass,                // ":" + class name
  kCharacter,            // `value` is the code point
  kEmit,                 // `value` is the token id
  kLiteral,              // U+EF01
  kStems,                // U+EF02
  kPartOfSpeech,         // U+EF03
  kProperty,             // U+EF04; `value` indexes properties()
  kStemsAndComponents,   // U+EF05
  kHead,                 // U+EF06
  kEndOfPart,            // U+EF07
  kPartOfSpeechClass,    // U+EF08; `value` is the root part of speech
  kLength,               // U+EF09; `value` to `last` bytes
};

struct EncoderSymbol {
  EncoderSymbolKind kind = EncoderSymbolKind::kNothing;
  uint32_t value = 0;
  uint32_t last = 0;
};

// Whether the symbol matches a code point of the text (and consumes it).
inline bool is_character(EncoderSymbolKind kind) {
  return kind == EncoderSymbolKind::kAny || kind == EncoderSymbolKind::kClass ||
         kind == EncoderSymbolKind::kCharacter || kind == EncoderSymbolKind::kNothing;
}

// The order of a state's arcs in the network the encoder searches: first
// every arc but properties and characters, then the property arcs by
// property, then the character arcs by code point. Within one state the
// search can then pass over every property or character arc that cannot
// match without looking at it.
inline uint64_t search_key(const EncoderSymbol& symbol) {
  switch (symbol.kind) {
    case EncoderSymbolKind::kProperty:
      return (uint64_t{1} << 32) | symbol.value;
    case EncoderSymbolKind::kCharacter:
      return (uint64_t{2} << 32) | symbol.value;
    default:
      return 0;
  }
}
inline uint64_t property_key(uint32_t index) { return (uint64_t{1} << 32) | index; }
inline uint64_t character_key(uint32_t code_point) { return (uint64_t{2} << 32) | code_point; }
inline constexpr uint64_t kFirstCharacterKey = uint64_t{2} << 32;

class EncoderSymbols {
 public:
  using Transducer = fst::VectorFst<fst::StdArc>;

  // Decodes the transducer's input symbols. Raises zel::Exception when the
  // transducer has a cycle through an arc that is not a character.
  explicit EncoderSymbols(const Transducer& transducer);

  // By input label id, for every id of the input table.
  const std::vector<EncoderSymbol>& symbols() const { return symbols_; }
  // The texts of class symbols, by label id (empty for the others).
  const std::vector<std::string>& class_texts() const { return class_texts_; }
  // The distinct property texts of the U+EF04 symbols.
  const std::vector<std::string>& properties() const { return properties_; }
  // The index of a property text in properties(); -1 when no symbol has it.
  int property_index(const std::string& text) const;
  // The number of output label ids that have a text.
  size_t output_size() const { return output_size_; }

 private:
  void decode(uint32_t id, const std::string& text);

  std::vector<EncoderSymbol> symbols_;
  std::vector<std::string> class_texts_;
  std::vector<std::string> properties_;
  std::unordered_map<std::string, int> property_index_;
  size_t output_size_ = 0;
};

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ENCODER_SYMBOLS_H_
