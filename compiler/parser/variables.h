// Text variables of the rule language.
//
// A source defines them with define:name = value; and any source uses them
// as ${name} (a name has at least two characters). Before the sources are
// parsed, the define statements of every source are collected into the
// compilation's variable map (parse_define_data); before each source is
// parsed its references are replaced (resolve_variables). A value may use
// the variables defined before it and is expanded when it is defined. The
// form $(name) is rejected with a hint.

#ifndef KAVERO_COMPILER_PARSER_VARIABLES_H_
#define KAVERO_COMPILER_PARSER_VARIABLES_H_

#include <boost/variant.hpp>
#include <iosfwd>
#include <map>
#include <string>

#include "compiler/parser/source_parser.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {

class Blackboard;

// Replaces the ${name} references of the text with the variables' values
// (a value is not searched again). A text without references gives count
// 0 and an empty text. An undefined variable or a $(name) reference is
// reported as an error at its 1-based line and ends the substitution; the
// result then keeps ok false.
ast::node::ResolveLocationResult resolve_variables(const std::string& text,
                                                   const ast::node::VariableMap& variables);

// Parses the define statements of the text and stores them into the map,
// as defined by `file`. A name defined before raises zel::Exception naming
// both sources and the first value. An empty text gives an unsuccessful,
// empty result.
ParseResult get_define_variables(Blackboard& blackboard, const std::string& text,
                                 ast::node::VariableMap& variables, const std::string& file);
ParseResult parse_define_data(Blackboard& blackboard, const std::string& text,
                              ast::node::VariableMap& variables, const std::string& file);

// Stores every define statement of a tree, also those in namespaces and
// chains. A value is stored without line ends and trailing white space,
// with its references expanded (at most 10 rounds: a value that still holds
// references after them is reported and not stored).
class CollectVariables : public ast::Visitor<CollectVariables, true> {
 public:
  CollectVariables(ast::node::VariableMap& variables, std::string file)
      : variables_(variables), file_(std::move(file)) {}

  using ast::Visitor<CollectVariables, true>::operator();
  void operator()(const ast::node::Variable& variable);

 private:
  ast::node::VariableMap& variables_;
  std::string file_;
};

// name ": (" value ");" for every variable, in name order.
std::ostream& operator<<(std::ostream& out, std::map<std::string, ast::node::VariableDefinition>& variables);
std::ostream& operator<<(std::ostream& out, const boost::variant<int, std::string>& value);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_VARIABLES_H_
