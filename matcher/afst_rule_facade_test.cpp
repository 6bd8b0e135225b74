#include "matcher/afst_rule_facade.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "matcher/afst_matcher.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {
namespace {

using testing::ScratchDomain;
using Ids = std::optional<std::vector<uint32_t>>;

TEST(AfstRuleFacade, TopLevelIdsOfTheBitsetAttributes) {
  const std::vector<std::pair<std::string, Ids>> cases = {
      {R"({"tlb":[]})", std::nullopt},
      {R"({"tlb":[2415919104]})", std::nullopt},
      {R"({"tlb":[5,9,5]})", Ids(std::vector<uint32_t>{5, 9, 5})},
      {R"({"tlb":[2415919104,5]})", Ids(std::vector<uint32_t>{0x90000000u, 5})},
      {R"({"tlb":[4294967295]})", Ids(std::vector<uint32_t>{0xFFFFFFFFu})},
      {"not json", std::nullopt},
      {"", std::nullopt},
      {R"({"other":[5]})", std::nullopt},
      {R"([5])", std::nullopt},
      {R"({"tlb":5})", std::nullopt},
      {R"({"tlb":"5"})", std::nullopt},
      {R"({"tlb":true})", std::nullopt},
      {R"({"tlb":null})", std::nullopt},
      {R"({"tlb":{"a":5}})", std::nullopt},
      {R"({"tlb":[5,"x"]})", std::nullopt},
      {R"({"tlb":[5,-1]})", std::nullopt},
      {R"({"tlb":[5,1.5]})", std::nullopt},
      {R"({"tlb":[4294967296]})", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ScratchDomain d("rule text=r\n  path TK:1\n  tlb_text " + c.first + "\n");
    const RuleFacade rule(d.db(), d.rule(0), {});
    EXPECT_EQ(rule.top_level_ids(), c.second);
    EXPECT_EQ(rule.has_top_level_id(), c.second.has_value());
  }
}

TEST(AfstRuleFacade, ContainsTopLevelIdSearchesTheList) {
  ScratchDomain d(
      "rule text=r\n  path TK:1\n  tlb TK:5 CNCPT:9\n"
      "rule text=s\n  path TK:1\n  tlb ANYTK\n");
  const RuleFacade listed(d.db(), d.rule(0), {});
  EXPECT_TRUE(listed.contains_top_level_id(0x10000005u));
  EXPECT_TRUE(listed.contains_top_level_id(0x20000009u));
  EXPECT_FALSE(listed.contains_top_level_id(5u));
  const RuleFacade anywhere(d.db(), d.rule(1), {});
  EXPECT_FALSE(anywhere.contains_top_level_id(0x90000000u));
}

TEST(AfstRuleFacade, KeepsTheRuleNetworkAndMakesAFreshMatcherPerCall) {
  ScratchDomain d("rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n");
  RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_EQ(rule.network()->fst().NumStates(), 4);
  EXPECT_EQ(rule.kind(), 1u);
  auto first = rule.get_matcher();
  auto second = rule.get_matcher();
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, second);
  EXPECT_NE(dynamic_cast<AfstMatcher*>(first.get()), nullptr);
}

}  // namespace
}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
