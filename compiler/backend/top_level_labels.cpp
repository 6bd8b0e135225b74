#include "compiler/backend/top_level_labels.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "compiler/backend/any_token.h"
#include "compiler/backend/bitset_transducer.h"
#include "compiler/backend/rule_translation.h"
#include "compiler/parser/syntax_tree_visitor.h"
#include "core-afst/visitor.h"

namespace zel {
namespace compiler {
namespace top_arcs {

namespace {

constexpr char kEpsilon[] = "eps";

class PushRuleTopLevelFST : public ast::Visitor<PushRuleTopLevelFST, true> {
 public:
  using ast::Visitor<PushRuleTopLevelFST, true>::operator();

  explicit PushRuleTopLevelFST(std::shared_ptr<afst::Builder> builder)
      : builder_(std::move(builder)) {}

  void operator()(const ast::node::RuleToken& token) {
    const std::uint32_t label =
        detail::is_any_token(token) ? detail::kAnyTokenLabel : (detail::kTokenLabel | token.id);
    if (!detail::can_optimize_closure(token.closure)) {
      push(label);
      return;
    }
    // An optional token is an optional step, as an optional group is: a
    // match may start on it or on what follows it.
    builder_->open_group();
    push(label);
    builder_->close_group("?");
  }

  void operator()(const ast::node::RuleConcept& rule_concept) {
    push(detail::kConceptLabel | rule_concept.id);
    visit_all(rule_concept.nodes);
  }

  void operator()(const ast::node::RuleGroup& group) {
    if (group.negated) {
      push(detail::kNegationLabel);
      return;
    }
    builder_->open_group();
    visit_all(group.nodes);
    builder_->close_group(detail::can_optimize_closure(group.closure) ? "?" : "");
  }

  void operator()(const ast::node::RuleOperator& op) {
    detail::push_group_separator(*builder_, op);
  }

 private:
  void push(std::uint32_t label) { builder_->pushArc(detail::make_string_id(label), kEpsilon); }

  std::shared_ptr<afst::Builder> builder_;
};

class TopLevelArcsVisitor : public afst::Visitor {
 public:
  TopLevelArcsVisitor(fst::StdVectorFst* network, std::vector<unsigned>& labels)
      : afst::Visitor(network), labels_(labels) {}

  using afst::Visitor::visit;

  void visit(const int& state, const fst::StdArc& arc) override {
    if (state != network_->Start()) return;
    const std::string text = input_symbols_ == nullptr ? std::string()
                                                       : input_symbols_->Find(arc.ilabel);
    labels_.push_back(static_cast<unsigned>(std::stoul(text, nullptr, 16)));
  }

 private:
  std::vector<unsigned>& labels_;
};

bool holds(const std::vector<unsigned>& labels, unsigned label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

}  // namespace

void collect_toplevel_arcs(std::shared_ptr<afst::Builder> builder, std::vector<unsigned>& labels) {
  fst::StdVectorFst* network = builder->build(true);
  TopLevelArcsVisitor(network, labels).travers();
  const auto start = network->Start();
  // A rule that may match without any element (all optional) has no first
  // element: every position may start it, which the empty list says.
  const bool may_be_empty =
      start != fst::kNoStateId && network->Final(start) != fst::StdArc::Weight::Zero();
  if (may_be_empty || holds(labels, detail::kNegationLabel)) {
    labels.clear();
  } else if (holds(labels, detail::kAnyTokenLabel)) {
    labels.assign(1, detail::kAnyTokenLabel);
  }
}

}  // namespace top_arcs

std::vector<unsigned> toplevel_arcs_fst(ResultStore& /*store*/, const ast::node::Rule& rule) {
  auto builder = std::make_shared<afst::Builder>();
  builder->open_rule();
  top_arcs::PushRuleTopLevelFST visitor(builder);
  for (const auto& node : rule.capture.nodes) visitor.visit(node);
  builder->close_rule();
  std::vector<unsigned> labels;
  top_arcs::collect_toplevel_arcs(builder, labels);
  return labels;
}

}  // namespace compiler
}  // namespace zel
