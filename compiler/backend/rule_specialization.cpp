#include "compiler/backend/rule_specialization.h"

#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {
namespace rule {
namespace specialization {

namespace {

const std::string kNoName;
const std::string kFsm = "FSM";
const std::string kForward = "FWRD";

constexpr std::uint32_t kSequenceMarker = 0x80000000u;

class Collector : public ast::Visitor<Collector, true> {
 public:
  using ast::Visitor<Collector, true>::operator();

  void operator()(const ast::node::RuleToken& token) {
    if (!token.closure.empty()) type = 1;
  }
  void operator()(const ast::node::RuleConcept& rule_concept) {
    if (!rule_concept.nodes.empty()) type = 1;
  }
  void operator()(const ast::node::RuleGroup&) { type = 1; }
  void operator()(const ast::node::RuleOperator& op) {
    if (op.type != ast::node::RuleOperator::adjacent &&
        op.type != ast::node::RuleOperator::dot_dot) {
      type = 1;
    }
  }

  unsigned long type = 2;
};

class IDCollector : public ast::Visitor<IDCollector, true> {
 public:
  using ast::Visitor<IDCollector, true>::operator();

  void operator()(const ast::node::RuleToken& token) { ids.push_back(token.id); }
  void operator()(const ast::node::RuleConcept& rule_concept) {
    ids.push_back(rule_concept.id);
    visit_all(rule_concept.nodes);
  }
  void operator()(const ast::node::RuleOperator& op) {
    if (op.type == ast::node::RuleOperator::adjacent ||
        op.type == ast::node::RuleOperator::dot_dot ||
        op.type == ast::node::RuleOperator::ellipsis) {
      ids.push_back(kSequenceMarker);
    }
  }

  std::vector<std::uint32_t> ids;
};

}  // namespace

const std::string& specialization_type_name(unsigned long type) {
  if (type == 1) return kFsm;
  if (type == 2) return kForward;
  return kNoName;
}

unsigned long rule_specialization_type(const ast::node::Rule& rule) {
  Collector collector;
  collector(rule);
  return collector.type;
}

std::vector<std::uint32_t> collect_ids(const ast::node::Rule& rule) {
  IDCollector collector;
  collector(rule);
  return collector.ids;
}

}  // namespace specialization
}  // namespace rule
}  // namespace compiler
}  // namespace zel
