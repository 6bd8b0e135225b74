// The repetition suffix of a token or a group: {n}, {n,m}, "*", "+" or "?".
// It yields the character, or the text between the braces; {n,} and {,m}
// are no closures. Nothing is skipped inside.

#ifndef KAVERO_COMPILER_PARSER_CLOSURE_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_CLOSURE_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class ClosureGrammar : public qi::grammar<Iterator, std::string()> {
 public:
  ClosureGrammar();
  ~ClosureGrammar();

  qi::rule<Iterator, std::string()> closure;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_CLOSURE_GRAMMAR_H_
