// The encoders that give a document's annotations the rule-input ids of one
// domain (see stream_encoding.h for the walk over the document).
//
// TokenEncoder runs the domain's token-encoder transducer over one token at
// a time (the symbols are described in encoder_symbols.h). The search starts
// with the token's literal as its input, positioned at its end, so every
// path must begin with a command; commands either test the token (its
// properties, part-of-speech class, length), move on to one of its texts
// (literal, stems, parts of speech, component and head stems) or emit an
// id. Every id a path emits goes onto the token (duplicates stay) and, with
// the token bit, into the sentence's candidate ids.
//
// ConceptEncoder gives a concept the id of its URI in the domain's concept
// map.

#ifndef KAVERO_MATCHER_TOKEN_ENCODER_H_
#define KAVERO_MATCHER_TOKEN_ENCODER_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <utf8.h>

#include "analysis/annotation.h"
#include "core-afst/state_stack.h"
#include "language/reading.h"
#include "matcher/encoder_symbols.h"

namespace zel {
namespace kavero {
namespace idstrm {

using Utf8Iterator = utf8::iterator<const char*>;
using EncoderInput = afst::InputState<Utf8Iterator>;
using EncoderStack = afst::StateStack<fst::StdArc, EncoderInput, const std::string*>;

// An input at the end of a fixed text: the input that the property command
// goes on with. One per thread.
EncoderInput& property_input_state();

class TokenEncoder
    : public afst::IntrusiveMatcher<TokenEncoder, EncoderStack, EncoderInput> {
 public:
  using Base = afst::IntrusiveMatcher<TokenEncoder, EncoderStack, EncoderInput>;

  // Over the encoder's transducer and its decoded symbols, which must
  // outlive the encoder. When `sorted`, every state's arcs are in the order
  // of search_key(), and the search passes over property and character
  // arcs that cannot match.
  TokenEncoder(std::shared_ptr<fst::StdVectorFst> transducer, const EncoderSymbols& symbols,
               bool sorted = false);

  // Runs the search below the top entry until that entry is popped; no
  // step limit (the domain loader refuses encoders that could loop).
  void sub_matcher(EncoderInput& input) override;

  // Empties the token's ids and gives it those of every path.
  void encode(Token& token, Sentence& sentence);

  // One arc of the search.
  void check(const int& state, const fst::StdArc& arc, EncoderInput& input);

  Token* current_token = nullptr;
  const MorphData* current_reading = nullptr;
  Sentence* current_sentence = nullptr;
  // True while a part-of-speech text is being matched.
  bool part_of_speech_mode = false;

 private:
  // Pushes the target and searches `text` from its beginning below it.
  void continue_over(const fst::StdArc& arc, const std::string& text, const EncoderInput& input);
  // Pushes the target and searches below it with the input at its end.
  void continue_at_end(const fst::StdArc& arc, const EncoderInput& input);
  void push(const fst::StdArc& arc, const EncoderInput& input) {
    stack().push(arc.nextstate, input, &output_symbols()[arc.olabel]);
  }
  // How many times the token has the property of `index`: once when its
  // own set holds it, else as many times as its readings list it.
  uint32_t property_count(uint32_t index);
  // Moves the top entry's cursor to its first remaining arc whose search
  // key is at least `key`.
  void skip_to(uint64_t key);
  // The code point at the input's position, decoded once per position.
  uint32_t code_point(const EncoderInput& input);

  const EncoderSymbols* symbols_;
  bool sorted_;
  const char* decoded_at_ = nullptr;
  uint32_t decoded_ = 0;
  // The current token's property counts, ascending by property index;
  // filled when the token meets its first property arc.
  std::vector<std::pair<uint32_t, uint32_t>> property_counts_;
  bool property_counts_ready_ = false;
};

class ConceptEncoder {
 public:
  explicit ConceptEncoder(const std::map<std::string, uint32_t>& concept_ids)
      : concept_ids(concept_ids) {}

  // Gives the concept the id of its URI, and the sentence that id with the
  // concept bit; nothing for a URI without an id.
  void encode(Concept& concept_annotation, Sentence& sentence) const;

  const std::map<std::string, uint32_t>& concept_ids;
  Concept* current_concept = nullptr;
  Sentence* current_sentence = nullptr;
};

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_TOKEN_ENCODER_H_
