#include "core-afst/builder.h"

#include <fst/log.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core-afst/network_paths_testutil.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace afst {
namespace {

using zel::testing::message_of;

using Paths = std::set<std::string>;
using zel::testing::accepted_paths;
using zel::testing::accepted_relations;

// A builder holding one finished rule of single-label arcs.
void add_rule(Builder& b, const std::vector<std::string>& labels) {
  b.open_rule();
  for (const auto& label : labels) b.pushArc(label);
  b.close_rule();
}

// The rule "a, then b or c, then d".
void add_abcd_rule(Builder& b) {
  b.open_rule();
  b.pushArc("a");
  b.open_group();
  b.pushArc("b");
  b.separator("union");
  b.pushArc("c");
  b.close_group("");
  b.pushArc("d");
  b.close_rule();
}

TEST(BuilderTest, FreshTablesHoldBothEpsilonsFirst) {
  Builder b;
  for (const auto& table : {b.lower_table(), b.upper_table()}) {
    EXPECT_EQ(table->NumSymbols(), 2u);
    EXPECT_EQ(table->Find("eps"), 0);
    EXPECT_EQ(table->Find("EPS"), 1);
  }
  EXPECT_EQ(b.lower_table()->Name(), "lower");
  EXPECT_EQ(b.upper_table()->Name(), "upper");
}

TEST(BuilderTest, AlternativeInsideARule) {
  Builder b;
  add_abcd_rule(b);
  const Paths expected = {"a b d -> a b d", "a c d -> a c d"};
  EXPECT_EQ(accepted_relations(*b.simple_copy()), expected);
  const fst::StdVectorFst* net = b.build(true);
  EXPECT_EQ(accepted_relations(*net), expected);
  // Optimised: the determinised, minimised, epsilon-free network of the
  // four-arc language, with the builder's tables.
  EXPECT_EQ(accepted_paths(*net), (Paths{"a b d", "a c d"}));
  EXPECT_EQ(net->NumStates(), 4);
  EXPECT_EQ(net->InputSymbols()->Name(), "lower");
  EXPECT_EQ(net->OutputSymbols()->Name(), "upper");
}

TEST(BuilderTest, KeysFollowFirstUsePerTable) {
  Builder b;
  b.open_rule();
  b.pushArc("a", "x");
  b.pushArc("x", "x");
  b.close_rule();
  EXPECT_EQ(b.lower_table()->Find("a"), 2);
  EXPECT_EQ(b.lower_table()->Find("x"), 3);
  EXPECT_EQ(b.upper_table()->Find("x"), 2);
  EXPECT_EQ(accepted_paths(*b.build(true)), (Paths{"a:x x"}));
}

TEST(BuilderTest, NestedGroupsWithModifiers) {
  // a ((b|c) d)* e?
  Builder b;
  b.open_rule();
  b.pushArc("a");
  b.open_group();
  b.open_group();
  b.pushArc("b");
  b.separator("union");
  b.pushArc("c");
  b.close_group("");
  b.pushArc("d");
  b.close_group("*");
  b.open_group();
  b.pushArc("e");
  b.close_group("?");
  b.close_rule();
  const Paths got = accepted_relations(*b.build(true), 5);
  const Paths expected = {
      "a -> a",           "a e -> a e",           "a b d -> a b d",
      "a c d -> a c d",   "a b d e -> a b d e",   "a c d e -> a c d e",
      "a b d b d -> a b d b d", "a b d c d -> a b d c d", "a c d b d -> a c d b d",
      "a c d c d -> a c d c d",
  };
  EXPECT_EQ(got, expected);
}

TEST(BuilderTest, EmptyAlternativesAndEmptyRulesAreDropped) {
  {
    Builder b;
    b.open_rule();
    b.open_group();
    b.pushArc("a");
    b.separator("union");
    b.close_group("");
    b.close_rule();
    EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"a -> a"}));
  }
  {
    Builder b;
    add_rule(b, {"a"});
    add_rule(b, {});
    add_rule(b, {"b", "c"});
    b.applyUnion(0);
    EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"a -> a", "b c -> b c"}));
  }
}

TEST(BuilderTest, UnionOfOneRuleChangesNothing) {
  Builder b;
  add_rule(b, {"a", "b"});
  b.applyUnion(0);
  EXPECT_EQ(accepted_paths(*b.simple_copy()), (Paths{"a b"}));
  ASSERT_EQ(b.roots().size(), 1u);
  EXPECT_EQ(b.roots()[0]->children.size(), 1u);
}

