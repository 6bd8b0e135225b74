#include "compiler/parser/rule_printer.h"

#include <algorithm>
#include <iostream>
#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {

using ast::node::Rule;
using ast::node::RuleCapture;
using ast::node::RuleConcept;
using ast::node::RuleGroup;
using ast::node::RuleOperator;
using ast::node::RuleToken;

namespace {

// The operator's text; type 0 has none of its own.
const char* operator_text(const RuleOperator& op) {
  switch (op.type) {
    case RuleOperator::dot_dot:
      return "..";
    case RuleOperator::pipe:
      return "|";
    case RuleOperator::percent:
      return "%";
    case RuleOperator::double_percent:
      return "%%";
    case RuleOperator::triple_percent:
      return "%%%";
    case RuleOperator::dot_question:
      return ".?";
    case RuleOperator::ellipsis:
      return "...";
    case RuleOperator::adjacent:
      return nullptr;
  }
  std::ostringstream message;
  message << "Rozoveved Parser: invalid operator.[" << static_cast<std::uint32_t>(op.type) << "]";
  throw Exception(message);
}

// Writes the items with "," between them.
class ItemWriter {
 public:
  explicit ItemWriter(std::ostream& out) : out_(out) {}
  std::ostream& next() {
    if (any_) out_ << ",";
    any_ = true;
    return out_;
  }
  bool any() const { return any_; }

