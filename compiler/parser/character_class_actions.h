// Semantic actions on the pieces of a pattern text that name characters:
// \u escapes and character classes, in token patterns and lexicon entries.
//
// Errors go to the compilation's diagnostics of the bound compiler
// Blackboard, at line 0, column 0, code 0 (these pieces carry no position);
// the parse goes on with a harmless value.

#ifndef KAVERO_COMPILER_PARSER_CHARACTER_CLASS_ACTIONS_H_
#define KAVERO_COMPILER_PARSER_CHARACTER_CLASS_ACTIONS_H_

#include <string>

namespace zel {
namespace compiler {
namespace parser {
namespace action {

// The UTF-8 encoding of the code point whose hexadecimal digits are given
// (reading stops at the first byte that is no hexadecimal digit). A code
// point that UTF-8 cannot encode (a surrogate, D800 to DFFF, or a value
// above 10FFFF) is reported as "Invalid unicode escape sequence." and gives
// an empty text.
std::string hex_to_string(const std::string& text);

// The class text to store for "[:name:]" or "[:range(chars):]":
//   a named class (alnum, alpha, digit, lower, title, upper, xdigit): the
//     text unchanged;
//   a range: "[:#" + the characters with their escapes resolved (those of
//     the pattern characters kept) + "#:]";
//   anything else, the deprecated "[:range(:range(" form and a range with an
//     invalid or unreadable escape: reported, and "[:none:]".
std::string check_character_class(const std::string& text);

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_CHARACTER_CLASS_ACTIONS_H_
