#include "core-afst/cleaner_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/output_capture_testutil.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using testing::lexicon;

// Lower-cases and counts the lookups the inner word lookup makes.
class CountingConverter : public LookupConverterLowercase {
 public:
  std::string operator()(const std::string& text) override {
    seen.push_back(text);
    return LookupConverterLowercase::operator()(text);
  }
  std::vector<std::string> seen;
};

struct Shortened {
  std::string text;
  std::vector<int32_t> positions;
};

Shortened shorten(const std::string& word) {
  std::vector<char> buffer(word.begin(), word.end());
  buffer.push_back('\0');
  int32_t length = static_cast<int32_t>(word.size());
  auto positions = clean_word_tree_consecutive_char(buffer.data(), length);
  EXPECT_EQ(std::strlen(buffer.data()), static_cast<std::size_t>(length)) << word;
  return {std::string(buffer.data(), length), positions};
}

std::set<std::string> variants_of(const std::string& word) {
  Shortened shortened = shorten(word);
  std::set<std::string> variants;
  generate_permutations(variants, shortened.text.data(),
                        static_cast<int32_t>(shortened.text.size()), shortened.positions, 0, 0);
  return variants;
}

TEST(CleanerLookupTest, ShortensRunsOfThreeOrMoreToADouble) {
  struct Case {
    std::string word;
    std::string text;
    std::vector<int32_t> positions;
  };
  const std::vector<Case> cases = {
      {"helllo", "hello", {2}},
      {"xaaay", "xaay", {1}},
      {"sooo goood", "soo good", {1, 5}},
      {"hello", "hello", {}},
      {"heeeeey", "heey", {1}},  // five and three give the same double
      {"heeey", "heey", {1}},
      {"aaa", "aa", {0}},
      {"ééé", "ééé", {}},  // two-byte letters: the bytes alternate
      // The last three bytes of U+100000 are equal continuation bytes.
      {"\xF4\x80\x80\x80", "\xF4\x80\x80\x80", {}},
      {"a\xF4\x80\x80\x80\x62\x62\x62", "a\xF4\x80\x80\x80\x62\x62", {5}},
      {"", "", {}},
  };
  for (const auto& c : cases) {
    Shortened got = shorten(c.word);
    EXPECT_EQ(got.text, c.text) << c.word;
    EXPECT_EQ(got.positions, c.positions) << c.word;
  }
}

TEST(CleanerLookupTest, VariantsAreEveryChoiceOfDoubleOrSingle) {
  EXPECT_EQ(variants_of("helllo"), (std::set<std::string>{"hello", "helo"}));
  EXPECT_EQ(variants_of("sooo goood"),
            (std::set<std::string>{"soo good", "so good", "soo god", "so god"}));
  // Three runs and text after them: eight variants, the tail never cut.
  EXPECT_EQ(variants_of("xaaayyybbbzzt"),
            (std::set<std::string>{"xaayybbzzt", "xayybbzzt", "xaaybbzzt", "xaayybzzt", "xaybbzzt",
                                   "xayybzzt", "xaaybzzt", "xaybzzt"}));
  EXPECT_EQ(variants_of("hello"), (std::set<std::string>{"hello"}));
}

TEST(CleanerLookupTest, AnswersTheVariantsWithCleanup) {
  CleanerLookup lookup(lexicon({{"hello", "hello+Intj"}, {"hello", "hello+Nn-Sg"}}), nullptr);
  EXPECT_EQ(lookup.type(), 6);
  EXPECT_THAT(lookup.up("helllo"), ElementsAre("hello+Intj+cleanup", "hello+Nn-Sg+cleanup"));
  EXPECT_THAT(lookup.up("hellllllo"), ElementsAre("hello+Intj+cleanup", "hello+Nn-Sg+cleanup"));
  // The word as written is not looked up: no stretched run, no answer.
  EXPECT_THAT(lookup.up("hello"), IsEmpty());
  EXPECT_THAT(lookup.up("heello"), IsEmpty());
  EXPECT_THAT(lookup.up("hellllp"), IsEmpty());
}

TEST(CleanerLookupTest, VariantsAnswerInByteOrderAndAreNotMerged) {
  // The variant "hello" sorts before "helo", so its outputs come first,
  // though an output of "helo" sorts before them; both variants answer the
  // same text, and it comes twice.
  CleanerLookup lookup(
      lexicon({{"helo", "aloha+Intj"}, {"helo", "hello+Intj"}, {"hello", "hello+Intj"}}), nullptr);
  EXPECT_THAT(lookup.up("helllo"),
              ElementsAre("hello+Intj+cleanup", "aloha+Intj+cleanup", "hello+Intj+cleanup"));
}