 private:
  std::ostream& out_;
  bool any_ = false;
};

void write_components(std::ostream& out, const RuleToken& token) {
  const char* separator = "";
  for (const std::string& component : token.components) {
    out << separator << "c'" << component << "'";
    separator = ";";
  }
}

std::string identity(std::string text) {
  std::replace(text.begin(), text.end(), '\'', 's');
  std::replace(text.begin(), text.end(), '"', 'l');
  return text;
}

template <typename Node>
std::string compact(const Node& node) {
  std::ostringstream out;
  StreamRule printer(out);
  printer(node);
  return out.str();
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const attribute_printer& printer) {
  if (!printer.attributes.empty()) out << "@(" << printer.attributes << ")";
  return out;
}

// ---------------------------------------------------------------------------
// Compact form.

void StreamRule::operator()(const Rule& rule) {
  out_ << "rule:";
  (*this)(rule.capture);
}

void StreamRule::operator()(const RuleCapture& capture) {
  out_ << capture.assignment.uri() << attribute_printer(capture.assignment.attributes()) << "{";
  visit_all(capture.nodes);
  out_ << "}";
}

void StreamRule::operator()(const RuleToken& token) {
  ItemWriter items(out_);
  if (token.length) {
    items.next() << "len(" << token.length->first;
    if (token.length->second) out_ << "," << *token.length->second;
    out_ << ")";
  }
  if (token.literal) items.next() << '"' << *token.literal << '"';
  if (token.stem) items.next() << "'" << *token.stem << "'";
  if (token.pos) items.next() << *token.pos;
  if (!token.properties.empty()) {
    std::ostream& out = items.next();
    // A lone property of a token without a part of speech keeps its plus,
    // or it would read as that part of speech.
    if (!token.pos && token.properties.size() == 1) out << "+";
    const char* separator = "";
    for (const std::string& property : token.properties) {
      out << separator << property;
      separator = ";";
    }
  }
  if (!token.components.empty()) write_components(items.next(), token);
  if (token.head) items.next() << "h'" << *token.head << "'";
}

void StreamRule::operator()(const RuleConcept& rule_concept) {
  out_ << rule_concept.name << attribute_printer(rule_concept.attributes);
  if (!rule_concept.nodes.empty()) {
    out_ << "[";
    visit_all(rule_concept.nodes);
    out_ << "]";
  }
}

void StreamRule::operator()(const RuleGroup& group) {
  if (group.negated) out_ << "!";
  out_ << "(";
  visit_all(group.nodes);
  out_ << ")";
  if (group.closure == "+" || group.closure == "*" || group.closure == "?") {
    out_ << group.closure;
  } else if (!group.closure.empty()) {
    out_ << "[" << group.closure << "]";
  }
}

void StreamRule::operator()(const RuleOperator& op) {
  const char* text = operator_text(op);
  out_ << (text == nullptr ? ">>" : text);
}

// ---------------------------------------------------------------------------
// Spaced form.

void PrintRule::operator()(const Rule& rule) { (*this)(rule.capture); }

void PrintRule::operator()(const RuleCapture& capture) {
  out_ << "{ ";
  visit_all(capture.nodes);
  out_ << "}= " << capture.assignment.uri();
  print_attributes(out_, capture.assignment.attributes());
  out_ << " ";
}

void PrintRule::operator()(const RuleToken& token) {
  print_kav_token(out_, token);
  out_ << " ";
}

void PrintRule::operator()(const RuleConcept& rule_concept) {
  out_ << rule_concept.name;
  print_attributes(out_, rule_concept.attributes);
  const bool bracketed = !rule_concept.nodes.empty();
  if (bracketed) out_ << "[";
  out_ << " ";
  visit_all(rule_concept.nodes);
  if (bracketed) out_ << "]";
  out_ << " ";
}

void PrintRule::operator()(const RuleGroup& group) {
  if (group.negated) out_ << "!";
  out_ << "( ";
  visit_all(group.nodes);
  out_ << ")";
  if (!group.closure.empty()) {
    const char first = group.closure[0];
    if (first == '*' || first == '+' || first == '?') {
      out_ << group.closure;
    } else {
      out_ << "{" << group.closure << "}";
    }
  }
  out_ << " ";
}

void PrintRule::operator()(const RuleOperator& op) {
  const char* text = operator_text(op);
  if (text == nullptr) {
    out_ << " ";
  } else {
    out_ << text << " ";
  }
}

// ---------------------------------------------------------------------------

std::string make_id(const RuleConcept& rule_concept) { return rule_concept.name; }

std::string make_id(const RuleCapture& capture) { return capture.assignment.uri(); }

std::string make_id(const RuleToken& token) { return identity(compact(token)); }

std::string make_id(const Rule& rule) { return identity(compact(rule)); }

std::ostream& operator<<(std::ostream& out, const Rule& rule) {
  StreamRule printer(out);
  printer(rule);
  return out;
}

std::ostream& operator<<(std::ostream& out, const RuleToken& token) {
  StreamRule printer(out);
  printer(token);
  return out;
}

std::ostream& operator<<(std::ostream& out, const RuleConcept& rule_concept) {
  return out << rule_concept.name << attribute_printer(rule_concept.attributes);
}

std::ostream& operator<<(std::ostream& out, const RuleCapture& capture) {
  return out << capture.assignment.uri();
}

std::ostream& ast_print(std::ostream& out, const Rule& rule) {
  PrintRule printer(out);
  printer(rule);
  return out;
}

std::ostream& print_kav_token(std::ostream& out, const RuleToken& token) {
  ItemWriter items(out);
  if (token.literal) items.next() << '"' << *token.literal << '"';
  if (token.stem) items.next() << "'" << *token.stem << "'";
  if (token.pos) items.next() << *token.pos;
  for (const std::string& property : token.properties) items.next() << "+" << property;
  if (!token.components.empty()) write_components(items.next(), token);
  if (token.head) items.next() << "h'" << *token.head << "'";
  if (!items.any()) out << "<>";
  return out;
}

std::ostream& print_attributes(std::ostream& out, const AttributeList& attributes) {
  if (attributes.empty()) return out;
  out << "@(";
  const char* separator = "";
  for (const auto& [key, value] : attributes) {
    out << separator << key << "=" << value;
    separator = ",";
  }
  return out << ")";
}

void tab(int n) {
  for (int i = 0; i < n; ++i) std::cout << ' ';
}

}  // namespace compiler
}  // namespace zel
