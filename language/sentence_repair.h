// Sentence repair: the last step of turning a document's text into
// annotations. After the text has been split into sentences, tokenized and
// given its dictionary readings, fix_sentences walks every sentence once
// more and corrects its boundaries:
//   - a sentence that runs over the token limit is cut;
//   - a quotation closed inside the sentence is stepped over, and a sentence
//     is cut after a quotation that ends with sentence punctuation;
//   - a full stop that the dictionary pass split off a word ends a sentence;
//   - sentence punctuation followed by a capitalised word, a quote, a header
//     mark ("#") or a line breaker ends a sentence;
//   - sentence punctuation that does not end a sentence (a full stop before a
//     lower-case word, the first of "?!") is demoted to plain "Punct";
//   - an abbreviation followed by a line break and a capitalised word that
//     is no proper noun ends a sentence;
//   - a sentence whose last word is a capitalised given name is joined with
//     the next one when that begins with a capitalised family name.
//
// Every cut and join keeps the layout of a sentence list (its "Sentence"
// concept first, its tokens, the end annotation closing the concept, the
// end-of-stream marker last), the sentence offsets and the blackboard's
// sentence index in step with the document list. The first word of a
// sentence made by a cut gets "init-token" and is looked up again
// (add_lowercase_morphdata), since it may be a capitalised common word.
//
// One thread repairs one blackboard; the token limit and the quote table are
// fixed at program start and only read afterwards.

#ifndef KAVERO_LANGUAGE_SENTENCE_REPAIR_H_
#define KAVERO_LANGUAGE_SENTENCE_REPAIR_H_

#include <cstddef>
#include <map>
#include <string>
#include <utility>

#include "analysis/annotation.h"

// The token limit of a sentence: "KAVERO_MAX_NROF_TOKENS" read as an integer
// (zel::system::get_environment_int), 150 when it is not set. Reads the
// environment at every call; the repair uses the value read at program
// start.
int get_kavero_max_nrof_tokens();

namespace zel {
namespace kavero {

class Blackboard;

// Opening quote -> (closing quote, alternative closing quote or empty), as
// UTF-8 texts: " and ', « », „ closed by “ or ", “ by ” or “, ” by “ or ”,
// ’ by ‘ and ‘ by ’.
extern const std::map<std::string, std::pair<std::string, std::string>>
    closing_quote_map;

// Repairs the sentences of the blackboard's document list in place, keeping
// its sentence index (one pair per sentence, in document order) in step.
// Annotations of the document list that are not sentences are passed over.
// Errors of the re-lookup of a new sentence's first word propagate.
void fix_sentences(Blackboard& blackboard);

// Cuts `sentence` before `first`, an annotation of its own list after its
// "Sentence" concept: a new sentence, inserted into `document` right after
// it, takes `first` and everything after it (the old end annotation and
// end-of-stream marker among them) behind a "Sentence" concept of its own,
// which the old end annotation now closes alone. The cut sentence ends at
// the end of its last remaining token and gets a new end annotation for its
// concept and a new end-of-stream marker. The new sentence's first word
// that is no punctuation gets "init-token" and loses "nf". Returns the new
// sentence; the sentence index is the caller's.
Sentence* split_sentence(AnnotationCollection& document, Sentence* sentence,
                         Annotation* first);

// No index position (append_sentences).
inline constexpr size_t kNoIndexPosition = static_cast<size_t>(-1);

// Joins the sentence that directly follows `sentence` in `document` into it:
// its tokens and closing annotations move over, its "Sentence" concept is
// dropped, `sentence` ends where it ended and its own "Sentence" concept is
// closed by the last end annotation. The index pair of the joined sentence
// is erased from the blackboard's sentence index. Returns `sentence` and its
// index position (unchanged); when no sentence follows, nothing changes and
// (null, kNoIndexPosition) is returned.
std::pair<Sentence*, size_t> append_sentences(Blackboard& blackboard,
                                              AnnotationCollection& document,
                                              size_t index_position,
                                              Sentence* sentence);

// Whether `sentence`, whose last word is `token`, must be joined with the
// next sentence: `token` begins with an ASCII capital and has the property
// "giv" (given name), and the first token of the next sentence is longer
// than 3 bytes, begins with an ASCII capital and has the property "fam"
// (family name). False for a null token.
bool merge_condition(const Blackboard& blackboard, const Sentence* sentence,
                     const Token* token);

// Makes the sentence's "Sentence" concept (its first annotation) end with
// the last end annotation of its list: takes any "Sentence" concept out of
// that annotation's list, puts the concept in by descending begin, and
// gives it the annotation's end. Nothing when the list does not start with
// a "Sentence" concept or holds no end annotation.
void fix_sentence_end_annotation(Sentence* sentence);

// Takes the first "Sentence" concept out of the list of concepts an end
// annotation closes; true when that list is empty afterwards. False for
// null or for an annotation that is no end annotation.
bool remove_safe_end_annotation_sentence(Annotation* annotation);

// Gives the first token of the list that has no punctuation reading the
// property "init-token" and removes its "nf".
void set_init_token_attribute(AnnotationCollection& list);

// The token after `token`, in its list, whose literal closes the quote that
// `token` opens (closing_quote_map); null when `token` opens none or the
// list ends first.
Token* find_closing_quote(const Token* token);

// Whether the token's literal is an opening quote of closing_quote_map.
bool is_opening_quote(const Token* token);

// Token tests of the repair.
// Some reading is "Punct-Quote".
bool is_quote(const Token* token);
// The first reading is "Punct-Sent" (sentence punctuation).
bool is_punct_sentence(const Token* token);
// The first reading is "Punct-Line".
bool is_punct_line(const Token* token);
// The first reading is exactly "Punct".
bool is_line_breaker(const Token* token);
// The literal begins with ":".
bool is_colum(const Token* token);
// The token's own property set holds "abbrev".
bool is_abbrev(const Token* token);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SENTENCE_REPAIR_H_