TEST(BuilderTest, UnionOfRulesKeepsTheFirstRule) {
  Builder b;
  add_rule(b, {"a"});
  add_rule(b, {"b"});
  add_rule(b, {"c"});
  b.applyUnion(0);
  ASSERT_EQ(b.roots()[0]->children.size(), 1u);
  EXPECT_EQ(b.current_item(), b.roots()[0]->children[0].get());
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"a -> a", "b -> b", "c -> c"}));
}

TEST(BuilderTest, ApplyUnionFromAnIndex) {
  Builder b;
  add_rule(b, {"a"});
  add_rule(b, {"b"});
  add_rule(b, {"c"});
  b.applyUnion(1);
  const auto& rules = b.roots()[0]->children;
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(b.current_item(), rules[1].get());
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"b -> b", "c -> c"}));
  // An index outside the group leaves everything as it was.
  b.applyUnion(5);
  b.applyUnion(-1);
  EXPECT_EQ(rules.size(), 2u);
}

TEST(BuilderTest, ClosureRanges) {
  struct Case {
    std::string name;
    std::function<void(Builder&)> apply;
    Paths expected;
  };
  const std::vector<Case> cases = {
      {"2..3", [](Builder& b) { b.closure(2, 3); }, {"a a -> a a", "a a a -> a a a"}},
      {"0..2", [](Builder& b) { b.closure(0, 2); }, {" -> ", "a -> a", "a a -> a a"}},
      {"0..0", [](Builder& b) { b.closure(0, 0); }, {" -> ", "a -> a"}},
      {"1..1", [](Builder& b) { b.closure(1, 1); }, {"a -> a"}},
      {"3", [](Builder& b) { b.closure(3u); }, {"a a a -> a a a"}},
      {"star", [](Builder& b) { b.closure(Builder::closure_star); },
       {" -> ", "a -> a", "a a -> a a", "a a a -> a a a"}},
      {"plus", [](Builder& b) { b.closure(Builder::closure_plus); },
       {"a -> a", "a a -> a a", "a a a -> a a a"}},
      {"optional", [](Builder& b) { b.closure(Builder::closure_optional); }, {" -> ", "a -> a"}},
      {"modifier 2,3", [](Builder& b) { b.closure_modifier("2,3"); },
       {"a a -> a a", "a a a -> a a a"}},
      {"modifier 3", [](Builder& b) { b.closure_modifier("3"); }, {"a a a -> a a a"}},
      {"modifier ?", [](Builder& b) { b.closure_modifier("?"); }, {" -> ", "a -> a"}},
      {"modifier +", [](Builder& b) { b.closure_modifier("+"); },
       {"a -> a", "a a -> a a", "a a a -> a a a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Builder b;
    b.open_rule();
    b.pushArc("a");
    c.apply(b);
    EXPECT_EQ(accepted_relations(*b.build(true), 3), c.expected);
  }
}

TEST(BuilderTest, ClosureOfAClosureKeepsEveryCountOfTheInnerOne) {
  // An inner closure ends in one final state per count it allows; an outer
  // range must go on from each of them, not only from the last state.
  struct Case {
    std::string name;
    std::function<void(Builder&)> apply;
    Paths expected;
  };
  const std::vector<Case> cases = {
      {"(a{1,2}){0,2}", [](Builder& b) { b.closure(1, 2); b.closure(0, 2); },
       {" -> ", "a -> a", "a a -> a a", "a a a -> a a a", "a a a a -> a a a a"}},
      {"(a{1,2}){2}", [](Builder& b) { b.closure(1, 2); b.closure(2u); },
       {"a a -> a a", "a a a -> a a a", "a a a a -> a a a a"}},
      {"(a?){2,3}", [](Builder& b) { b.closure(Builder::closure_optional); b.closure(2, 3); },
       {" -> ", "a -> a", "a a -> a a", "a a a -> a a a"}},
      {"(a{2,3})?", [](Builder& b) { b.closure(2, 3); b.closure(Builder::closure_optional); },
       {" -> ", "a a -> a a", "a a a -> a a a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Builder b;
    b.open_rule();
    b.pushArc("a");
    c.apply(b);
    EXPECT_EQ(accepted_relations(*b.build(true), 4), c.expected);
  }
}

TEST(BuilderTest, GroupOfOnlyEmptyAlternativesIsTheEmptySequence) {
  // x (|)<modifier> y: the group adds nothing whatever its modifier.
  for (const std::string modifier : {"", "?", "*", "+", "1,3", "0", "2"}) {
    SCOPED_TRACE(modifier);
    Builder b;
    b.open_rule();
    b.pushArc("x");
    b.open_group();
    b.separator("union");
    b.close_group(modifier);
    b.pushArc("y");
    b.close_rule();
    EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"x y -> x y"}));
  }
  // A network without any state is taken as the empty sequence by the
  // closures too.
  for (const auto& apply : std::vector<std::function<void(Builder&)>>{
           [](Builder& b) { b.closure(1, 3); }, [](Builder& b) { b.closure(0, 1); },
           [](Builder& b) { b.closure(Builder::closure_star); },
           [](Builder& b) { b.closure(Builder::closure_plus); }}) {
    Builder b;
    b.open_rule();
    b.simple_copy()->DeleteStates();
    apply(b);
    EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{" -> "}));
  }
}

