// The character classes of the character-level sentence splitter.
//
// Each takes one code point and answers whether it belongs to the class;
// Unicode classes are ICU's (u_isalnum, u_isspace, u_ispunct and the like).
// The splitter uses them all but token_delimiter and header_end, which
// other code uses with the sets given here. The white-space, quote and
// sentence-start classes it also uses are in base/string_util.h.

#ifndef KAVERO_LANGUAGE_SENTENCE_CHARACTERS_H_
#define KAVERO_LANGUAGE_SENTENCE_CHARACTERS_H_

namespace zel {
namespace kavero {

// "@", "/".
bool has_internet_sym(unsigned int c);
// ".".
bool has_dots(unsigned int c);
// U+2026 (horizontal ellipsis).
bool is_ellipsis(unsigned int c);
// What may end a word that holds a full stop: ".", "@", "/", or a letter or
// digit (u_isalnum).
bool abbrev_end(unsigned int c);
// What may stand before a word at a line start: tab, line feed, carriage
// return, space.
bool abbrev_begin(unsigned int c);
// What a word that holds a full stop may be made of: lower-case, upper-case
// letters and digits (u_islower, u_isupper, u_isdigit), "-", ".", "/", ":",
// "@".
bool abbrev_allowed_abbrev(unsigned int c);
// What opens a bullet line: "-", "*", "+".
bool is_bullet_point(unsigned int c);
// "!", "?".
bool end_of_sentence_QE(unsigned int c);
// "!", ".", "?", U+2026.
bool end_of_sentence(unsigned int c);
// A "." when the newline flag is set.
bool end_of_sentence_crfl(unsigned int c, bool newline);
// u_isspace or u_ispunct, or "!", U+00A1, U+00BF.
bool token_delimiter(unsigned int c);
// ")" is a header end; otherwise white space (u_isspace) is not, and every
// character that is not punctuation (u_ispunct) is.
bool header_end(unsigned int c);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SENTENCE_CHARACTERS_H_
