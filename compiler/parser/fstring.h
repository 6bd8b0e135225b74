// Checks of f-string attribute values: values written f"..." whose
// brace-enclosed variables are filled in when a rule matches, such as
// f"{capture.stem} of {rule.name}".
//
// A variable is a head, a separator and a path: the head names what the
// variable reads (capture, rule, sentence, this, and the text functions
// camelize, initial_caps, normalize); the separator is the first ".", "("
// or "["; the path is a chain of names ([a-zA-Z0-9_]+) joined by ".", with
// argument parts in parentheses and index parts in square brackets.
// "{{" and "}}" are literal braces and open or close no variable.
//
// The compiler checks f-string values with these; when rules run, a value is
// handed on for resolution only when check_fstring_pattern counts at least
// one variable in it. Both may be called on any thread.

#ifndef KAVERO_COMPILER_PARSER_FSTRING_H_
#define KAVERO_COMPILER_PARSER_FSTRING_H_

#include <string>

namespace zel {
namespace compiler {

// The number of variables in an attribute value (0 when it has none), when
// every one is well formed and free of forbidden words. -2 at the first
// malformed variable, -1 at the first one holding a forbidden word.
int check_fstring_pattern(const std::string& value);

// Whether one variable, braces included, is well formed. A path part that
// ends the variable with "." ("{rule.a.}") is malformed, but a separator
// alone is not ("{rule.}"); an index written right after the head
// ("{capture[1]}") is read as a path name and so is malformed.
bool check_fstring_variable(const std::string& text);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_FSTRING_H_
