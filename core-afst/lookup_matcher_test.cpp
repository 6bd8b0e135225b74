// How single labels and paths of a network behave in the lookup walks. The
// networks are made arc by arc so that each case shows one rule.

#include "core-afst/lookup_matcher.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lookup_network_testutil.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TestNetwork;
using Pairs = std::vector<std::pair<int32_t, std::string>>;

std::vector<std::string> up(const TestNetwork& net, const std::string& word) {
  WordLookup lookup(net.network(), nullptr);
  return lookup.up(word);
}

Pairs range(const TestNetwork& net, const std::string& text) {
  WordLookup lookup(net.network(), nullptr);
  return lookup.up(text.data(), text.data() + text.size(), WordLookup::end_on_space());
}

std::vector<std::string> unsorted(const TestNetwork& net, const std::string& word) {
  auto network = net.network();
  UnsortedWordMatcher matcher(*network);
  matcher.match(word);
  return matcher.results();
}

TEST(AFstTest, ListsAndFinalBits) {
  TestNetwork net;
  const int end = net.word("ab", "X");
  auto network = net.network();
  EXPECT_THAT(network->input_symbols(), ElementsAre("eps", "a", "b"));
  EXPECT_THAT(network->output_symbols(), ElementsAre("eps", "X"));
  ASSERT_EQ(network->final_states().size(), 3u);
  EXPECT_FALSE(network->is_final(0));
  EXPECT_TRUE(network->is_final(end));
  EXPECT_EQ(network->file_time, -1);

  // The arc array: each state's arcs in stored order, with their labels'
  // classes, the targets' finality and the place of the targets' arcs.
  const auto& arcs = network->arcs();
  ASSERT_EQ(arcs.size(), 2u);
  const ArcSpan start = network->start_arcs();
  ASSERT_EQ(start.end - start.begin, 1u);
  const LookupArc& a = arcs[start.begin];
  EXPECT_EQ(a.first, uint32_t('a'));
  EXPECT_EQ(a.input, 1);
  EXPECT_EQ(a.output, 1);
  EXPECT_FALSE(a.flags & LookupArc::kTargetFinal);
  ASSERT_EQ(a.target_arcs.end - a.target_arcs.begin, 1u);
  const LookupArc& b = arcs[a.target_arcs.begin];
  EXPECT_EQ(b.first, uint32_t('b'));
  EXPECT_EQ(b.target, end);
  EXPECT_TRUE(b.flags & LookupArc::kTargetFinal);
  EXPECT_EQ(b.target_arcs.begin, b.target_arcs.end);

  // The lists are copies: a later change of the tables is not seen.
  network->transducer()->MutableInputSymbols()->AddSymbol("c");
  EXPECT_EQ(network->input_symbols().size(), 3u);
}

TEST(AFstTest, IdsWithoutSymbolHaveTheEmptyText) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable in, out;
  in.AddSymbol("eps", 0);
  in.AddSymbol("x", 2);
  in.AddSymbol("y", 3);
  out.AddSymbol("eps", 0);
  transducer->SetInputSymbols(&in);
  transducer->SetOutputSymbols(&out);
  AFst network(transducer);
  // Symbol count 3: ids 0 to 2.
  EXPECT_THAT(network.input_symbols(), ElementsAre("eps", "", "x"));
}

TEST(AFstTest, NeedsATransducerWithBothTables) {
  EXPECT_THROW(AFst(nullptr), std::invalid_argument);
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  EXPECT_THROW(AFst{transducer}, std::invalid_argument);
  fst::SymbolTable table;
  transducer->SetInputSymbols(&table);
  EXPECT_THROW(AFst{transducer}, std::invalid_argument);
  transducer->SetOutputSymbols(&table);
  EXPECT_NO_THROW(AFst{transducer});
}

