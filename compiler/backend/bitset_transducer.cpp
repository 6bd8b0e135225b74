#include "compiler/backend/bitset_transducer.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "compiler/backend/any_token.h"
#include "compiler/backend/rule_translation.h"
#include "compiler/parser/syntax_tree_visitor.h"
#include "core-afst/visitor.h"

namespace zel {
namespace compiler {
namespace detail {

namespace {

constexpr char kEpsilon[] = "eps";

bool requires_label(const ast::node::RuleNodes& nodes);

// Whether the node puts a label into every match.
struct NodeRequiresLabel : boost::static_visitor<bool> {
  bool operator()(const ast::node::RuleCapture& capture) const {
    return requires_label(capture.nodes);
  }
  bool operator()(const ast::node::RuleToken& token) const {
    return !is_any_token(token) && !can_optimize_closure(token.closure);
  }
  bool operator()(const ast::node::RuleConcept&) const { return true; }
  bool operator()(const ast::node::RuleGroup& group) const {
    return !group.negated && !can_optimize_closure(group.closure) && requires_label(group.nodes);
  }
  bool operator()(const ast::node::RuleOperator&) const { return false; }
};

// Whether every match of the node list holds at least one label of the
// bitset transducer: with alternatives, each alternative must.
bool requires_label(const ast::node::RuleNodes& nodes) {
  bool alternatives = false, all = true, current = false;
  for (const auto& node : nodes) {
    const auto* op = boost::get<ast::node::RuleOperator>(&node);
    if (op != nullptr && op->type == ast::node::RuleOperator::pipe) {
      alternatives = true;
      all = all && current;
      current = false;
      continue;
    }
    current = current || boost::apply_visitor(NodeRequiresLabel(), node);
  }
  return alternatives ? (all && current) : current;
}

class PushRuleBitsetFST : public ast::Visitor<PushRuleBitsetFST, true> {
 public:
  using ast::Visitor<PushRuleBitsetFST, true>::operator();

  explicit PushRuleBitsetFST(std::shared_ptr<afst::Builder> builder)
      : builder_(std::move(builder)) {}

  void operator()(const ast::node::RuleToken& token) {
    if (is_any_token(token) || can_optimize_closure(token.closure)) return;
    push(kTokenLabel | token.id);
  }

  void operator()(const ast::node::RuleConcept& rule_concept) {
    push(kConceptLabel | rule_concept.id);
    visit_all(rule_concept.nodes);
  }

  void operator()(const ast::node::RuleGroup& group) {
    if (group.negated || can_optimize_closure(group.closure)) return;
    // A group with an alternative that adds no label may be passed without
    // any of its labels; the builder would drop the empty alternative and
    // make the others required.
    if (!requires_label(group.nodes)) return;
    builder_->open_group();
    visit_all(group.nodes);
    // A repeated group must still be there once.
    builder_->close_group(group.closure == "+" ? std::string() : group.closure);
  }

  void operator()(const ast::node::RuleOperator& op) {
    push_group_separator(*builder_, op);
  }

 private:
  void push(std::uint32_t label) { builder_->pushArc(make_string_id(label), kEpsilon); }

  std::shared_ptr<afst::Builder> builder_;
};

// Pass 1: on single-arc states, the first occurrence of a label stays and
// later ones become epsilon.
class OptimizeArcsVisitor : public afst::Visitor {
 public:
  OptimizeArcsVisitor(fst::StdVectorFst* network, std::set<fst::StdArc::Label>& required)
      : afst::Visitor(network), required_(required) {}

  using afst::Visitor::visit;

  void visit(const int& state) override {
    if (network_->NumArcs(state) != 1) return;
    fst::MutableArcIterator<fst::StdVectorFst> arcs(network_, state);
    fst::StdArc arc = arcs.Value();
    if (required_.count(arc.ilabel) != 0) {
      arc.ilabel = 0;
      arcs.SetValue(arc);
    } else {
      required_.insert(arc.ilabel);
    }
  }

