// The dictionary pass: gives every token of a document its readings from
// the language's lexicons.
//
// The first pass (add_dictionary_lookup_information) runs right after the
// document is split into sentences and tokens. Per sentence it marks a
// header sentence, repairs apostrophes, decides for a word forced over an
// abbreviation whether its full stop ends the sentence, looks every token up
// along the main lookup chain (with lower-cased and capitalised variants),
// falls back to the guesser and to default readings, turns numbers that look
// like codes into nouns, marks the first word of the sentence and the first
// word after a colon with "init-token", and decides ambiguous measurement
// units.
//
// The second pass (additional_dictionary_lookup_information) runs later: it
// looks the tokens that one of the language's token conditions selects up
// again, through the condition's input and action, and tags a sentence again
// when a token got several readings.
//
// add_lowercase_morphdata looks the first word of a sentence made by sentence
// repair up again.
//
// The token property "nf" marks a token the main lexicon did not know. All
// lookups go through the blackboard's dictionary data and named lookups;
// the lookup outputs become readings as lexicon_readings.h describes. A
// blackboard without a main lookup chain is left as the tokenizer made it.

#ifndef KAVERO_LANGUAGE_DICTIONARY_PASS_H_
#define KAVERO_LANGUAGE_DICTIONARY_PASS_H_

#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "language/morph_data.h"

namespace zel {
namespace kavero {

class Blackboard;
class LookupConditionInterface;

// The state of the first pass over one sentence.
struct AddMorphdataMemento {
  // A sentence start (or a colon) was seen and the word after it has not
  // been marked yet.
  bool start_armed = true;
  // The current token is the first word after the start.
  bool first_word = false;
  // The sentence is a header.
  bool header = false;
};

// The first pass over every sentence of the document.
void add_dictionary_lookup_information(Blackboard& blackboard);
// The first pass over one sentence.
void add_morphdata(Blackboard& blackboard, Sentence& sentence);

// The second pass over every sentence; empties the lookup cache first, so
// that the lexicons are asked again.
void additional_dictionary_lookup_information(Blackboard& blackboard);
// The second pass over one sentence.
void additional_morphdata(Blackboard& blackboard, Sentence& sentence);

// Looks the first word of a new sentence up again: the token itself, or,
// for punctuation, the word after it. Tokens with final readings and numbers
// are left alone. Without an answer the token gets "nf".
void add_lowercase_morphdata(Blackboard& blackboard, Token* token);

// Whether the token needs no dictionary lookup: an abbreviation that got
// readings, an apostrophe word that the "apostrophe" lookup knows, a token
// whose properties name a lookup that knows it (these get the readings
// found), or a token with token_flags::skip_lookup.
bool check_property_lookup(Token* token, const NamedLookupChains& named);

// Treats the token as an abbreviation: adds "abbrev" and gives it the
// readings of the "abbrev" lookup or, for a word ending in ".", a guessed
// reading of weight 0.1 by its first character (upper case "Prop-Std",
// lower case "Nn-Std", a digit "Num-Std") with "nf". True when it got
// readings.
bool set_abbrev_properties(Token* token, const NamedLookupChains& named);

// Whether the full stop at the end of the token ends the sentence, judged by
// the next word: a capitalised word that is no name and, lower-cased, is a
// function word starts a new sentence. Then the token is either an
// abbreviation that keeps its full stop (true: it ends the sentence and its
// readings are final) or loses it to a new "." token inserted before `next`
// (false, the shortened token still to be looked up). Otherwise the token is
// made an abbreviation and false is returned.
bool check_sentence_begin_candidate(Blackboard& blackboard,
                                    AnnotationCollection& list, Token* token,
                                    Token* next);

// Marks the token as the first word after the start when the start is armed
// and the token is not punctuation.
void first_token_check_and_set_memento_flag(AddMorphdataMemento& memento,
                                            Token* token);
// Gives the marked first word "init-token" and disarms the start.
void first_token_check_and_set_property(AddMorphdataMemento& memento,
                                        Token* token);
// Arms the start again after a colon.
void fix_sentence_with_invalid_start_token(AddMorphdataMemento& memento,
                                           Token* token);

// For a non-empty list of outputs: the condition's action on the token,
// fresh capitalisation properties, then the outputs' readings appended.
// An empty list changes nothing.
void append_afst_results_token_obj(Token* token,
                                   const std::vector<std::string>& outputs,
                                   const LookupConditionInterface* condition);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_DICTIONARY_PASS_H_
