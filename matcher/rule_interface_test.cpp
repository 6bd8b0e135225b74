#include "matcher/rule_interface.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "matcher/afst_rule_facade.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::ScratchDomain;

// The pre-test of a rule whose bitset transducer is given by `bitset`
// (lines of the rule block) for a sentence holding `ids`.
// The rule itself, X: ( 'a' ), is not consulted.
bool candidate(const std::string& bitset, const std::set<uint32_t>& ids) {
  ScratchDomain d("rule text=r\n  path TK:1\n" + bitset);
  matcher::afst::RuleFacade rule(d.db(), d.rule(0), {});
  Sentence sentence(0, 1);
  sentence.ids = ids;
  return rule.is_candidate(&sentence);
}

constexpr uint32_t tk(uint32_t id) { return 0x10000000u | id; }
constexpr uint32_t cncpt(uint32_t id) { return 0x20000000u | id; }

TEST(RulePreTest, FollowsArcsWhoseLabelsTheSentenceHolds) {
  struct Case {
    const char* what;
    std::string bitset;
    std::set<uint32_t> ids;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"final start state, empty set", "", {}, true},
      {"no start state", "  bitset arc 0 1 RAW:7\n  bitset final 1\n  bitset start none\n",
       {7}, false},
      {"arc 7 into a final state, set holds 7", "  bitset path RAW:7\n", {7, 9}, true},
      {"arc 7 into a final state, set lacks 7", "  bitset path RAW:7\n", {9}, false},
      {"both ids of a path", "  bitset path TK:3 CNCPT:2\n", {tk(3), cncpt(2)}, true},
      {"one id of a path", "  bitset path TK:3 CNCPT:2\n", {tk(3)}, false},
      {"kind bits count", "  bitset path TK:3\n", {cncpt(3)}, false},
      {"epsilon is a label like any other", "  bitset path EPS TK:3\n", {tk(3)}, false},
      {"epsilon in the set", "  bitset path EPS TK:3\n", {0, tk(3)}, true},
      {"second alternative",
       "  bitset arc 0 1 TK:1\n  bitset arc 0 2 TK:2\n  bitset arc 1 3 TK:4\n"
       "  bitset arc 2 3 TK:5\n  bitset final 3\n",
       {tk(2), tk(5)}, true},
      {"a cycle without a way out",
       "  bitset arc 0 1 TK:1\n  bitset arc 1 0 TK:2\n  bitset arc 1 2 TK:3\n"
       "  bitset final 2\n",
       {tk(1), tk(2)}, false},
      {"out of a cycle",
       "  bitset arc 0 1 TK:1\n  bitset arc 1 0 TK:2\n  bitset arc 1 2 TK:3\n"
       "  bitset final 2\n",
       {tk(1), tk(2), tk(3)}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(candidate(c.bitset, c.ids), c.expected) << c.what;
  }
}

// A chain of `layers` diamonds (two arcs, labels 1 and 2, from each state to
// the next) after the start state's first arc, ending in a dead state; the
// start state's second arc leads to the final state.
std::string diamonds_before_the_way_out(int layers) {
  std::string text = "  bitset arc 0 2 TK:9\n";
  for (int i = 0; i < layers; ++i) {
    const std::string from = std::to_string(2 + i);
    const std::string to = std::to_string(3 + i);
    text += "  bitset arc " + from + " " + to + " TK:1\n";
    text += "  bitset arc " + from + " " + to + " TK:2\n";
  }
  text += "  bitset arc 0 1 TK:8\n  bitset final 1\n";
  return text;
}

TEST(RulePreTest, SharedStatesAreWalkedOnceSoAReachableFinalIsAlwaysFound) {
  // 2^20 paths through the diamonds: a walk that follows every path (or
  // gives up after a budget of steps) never reaches the start's second arc.
  EXPECT_TRUE(candidate(diamonds_before_the_way_out(20), {tk(1), tk(2), tk(8), tk(9)}));
  EXPECT_FALSE(candidate(diamonds_before_the_way_out(20), {tk(1), tk(2), tk(9)}));
}

TEST(RulePreTest, ALongPathHasNoStepBudget) {
  std::string path = "  bitset path";
  for (int i = 0; i < 12000; ++i) path += " TK:1";
  EXPECT_TRUE(candidate(path + "\n", {tk(1)}));
}

TEST(RulePreTest, BitsetNetworkIsSharedWithTheRule) {
  ScratchDomain d("rule text=r\n  path TK:1\n  bitset path TK:1\n");
  matcher::afst::RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_EQ(rule.bitset_fsm()->fst().NumStates(), 2);
  EXPECT_EQ(rule.bitset_attributes(), R"({"tlb":[]})");
  EXPECT_EQ(get_fsm_bitset(d.db(), d.rule(0)).first, R"({"tlb":[]})");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