 private:
  std::set<fst::StdArc::Label>& required_;
};

// Pass 2: a choice whose labels are all required by single steps adds
// nothing and becomes epsilon.
class OptimizeMultiArcsVisitor : public afst::Visitor {
 public:
  OptimizeMultiArcsVisitor(fst::StdVectorFst* network,
                           const std::set<fst::StdArc::Label>& required)
      : afst::Visitor(network), required_(required) {}

  using afst::Visitor::visit;

  void visit(const int& state) override {
    if (network_->NumArcs(state) < 2) return;
    for (fst::ArcIterator<fst::StdVectorFst> arcs(*network_, state); !arcs.Done(); arcs.Next()) {
      if (required_.count(arcs.Value().ilabel) == 0) return;
    }
    for (fst::MutableArcIterator<fst::StdVectorFst> arcs(network_, state); !arcs.Done();
         arcs.Next()) {
      fst::StdArc arc = arcs.Value();
      arc.ilabel = 0;
      arcs.SetValue(arc);
    }
  }

 private:
  const std::set<fst::StdArc::Label>& required_;
};

// Pass 3: whether the network is one chain of steps (every state's arcs
// lead to one next state) and, if so, its states by number of arcs.
class CollectArcCountVisitor : public afst::Visitor {
 public:
  explicit CollectArcCountVisitor(fst::StdVectorFst* network) : afst::Visitor(network) {}

  using afst::Visitor::visit;

  void visit(const int& state) override {
    std::set<fst::StdArc::StateId> targets;
    for (fst::ArcIterator<fst::StdVectorFst> arcs(*network_, state); !arcs.Done(); arcs.Next()) {
      targets.insert(arcs.Value().nextstate);
    }
    if (targets.size() > 1) {
      linear_ = false;
      by_count_.clear();
    }
    if (linear_) by_count_.emplace(static_cast<unsigned>(network_->NumArcs(state)), state);
  }

  bool linear() const { return linear_; }
  const std::multimap<unsigned, int>& by_count() const { return by_count_; }

 private:
  std::multimap<unsigned, int> by_count_;
  bool linear_ = true;
};

}  // namespace

bool can_optimize_closure(const std::string& closure) {
  return closure == "*" || closure == "?" || (!closure.empty() && closure[0] == '0');
}

void optimize_bitset(std::shared_ptr<afst::Builder> builder) {
  std::set<fst::StdArc::Label> required;
  OptimizeArcsVisitor(builder->build(true), required).travers();
  OptimizeMultiArcsVisitor(builder->build(true), required).travers();
  CollectArcCountVisitor counts(builder->build(true));
  counts.travers();
  if (!counts.linear()) return;
  // Hold on to the chain while its steps are pushed into a new rule.
  fst::StdVectorFst* chain = builder->build(true);
  builder->open_rule();
  for (const auto& entry : counts.by_count()) {
    if (entry.first == 0) continue;
    const bool choice = entry.first > 1;
    if (choice) builder->open_group();
    bool first = true;
    for (fst::ArcIterator<fst::StdVectorFst> arcs(*chain, entry.second); !arcs.Done();
         arcs.Next()) {
      if (!first) builder->separator("union");
      first = false;
      builder->pushArcIDs(arcs.Value().ilabel, arcs.Value().ilabel);
    }
    if (choice) builder->close_group("");
  }
  builder->close_rule();
}

}  // namespace detail

void make_bitset_fst(std::shared_ptr<afst::Builder> builder, ResultStore& /*store*/,
                     const ast::node::Rule& rule) {
  builder->open_rule();
  detail::PushRuleBitsetFST visitor(builder);
  for (const auto& node : rule.capture.nodes) visitor.visit(node);
  builder->close_rule();
  detail::optimize_bitset(builder);
}

}  // namespace compiler
}  // namespace zel
