// The exception that abandons the parse of a rule source.
//
// A semantic action throws it after it has reported an error that leaves no
// sensible way to go on with the source (a closure or length value that is
// no number, or whose bounds are wrong). It carries nothing: the report is
// already in the compilation's diagnostics.

#ifndef KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_
#define KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_

#include <exception>

namespace zel {
namespace compiler {

class ParseException : public std::exception {};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_
