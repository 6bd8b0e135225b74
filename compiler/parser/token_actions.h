// Semantic actions on the items of a token and on repetitions: parts of
// speech, properties, closures (*, +, ?, {n}, {n,m}, {n,}) and length(...)
// items, and the cleaning of decorator values.
//
// They run on the parsing thread and read its parser context (see
// grammar_context.h): the strict flag of the bound compiler Blackboard and
// the start of the text being parsed. Errors go to the compilation's
// diagnostics at the line of the range, column 0, with code 0. A closure
// whose numbers are wrong abandons the parse of the source: the action
// reports the error, then throws ParseException.

#ifndef KAVERO_COMPILER_PARSER_TOKEN_ACTIONS_H_
#define KAVERO_COMPILER_PARSER_TOKEN_ACTIONS_H_

#include <string>
#include <vector>

#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

// Whether the name is a part of speech.
bool is_valid_pos(const std::string& text);
// The same for the text of a range; an unknown name is reported with the
// list of every known name.
bool is_valid_pos_iter(const SourceRange& range);

// A property (the name after "+"): in strict mode it must not begin with an
// ASCII upper-case letter. Needs a bound Blackboard.
bool is_valid_property(const std::string& text);

// Trims the closure text in place and returns it.
std::string check_closure_value(std::string& text);

// Checks the numbers of a {...} closure; "*", "+" and "?" pass. Always true
// unless it abandons the parse.
bool check_closure_value_location(const SourceRange& range);

// Checks the numbers of a length(...) item, whose lower bound must be 1 or
// more.
bool check_length_closure_value_location(const SourceRange& range);

// Checks the comma-separated numbers of a closure: one number, or a lower
// and an upper bound where the upper one may be left out ({2,}). Every
// number must be a 32-bit integer, a lower bound (also a single number) at
// least 0 (allow_zero) or 1, and an upper bound no smaller than the lower
// one. `text` is the closure as written, for the messages. A wrong count of
// numbers is reported and gives false; every other fault is reported and
// throws ParseException.
bool check_range(const std::vector<std::string>& values, const std::string& text,
                 const SourceRange& range, bool allow_zero);

// Resolves the escapes of a decorator value (keeping those of the pattern
// characters), trims it and collapses runs of blanks, in place; returns the
// result. Invalid escapes are dropped silently; an escape that cannot be
// read at all is reported at line 0 and the value kept as written, trimmed.
std::string cleanup_entry(std::string& text);

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_TOKEN_ACTIONS_H_
