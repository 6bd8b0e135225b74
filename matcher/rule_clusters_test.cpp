#include "matcher/rule_clusters.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {
namespace {

TEST(RuleClusters, IdsOfTheClusterTable) {
  const std::vector<std::pair<std::string, unsigned>> cases = {
      {"conjecture", 1},     {"grammar", 2},   {"entities", 3}, {"instances", 4},
      {"anaphora", 5},       {"unknown_things", 6}, {"unnamed", 0xffff},
      {"", 0xff},            {"Grammar", 0xff}, {"people", 0xff},
  };
  for (const auto& c : cases) EXPECT_EQ(get_cluster_id(c.first), c.second) << c.first;
}

TEST(RuleClusters, RunOrderPutsAnaphoraLast) {
  EXPECT_EQ(rule_cluster, (std::vector<std::string>{"conjecture", "grammar", "entities",
                                                    "instances", "unknown_things", "anaphora"}));
}

TEST(RuleClusters, EveryNamespaceButConjecture) {
  EXPECT_EQ(all_namespace_except_conjecture,
            (std::set<std::string>{"anaphora", "entities", "grammar", "instances",
                                   "unknown_things", "unnamed"}));
  EXPECT_EQ(create_all_filters({}), std::set<std::string>{"unnamed"});
  EXPECT_EQ(create_all_filters({"a", "b", "a"}), (std::set<std::string>{"a", "b", "unnamed"}));
}

TEST(RuleCollection, TakesItsClusterIdFromItsNameAndItsKindFromItsClass) {
  const RuleCollection plain("grammar", "people");
  EXPECT_EQ(plain.cluster_id, 2u);
  EXPECT_EQ(plain.name, "grammar");
  EXPECT_EQ(plain.qualified_name, "people");
  EXPECT_EQ(plain.kind, kRuleCollectionId);
  EXPECT_FALSE(plain.last_in_cluster);
  EXPECT_TRUE(plain.rules.empty());

  const PriorityGroupRuleCollection group("unnamed", "p1");
  EXPECT_EQ(group.cluster_id, 0xffffu);
  EXPECT_EQ(group.kind, kPriorityGroupRuleCollectionId);
  // The domain keeps collections by value as the base.
  const RuleCollectionBase stored = group;
  EXPECT_EQ(stored.kind, kPriorityGroupRuleCollectionId);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
