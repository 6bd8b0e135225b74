// The traversal that every pass over a syntax tree is built on.
//
// A pass derives from Visitor<Pass> (or Visitor<Pass, true> to walk a tree
// it may not change) and hides the handlers of the records it cares about;
// calls are resolved at compile time. A pass that declares any handler must
// bring the others back into scope with
//   using Visitor<Pass>::operator();
// A handler that still wants the default descent calls Visitor's handler
// for its record, e.g. Visitor<Pass>::operator()(group).
//
// The default descent, which a pass sees parent first and depth first:
//   Root, Namespace, PriorityGroup: their statements in order;
//   Rule: the nodes of its capture in order (not the capture itself);
//   RuleCapture, RuleGroup, RuleConcept: their nodes in order, each child
//     completely before the next;
//   RuleToken, RuleOperator, Lexicon, Instance, Variable,
//     AnnotationDefinition, StatementDecorator: leaves.
// Statements and rule nodes are dispatched by their alternative.

#ifndef KAVERO_COMPILER_PARSER_SYNTAX_TREE_VISITOR_H_
#define KAVERO_COMPILER_PARSER_SYNTAX_TREE_VISITOR_H_

#include <boost/variant/apply_visitor.hpp>
#include <type_traits>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace ast {

template <typename Pass, bool kConst = false>
class Visitor {
 public:
  using result_type = void;

  template <typename T>
  using Ref = std::conditional_t<kConst, const T&, T&>;

  // Dispatch by alternative.
  void visit(Ref<node::Statement> statement) { boost::apply_visitor(pass(), statement); }
  void visit(Ref<node::RuleNode> rule_node) { boost::apply_visitor(pass(), rule_node); }

  void operator()(Ref<node::Root> root) { visit_all(root.statements); }
  void operator()(Ref<node::Namespace> name_space) { visit_all(name_space.statements); }
  void operator()(Ref<node::PriorityGroup> group) { visit_all(group.statements); }
  void operator()(Ref<node::Rule> rule) { visit_all(rule.capture.nodes); }

  void operator()(Ref<node::RuleCapture> capture) { visit_all(capture.nodes); }
  void operator()(Ref<node::RuleGroup> group) { visit_all(group.nodes); }
  void operator()(Ref<node::RuleConcept> rule_concept) { visit_all(rule_concept.nodes); }

  void operator()(Ref<node::RuleToken>) {}
  void operator()(Ref<node::RuleOperator>) {}
  void operator()(Ref<node::Lexicon>) {}
  void operator()(Ref<node::Instance>) {}
  void operator()(Ref<node::Variable>) {}
  void operator()(Ref<node::AnnotationDefinition>) {}
  void operator()(Ref<node::StatementDecorator>) {}

 protected:
  Pass& pass() { return static_cast<Pass&>(*this); }

  void visit_all(Ref<node::Statements> statements) {
    for (auto& statement : statements) visit(statement);
  }
  void visit_all(Ref<node::RuleNodes> nodes) {
    for (auto& rule_node : nodes) visit(rule_node);
  }
};

}  // namespace ast
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SYNTAX_TREE_VISITOR_H_
