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
