// One reading of a token (MorphData) and the tests over a token's readings.
//
// A reading is one dictionary analysis: part of speech, stem, morphological
// properties, the readings of a compound's parts and a weight. The tokenizer,
// the dictionary pass and the repairs make readings; the tagger and the
// disambiguator weigh and prune them; the rule matcher, the text streams and
// the result printers read them.

#ifndef KAVERO_LANGUAGE_READING_H_
#define KAVERO_LANGUAGE_READING_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zel {
namespace kavero {

class Annotation;
class Token;

class MorphData {
 public:
  // A reading with no properties and no components. The tag id is looked up
  // once here: it is 0 when `pos` is not a known tag.
  MorphData(const std::string& pos, const std::string& stem, double weight);

  const std::string& pos() const { return pos_; }

  // The tag id of pos() (0 for an unknown tag); its upper 16 bits are the
  // root category bit.
  uint32_t pos_id() const { return pos_id_; }

  // Replaces the part of speech and its tag id together; the only way to
  // change them, so that the two never disagree.
  void set_pos(const std::string& pos);

  std::string stem;
  // In the order given; duplicates stay.
  std::vector<std::string> properties;
  // The readings of a compound's parts or of a word and its clitic, in
  // order; owned (copying a reading copies them).
  std::vector<MorphData> components;
  double weight;

 private:
  std::string pos_;
  uint32_t pos_id_;
};

// The root category of a tag id: the id with its running number cleared.
inline uint32_t root_of(uint32_t pos_id) { return pos_id & 0xFFFF0000u; }

// Whether some reading's root category equals `root`. An equality: a value
// with several root bits, or a full tag id, matches nothing.
bool has_pos(const Token* token, const unsigned& root);
// The same over every reading and every component of every reading.
bool has_pos_components(const Token* token, const unsigned& root);

// Whether some reading's part of speech begins with `prefix` ("Nn-S" matches
// "Nn-Sg" and "Nn-Std"; "Punct" every punctuation tag).
bool has_pos(const Token* token, const std::string& prefix);
// The same over every reading and every component of every reading.
bool has_pos_components(const Token* token, const std::string& prefix);

// Whether some reading is punctuation.
bool is_punctuation(const Token* token);

// Whether the annotation is a token with an opening quote or bracket
// reading ("Punct-Quote" or "Punct-Open" exactly). Null gives false.
bool is_open_quote(const Annotation* annotation);

// Whether a capitalised word after a full stop is, by its readings, more
// likely a function word that starts a sentence than a name: any noun
// reading says no; otherwise an adverb, auxiliary, conjunction, determiner,
// particle, preposition, pronoun or verb reading says yes.
bool is_sentence_begin_candidate(const Token* token);

// Whether the token's own property set or some reading's property list
// holds `property`.
bool has_property(const Token& token, const std::string& property);
bool has_token_property(const Token* token, const std::string& property);

// Removes every reading whose property list holds `property`; the others
// keep their order. Components are not searched.
void remove_pos_with_morpho_syntax(Token* token, const std::string& property);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_READING_H_
