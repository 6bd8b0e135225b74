// Regular expressions written in the rule language's notation.
//
// The rule language writes character classes in brackets, as in a[bc]d or
// [a-z]. Its texts are UTF-8, and the expression library works on bytes, so
// a bracket class is rewritten into an alternation of whole characters before
// it is compiled: a[bc]d becomes a(?:b|c)d and [a-c.] becomes (?:a|b|c|\.).
// Callers that take a rule-language pattern (a language's abbreviation,
// apostrophe and measure expressions, output filters) compile
// zel::Regex(zel::kav::convert_range(text), false).

#ifndef KAVERO_BASE_RULE_PATTERN_H_
#define KAVERO_BASE_RULE_PATTERN_H_

#include <regex>
#include <string>

namespace zel {
namespace kav {

// Rewrites the bracket classes of a rule-language pattern into alternations.
//
// Outside a class, a backslash and the character after it are copied as they
// are (so an escaped bracket opens no class), and every other byte is copied
// too. Inside a class, each item becomes one alternative: an escaped
// character as written; one of ( ) . [ escaped; a range b-e every character
// from b to e (in code point order, with the expression syntax's special
// characters escaped); any other character as written. A class that the
// text ends before its "]" is closed all the same.
//
// Raises std::runtime_error "invalid expression ] need to be escaped." for a
// "]" outside a class, and "begin range is bigger then the end range." for a
// range whose start comes after its end.
std::string convert_range(const std::string& pattern);

// The converted pattern compiled with the standard library's ECMAScript
// grammar, case-sensitive and case-insensitive.
std::regex kav_regex(const std::string& pattern);
std::regex kav_regex_case_insenitive(const std::string& pattern);

}  // namespace kav
}  // namespace zel

#endif  // KAVERO_BASE_RULE_PATTERN_H_
