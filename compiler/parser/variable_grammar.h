// The define statement: define:name = value;  The name is letters, digits
// and "_"; the value runs to the first ';' (line ends included). A
// "define" not followed by ':' does not match.

#ifndef KAVERO_COMPILER_PARSER_VARIABLE_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_VARIABLE_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class VariableGrammar : public qi::grammar<Iterator, ast::node::Variable(), Skipper> {
 public:
  // With the error handler (as in a whole source) a broken define
  // statement is reported as "variable"; without it (when only the define
  // statements of a source are collected) it simply does not match.
  explicit VariableGrammar(bool with_error_handler);
  ~VariableGrammar();

  qi::rule<Iterator, ast::node::Variable(), Skipper> define_statement;

 private:
  qi::rule<Iterator, std::string()> variable_name_;
  qi::rule<Iterator, std::string()> variable_value_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_VARIABLE_GRAMMAR_H_
