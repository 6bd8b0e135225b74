// Constants that the semantic actions of the rule-language grammars share.
// Built once before any parse and only read afterwards, so any thread may
// use them.

#ifndef KAVERO_COMPILER_PARSER_SHARED_CONSTANTS_H_
#define KAVERO_COMPILER_PARSER_SHARED_CONSTANTS_H_

#include <set>
#include <string>

#include "base/regex.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

// The characters a pattern gives a meaning of its own: . * \ + ? : ( ) [ ] { }
// , | $. Handed to the escape reader as the escapes that stay escaped.
extern const std::set<char> regex_special_chars;
// The same and the quotes and "=", the escapes kept in a token literal.
extern const std::set<char> token_literal_special_chars;
// The same and the quotes, the escapes kept in a lexicon-entry literal.
extern const std::set<char> lexicon_literal_special_chars;

// A lexicon entry's part that stands for any one token, and the pattern it
// is rewritten into.
extern const std::string any_token_marker;   // "<>"
extern const std::string any_token_pattern;  // "(.)+"

// The named character classes, [:name:].
extern const std::set<std::string> possible_character_properties;

// Words that may not name a concept.
extern const std::set<std::string> reserved_keywords;

// The names of the built-in rule functions.
extern const std::set<std::string> builtin_rule_functions;

// The names an f-string variable may start with.
extern const std::set<std::string> fstring_variables;

// The characters that separate the parts of an f-string variable.
extern const std::string fstring_separators;

// One name of an f-string variable's path.
extern const zel::Regex identifier_regex;

// A variable of an f-string value: a brace pair holding no braces, not part
// of an escaped "{{" or "}}".
extern const zel::Regex fstring_variable_regex;

// Words that must not appear in an f-string variable, as they would reach
// an interpreter.
extern const zel::Regex forbidden_words_regex;

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SHARED_CONSTANTS_H_