TEST(BuilderTest, ClosureRangeErrors) {
  const std::string invalid = "ERROR: AFST Closure invalid_argument, could not convert value";
  const std::string above_limit_prefix = "ERROR: AFST Closure repetition count ";
  struct Case {
    std::string modifier;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"1,2,3", "ERROR: Invalid iterator type or range"},
      {"x", invalid},
      {"2,", invalid},
      {",2", invalid},
      {"", "ERROR: Invalid iterator type or range"},
      // A minus sign is refused, not wrapped around to a count near 2^64.
      {"-1", invalid},
      {"0,-1", invalid},
      {" -1", invalid},
      {"99999999999999999999999", "ERROR: AFST Closure out_of_range"},
      // Counts past the limit would exhaust memory; 4294967296 would also
      // wrap to 0 when cut to 32 bits.
      {"4294967295", above_limit_prefix + "4294967295 is above the limit of 1000"},
      {"4294967296", above_limit_prefix + "4294967296 is above the limit of 1000"},
      {"0,1001", above_limit_prefix + "1001 is above the limit of 1000"},
      {"3,2", "ERROR: first range should be bigger then the second value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.modifier);
    Builder b;
    b.open_rule();
    b.pushArc("a");
    const auto before = accepted_paths(*b.simple_copy());
    EXPECT_EQ(message_of([&] { b.closure_modifier(c.modifier); }), c.error);
    // Nothing changed.
    EXPECT_EQ(accepted_paths(*b.simple_copy()), before);
    EXPECT_EQ(b.simple_copy()->NumStates(), 2);
  }
}

TEST(BuilderTest, ClosureAtTheLimitStillBuilds) {
  Builder b;
  b.open_rule();
  b.pushArc("a");
  b.closure(Builder::kMaxRepetitions);
  EXPECT_EQ(message_of([&] { b.closure(0, Builder::kMaxRepetitions + 1); }),
            "ERROR: AFST Closure repetition count 1001 is above the limit of 1000");
  const fst::StdVectorFst* net = b.build(true);
  EXPECT_EQ(net->NumStates(), static_cast<int>(Builder::kMaxRepetitions) + 1);
}

TEST(BuilderTest, GroupClosedWithARangeModifier) {
  // (ab){2,3} then c
  Builder b;
  b.open_rule();
  b.open_group();
  b.pushArc("a");
  b.pushArc("b");
  b.close_group("2,3");
  b.pushArc("c");
  b.close_rule();
  EXPECT_EQ(accepted_relations(*b.build(true)),
            (Paths{"a b a b c -> a b a b c", "a b a b a b c -> a b a b a b c"}));
}

TEST(BuilderTest, UnorderedSeparatorIgnoresUnknownKinds) {
  Builder b;
  b.open_rule();
  b.open_group();
  b.pushArc("a");
  stack_item* member = b.current_item();
  b.unordered_separator("sideways");
  EXPECT_EQ(b.current_item(), member);
  EXPECT_EQ(member->parent->separator_type, "");
  EXPECT_EQ(member->parent->children.size(), 1u);
  b.unordered_separator("adjacent");
  EXPECT_EQ(member->parent->separator_type, "unordered:adjacent");
  EXPECT_EQ(member->parent->children.size(), 2u);
  EXPECT_EQ(b.current_item(), member->parent->children[1].get());
  EXPECT_TRUE(b.unorderit());
  EXPECT_FALSE(b.orit());
}