TEST(AFstTest, LabelClasses) {
  const struct {
    std::string text;
    uint8_t flags;
  } cases[] = {
      {"", InputLabel::kEmpty},
      {"a", InputLabel::kShort},
      {"eps", InputLabel::kEpsilon | InputLabel::kShort},
      {"EPS", InputLabel::kEpsilon | InputLabel::kShort},
      {"Eps", InputLabel::kShort},
      {"??", InputLabel::kAny | InputLabel::kShort},
      {":digit:", InputLabel::kClass},
      {":#a-c#:", InputLabel::kClass},
      {":ab:", InputLabel::kShort},
      {"#ctrl", InputLabel::kControl | InputLabel::kShort},
      {"#end12", InputLabel::kControl | InputLabel::kEndControl},
      {"#end", InputLabel::kShort},
      {"abcdef", 0},
      {"\xff" "x", InputLabel::kBadFirst | InputLabel::kShort},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(InputLabel::classify(c.text).flags, c.flags);
  }
  EXPECT_EQ(InputLabel::classify("\xc3\xa4x").first, 0xE4u);

  EXPECT_EQ(classify_output(""), OutputLabel::kNothing);
  EXPECT_EQ(classify_output("eps"), OutputLabel::kNothing);
  EXPECT_EQ(classify_output("EPS"), OutputLabel::kText);
  EXPECT_EQ(classify_output("input"), OutputLabel::kInput);
  EXPECT_EQ(classify_output("in"), OutputLabel::kIn);
  EXPECT_EQ(classify_output("+Noun"), OutputLabel::kText);
}

TEST(LookupWalkTest, NoStartStateAnswersNothing) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable table;
  transducer->SetInputSymbols(&table);
  transducer->SetOutputSymbols(&table);
  WordLookup lookup(transducer, nullptr);
  EXPECT_THAT(lookup.up(""), IsEmpty());
  EXPECT_THAT(lookup.up("a"), IsEmpty());
  const std::string text = "a b";
  EXPECT_THAT(lookup.up(text.data(), text.data() + 3, WordLookup::end_on_space()), IsEmpty());
}

TEST(LookupWalkTest, EmptyText) {
  TestNetwork net;
  net.set_final(0);  // a final start state gives nothing
  const int s1 = net.add_state(), s2 = net.add_state(), s3 = net.add_state();
  net.arc(0, "eps", "+Empty", s1);
  net.set_final(s1);
  net.arc(0, "#end1", "+End", s2);
  net.set_final(s2);
  net.arc(0, "a", "+A", s3);
  net.set_final(s3);
  EXPECT_THAT(up(net, ""), ElementsAre("+Empty", "+End"));
  EXPECT_THAT(up(net, "a"), ElementsAre("+A"));
}

TEST(LookupWalkTest, WhichLabelsConsumeWhichCharacters) {
  const struct {
    std::string label;
    std::string word;
    bool matches;
  } cases[] = {
      {"a", "a", true},
      {"a", "b", false},
      {"ä", "ä", true},
      {"ab", "a", true},  // the first character alone counts
      {"ab", "ab", false},
      {"??", "x", true},
      {"??", "ü", true},
      {"??", " ", false},
      {"??", "?", true},
      {"eps", "e", false},
      {"EPS", "E", false},
      {":digit:", "7", true},
      {":digit:", "x", false},
      {":digit:", ":", true},  // the class label's first character
      {":#a-c#:", "b", true},
      {":#a-c#:", "d", false},
      {":upper:", "Ä", true},
      {"#ctrl", "#", true},  // a control label's first character
      {"#ctrl", "x", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label + " / " + c.word);
    TestNetwork net;
    net.path({c.label}, {"+Hit"});
    if (c.matches) {
      EXPECT_THAT(up(net, c.word), ElementsAre("+Hit"));
    } else {
      EXPECT_THAT(up(net, c.word), IsEmpty());
    }
  }
}

TEST(LookupWalkTest, ControlLabelsConsumeNothing) {
  TestNetwork net;
  // a #mark b: the control label is passed between the letters.
  net.path({"a", "#mark", "b"}, {"A", "+M", "B"});
  // c then "#end1" into a final state.
  net.path({"c", "#end1"}, {"C", "+E"});
  // d then a plain control label into a final state: no result.
  net.path({"d", "#stop"}, {"D", "+S"});
  EXPECT_THAT(up(net, "ab"), ElementsAre("A+MB"));
  EXPECT_THAT(up(net, "c"), ElementsAre("C+E"));
  EXPECT_THAT(up(net, "d"), IsEmpty());
}

