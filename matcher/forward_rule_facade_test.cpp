#include "matcher/forward_rule_facade.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "matcher/compiled_domain_testutil.h"

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

TEST(ForwardRuleFacade, APathWithoutAConsumingStepIsRefused) {
  ScratchDomain d("rule text=r rt=2\n  path CAPBEG:1 CAPEND:1\n");
  EXPECT_EQ(zel::testing::message_of([&] { RuleFacade(d.db(), d.rule(0), {}); }),
            "The compiled rule record \"" + d.rule(0) +
                "\" has no step that consumes input; the forward matcher cannot run it.");
}

TEST(ForwardRuleFacade, HasNoMatcherYet) {
  ScratchDomain d("rule text=r rt=2\n  path TK:1\n");
  RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_EQ(zel::testing::message_of([&] { rule.get_matcher(); }),
            "The forward matcher of rule \"" + d.rule(0) + "\" is not available yet.");
}

}  // namespace
}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