std::string hex(uint32_t label) { return zel::testing::label_text(nullptr, static_cast<int>(label)); }

TEST(BuilderTest, UnorderedGroupsOfTwo) {
  const std::string x = hex(kUnorderedShortestLabel);
  const std::string y = hex(kUnorderedLongestLabel);
  EXPECT_EQ(x, "0x80000000");
  EXPECT_EQ(y, "0x90000000");
  struct Case {
    std::string kind;
    Paths expected;
  };
  const std::vector<Case> cases = {
      {"adjacent", {"a b -> a b", "b a -> b a"}},
      {"shortest", {"a " + x + " b -> a b", "b " + x + " a -> b a"}},
      {"longest",
       {"a b -> a b", "a " + y + " b -> a b", "a " + y + " " + y + " b -> a b",
        "b a -> b a", "b " + y + " a -> b a", "b " + y + " " + y + " a -> b a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Builder b;
    b.open_rule();
    b.pushArc("s");
    b.open_group();
    b.pushArc("a");
    b.unordered_separator(c.kind);
    b.pushArc("b");
    b.close_group("");
    b.pushArc("e");
    b.close_rule();
    Paths inner;
    for (const auto& p : accepted_relations(*b.build(true), 10)) {
      // Strip the "s" before and the "e" after the group on both sides.
      const auto arrow = p.find(" -> ");
      const std::string in = p.substr(0, arrow);
      const std::string out = p.substr(arrow + 4);
      ASSERT_EQ(in.substr(0, 2), "s ");
      ASSERT_EQ(in.substr(in.size() - 2), " e");
      ASSERT_EQ(out.substr(0, 2), "s ");
      ASSERT_EQ(out.substr(out.size() - 2), " e");
      inner.insert(in.substr(2, in.size() - 4) + " -> " + out.substr(2, out.size() - 4));
    }
    if (c.kind == "longest") {
      // The separator loops: keep the paths of up to two separators.
      for (auto it = inner.begin(); it != inner.end();) {
        it = it->find(y + " " + y + " " + y) != std::string::npos ? inner.erase(it) : std::next(it);
      }
    }
    EXPECT_EQ(inner, c.expected);
    // The separator arcs carry the raw label as input and 0 as output.
    const Paths aligned = accepted_paths(*b.build(true), 10);
    if (c.kind == "shortest") {
      bool found = false;
      for (const auto& p : aligned) found = found || p.find(x + ":eps") != std::string::npos;
      EXPECT_TRUE(found);
    }
  }
}

TEST(BuilderTest, UnorderedGroupOfThreeGivesSixOrders) {
  Builder b;
  b.open_rule();
  b.open_group();
  b.pushArc("a");
  b.unordered_separator("adjacent");
  b.pushArc("b");
  b.pushArc("c");
  b.unordered_separator("adjacent");
  b.pushArc("d");
  b.close_group("");
  b.close_rule();
  // Three members (a, then b c, then d) in all six orders.
  EXPECT_EQ(accepted_relations(*b.build(true)),
            (Paths{"a b c d -> a b c d", "a d b c -> a d b c", "b c a d -> b c a d",
                   "b c d a -> b c d a", "d a b c -> d a b c", "d b c a -> d b c a"}));
}

TEST(BuilderTest, UnorderedGroupWithAModifierAndAlternatives) {
  // {a | (b|c)}? : either order of a and one of b, c, or nothing.
  Builder b;
  b.open_rule();
  b.open_group();
  b.pushArc("a");
  b.unordered_separator("adjacent");
  b.open_group();
  b.pushArc("b");
  b.separator("union");
  b.pushArc("c");
  b.close_group("");
  b.close_group("?");
  b.close_rule();
  EXPECT_EQ(accepted_relations(*b.build(true)),
            (Paths{" -> ", "a b -> a b", "a c -> a c", "b a -> b a", "c a -> c a"}));
}

TEST(BuilderTest, UnorderedGroupAboveTheLimitIsRefusedUnchanged) {
  Builder b;
  b.open_rule();
  b.open_group();
  const size_t members = Builder::kMaxUnorderedMembers + 1;
  for (size_t i = 0; i < members; ++i) {
    if (i > 0) b.unordered_separator("adjacent");
    b.pushArc(std::string(1, static_cast<char>('a' + i)));
  }
  stack_item* group = b.current_item()->parent;
  EXPECT_EQ(message_of([&] { b.close_group(""); }),
            "AFST Builder fatal error:unordered group of 9 members is above the limit of 8.");
  EXPECT_EQ(group->children.size(), members);
  EXPECT_EQ(group->separator_type, "unordered:adjacent");
}

TEST(BuilderTest, UnorderedGroupOfAnUnknownKindFailsWithTwoMembers) {
  Builder b;
  b.open_rule();
  b.open_group();
  b.pushArc("a");
  b.separator("unordered:sideways");
  b.pushArc("b");
  stack_item* group = b.current_item()->parent;
  EXPECT_THROW(b.close_group(""), std::bad_function_call);
  EXPECT_EQ(group->children.size(), 2u);
}

TEST(BuilderTest, RootOperations) {
  const std::string too_many_pops = "AFST Builder fatal error:To many pops.";
  Builder b;
  EXPECT_EQ(message_of([&] { b.pop(); }), too_many_pops);
  EXPECT_EQ(message_of([&] { b.separator("union"); }), too_many_pops);
  // These need a group; on a root there is none, so they do nothing.
  b.swap();
  b.concat();
  b.applyUnion(0);
  b.union_groups();
  EXPECT_FALSE(b.orit());
  EXPECT_FALSE(b.unorderit());
  EXPECT_EQ(b.current_item(), b.roots()[0].get());
  EXPECT_TRUE(b.roots()[0]->children.empty());
  // The builder still works.
  add_rule(b, {"a"});
  EXPECT_EQ(accepted_paths(*b.build(true)), (Paths{"a"}));
}

TEST(BuilderTest, AddRootStartsAnIndependentRoot) {
  Builder b;
  add_rule(b, {"a"});
  b.add_root();
  ASSERT_EQ(b.roots().size(), 2u);
  EXPECT_EQ(b.roots()[1]->parent, nullptr);
  EXPECT_EQ(message_of([&] { b.pop(); }), "AFST Builder fatal error:To many pops.");
  add_rule(b, {"b"});
  EXPECT_EQ(b.current_item()->parent, b.roots()[1].get());
  EXPECT_EQ(accepted_paths(*b.build(true)), (Paths{"b"}));
  b.clear();
  EXPECT_EQ(b.roots().size(), 1u);
  EXPECT_EQ(b.lower_table()->NumSymbols(), 2u);
}

TEST(BuilderTest, ReadOnlyTables) {
  struct Case {
    std::string in;
    std::string out;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"p", "q",
       "ERROR: afst:builder::pushArc (lower) table is read only and label is not found[p]"},
      {"p", "a",
       "ERROR: afst:builder::pushArc (lower) table is read only and label is not found[p]"},
      {"a", "q",
       "ERROR: afst:builder::pushArc (upper) table is read only and label is not found[q]"},
      {"a", "a", "(no exception)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in + ":" + c.out);
    Builder b;
    b.push_lable("a");
    b.set_read_only_tables(true);
    b.open_rule();
    EXPECT_EQ(message_of([&] { b.pushArc(c.in, c.out); }), c.error);
    // The new state is there either way; a failed push leaves it without an arc.
    EXPECT_EQ(b.current_item()->network->NumStates(), 2);
    EXPECT_EQ(b.current_item()->network->NumArcs(0), c.error == "(no exception)" ? 1u : 0u);
    EXPECT_EQ(b.lower_table()->NumSymbols(), 3u);
    EXPECT_EQ(b.upper_table()->NumSymbols(), 3u);
    // Raw arcs and the always-adding push ignore the flag.
    b.pushUtf8Arc("p", "q");
    EXPECT_EQ(b.lower_table()->Find("p"), 3);
    EXPECT_TRUE(b.read_only_tables());
  }
  // clear keeps the flag.
  Builder b;
  b.set_read_only_tables(true);
  b.clear();
  EXPECT_TRUE(b.read_only_tables());
}

TEST(BuilderTest, SwapExchangesOnlyAPair) {
  Builder b;
  add_rule(b, {"a"});
  add_rule(b, {"b"});
  auto& rules = b.roots()[0]->children;
  stack_item* first = rules[0].get();
  b.swap();
  EXPECT_EQ(rules[1].get(), first);
  add_rule(b, {"c"});
  const std::vector<stack_item*> before = {rules[0].get(), rules[1].get(), rules[2].get()};
  b.swap();
  EXPECT_EQ((std::vector<stack_item*>{rules[0].get(), rules[1].get(), rules[2].get()}), before);
}

TEST(BuilderTest, ConcatJoinsTheLastTwoMembers) {
  Builder b;
  add_rule(b, {"a"});
  add_rule(b, {"b", "c"});
  b.concat();
  ASSERT_EQ(b.roots()[0]->children.size(), 1u);
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"a b c -> a b c"}));
}

