#include "matcher/forward_states.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core-afst/serialization.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

using testing::ScratchDomain;

// "type/index" of every step, hexadecimal.
std::string steps(const std::vector<State>& list) {
  std::string out;
  char step[32];
  for (const State& s : list) {
    snprintf(step, sizeof step, "%x/%x ", s.type, s.index);
    out += step;
  }
  return out;
}

TEST(CollectStates, ShortListLeavesOutCaptureAndAttributeSteps) {
  // X: ( [City @name="a"] 'go' [+cap] ) @m ;  as one path
  ScratchDomain d(
      "concept City\n"
      "rule text=r rt=2\n"
      "  path CAPBEG:7 CNCPT:City ATT@name=\"a\" TK:5 PROP+cap CAPEND:7 @m=1 SHRTMATCH ANYTK\n");
  const CollectedStates states =
      collect_states(zel::afst::serialization::get_fsm(d.db(), d.rule(0)));
  // Symbol keys: "0x60000007" 2, "0x20000001" 3, ATT 4, "0x10000005" 5,
  // PROP 6, "0x70000007" 7, marker 8.
  EXPECT_EQ(steps(states.full_list),
            "60000000/7 20000000/1 50000000/4 10000000/5 a0000000/6 70000000/7 8/0 "
            "80000000/0 90000000/0 ");
  EXPECT_EQ(steps(states.short_list), "20000000/1 10000000/5 a0000000/6 8/0 80000000/0 90000000/0 ");
  EXPECT_EQ(states.short_list.front().arc.ilabel, static_cast<int>(CNCPT | 1u));
  EXPECT_EQ(states.full_list.back().arc.nextstate, 9);
}

TEST(CollectStates, StartStateFirstThenTheOthersInIdOrder) {
  ScratchDomain d(
      "rule text=r\n"
      "  arc 2 0 TK:1\n"
      "  arc 0 1 TK:2\n"
      "  arc 1 3 TK:3\n"
      "  final 3\n"
      "  start 2\n"
      "rule text=none\n"
      "  arc 0 1 TK:1\n"
      "  start none\n");
  const CollectedStates states =
      collect_states(zel::afst::serialization::get_fsm(d.db(), d.rule(0)));
  EXPECT_EQ(steps(states.full_list), "10000000/1 10000000/2 10000000/3 ");
  const CollectedStates none =
      collect_states(zel::afst::serialization::get_fsm(d.db(), d.rule(1)));
  EXPECT_TRUE(none.full_list.empty());
  EXPECT_TRUE(none.short_list.empty());
}

TEST(CollectStates, TheVisitorCollectsTheSameLists) {
  ScratchDomain d(
      "rule text=r\n"
      "  arc 2 0 CAPBEG:1\n  arc 0 1 TK:2\n  arc 0 3 ATT@a=1\n  arc 1 3 @m=1\n  final 3\n"
      "  start 2\n");
  auto network = zel::afst::serialization::get_fsm(d.db(), d.rule(0));
  CollectedStates visited;
  CollectorData(network.get(), &visited).travers();
  const CollectedStates collected = collect_states(network);
  EXPECT_EQ(steps(visited.full_list), steps(collected.full_list));
  EXPECT_EQ(steps(visited.short_list), steps(collected.short_list));
  EXPECT_EQ(steps(visited.full_list), "60000000/1 10000000/2 50000000/4 5/0 ");
}

TEST(CollectStates, PathInStateOrder) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"  path CAPBEG:1 TK:1 CAPEND:1\n", true},
      {"  arc 2 0 TK:1\n  arc 0 1 TK:2\n  final 1\n  start 2\n", true},
      // A state without arcs may stand anywhere in the numbering.
      {"  arc 0 2 TK:1\n  arc 2 1 TK:2\n  final 1\n", true},
      {"  arc 0 2 TK:1\n  arc 1 3 TK:3\n  arc 2 1 TK:2\n  final 3\n", false},
      {"  arc 0 1 TK:1\n  arc 0 1 TK:2\n  final 1\n", false},
      {"  arc 0 1 TK:1\n  arc 1 0 TK:2\n  final 1\n", false},
      // The start state has no arc, another state has.
      {"  arc 1 2 TK:1\n  final 2\n", false},
      {"  arc 0 1 TK:1\n  arc 2 3 TK:2\n  final 3\n", false},
      {"  arc 0 1 TK:1\n  start none\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ScratchDomain d("rule text=r\n" + c.first);
    EXPECT_EQ(is_path_in_state_order(*zel::afst::serialization::get_fsm(d.db(), d.rule(0))),
              c.second);
  }
}

}  // namespace
}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
