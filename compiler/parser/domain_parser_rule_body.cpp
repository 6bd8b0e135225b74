// The rule-body rules of DomainParser: captures, groups, negations,
// concept references, and the operators between their elements.

#include "compiler/parser/domain_parser.h"
#include "compiler/parser/domain_parser_actions.h"
#include "compiler/parser/grammar_values.h"
#include "compiler/parser/syntax_tree_adapted.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::RuleCapture;
using ast::node::RuleConcept;
using ast::node::RuleGroup;
using ast::node::RuleNodes;
using ast::node::RuleOperator;

const phoenix::function<grammar_util::AppendImpl> append;

// Takes an alternation operator into a group unless it mixes operator
// types with the ones already there.
struct AppendAlternationImpl {
  using result_type = bool;
  bool operator()(RuleNodes& nodes, const RuleOperator& op) const {
    nodes.push_back(op);
    if (check_group_operators(nodes)) return true;
    nodes.pop_back();
    return false;
  }
};
const phoenix::function<AppendAlternationImpl> append_alternation;

}  // namespace

void DomainParser::build_rule_body() {
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;
  const std::string caret_text("^");

  sequence_ops_.add("...", RuleOperator::ellipsis)("..", RuleOperator::dot_dot)(
      ".?", RuleOperator::dot_question);
  alternation_ops_.add("|", RuleOperator::pipe)("%", RuleOperator::percent)(
      "%%", RuleOperator::double_percent)("%%%", RuleOperator::triple_percent);
  sequence_op_ = sequence_ops_[phoenix::bind(&RuleOperator::type, _val) = _1];
  alternation_op_ = alternation_ops_[phoenix::bind(&RuleOperator::type, _val) = _1];

  not_mark_ = qi::lit('!') >> qi::attr(true);
  caret_ = qi::lit('^') >> qi::attr(true);
  negation_close_ = qi::lit(')');

  node_ = group_[_val = _1] | capture_[_val = _1] | token_[_val = _1] | concept_[_val = _1];
  negation_node_ = token_[_val = _1] | concept_[_val = _1];

  auto capture_nodes = phoenix::bind(&RuleCapture::nodes, _val);
  capture_ = qi::lit('{') >
             +(node_[append(capture_nodes, _1)] >> -sequence_op_[append(capture_nodes, _1)]) >
             close_curly_ >
             -(qi::lit('=') > assignment_[phoenix::bind(&RuleCapture::assignment, _val) = _1]);

  auto group_nodes = phoenix::bind(&RuleGroup::nodes, _val);
  group_ =
      (qi::lexeme[not_mark_ >> '('][phoenix::bind(&RuleGroup::negated, _val) = true] >
       +negation_node_[append(group_nodes, _1)] > negation_close_) |
      (qi::lit('(') >
       +(node_[append(group_nodes, _1)] >>
         -(sequence_op_[append(group_nodes, _1)] |
           alternation_op_[_pass = append_alternation(group_nodes, _1)])) >
       close_paren_ > qi::no_skip[-closure_[phoenix::bind(&RuleGroup::closure, _val) = _1]]);

  auto concept_nodes = phoenix::bind(&RuleConcept::nodes, _val);
  concept_ =
      assignment_.identifier[phoenix::bind(&RuleConcept::name, _val) = _1] >
      -(qi::lit("@(") > assignment_.attributes[phoenix::bind(&RuleConcept::attributes, _val) = _1] >
        close_paren_) >
      -(qi::lit('[') > -caret_[phoenix::bind(&RuleConcept::begin_marker, _val) = caret_text] >
        +(node_[append(concept_nodes, _1)] >> -sequence_op_[append(concept_nodes, _1)]) >
        -caret_[phoenix::bind(&RuleConcept::end_marker, _val) = caret_text] > close_square_);

  capture_.name("qr_capture_group");
}

}  // namespace compiler
}  // namespace zel
