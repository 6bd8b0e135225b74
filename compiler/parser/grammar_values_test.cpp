#include "compiler/parser/grammar_values.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::RuleNodes;
using ast::node::RuleOperator;
using ast::node::RuleToken;

RuleOperator op(RuleOperator::Type type) {
  RuleOperator result;
  result.type = type;
  return result;
}

TEST(GrammarValues, AttributeValueWithoutKey) {
  EXPECT_EQ(make_attribute_value("f\"{this.x}\""),
            (std::pair<std::string, std::string>("__json__", "f\"{this.x}\"")));
}

TEST(GrammarValues, GroupOperatorsMustNotMix) {
  Blackboard blackboard(std::make_shared<Options>());
  BlackboardBinding binding(&blackboard);
  struct Case {
    RuleNodes nodes;
    bool ok;
  };
  const Case cases[] = {
      {{}, true},
      {{RuleToken(), op(RuleOperator::pipe), RuleToken(), op(RuleOperator::pipe)}, true},
      // Adjacency is no operator of its own.
      {{op(RuleOperator::adjacent), op(RuleOperator::percent), op(RuleOperator::adjacent)}, true},
      {{op(RuleOperator::pipe), RuleToken(), op(RuleOperator::percent)}, false},
      {{op(RuleOperator::double_percent), op(RuleOperator::triple_percent)}, false},
  };
  for (const auto& c : cases) {
    results::sinks().reset();
    EXPECT_EQ(check_group_operators(c.nodes), c.ok);
    EXPECT_EQ(results::has_errors(), !c.ok);
  }
  EXPECT_EQ(results::sinks().begin()->second.at(0).message,
            "Cannot mix operators in a group '()'");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
