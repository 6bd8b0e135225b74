#include "matcher/make_rule.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/forward_rule_facade.h"

// The level is read once when the library loads, so these tests answer for
// the value the process started with; CTest runs them again with
// KAVERO_OPTIMIZATION_LEVEL unset, "0" and "3".

namespace zel {
namespace kavero {
namespace {

using testing::ScratchDomain;

// What the environment says the level is.
int32_t level_from_environment() {
  const char* value = std::getenv("KAVERO_OPTIMIZATION_LEVEL");
  return value == nullptr ? 1 : static_cast<int32_t>(std::strtol(value, nullptr, 10));
}

TEST(MakeRule, LevelIsTheEnvironmentsAtLoad) {
  EXPECT_EQ(KAVERO_OPTIMIZATION_LEVEL, level_from_environment());
}

// Which class make_rule chose: 1 afst, 2 forward.
unsigned long kind_of(const std::shared_ptr<RuleInterface>& rule) {
  if (dynamic_cast<matcher::forward::RuleFacade*>(rule.get()) != nullptr) return 2;
  if (dynamic_cast<matcher::afst::RuleFacade*>(rule.get()) != nullptr) return 1;
  return 0;
}

TEST(MakeRule, RuleTypeTwoRunsForwardUnlessTheLevelIsZero) {
  // X: [ 'be' ];  written with every rule type
  ScratchDomain d(
      "rule text=absent rt=none\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=one rt=1\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=two rt=2\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=text rt=x2\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=lead rt=2abc\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      // X: ( );  capture marks only: nothing to start a forward match from
      "rule text=marks rt=2\n  path CAPBEG:1 CAPEND:1\n");
  const bool forward = KAVERO_OPTIMIZATION_LEVEL != 0;
  const std::vector<std::pair<size_t, unsigned long>> cases = {
      {0, 1}, {1, 1}, {2, forward ? 2u : 1u}, {3, 1}, {4, forward ? 2u : 1u}, {5, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(d.rule(c.first));
    auto rule = make_rule(d.db(), d.rule(c.first), d.attributes(c.first));
    EXPECT_EQ(kind_of(rule), c.second);
    EXPECT_EQ(static_cast<RuleBaseFacade*>(rule.get())->kind(), c.second);
    EXPECT_EQ(rule->id(), d.rule(c.first));
  }
}

TEST(MakeRule, TheForwardMatcherGetsOnlyPathsInStateOrder) {
  // Written without a rule type; make_rule is given "rt=2".
  ScratchDomain d(
      "rule text=in_order\n  arc 0 1 TK:1\n  arc 1 2 TK:2\n  final 2\n"
      "rule text=start_last\n  arc 2 0 TK:1\n  arc 0 1 TK:2\n  final 1\n  start 2\n"
      "rule text=out_of_order\n  arc 0 2 TK:1\n  arc 1 3 TK:3\n  arc 2 1 TK:2\n  final 3\n"
      "rule text=branch\n  arc 0 1 TK:1\n  arc 0 1 TK:2\n  final 1\n"
      "rule text=cycle\n  arc 0 1 TK:1\n  arc 1 0 TK:2\n  final 1\n"
      "rule text=gap_only\n  path CAPBEG:1 SHRTMATCH CAPEND:1\n");
  const unsigned long forward = KAVERO_OPTIMIZATION_LEVEL != 0 ? 2 : 1;
  const std::vector<unsigned long> expected = {forward, forward, 1, 1, 1, 1};
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(d.rule(i));
    EXPECT_EQ(kind_of(make_rule(d.db(), d.rule(i), "rt=2")), expected[i]);
  }
}

TEST(MakeRule, AttributesAreThoseGivenInTextOrder) {
  ScratchDomain d("rule text=r\n  path TK:1\n");
  auto rule = make_rule(d.db(), d.rule(0), "a=1;rt=1;a=2;;debug_info=x:3");
  EXPECT_EQ(rule->attribute("a"), "1");
  EXPECT_EQ(rule->attribute("debug_info"), "x:3");
  EXPECT_EQ(rule->attribute("missing"), "");
  const AttributeList expected = {{"a", "1"}, {"rt", "1"}, {"a", "2"}, {"debug_info", "x:3"}};
  EXPECT_EQ(static_cast<RuleBaseFacade*>(rule.get())->attributes(), expected);
}

TEST(MakeRule, MissingOrUnreadableRecordsFailTheLoadByName) {
  const std::string id = testing::rule_record_name({}, "src_", 1, "", "r");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"omit rule_" + id,
       "The compiled rule record \"rule_" + id + "\" is missing."},
      {"garble rule_" + id,
       "The compiled rule record \"rule_" + id + "\" holds no readable transducer."},
      {"omit bitset_" + id,
       "The compiled rule record \"bitset_" + id + "\" is missing."},
      {"garble bitset_" + id,
       "The compiled rule record \"bitset_" + id + "\" holds no readable transducer."},
  };
  for (const std::string rt : {"1", "2"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(rt + " " + c.first);
      ScratchDomain d("rule text=r rt=" + rt + "\n  path TK:1\n" + c.first + "\n");
      EXPECT_EQ(zel::testing::message_of([&] { make_rule(d.db(), d.rule(0), d.attributes(0)); }),
                c.second);
    }
  }
}

TEST(MakeRule, ANameShorterThanTheRulePrefixIsOutOfRange) {
  ScratchDomain d("");
  EXPECT_THROW(make_rule(d.db(), "rul", ""), std::out_of_range);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