TEST(CleanerLookupTest, Limits) {
  auto converter = std::make_shared<CountingConverter>();
  // "ab" repeated keeps the filler free of runs.
  std::string filler;
  while (filler.size() < 72) filler += "ab";
  const std::string word79 = "zzz" + filler + "done";  // 3 + 72 + 4 = 79 bytes
  const std::string word80 = "zzz" + filler + "donee";
  ASSERT_EQ(word79.size(), 79u);
  ASSERT_EQ(word80.size(), 80u);
  CleanerLookup lookup(lexicon({{"zz" + filler + "done", "long+Nn-Sg"},
                                {"zz" + filler + "donee", "longer+Nn-Sg"},
                                {"baa", "baa+Intj"},
                                {"aa", "aa+Intj"},
                                {"xaaybbzzt", "four+Nn-Sg"}}),
                       converter);

  EXPECT_THAT(lookup.up(word79), ElementsAre("long+Nn-Sg+cleanup"));
  converter->seen.clear();
  EXPECT_THAT(lookup.up(word80), IsEmpty());
  EXPECT_THAT(converter->seen, IsEmpty());  // nothing looked up

  // A shortened word of 2 bytes is not looked up; one of 3 is.
  EXPECT_THAT(lookup.up("aaa"), IsEmpty());
  EXPECT_THAT(converter->seen, IsEmpty());
  EXPECT_THAT(lookup.up("baaa"), ElementsAre("baa+Intj+cleanup"));

  // Four stretched runs: not answered, though a variant is known.
  converter->seen.clear();
  EXPECT_THAT(lookup.up("xaaayyybbbzzzt"), IsEmpty());
  EXPECT_THAT(converter->seen, IsEmpty());
}

TEST(CleanerLookupTest, ConverterAppliesToEachVariant) {
  auto converter = std::make_shared<CountingConverter>();
  CleanerLookup lookup(lexicon({{"hello", "hello+Intj"}}), converter);
  EXPECT_THAT(lookup.up("HELLLO"), ElementsAre("hello+Intj+cleanup"));
  EXPECT_THAT(converter->seen, ElementsAre("HELLO", "HELO"));
  CleanerLookup exact(lexicon({{"hello", "hello+Intj"}}), nullptr);
  EXPECT_THAT(exact.up("HELLLO"), IsEmpty());
}

TEST(CleanerLookupTest, FourByteCharactersAreNotCut) {
  const std::string supplementary = "\xF4\x80\x80\x80";  // U+100000
  CleanerLookup lookup(lexicon({{"hello" + supplementary, "hello+Intj"}}), nullptr);
  EXPECT_THAT(lookup.up("helllo" + supplementary), ElementsAre("hello+Intj+cleanup"));
  EXPECT_THAT(lookup.up("hello" + supplementary), IsEmpty());
}

TEST(CleanerLookupTest, OtherHelpers) {
  std::vector<std::string> results = {"a+B", "c+D+e"};
  addProperty(results);
  EXPECT_THAT(results, ElementsAre("a+B+cleanup", "c+D+e+cleanup"));

  struct Case {
    std::string word;
    std::string collapsed;
    std::vector<int32_t> pairs;
  };
  const std::vector<Case> cases = {
      {"heelllo", "helo", {1, 3, 4}},
      {"helo", "helo", {}},
      {"abba", "aba", {1}},
      {"\xF4\x80\x80\x80", "\xF4\x80\x80\x80", {}},
  };
  for (const auto& c : cases) {
    const int32_t size = static_cast<int32_t>(c.word.size());
    EXPECT_EQ(clean_word_two_consecutive_char(c.word.data(), size), c.pairs) << c.word;
    std::vector<char> buffer(c.word.begin(), c.word.end());
    buffer.push_back('\0');
    int32_t length = size;
    EXPECT_EQ(copy_cleanword(buffer.data(), length), c.collapsed.size() != c.word.size());
    EXPECT_EQ(std::string(buffer.data()), c.collapsed) << c.word;
    EXPECT_EQ(length, static_cast<int32_t>(c.collapsed.size()));
  }
}

TEST(CleanerLookupTest, PrintResults) {
  CleanerLookup lookup(lexicon({{"hello", "hello+Intj"}}), nullptr);
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("helllo"); }),
            "  -g- hello+Intj+cleanup\n");
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("hello"); }), "");
}

}  // namespace
}  // namespace afst
}  // namespace zel