TEST(BuilderTest, RawArcsAndArcsBetweenStates) {
  Builder b;
  b.open_rule();
  b.pushArcIDs(kUnorderedLongestLabel, 0);
  b.pushArc("a");
  b.addArc(2, 0, "b", "c");
  b.close_rule();
  EXPECT_EQ(accepted_paths(*b.simple_copy(), 5),
            (Paths{"0x90000000:eps a", "0x90000000:eps a b:c 0x90000000:eps a"}));
  EXPECT_EQ(message_of([&] { b.addArc(0, 7, "b", "c"); }), "AFST Builder fatal error:addArc: no state 7.");
}

TEST(BuilderTest, MergeTablesStopsAtTheFirstMissingKey) {
  fst::SymbolTable source("source");
  source.AddSymbol("eps", 0);
  source.AddSymbol("EPS", 1);
  source.AddSymbol("x", 2);
  source.AddSymbol("y", 5);
  fst::SymbolTable target("target");
  target.AddSymbol("eps");
  target.AddSymbol("EPS");
  target.AddSymbol("w");
  const auto pairs = merge_tables(&target, &source);
  EXPECT_EQ(pairs, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 1}, {2, 3}}));
  EXPECT_EQ(target.Find("y"), fst::kNoSymbol);
}

TEST(BuilderTest, MergeTablesGoesOnPastAnEmptyText) {
  // An empty label (a formatted string's "[]") is a symbol like any other;
  // the labels after it must still be mapped.
  fst::SymbolTable source("source");
  source.AddSymbol("eps");
  source.AddSymbol("EPS");
  source.AddSymbol("");
  source.AddSymbol("x");
  fst::SymbolTable target("target");
  target.AddSymbol("eps");
  target.AddSymbol("EPS");
  target.AddSymbol("x");
  EXPECT_EQ(merge_tables(&target, &source),
            (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 1}, {2, 3}, {3, 2}}));
}