// After an "#end" label into a final state, the network walk goes on from
// that state and the transducer walk (the range form) stops there.
TEST(LookupWalkTest, EndControlLabelFamilies) {
  TestNetwork net;
  const int s1 = net.add_state(), s2 = net.add_state(), s3 = net.add_state();
  net.arc(0, "x", "X", s1);
  net.arc(s1, "#end1", "1", s2);
  net.set_final(s2);
  net.arc(s2, "eps", "2", s3);
  net.set_final(s3);
  EXPECT_THAT(up(net, "x"), ElementsAre("X1", "X12"));
  EXPECT_THAT(range(net, "x"), ElementsAre(std::make_pair(1, std::string("X1"))));
}

// The range form takes a label by its first character only when the label
// is at most 5 bytes long.
TEST(LookupWalkTest, LongLabelsInTheRangeForm) {
  TestNetwork net;
  net.path({"abcde"}, {"five"});
  net.path({"abcdef"}, {"six"});
  EXPECT_THAT(up(net, "a"), ElementsAre("five", "six"));
  EXPECT_THAT(range(net, "a"), ElementsAre(std::make_pair(1, std::string("five"))));
}

// A word w whose final state has an epsilon arc to a further final state,
// and the word w plus its last letter once more: looking w up gives only
// w's outputs, because after the epsilon path the walk resumes at the end.
TEST(LookupWalkTest, EpsilonPathsResumeWhereTheyStarted) {
  TestNetwork net;
  const int s1 = net.add_state(), s2 = net.add_state(), s3 = net.add_state(),
            s4 = net.add_state();
  net.arc(0, "a", "a", s1);
  net.arc(s1, "b", "b", s2);
  net.set_final(s2);
  net.arc(s2, "eps", "+Eps", s3);
  net.set_final(s3);
  net.arc(s2, "b", "+Bb", s4);
  net.set_final(s4);
  EXPECT_THAT(up(net, "ab"), ElementsAre("ab", "ab+Eps"));
  EXPECT_THAT(up(net, "abb"), ElementsAre("ab+Bb"));
}

TEST(LookupWalkTest, SortedDistinctOrInTheOrderFound) {
  TestNetwork net;
  net.path({"x"}, {"zeta"});
  net.path({"x"}, {"alpha"});
  net.path({"x"}, {"zeta"});
  net.path({"??"}, {"mid"});
  EXPECT_THAT(up(net, "x"), ElementsAre("alpha", "mid", "zeta"));
  EXPECT_THAT(unsorted(net, "x"), ElementsAre("zeta", "alpha", "zeta", "mid"));
}

TEST(LookupWalkTest, SpecialOutputLabels) {
  TestNetwork net;
  // "in" copies the input character at the second position; the first
  // output moved that position on by one character.
  net.path({"??", "??", "x"}, {"L", "in", "+X"});
  // "input" gives the whole word, once, before anything else.
  net.path({"k", "??", "??"}, {"input", "input", "+K"});
  // "input" after other text adds nothing.
  net.path({"q", "r"}, {"Q", "input"});
  EXPECT_THAT(up(net, "aäx"), ElementsAre("Lä+X"));
  EXPECT_THAT(up(net, "kÖz"), ElementsAre("kÖz+K"));
  EXPECT_THAT(up(net, "qr"), ElementsAre("Q"));
}

TEST(LookupWalkTest, InCopiesMultiByteCharactersWhole) {
  TestNetwork net;
  net.path({"??", "??"}, {"in", "in"});
  EXPECT_THAT(up(net, "ßé"), ElementsAre("ßé"));
  EXPECT_THAT(up(net, "日本"), ElementsAre("日本"));
}

TEST(LookupWalkTest, BadUtf8Raises) {
  TestNetwork net;
  net.word("ab", "+AB");
  net.path({"z", "\xff" "y"}, {"+Bad"});
  auto network = net.network();
  WordLookup lookup(network, nullptr);
  EXPECT_THROW(lookup.up("a\xff"), utf8::exception);
  // A label with bad UTF-8 raises when a walk compares it with a character.
  EXPECT_THROW(lookup.up("zy"), utf8::exception);
  EXPECT_THAT(lookup.up("z"), IsEmpty());
  // The lookup works again afterwards.
  EXPECT_THAT(lookup.up("ab"), ElementsAre("+AB"));
  EXPECT_THAT(lookup.up(""), IsEmpty());
}

