#include "core-afst/icu_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <memory>
#include <string>
#include <vector>

#include "base/output_capture_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Case {
  std::string word;
  std::string answer;  // the one text answered; empty for no answer
};

std::vector<std::string> expected(const Case& c) {
  if (c.answer.empty()) return {};
  return {c.answer};
}

TEST(ICULookupTest, CategoryTable) {
  ICULookup lookup(nullptr);
  EXPECT_EQ(lookup.type(), 10);
  const std::vector<Case> cases = {
      // Punctuation: the first punctuation or currency character decides.
      {"-", "-+Punct"},                    // Pd
      {"_", "_+Punct"},                    // Pc
      {"!", "!+Punct"},                    // Po
      {"well-known", "well-known+Punct"},  // hyphen inside a word
      {"don't", "don't+Punct"},            // apostrophe
      {"3-4", "3-4+Punct"},                // before any digit rule
      {"3.14", "3.14+Punct"},              // a decimal point is punctuation
      {"a(b", "a(b+Punct-Open"},           // wherever it stands
      {"don't)", "don't)+Punct"},          // the first one decides
      {"(", "(+Punct-Open"},               // Ps
      {"«", "«+Punct-Open"},               // Pi
      {"\u201C", "\u201C+Punct-Open"},     // Pi
      {")", ")+Punct-Close"},              // Pe
      {"»", "»+Punct-Close"},              // Pf
      {"\u201D", "\u201D+Punct-Close"},    // Pf
      {"€", "€+Nn-Sym+currency"},          // Sc
      {"$5", "$5+Nn-Sym+currency"},
      {"5$", "5$+Nn-Sym+currency"},  // currency after a digit still decides
      // Numbers: a digit anywhere.
      {"42", "42+Num-Std"},
      {"42abc", "42abc+Num-Std"},
      {"abc4", "abc4+Num-Std"},
      {"Zürich2", "Zürich2+Num-Std"},
      {"٣", "٣+Num-Std"},  // an Arabic-Indic digit is Nd too
      // Capitalised words.
      {"Hello", "Hello+Prop-Std"},
      {"HeLLO", "HeLLO+Prop-Std"},  // further capitals do not matter
      {"Édith", "Édith+Prop-Std"},
      {"Ab c", "Ab c+Prop-Std"},  // a letter after the space
      {"Hello\u0301", ""},        // ends in a combining mark (Mn)
      {"Hello™", ""},             // ends in a symbol (So)
      {"Hello ", ""},             // ends in a space
      {"Hello+", ""},             // a math symbol (Sm)
      {"hello", ""},
      {"HELLO", ""},
      {"A", ""},
      {"x", ""},
      {"中文", ""},  // other letters without a capital before them
      {"ǅa", ""},    // a title-case letter is not an upper-case one
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup.up(c.word), expected(c)) << c.word;
}

TEST(ICULookupTest, TextsThatWouldReadAsCompoundsOrLoseTheirStemGetABackslash) {
  ICULookup lookup(nullptr);
  const std::vector<Case> cases = {
      {"#", "\\#+Punct"},     {"#tag", "\\#tag+Punct"}, {"\\", "\\\\+Punct"},
      {"\\n", "\\\\n+Punct"}, {"a#", "a#+Punct"},  // only a leading "#" is protected
  };
  for (const auto& c : cases) EXPECT_EQ(lookup.up(c.word), expected(c)) << c.word;
}

TEST(ICULookupTest, ConverterIsNotUsed) {
  ICULookup folded(std::make_shared<LookupConverterLowercase>());
  EXPECT_THAT(folded.up("Hello"), ElementsAre("Hello+Prop-Std"));
  EXPECT_THAT(folded.up("HELLO"), IsEmpty());
}

TEST(ICULookupTest, BadUtf8Raises) {
  ICULookup lookup(nullptr);
  EXPECT_THROW(lookup.up("Hell\xff"), utf8::exception);
  EXPECT_THROW(lookup.up("Hell\xc3"), utf8::exception);
  EXPECT_THROW(lookup.up("\xed\xa0\x80"), utf8::exception);  // a surrogate
}

TEST(ICULookupTest, PrintResults) {
  ICULookup lookup(nullptr);
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("Hello"); }),
            "  -g- Hello+Prop-Std\n");
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("hello"); }), "");
}

}  // namespace
}  // namespace afst
}  // namespace zel
