#include "core-afst/word_lookup.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "base/unicode.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lexicon_text.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Pairs = std::vector<std::pair<int32_t, std::string>>;

// A lexicon made from entries in the arc-line syntax, one per line.
std::shared_ptr<AFst> lexicon(const std::string& entries) {
  std::istringstream lines(entries);
  return std::make_shared<AFst>(build_lexicon(lines, "test"));
}

Pairs range(WordLookup& lookup, const std::string& text) {
  return lookup.up(text.data(), text.data() + text.size(), WordLookup::end_on_space());
}

std::pair<int32_t, std::string> at(int32_t offset, const std::string& text) {
  return {offset, text};
}

TEST(WordLookupTest, AnswersSortedAndDistinct) {
  WordLookup lookup(lexicon("haus:Haus[+Nn-Sg]\n"
                            "haus:hausen[+Vb-Imp]\n"
                            "haus:Haus[+Nn-Sg]\n"
                            "hausen:hausen[+Vb-Inf]\n"
                            "baum:Baum[+Nn-Sg]\n"),
                    nullptr);
  EXPECT_EQ(lookup.type(), 1);
  EXPECT_THAT(lookup.up("haus"), ElementsAre("Haus+Nn-Sg", "hausen+Vb-Imp"));
  EXPECT_THAT(lookup.up("hausen"), ElementsAre("hausen+Vb-Inf"));
  EXPECT_THAT(lookup.up("hau"), IsEmpty());
  EXPECT_THAT(lookup.up("hausens"), IsEmpty());
  EXPECT_THAT(lookup.up(""), IsEmpty());
  // Each call answers afresh.
  EXPECT_THAT(lookup.up("baum"), ElementsAre("Baum+Nn-Sg"));
}

// A converter that counts its calls and lower-cases.
class CountingConverter : public LookupConverterLowercase {
 public:
  std::string operator()(const std::string& text) override {
    ++calls;
    return LookupConverterLowercase::operator()(text);
  }
  int calls = 0;
};

TEST(WordLookupTest, LowercaseConverter) {
  auto network = lexicon("straße:Straße[+Nn-Sg]\närger:Ärger[+Nn-Sg]\n");
  auto converter = std::make_shared<CountingConverter>();
  WordLookup folded(network, converter);
  WordLookup plain(network, nullptr);
  EXPECT_THAT(folded.up("STRAßE"), ElementsAre("Straße+Nn-Sg"));
  EXPECT_THAT(folded.up("Ärger"), ElementsAre("Ärger+Nn-Sg"));
  EXPECT_EQ(converter->calls, 2);  // once per word
  EXPECT_THAT(plain.up("Ärger"), IsEmpty());
  EXPECT_THAT(plain.up("ärger"), ElementsAre("Ärger+Nn-Sg"));

  LookupConverterLowercase lower;
  EXPECT_EQ(lower("New YORK Ärger"), "new york ärger");
}

TEST(WordLookupTest, RangeFormEndsAtTheEndOrBeforeASpace) {
  WordLookup lookup(lexicon("new york:NewYork\n"
                            "new york city:NewYorkCity\n"
                            "york:York\n"
                            "new:New\n"),
                    std::make_shared<LookupConverterLowercase>());
  // In the order found: the shorter entries lie on the way to the longer.
  EXPECT_THAT(range(lookup, "new york city hall"),
              ElementsAre(at(3, "New"), at(8, "NewYork"), at(13, "NewYorkCity")));
  EXPECT_THAT(range(lookup, "new york city"),
              ElementsAre(at(3, "New"), at(8, "NewYork"), at(13, "NewYorkCity")));
  // "new yorker": "new york" is followed by a letter, not a space.
  EXPECT_THAT(range(lookup, "new yorker"), ElementsAre(at(3, "New")));
  EXPECT_THAT(range(lookup, "newyork"), IsEmpty());
  // Matches start at the range's first character.
  EXPECT_THAT(range(lookup, " new york"), IsEmpty());
  // The converter is not applied.
  EXPECT_THAT(range(lookup, "New York"), IsEmpty());
  // Offsets count bytes.
  WordLookup umlaut(lexicon("köln:Köln\n"), nullptr);
  EXPECT_THAT(range(umlaut, "köln bonn"), ElementsAre(at(5, "Köln")));

  const std::string text = "new york";
  EXPECT_THROW(lookup.up(text.data() + 3, text.data(), WordLookup::end_on_space()),
               std::out_of_range);
  EXPECT_THAT(lookup.up(text.data(), text.data(), WordLookup::end_on_space()), IsEmpty());
}

