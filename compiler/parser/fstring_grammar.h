// A formatted attribute value: the letter f, then a double-quoted or
// triple-quoted text whose {...} variables are filled in when a rule
// matches. Yields the value as written, f and quotes included; the
// f-string check decides the match. Nothing is skipped inside.

#ifndef KAVERO_COMPILER_PARSER_FSTRING_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_FSTRING_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class FStringGrammar : public qi::grammar<Iterator, std::string()> {
 public:
  FStringGrammar();
  ~FStringGrammar();

  qi::rule<Iterator, std::string()> fstring;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_FSTRING_GRAMMAR_H_