TEST(BuilderTest, PushNetworkRelabelsIntoTheBuildersTables) {
  Builder other;
  add_rule(other, {"x", "y"});
  std::shared_ptr<fst::StdVectorFst> net = other.simple_copy();
  Builder b;
  add_rule(b, {"y", "z"});
  b.push_network(net);
  EXPECT_EQ(b.roots()[0]->children.size(), 2u);
  EXPECT_EQ(b.current_item()->network, net);
  b.applyUnion(0);
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"x y -> x y", "y z -> y z"}));
}

TEST(BuilderTest, PushNetworkKeepsUnknownKeysAndNeedsTables) {
  auto net = std::make_shared<fst::StdVectorFst>();
  net->SetStart(net->AddState());
  net->AddState();
  net->AddArc(0, fst::StdArc(5, 5, fst::StdArc::Weight::One(), 1));
  net->SetFinal(1, fst::StdArc::Weight::One());
  fst::SymbolTable table("t");
  table.AddSymbol("eps", 0);
  table.AddSymbol("EPS", 1);
  table.AddSymbol("q", 2);
  table.AddSymbol("gap", 5);
  Builder b;
  EXPECT_EQ(message_of([&] { b.push_network(net); }),
            "AFST Builder fatal error:push_network: the network needs both symbol tables.");
  net->SetInputSymbols(&table);
  net->SetOutputSymbols(&table);
  b.push_network(net);
  fst::ArcIterator<fst::StdVectorFst> it(*net, 0);
  EXPECT_EQ(it.Value().ilabel, 5);
  EXPECT_EQ(b.lower_table()->Find("q"), 2);
  EXPECT_EQ(b.lower_table()->Find("gap"), fst::kNoSymbol);
}

TEST(BuilderTest, ReplacedTablesServeLaterArcs) {
  auto table = std::make_shared<fst::SymbolTable>("shared");
  table->AddSymbol("eps");
  table->AddSymbol("EPS");
  Builder b;
  b.set_lower_table(table);
  b.set_upper_table(table);
  add_rule(b, {"k"});
  EXPECT_EQ(table->Find("k"), 2);
  EXPECT_EQ(accepted_paths(*b.build(true)), (Paths{"k"}));
}

