#include "compiler/backend/multi_token_expansion.h"

#include <string>
#include <vector>

#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {
namespace detail {

namespace {

bool has_blank(const boost::optional<std::string>& text) {
  return text && text->find(' ') != std::string::npos;
}

void token_error(const ast::node::RuleToken& token, const std::string& message) {
  compiler_error(message, static_cast<int>(token.position.line()), 0, std::string(), 0);
}

// Expands the token at `index`; returns the index of the last node that
// now stands for it.
size_t expand_multi_token(ast::node::RuleNodes& nodes, size_t index) {
  const ast::node::RuleToken token = boost::get<ast::node::RuleToken>(nodes[index]);
  const bool split_literal = has_blank(token.literal);
  const bool split_stem = has_blank(token.stem);
  if (!split_literal && !split_stem) return index;
  const std::vector<std::string> literals =
      split_literal ? string::split_vector(*token.literal, ' ', true) : std::vector<std::string>();
  const std::vector<std::string> stems =
      split_stem ? string::split_vector(*token.stem, ' ', true) : std::vector<std::string>();
  if ((split_literal && literals.empty()) || (split_stem && stems.empty())) {
    token_error(token, "A token's literal or stem holds blanks only.");
    return index;
  }
  // Both split in step, word by word; a stem of other words than the
  // literal would go with the wrong word and never match.
  if (split_literal && split_stem && literals.size() != stems.size()) {
    token_error(token, "A token's literal and stem hold different numbers of words.");
    return index;
  }
  const size_t words = split_literal ? literals.size() : stems.size();
  ast::node::RuleNodes expanded;
  for (size_t k = 0; k < words; ++k) {
    ast::node::RuleToken word = token;
    if (split_literal) word.literal = literals[k];
    if (split_stem) word.stem = stems[k];
    if (words > 1) word.closure.clear();
    expanded.emplace_back(std::move(word));
  }
  if (words > 1 && !token.closure.empty()) {
    // The closure belongs to the words together: "New York"? is both or
    // neither, never "York" alone.
    ast::node::RuleGroup group;
    group.nodes = std::move(expanded);
    group.closure = token.closure;
    nodes[index] = std::move(group);
    return index;
  }
  nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(index));
  nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(index), expanded.begin(),
               expanded.end());
  return index + words - 1;
}

void visit(ast::node::RuleNodes& nodes) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    ast::node::RuleNode& node = nodes[i];
    if (boost::get<ast::node::RuleToken>(&node) != nullptr) {
      i = expand_multi_token(nodes, i);
    } else if (auto* group = boost::get<ast::node::RuleGroup>(&node)) {
      visit(group->nodes);
    } else if (auto* rule_concept = boost::get<ast::node::RuleConcept>(&node)) {
      visit(rule_concept->nodes);
    } else if (auto* capture = boost::get<ast::node::RuleCapture>(&node)) {
      visit(capture->nodes);
    }
  }
}

}  // namespace

void expand_multi_tokens(const ast::node::Rule& rule) {
  // The tree belongs to the caller's mutable list of statements.
  visit(const_cast<ast::node::Rule&>(rule).capture.nodes);
}

}  // namespace detail
}  // namespace compiler
}  // namespace zel
