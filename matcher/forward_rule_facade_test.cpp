#include "matcher/forward_rule_facade.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/forward_matcher.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

using testing::ScratchDomain;

TEST(ForwardRuleFacade, AnyTokenFirstStartsAtEveryTokenAndNoConcept) {
  // X: ( _ 'be' );  the capture begin and an attribute test come first
  ScratchDomain d("rule text=r rt=2\n  path CAPBEG:1 ATT@a=\"b\" ANYTK TK:4 CAPEND:1\n");
  const RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_EQ(rule.top_level_id(), 0x90000000u);
  EXPECT_FALSE(rule.has_top_level_id());
  for (uint32_t id : {0u, 0x10000000u, 0x10000004u, 0x90000000u, 0x0FFFFFFFu}) {
    EXPECT_TRUE(rule.contains_top_level_id(id)) << std::hex << id;
  }
  for (uint32_t id : {0x20000000u, 0x20000003u, 0x30000001u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(rule.contains_top_level_id(id)) << std::hex << id;
  }
  EXPECT_EQ(rule.short_list().size(), 2u);
  EXPECT_EQ(rule.full_list().size(), 5u);
}

TEST(ForwardRuleFacade, AnyOtherFirstStepIsTheOnlyStart) {
  // X: [City] 'be';
  ScratchDomain d("concept City\nrule text=r rt=2\n  path CAPBEG:1 CNCPT:City TK:4 CAPEND:1\n");
  const RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_EQ(rule.top_level_id(), 0x20000001u);
  EXPECT_TRUE(rule.has_top_level_id());
  EXPECT_TRUE(rule.contains_top_level_id(0x20000001u));
  EXPECT_FALSE(rule.contains_top_level_id(0x10000004u));
  EXPECT_FALSE(rule.contains_top_level_id(1u));
  EXPECT_EQ(rule.kind(), 2u);
}

TEST(ForwardRuleFacade, LeadingGapsAndMarkersArePassedOver) {
  // X: .. [City] 'be';  X: ( .. ) @m=1 _ 'be';  X: 'be' ..;
  ScratchDomain d(
      "concept City\n"
      "rule text=r rt=2\n  path CAPBEG:1 SHRTMATCH SHRTMATCH CNCPT:City TK:4 CAPEND:1\n"
      "rule text=s rt=2\n  path CAPBEG:1 CAPBEG:2 SHRTMATCH CAPEND:2 @m=1 ANYTK TK:4 CAPEND:1\n"
      "rule text=t rt=2\n  path CAPBEG:1 TK:4 SHRTMATCH CAPEND:1\n"
      "rule text=u rt=2\n  path CAPBEG:1 CAPBEG:2 CAPEND:2 @m=1 TK:4 CAPEND:1\n");
  const RuleFacade concept_first(d.db(), d.rule(0), {});
  EXPECT_EQ(concept_first.top_level_id(), 0x20000001u);
  EXPECT_TRUE(concept_first.starts_with_gap());
  const RuleFacade any_first(d.db(), d.rule(1), {});
  EXPECT_EQ(any_first.top_level_id(), 0x90000000u);
  EXPECT_FALSE(any_first.has_top_level_id());
  EXPECT_TRUE(any_first.starts_with_gap());
  const RuleFacade gap_later(d.db(), d.rule(2), {});
  EXPECT_EQ(gap_later.top_level_id(), 0x10000004u);
  EXPECT_FALSE(gap_later.starts_with_gap());
  const RuleFacade marker_first(d.db(), d.rule(3), {});
  EXPECT_EQ(marker_first.top_level_id(), 0x10000004u);
  EXPECT_FALSE(marker_first.starts_with_gap());
}

TEST(ForwardRuleFacade, RefusesWhatTheForwardMatcherCannotWalk) {
  const std::string tail = "; the forward matcher cannot run it.";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"path CAPBEG:1 CAPEND:1", "has no step that consumes input other than gaps and markers"},
      {"path CAPBEG:1 SHRTMATCH CAPEND:1 @m=1", "has no step that consumes input other than gaps and markers"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ScratchDomain d("rule text=r rt=2\n  " + c.first + "\n");
    EXPECT_EQ(zel::testing::message_of([&] { RuleFacade(d.db(), d.rule(0), {}); }),
              "The compiled rule record \"" + d.rule(0) + "\" " + c.second + tail);
  }
  // States out of path order (written without the rule type, which the
  // writer keeps for paths).
  ScratchDomain d("rule text=r\n  arc 0 2 TK:1\n  arc 1 3 TK:3\n  arc 2 1 TK:2\n  final 3\n");
  EXPECT_EQ(zel::testing::message_of([&] { RuleFacade(d.db(), d.rule(0), {}); }),
            "The compiled rule record \"" + d.rule(0) +
                "\" is not a single path whose states are numbered in path order" + tail);
}

TEST(ForwardRuleFacade, MakesForwardMatchers) {
  ScratchDomain d("rule text=r rt=2\n  path TK:1\n");
  RuleFacade rule(d.db(), d.rule(0), {});
  auto m = rule.get_matcher();
  EXPECT_NE(dynamic_cast<ForwardMatcher*>(m.get()), nullptr);
  EXPECT_NE(rule.get_matcher(), m);
}

}  // namespace
}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
