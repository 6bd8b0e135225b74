#include "compiler/parser/define_parser.h"

#include "compiler/parser/domain_parser_actions.h"

namespace zel {
namespace compiler {

DefineParser::DefineParser() : DefineParser::base_type(start_, "define_rozoveved"), define_(false) {
  using qi::labels::_1;
  using qi::labels::_val;
  const phoenix::function<grammar_util::AppendImpl> append;
  start_ = +(define_[append(phoenix::bind(&ast::node::Root::statements, _val), _1)] |
             qi::omit[qi::char_]);
  start_.name("rozoveved");
  grammar_util::install_error_handler(start_);
}

DefineParser::~DefineParser() = default;

}  // namespace compiler
}  // namespace zel