// The builder's own tables grow in place for all its networks; a table set
// from outside that another network shares is copied before it grows, so
// that network's table stays as it was.
TEST(BuilderTest, NewSymbolsLeaveOutsideTablesAlone) {
  Builder b;
  add_rule(b, {"a"});
  const auto first = b.simple_copy();
  add_rule(b, {"b"});
  EXPECT_EQ(first->InputSymbols()->Find("b"), b.lower_table()->Find("b"));
  EXPECT_EQ(accepted_paths(*first), (Paths{"a"}));

  auto outside = std::make_shared<fst::SymbolTable>("outside");
  outside->AddSymbol("eps");
  outside->AddSymbol("EPS");
  fst::StdVectorFst other;
  other.SetInputSymbols(outside.get());
  Builder c;
  c.set_lower_table(outside);
  add_rule(c, {"k"});
  EXPECT_EQ(c.lower_table()->Find("k"), 2);
  EXPECT_EQ(other.InputSymbols()->Find("k"), fst::kNoSymbol);
}

// Determinisation is functional: a network that maps one input to two
// different outputs cannot be determinised, and the library's fatal report
// reaches the caller. Inputs of different lengths are fine: the outputs they
// share come first, the rest on an "EPS" arc at the end.
TEST(BuilderTest, DeterminisingTwoOutputsForOneInput) {
  {
    Builder b;
    b.open_rule();
    b.pushArc("a", "x");
    b.close_rule();
    b.open_rule();
    b.pushArc("a", "y");
    b.close_rule();
    b.applyUnion(0);
    EXPECT_EQ(accepted_relations(*b.simple_copy()), (Paths{"a -> x", "a -> y"}));
    try {
      b.build(true);
      ADD_FAILURE() << "no exception";
    } catch (const AFSTException& e) {
      EXPECT_THAT(e.what(), ::testing::StartsWith("FATAL: StringWeight::Plus: Unequal arguments "
                                                  "(non-functional FST?)"));
    }
  }
  {
    Builder b;
    b.open_rule();
    b.pushArc("a", "x");
    b.pushArc("b", "x");
    b.close_rule();
    b.open_rule();
    b.pushArc("a", "y");
    b.close_rule();
    b.applyUnion(0);
    const fst::StdVectorFst* net = b.build(true);
    EXPECT_EQ(accepted_relations(*net), (Paths{"a -> y", "a b -> x x"}));
    EXPECT_EQ(accepted_paths(*net), (Paths{"a:eps EPS:y", "a:eps b:x EPS:x"}));
  }
}

TEST(BuilderTest, BuildWithoutOptimisationOnlyDeterminises) {
  Builder b;
  add_rule(b, {"a", "b"});
  add_rule(b, {"a", "c"});
  b.applyUnion(0);
  const fst::StdVectorFst* net = b.build(false);
  EXPECT_EQ(accepted_relations(*net), (Paths{"a b -> a b", "a c -> a c"}));
  // One arc out of the start state after determinisation.
  EXPECT_EQ(net->NumArcs(net->Start()), 1u);
}

TEST(BuilderTest, SimpleCopySharesTheCurrentNetwork) {
  Builder b;
  add_rule(b, {"a"});
  auto shared = b.simple_copy();
  EXPECT_EQ(shared, b.current_item()->network);
  auto copy = b.newNetwork(shared.get());
  EXPECT_NE(copy, shared);
  EXPECT_EQ(accepted_paths(*copy), (Paths{"a"}));
  EXPECT_EQ(copy->InputSymbols()->Name(), "lower");
  auto empty = b.newNetwork();
  EXPECT_EQ(empty->NumStates(), 0);
  EXPECT_EQ(empty->OutputSymbols()->Name(), "upper");
}

TEST(BuilderTest, BuiltNetworksAreSortedByInputLabel) {
  Builder b;
  for (const char* word : {"z", "m", "a", "q"}) add_rule(b, {word});
  b.applyUnion(0);
  const fst::StdVectorFst* net = b.build(true);
  EXPECT_EQ(net->Properties(fst::kILabelSorted, true), fst::kILabelSorted);
  EXPECT_EQ(net->Properties(fst::kILabelSorted, false), fst::kILabelSorted);
}

}  // namespace
}  // namespace afst
}  // namespace zel
