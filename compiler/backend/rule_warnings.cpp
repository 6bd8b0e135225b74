#include "compiler/backend/rule_warnings.h"

#include "compiler/parser/diagnostics.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {
namespace warnings {

namespace {

constexpr char kLiteralQuote = '"';
constexpr char kStemQuote = '\'';
constexpr unsigned char kNoQuote = 0xFF;

// Anything on a token beyond its literal and stem.
bool has_more_than_text(const ast::node::RuleToken& token) {
  return token.pos || !token.properties.empty() || !token.components.empty() || token.head ||
         token.length || !token.closure.empty();
}

bool is_internal_name(const std::string& name) { return !name.empty() && name[0] == '$'; }

}  // namespace

// Counts the tokens of a group that stand one operator apart, depth first
// through captures, groups and the inner patterns of concept references,
// and notes whether all counted tokens are bare literals or all bare stems.
class TokenCounter : public ast::Visitor<TokenCounter, true> {
 public:
  using ast::Visitor<TokenCounter, true>::operator();

  void operator()(const ast::node::RuleOperator&) { ++operators; }

  void operator()(const ast::node::RuleToken& token) {
    if (count == 0) {
      if (token.literal) quote = kLiteralQuote;
      if (token.stem) quote = kStemQuote;
      count = 1;
      if (has_more_than_text(token)) mixed = true;
      return;
    }
    // Only a token one operator after the last counted one is counted.
    if (count != operators) return;
    ++count;
    if (quote == kNoQuote) return;
    if ((quote == kLiteralQuote && token.stem) || (quote == kStemQuote && token.literal) ||
        has_more_than_text(token)) {
      mixed = true;
    }
  }

  // Whether the counted tokens form a list the author could fold into one
  // literal or stem. A list whose first token has neither a literal nor a
  // stem has no quote to show the folded form with, and is left alone.
  bool is_foldable_list() const {
    return count > 2 && !mixed && operators == count - 1 && quote != kNoQuote;
  }

  std::int32_t count = 0;
  std::int32_t operators = 0;
  unsigned char quote = kNoQuote;
  bool mixed = false;
};

// The walk over a rule's body. Concept references are not entered.
class Collector : public ast::Visitor<Collector, true> {
 public:
  Collector(std::int32_t line, const std::vector<std::string>& namespaces)
      : line(line), namespaces(namespaces) {}

  using ast::Visitor<Collector, true>::operator();

  void operator()(const ast::node::RuleToken&) { ++others; }
  void operator()(const ast::node::RuleOperator&) { ++others; }

  void operator()(const ast::node::RuleConcept& rule_concept) {
    concepts.push_back(&rule_concept);
    weight += rule_concept.nodes.empty() ? 1 : 2;
  }

  void operator()(const ast::node::RuleGroup& group) {
    if (enter(group)) visit_all(group.nodes);
  }

  void operator()(const ast::node::RuleCapture& capture) {
    visit_all(capture.nodes);
    if (!is_internal_name(capture.assignment.uri())) captures.push_back(&capture);
  }

  // Counts the group and reports a code-8 warning when it lists three or
  // more bare literals or bare stems; true: the walk goes on into it.
  bool enter(const ast::node::RuleGroup& group) const {
    ++others;
    if (group.nodes.size() <= 2) return true;
    TokenCounter counter;
    for (const ast::node::RuleNode& child : group.nodes) counter.visit(child);
    if (counter.is_foldable_list()) {
      const std::string q(1, static_cast<char>(counter.quote));
      compiler_warning(" Try reducing the or statement in the literal or stem. ex: " + q +
                           "(w1|w2|w3)" + q + " instead of (" + q + "w1" + q + "|" + q + "w2" +
                           q + "|" + q + "w3" + q + ")",
                       line, 0, kGroupAlternativesCode);
    }
    return true;
  }

  // 1 per concept reference, 2 for one with an inner pattern.
  std::int32_t weight = 0;
  std::vector<const ast::node::RuleConcept*> concepts;
  // Named captures (not those named "$..."), in the order their walk ends.
  std::vector<const ast::node::RuleCapture*> captures;
  // Tokens, operators and groups.
  mutable std::int32_t others = 0;
  const std::int32_t line;
  const std::vector<std::string>& namespaces;
};

namespace {

// A rule that only names one concept reference anew, outside every
// namespace, is better written as an "on" statement with a map.
void warn_on_statement(const Collector& collector) {
  if (!collector.namespaces.empty() || collector.weight != 1 || collector.others != 0 ||
      collector.concepts.size() != 1 || collector.captures.size() != 1) {
    return;
  }
  compiler_warning(" Use a 'on' statement:  'on " + collector.concepts.front()->name +
                       ":{ map = [ " + collector.captures.front()->assignment.uri() + " ]};'",
                   collector.line, 0, kOnStatementCode);
}

}  // namespace

void check_for_warning(const ast::node::Rule& rule, const std::vector<std::string>& namespaces) {
  Collector collector(rule.line, namespaces);
  collector(rule);
  if (!is_internal_name(rule.capture.assignment.uri())) {
    collector.captures.push_back(&rule.capture);
  }
  warn_on_statement(collector);
}

}  // namespace warnings
}  // namespace compiler
}  // namespace zel
