#include "compiler/parser/grammar_values.h"

#include <boost/variant/get.hpp>

#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {

std::pair<std::string, std::string> make_attribute_value(const std::string& text) {
  return {"__json__", text};
}

bool check_group_operators(const ast::node::RuleNodes& nodes) {
  using ast::node::RuleOperator;
  RuleOperator::Type first = RuleOperator::adjacent;
  for (const auto& node : nodes) {
    const auto* op = boost::get<RuleOperator>(&node);
    if (op == nullptr || op->type == RuleOperator::adjacent) continue;
    if (first == RuleOperator::adjacent) {
      first = op->type;
    } else if (op->type != first) {
      compiler_error("Cannot mix operators in a group '()'", -1, 0, std::string(), 0);
      return false;
    }
  }
  return true;
}

}  // namespace compiler
}  // namespace zel
