#include "compiler/parser/variable_grammar.h"

namespace zel {
namespace compiler {

VariableGrammar::VariableGrammar(bool with_error_handler)
    : VariableGrammar::base_type(define_statement, "VariableGrammar") {
  using ast::node::Variable;
  using qi::labels::_1;
  using qi::labels::_val;

  variable_name_ = +qi::char_("a-zA-Z0-9_");
  variable_value_ = +(qi::char_ - ';');
  define_statement = qi::lit("define") >>
                     (qi::lit(':') > variable_name_[phoenix::bind(&Variable::name, _val) = _1] >
                      '=' > variable_value_[phoenix::bind(&Variable::value, _val) = _1] > ';');
  if (with_error_handler) {
    grammar_util::catalogued(define_statement, "variable", "Could not parse Variable");
  } else {
    define_statement.name("variable_start_rule");
  }
}

VariableGrammar::~VariableGrammar() = default;

}  // namespace compiler
}  // namespace zel
