#include "compiler/parser/assignment_grammar.h"

namespace zel {
namespace compiler {

AssignmentGrammar::AssignmentGrammar()
    : AssignmentGrammar::base_type(assignment, "AssignmentGrammar") {
  using ast::node::AssignCaptureGroup;
  using qi::labels::_1;
  using qi::labels::_val;
  add_sign_ = qi::lit('@');
  assignment = identifier[phoenix::bind(&AssignCaptureGroup::uri_, _val) = _1] >
               -(add_sign_ > '(' >
                 attributes[phoenix::bind(&AssignCaptureGroup::attributes_, _val) = _1] > ')');
  grammar_util::catalogued(add_sign_, "qr_addsign", "Missing @");
}

AssignmentGrammar::~AssignmentGrammar() = default;

}  // namespace compiler
}  // namespace zel