TEST(LookupWalkTest, LabelIdsBeyondTheTables) {
  TestNetwork net;
  net.word("a", "+A");
  const int s = net.add_state();
  net.raw_arc(0, 42, 0, s);
  net.set_final(s);
  // The word walk reads the network's lists and finds the id missing.
  EXPECT_THROW(up(net, "a"), std::out_of_range);
  // The range walk reads the tables, where the id is the empty text.
  EXPECT_THAT(range(net, "a"), ElementsAre(std::make_pair(1, std::string("+A"))));
}

// A cycle of arcs that consume nothing ends at the walk's budget.
TEST(LookupWalkTest, EpsilonCyclesEnd) {
  TestNetwork net;
  const int s1 = net.add_state(), s2 = net.add_state();
  net.arc(0, "a", "A", s1);
  net.arc(s1, "eps", "eps", s2);
  net.arc(s2, "eps", "eps", s1);
  net.arc(s1, "#loop", "eps", s1);
  net.set_final(s2);
  EXPECT_THAT(up(net, "a"), ElementsAre("A"));
  EXPECT_THAT(unsorted(net, "a").size(), ::testing::Gt(1u));
  EXPECT_EQ(range(net, "a").size(), 21u);
}

TEST(LookupWalkTest, IterationBudgets) {
  // The matching arc comes after `misses` arcs that do not match.
  auto network_with = [](int misses) {
    TestNetwork net;
    const int s = net.add_state();
    for (int i = 0; i < misses; ++i) net.arc(0, "z", "Z", s);
    net.arc(0, "a", "A", s);
    net.set_final(s);
    return net;
  };
  const TestNetwork near = network_with(9000);
  EXPECT_THAT(range(near, "a"), ElementsAre(std::make_pair(1, std::string("A"))));
  const TestNetwork far = network_with(12000);
  EXPECT_THAT(range(far, "a"), IsEmpty());
  // The word walk's budget is larger.
  EXPECT_THAT(up(far, "a"), ElementsAre("A"));
  const TestNetwork farther = network_with(int(kNetworkWalkBudget));
  EXPECT_THAT(up(farther, "a"), IsEmpty());
}

TEST(LookupWalkTest, ReverseCodePointWalk) {
  TestNetwork net;
  // Endings read backwards: "en" is n then e.
  net.path({"n", "e"}, {"en+Pl"});
  net.path({"n"}, {"n+X"});
  auto network = net.network();
  const std::vector<uint32_t> word = {'H', 0xE4, 'u', 's', 'e', 'n'};
  Pairs results;
  ArcMatcher<ReverseCodePointInput, AlwasyTrueEndPolicy, EndOffsetResultCollector> matcher(
      *network, EndOffsetResultCollector(&results));
  matcher.match(ReverseCodePointInput(word));
  EXPECT_THAT(results, ElementsAre(std::make_pair(-2, std::string("en+Pl")),
                                   std::make_pair(-1, std::string("n+X"))));
}

TEST(LookupWalkTest, EndPolicies) {
  const std::string text = "ab cd";
  const Utf8Input input(text.data(), text.data() + text.size());
  const char* b = text.data();
  EXPECT_FALSE(DefaultIteratorPolicy::allows(input, b + 2));
  EXPECT_TRUE(DefaultIteratorPolicy::allows(input, b + 5));
  EXPECT_TRUE(SpaceEndPolicy::allows(input, b + 2));
  EXPECT_FALSE(SpaceEndPolicy::allows(input, b + 1));
  EXPECT_TRUE(SpaceEndPolicy::allows(input, b + 5));
  EXPECT_TRUE(AlwasyTrueEndPolicy::allows(input, b + 1));
  EXPECT_THROW(Utf8Input(b + 1, b), std::out_of_range);
}

TEST(LookupTest, ConstructStem) {
  EXPECT_EQ(construct_stem({}), "");
  EXPECT_EQ(construct_stem({"Haus", "Tür"}), "#Haus#Tür");
  EXPECT_EQ(construct_stem({"a", "", "b"}), "#a#b");
  EXPECT_EQ(construct_stem({""}), "");
  EXPECT_EQ(compound_joiners, "-s");
}

}  // namespace
}  // namespace afst
}  // namespace zel
