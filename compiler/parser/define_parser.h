// The grammar that reads only the define statements of a source and passes
// over everything else, character by character. The variables of all
// sources are collected with it before any source is parsed whole.

#ifndef KAVERO_COMPILER_PARSER_DEFINE_PARSER_H_
#define KAVERO_COMPILER_PARSER_DEFINE_PARSER_H_

#include "compiler/parser/grammar_types.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/variable_grammar.h"

namespace zel {
namespace compiler {

class DefineParser : public qi::grammar<Iterator, ast::node::Root(), Skipper> {
 public:
  DefineParser();
  ~DefineParser();

 private:
  VariableGrammar define_;
  qi::rule<Iterator, ast::node::Root(), Skipper> start_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_DEFINE_PARSER_H_
