#include "compiler/backend/rule_translation.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "base/exception.h"
#include "compiler/backend/any_token.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {
namespace detail {

namespace {

constexpr char kEpsilon[] = "eps";
// Any number of arbitrary tokens.
constexpr char kStar[] = "*";

// key "=" value items joined by ";", values as the tree holds them.
std::string attribute_text(const AttributeList& attributes) {
  std::string text;
  for (const auto& item : attributes) {
    if (!text.empty()) text += ';';
    text += item.first;
    text += '=';
    text += item.second;
  }
  return text;
}

class PushRuleFst : public ast::Visitor<PushRuleFst> {
 public:
  using ast::Visitor<PushRuleFst>::operator();

  explicit PushRuleFst(std::shared_ptr<afst::Builder>& builder) : builder_(builder) {}

  void rule(ast::node::Rule& rule) {
    open_capture(rule.capture);
    close_capture(rule.capture);
  }

  void operator()(ast::node::RuleCapture& capture) {
    open_capture(capture);
    close_capture(capture);
  }

  void operator()(ast::node::RuleToken& token) {
    const bool repeated = !token.closure.empty();
    if (repeated) builder_->open_group();
    push(is_any_token(token) ? kAnyTokenLabel : (kTokenLabel | token.id));
    for (const auto& property : token.properties) {
      builder_->pushArc(make_string_id(kPropertyLabel) + "+" + property, kEpsilon);
    }
    if (repeated) builder_->close_group(token.closure);
  }

  void operator()(ast::node::RuleConcept& rule_concept) {
    if (enter(rule_concept)) visit_all(rule_concept.nodes);
    leave(rule_concept);
  }

  void operator()(ast::node::RuleGroup& group) {
    if (!group.negated) {
      builder_->open_group();
      visit_all(group.nodes);
      builder_->close_group(group.closure);
      return;
    }
    // NEGATION, then either (begin, pattern, end) or the empty alternative.
    push(kNegationLabel);
    builder_->open_group();
    builder_->open_group();
    push(kNegationBeginLabel);
    visit_all(group.nodes);
    push(kNegationEndLabel);
    builder_->close_group("");
    builder_->separator("union");
    builder_->open_group();
    push(kNegationEmptyLabel);
    builder_->close_group("");
    builder_->close_group("");
  }

  void operator()(ast::node::RuleOperator& op) { enter(op); }

  bool enter(ast::node::RuleConcept& rule_concept) {
    const bool inner = !rule_concept.nodes.empty();
    push((inner ? kConceptBeginLabel : kConceptLabel) | rule_concept.id);
    if (!rule_concept.attributes.empty()) {
      builder_->pushArc(make_string_id(kAttributeLabel) + "@" +
                            attribute_text(rule_concept.attributes),
                        kEpsilon);
    }
    if (inner && !rule_concept.begin_marker) gap();
    return true;
  }

  void leave(ast::node::RuleConcept& rule_concept) {
    if (rule_concept.nodes.empty()) return;
    if (!rule_concept.end_marker) gap();
    push(kConceptEndLabel | rule_concept.id);
  }

  void enter(ast::node::RuleOperator& op) {
    switch (static_cast<std::uint32_t>(op.type)) {
      case ast::node::RuleOperator::adjacent:
        break;
      case ast::node::RuleOperator::dot_dot:
        push(kShortMatchLabel);
        break;
      case ast::node::RuleOperator::pipe:
      case ast::node::RuleOperator::percent:
      case ast::node::RuleOperator::double_percent:
      case ast::node::RuleOperator::triple_percent:
        push_group_separator(*builder_, op);
        break;
      case ast::node::RuleOperator::dot_question:
        push(kShortMatchLabel);
        shortest_.back() = true;
        break;
      case ast::node::RuleOperator::ellipsis:
        gap();
        break;
      default: {
        std::ostringstream message;
        message << "Rozoveved Parser: invalid operator.[" << static_cast<std::uint32_t>(op.type)
                << "]";
        throw Exception(message);
      }
    }
  }

 private:
  void push(std::uint32_t label) { builder_->pushArc(make_string_id(label), kEpsilon); }

  void gap() {
    builder_->open_group();
    push(kAnyTokenLabel);
    builder_->close_group(kStar);
  }

  // A capture opens no group: its arcs go into the group that is open.
  void open_capture(ast::node::RuleCapture& capture) {
    push(kCaptureBeginLabel | capture.id);
    shortest_.push_back(false);
    visit_all(capture.nodes);
  }

  void close_capture(ast::node::RuleCapture& capture) {
    push(kCaptureEndLabel | capture.id);
    if (shortest_.back()) {
      capture.assignment.attributes_.emplace_back("match", "\"shortest\"");
    }
    if (!capture.assignment.attributes_.empty()) {
      builder_->pushArc("@" + attribute_text(capture.assignment.attributes_), kEpsilon);
    }
    shortest_.pop_back();
  }

  std::shared_ptr<afst::Builder>& builder_;
  // One entry per open capture: whether a ".?" asked it for the shortest match.
  std::vector<bool> shortest_;
};

}  // namespace

std::string make_string_id(const std::uint32_t& value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

bool push_group_separator(afst::Builder& builder, const ast::node::RuleOperator& op) {
  switch (op.type) {
    case ast::node::RuleOperator::pipe:
      builder.separator("union");
      return true;
    case ast::node::RuleOperator::percent:
      builder.unordered_separator("adjacent");
      return true;
    case ast::node::RuleOperator::double_percent:
      builder.unordered_separator("shortest");
      return true;
    case ast::node::RuleOperator::triple_percent:
      builder.unordered_separator("longest");
      return true;
    default:
      return false;
  }
}

// The store is carried for the rule's context; the translation reads
// nothing from it.
void push_ast_node(std::shared_ptr<afst::Builder>& builder, ResultStore& /*store*/,
                   ast::node::Rule& rule) {
  PushRuleFst visitor(builder);
  visitor.rule(rule);
}

fst::StdVectorFst* push_ast_rule(std::shared_ptr<afst::Builder>& builder, ResultStore& store,
                                 ast::node::Rule& rule) {
  builder->open_rule();
  push_ast_node(builder, store, rule);
  builder->close_rule();
  return builder->build(true);
}

}  // namespace detail
}  // namespace compiler
}  // namespace zel
