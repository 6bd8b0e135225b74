#include "core-afst/word_lookup.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using Pairs = std::vector<std::pair<int32_t, std::string>>;

// A lexicon of (word, output) entries.
std::shared_ptr<AFst> lexicon(const std::vector<std::pair<std::string, std::string>>& entries) {
  testing::TestNetwork net;
  for (const auto& [word, output] : entries) net.word(word, output);
  return net.network();
}

Pairs range(WordLookup& lookup, const std::string& text) {
  return lookup.up(text.data(), text.data() + text.size(), WordLookup::end_on_space());
}

std::pair<int32_t, std::string> at(int32_t offset, const std::string& text) {
  return {offset, text};
}

TEST(WordLookupTest, AnswersSortedAndDistinct) {
  WordLookup lookup(lexicon({{"haus", "Haus+Nn-Sg"},
                             {"haus", "hausen+Vb-Imp"},
                             {"haus", "Haus+Nn-Sg"},
                             {"hausen", "hausen+Vb-Inf"},
                             {"baum", "Baum+Nn-Sg"}}),
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
  auto network = lexicon({{"straße", "Straße+Nn-Sg"}, {"ärger", "Ärger+Nn-Sg"}});
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
  WordLookup lookup(lexicon({{"new york", "NewYork"},
                             {"new york city", "NewYorkCity"},
                             {"york", "York"},
                             {"new", "New"}}),
                    std::make_shared<LookupConverterLowercase>());
  // In the order found, which depends on the network's arcs.
  EXPECT_THAT(range(lookup, "new york city hall"),
              UnorderedElementsAre(at(3, "New"), at(8, "NewYork"), at(13, "NewYorkCity")));
  EXPECT_THAT(range(lookup, "new york city"),
              UnorderedElementsAre(at(3, "New"), at(8, "NewYork"), at(13, "NewYorkCity")));
  // "new yorker": "new york" is followed by a letter, not a space.
  EXPECT_THAT(range(lookup, "new yorker"), ElementsAre(at(3, "New")));
  EXPECT_THAT(range(lookup, "newyork"), IsEmpty());
  // Matches start at the range's first character.
  EXPECT_THAT(range(lookup, " new york"), IsEmpty());
  // The converter is not applied.
  EXPECT_THAT(range(lookup, "New York"), IsEmpty());
  // Offsets count bytes.
  WordLookup umlaut(lexicon({{"köln", "Köln"}}), nullptr);
  EXPECT_THAT(range(umlaut, "köln bonn"), ElementsAre(at(5, "Köln")));

  const std::string text = "new york";
  EXPECT_THROW(lookup.up(text.data() + 3, text.data(), WordLookup::end_on_space()),
               std::out_of_range);
  EXPECT_THAT(lookup.up(text.data(), text.data(), WordLookup::end_on_space()), IsEmpty());
}

TEST(WordLookupTest, RangeFormServesConcurrentCalls) {
  WordLookup lookup(lexicon({{"new york", "NewYork"}, {"new york city", "NewYorkCity"}}),
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
  WordLookup lookup(lexicon({{"haus", "Haus+Nn-Sg"}, {"haus", "hausen+Vb-Imp"}}), nullptr);
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
