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

#include <fst/vector-fst.h>

#include "analysis/annotation.h"
#include "language/reading.h"
#include "matcher/encoder_arcs.h"
#include "matcher/encoder_symbols.h"

namespace zel {
namespace kavero {
namespace idstrm {

class TokenEncoder {
 public:
  // Over a domain's encoder arcs and the symbols they were decoded with,
  // which must outlive the encoder.
  TokenEncoder(std::shared_ptr<const EncoderArcs> arcs, const EncoderSymbols& symbols);
  // Over a transducer and its decoded symbols: lays out its arcs first.
  // When `sorted`, every state's arcs are in the order of search_key(),
  // and the search passes over property and character arcs that cannot
  // match.
  TokenEncoder(const std::shared_ptr<fst::StdVectorFst>& transducer, const EncoderSymbols& symbols,
               bool sorted = false);
  TokenEncoder(const TokenEncoder&) = delete;
  TokenEncoder& operator=(const TokenEncoder&) = delete;

  // Empties the token's ids and gives it those of every path.
  void encode(Token& token, Sentence& sentence);

  Token* current_token = nullptr;
  const MorphData* current_reading = nullptr;
  Sentence* current_sentence = nullptr;
  // True while a part-of-speech text is being matched.
  bool part_of_speech_mode = false;

 private:
  // The text being read and the position in it.
  struct Input {
    const char* begin;
    const char* end;
    const char* current;
    bool at_end() const { return current == end; }
  };
  // A state of the search: the arcs of it left to try, and the input as it
  // was when the state was entered.
  struct Entry {
    const EncoderArc* next;
    const EncoderArc* end;
    Input input;
  };

  // Runs the search below the top entry until that entry is popped; no
  // step limit (the domain loader refuses encoders that could loop).
  void sub_matcher(Input& input);
  // One arc of the search; the top entry has moved past it already.
  void check(const EncoderArc& arc, Input& input);
  // Pushes the target and searches `text` from its beginning below it.
  void continue_over(const EncoderArc& arc, const std::string& text);
  // Pushes the target and searches below it with the input at its end.
  void continue_at_end(const EncoderArc& arc, const Input& input);
  void push(const EncoderArc& arc, const Input& input) {
    stack_.push_back(Entry{arcs_->begin(arc), arcs_->end(arc), input});
  }
  // How many times the token has the property of `index`: once when its
  // own set holds it, else as many times as its readings list it.
  uint32_t property_count(uint32_t index);
  // Moves the top entry's cursor to its first remaining arc whose search
  // key is at least `key`.
  void skip_to(uint64_t key);
  // The code point at the input's position, decoded once per position;
  // sets `after` to the position after it. Invalid UTF-8 raises utfcpp's
  // errors.
  uint32_t code_point(const Input& input, const char** after);

  std::shared_ptr<const EncoderArcs> arcs_;
  const EncoderSymbols* symbols_;
  bool sorted_;
  std::vector<Entry> stack_;
  const char* decoded_at_ = nullptr;
  const char* decoded_after_ = nullptr;
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
