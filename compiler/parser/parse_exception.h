// The exception that abandons the parse of a source.
//
// A semantic action throws it after it has reported an error that leaves
// nothing sensible to parse further. It carries no data of its own: the
// report is already recorded in the diagnostics.

#ifndef KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_
#define KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_

#include <exception>

namespace zel {
namespace compiler {

class ParseException : public std::exception {
 public:
  ParseException() = default;
  ~ParseException() override;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_PARSE_EXCEPTION_H_