TEST(WordLookupTest, SpecialLabelsOfTextLexicons) {
  WordLookup lookup(lexicon("regex:.ing:[input][+Ger]\n"
                            "regex:[:digit:][:digit:]:[in][in][+Num]\n"
                            "ab:ab[+One]\n"
                            "ab[#end1]:ab[+Two]\n"
                            "ab[#end2]:ab[+Three]\n"),
                    nullptr);
  // "input" is the whole word; "??" takes any character but a space.
  EXPECT_THAT(lookup.up("sing"), ElementsAre("sing+Ger"));
  EXPECT_THAT(lookup.up("äing"), ElementsAre("äing+Ger"));
  EXPECT_THAT(lookup.up(" ing"), IsEmpty());
  // A class label takes the characters of its class; "in" copies them.
  EXPECT_THAT(lookup.up("42"), ElementsAre("42+Num"));
  EXPECT_THAT(lookup.up("4x"), IsEmpty());
  // Entries numbered with "#end" labels all answer.
  EXPECT_THAT(lookup.up("ab"), ElementsAre("ab+One", "ab+Three", "ab+Two"));
  const std::string text = "ab cd";
  auto found = lookup.up(text.data(), text.data() + text.size(), WordLookup::end_on_space());
  std::sort(found.begin(), found.end());
  EXPECT_THAT(found, ElementsAre(at(2, "ab+One"), at(2, "ab+Three"), at(2, "ab+Two")));
}

// The range form keeps the first 21 matches it finds.
TEST(WordLookupTest, RangeFormTakesAtMost21Matches) {
  std::string entries;
  for (int i = 10; i < 40; ++i) entries += "a:r" + std::to_string(i) + "\n";
  auto network = lexicon(entries);
  WordLookup lookup(network, nullptr);
  EXPECT_EQ(lookup.up("a").size(), 30u);

  const std::string text = "a";
  const Pairs found = range(lookup, text);
  ASSERT_EQ(found.size(), 21u);
  // The first 21 in the walk's order, which the unsorted word walk shares.
  UnsortedWordMatcher all(*network);
  all.match(text);
  ASSERT_EQ(all.results().size(), 30u);
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i], at(1, all.results()[i]));
  }
}

// The range walk stops after 10000 steps, the word walk goes on longer.
TEST(WordLookupTest, WalkBudgets) {
  // 12000 one-character entries: the start state has 12000 arcs, and the
  // walk tries them in order.
  std::string entries;
  for (uint32_t c = 0x4E00; c < 0x4E00 + 12000; ++c) {
    const std::string character = zel::string::from_uint(c);
    entries += character + ":" + character + "[+Hz]\n";
  }
  auto network = lexicon(entries);
  const ArcSpan start = network->start_arcs();
  ASSERT_EQ(start.end - start.begin, 12000u);
  // Characters whose arcs come early and late in the start state.
  auto character_at = [&](uint32_t position) {
    return zel::string::from_uint(network->arcs()[start.begin + position].first);
  };
  const std::string early = character_at(100);
  const std::string late = character_at(11900);

  WordLookup lookup(network, nullptr);
  EXPECT_THAT(range(lookup, early), ElementsAre(at(3, early + "+Hz")));
  EXPECT_THAT(range(lookup, late), IsEmpty());
  EXPECT_THAT(lookup.up(late), ElementsAre(late + "+Hz"));
}

TEST(WordLookupTest, RangeFormServesConcurrentCalls) {
  WordLookup lookup(lexicon("new york:NewYork\nnew york city:NewYorkCity\n"),
                    nullptr);
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        auto found = range(lookup, "new york city");
        std::sort(found.begin(), found.end());
        if (found == Pairs{at(8, "NewYork"), at(13, "NewYorkCity")}) {
          ++right;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(right, 800);
}

TEST(WordLookupTest, PrintResults) {
  WordLookup lookup(lexicon("haus:Haus[+Nn-Sg]\nhaus:hausen[+Vb-Imp]\n"), nullptr);
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("haus"); }),
            "up [haus]\n  -- Haus+Nn-Sg\n  -- hausen+Vb-Imp\n");
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("xyz"); }), "up [xyz]\n");
}

TEST(WordLookupTest, NeedsANetwork) {
  EXPECT_THROW(WordLookup(std::shared_ptr<AFst>(), nullptr), std::invalid_argument);
  EXPECT_THROW(WordLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>>(), nullptr),
               std::invalid_argument);
}

}  // namespace
}  // namespace afst
}  // namespace zel
