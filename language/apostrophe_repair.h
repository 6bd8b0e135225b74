// Apostrophe repair: rejoins the tokens that the word-break rules cut around
// an apostrophe and lets the language's apostrophe expression decide where
// the word is cut.
//
// The tokenizer gives every token of its apostrophe rule the flag
// token_flags::apostrophe and marks the sentence. For such a token T, with P
// the token directly before it and N the one directly after it (each only when
// no gap lies between), the joined text J = P + T + N is matched as a whole
// against the apostrophe expression:
//   - no match: T alone is tried in the same way, and when the expression
//     cuts it strictly inside, T is split without its neighbours (the word
//     "don't" touching a full stop); otherwise T only loses the property
//     "apostrophe";
//   - a match in which the first group that took part ends strictly inside
//     J: two tokens cut there (l'été gives "l'" and "été"; a word that
//     the tokenizer left whole, "It's", gives "It" and "'s");
//   - any other match: one token with the literal J.
// Rebuilt tokens carry token_flags::apostrophe and no readings; the dictionary
// pass gives them their readings.
//
// Token literals may differ from the document's bytes (normalised forms,
// the right single quotation mark written as an apostrophe), so the cut's
// document offset is found through a byte mapping table between J and the
// document text.

#ifndef KAVERO_LANGUAGE_APOSTROPHE_REPAIR_H_
#define KAVERO_LANGUAGE_APOSTROPHE_REPAIR_H_

#include <string>
#include <vector>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

class Blackboard;

// Repairs every apostrophe token of the sentence (and of sentences nested in
// its list), in order. Nothing happens when the blackboard has no apostrophe
// expression or the sentence has no apostrophe token. Each token group is
// repaired once: the walk goes on after the last token of the group.
// Raises the UTF-8 library's errors for invalid UTF-8, and zel::Exception
// when a token lies outside the blackboard's text.
void fix_apostrophes(Blackboard& blackboard, Sentence& sentence);

// Folds P and N (each may be null) into T: T's literal becomes `joined`, its
// readings are cleared and it gets token_flags::apostrophe; it takes P's begin
// and properties and N's end. P and N are unlinked from the list and
// destroyed.
void make_single_token(AnnotationCollection& list, const std::string& joined,
                       Token* prev, Token* token, Token* next);

// Rebuilds two tokens cut at byte `cut` of `joined`, the cut lying
// `mapped_cut` bytes into the document from the first token's begin. The
// first part goes to P (or to T without P), the second to T (or to N
// without P); with P and N both, N is unlinked and destroyed. Without P and
// N, T keeps the first part and a new token, inserted right after T with
// T's flags and up to T's end, takes the second. Both parts get fresh
// capitalisation properties, no readings and token_flags::apostrophe.
void make_split_token(AnnotationCollection& list, const std::string& joined,
                      int cut, int mapped_cut, Token* prev, Token* token,
                      Token* next);

// For every byte offset of `joined` up to and including its end, the
// offset of the same position in the document text, counted from the begin
// of the first token (P, else T) up to the end of the last (N, else T). The
// two texts are walked a code point at a time; a base character of the
// document followed by combining marks stands for one character of
// `joined`. Offsets that fall inside a character stay 0.
std::vector<int> get_utf8_mapping_tbl(Blackboard& blackboard,
                                      const std::string& joined, Token* prev,
                                      Token* token, Token* next);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_APOSTROPHE_REPAIR_H_
