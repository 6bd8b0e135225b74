#include "base/regex.h"

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/regex_patterns.h"

namespace zel {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

std::ptrdiff_t offset(const std::string& text, std::string::const_iterator it) {
  return it - text.begin();
}

TEST(Regex, WholeMatchReportsEveryGroupAlsoThoseThatTookNoPart) {
  const Regex re("(a+)(b)?", false);
  const std::string text = "aa";
  SMatch m;
  ASSERT_TRUE(re.regex_match(text, m));
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].text, "aa");
  EXPECT_EQ(m[1].text, "aa");
  EXPECT_TRUE(m[1].matched);
  EXPECT_FALSE(m[2].matched);
  EXPECT_EQ(m[2].text, "");

  EXPECT_FALSE(re.regex_match(std::string("aab c")));
  EXPECT_TRUE(re.regex_match(std::string("ab")));
}

TEST(Regex, RangeMatchCoversTheWholeRange) {
  const Regex re("[0-9]+", false);
  const char text[] = "12a34";
  EXPECT_TRUE(re.regex_match(text, text + 2));
  EXPECT_FALSE(re.regex_match(text, text + 3));
  EXPECT_TRUE(re.regex_match(text + 3, text + 5));
}

TEST(Regex, SearchReportsPositionsInTheSubjectText) {
  const Regex re("b", false);
  const std::string text = "abc";
  SMatch m;
  ASSERT_TRUE(re.regex_search(text, m));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "b");
  EXPECT_EQ(offset(text, m[0].first), 1);
  EXPECT_EQ(offset(text, m[0].second), 2);
  EXPECT_EQ(m.text_begin(), text.begin());
  EXPECT_EQ(m.text_end(), text.end());

  SMatch none;
  EXPECT_FALSE(Regex("x", false).regex_search(text, none));
  EXPECT_TRUE(none.empty());
}

TEST(Regex, SearchOverARangeTreatsTheRangeAsTheSubject) {
  const Regex re("^b", false);
  const std::string text = "abc";
  SMatch whole;
  EXPECT_FALSE(re.regex_search(text, whole));
  SMatch part;
  ASSERT_TRUE(re.regex_search(text.begin() + 1, text.end(), part));
  EXPECT_EQ(offset(text, part[0].first), 1);
  EXPECT_EQ(offset(text, part.text_begin()), 1);
}

TEST(Regex, CaseModeIsChosenAtCompilation) {
  EXPECT_FALSE(Regex("abc", false).regex_match(std::string("ABC")));
  EXPECT_TRUE(Regex("abc", true).regex_match(std::string("ABC")));
}

TEST(Regex, CopiesShareTheCompiledExpression) {
  const Regex a("x+", false);
  const Regex b = a;
  EXPECT_TRUE(a.shares_expression_with(b));
  EXPECT_FALSE(a.shares_expression_with(Regex("x+", false)));
}

TEST(Regex, InvalidPatternRaisesARuntimeError) {
  EXPECT_THROW(Regex("(unclosed", false), std::runtime_error);
  EXPECT_THROW(Regex("a{2,1}", false), std::runtime_error);
}

TEST(Regex, EmptyExpressionRefusesToMatch) {
  const Regex empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_THROW(empty.regex_match(std::string("a")), std::logic_error);
  const std::string text = "a";
  EXPECT_THROW(RegexIterator(text, empty), std::logic_error);
}

std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> spans(const std::string& text,
                                                            const Regex& re) {
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> out;
  for (RegexIterator it(text, re), end; it != end; ++it) {
    out.emplace_back(offset(text, (*it)[0].first), offset(text, (*it)[0].second));
    // A walk that does not move on must fail here rather than hang.
    if (out.size() > 2 * text.size() + 2) break;
  }
  return out;
}

TEST(RegexIterator, WalksSuccessiveMatchesWithTheirGroups) {
  const std::string text = "a ${one} b $(two) ${x}";
  const Regex re(variable_reference_pattern, false);
  std::vector<std::string> names;
  for (RegexIterator it(text, re), end; it != end; ++it) {
    names.push_back((*it)[1].matched ? (*it)[1].text : (*it)[2].text);
  }
  EXPECT_THAT(names, ElementsAre("one", "two"));
}

TEST(RegexIterator, NoMatchIsTheEndAtOnce) {
  const std::string text = "abc";
  EXPECT_TRUE(RegexIterator(text, Regex("z", false)) == RegexIterator());
}

TEST(RegexIterator, EmptyMatchesMoveOnAndTheWalkEnds) {
  // As Perl's global match does: "" at 0, "x" at 1, "" at 2 and 3.
  EXPECT_THAT(spans("axb", Regex("x*", false)),
              ElementsAre(Pair(0, 0), Pair(1, 2), Pair(2, 2), Pair(3, 3)));
  // A walk never stops inside a UTF-8 character.
  EXPECT_THAT(spans("\xC3\xA9" "a", Regex("", false)),
              ElementsAre(Pair(0, 0), Pair(2, 2), Pair(3, 3)));
}

TEST(RegexIterator, AnchorsReferToTheWholeText) {
  EXPECT_THAT(spans("aaa", Regex("^a", false)), ElementsAre(Pair(0, 1)));
  EXPECT_THAT(spans("ab b", Regex("\\bb", false)), ElementsAre(Pair(3, 4)));
}

TEST(RegexReplace, ReplacesEveryMatchWithTheExpandedFormat) {
  EXPECT_EQ(RegexReplace("a1b22c", Regex("[0-9]+", false), "<$&>"), "a<1>b<22>c");
  EXPECT_EQ(RegexReplace("key=value", Regex("(\\w+)=(\\w+)", false), "$2:$1"), "value:key");
  EXPECT_EQ(RegexReplace("abc", Regex("x", false), "y"), "abc");
}

TEST(RegexFactory, CachesOneExpressionPerPatternAndCaseMode) {
  RegexFactory factory;
  const Regex a = factory.make_regex("ab+", false);
  EXPECT_TRUE(a.shares_expression_with(factory.make_regex("ab+", false)));
  EXPECT_FALSE(a.shares_expression_with(factory.make_regex("ab+c", false)));

  // The case mode is part of the key, in either order of first use.
  const Regex insensitive = factory.make_regex("ab+", true);
  EXPECT_FALSE(insensitive.shares_expression_with(a));
  EXPECT_TRUE(insensitive.regex_match(std::string("ABB")));
  EXPECT_FALSE(a.regex_match(std::string("ABB")));
  EXPECT_TRUE(insensitive.shares_expression_with(factory.make_regex("ab+", true)));
}

TEST(RegexFactory, ABadPatternIsNotCached) {
  RegexFactory factory;
  EXPECT_THROW(factory.make_regex("(", false), std::runtime_error);
  EXPECT_THROW(factory.make_regex("(", false), std::runtime_error);
}

TEST(ProcessWideRegexCache, SharesOneExpressionPerPattern) {
  const std::string pattern = "process-wide[0-9]+";
  const Regex a = kav_regex(pattern);
  EXPECT_TRUE(a.shares_expression_with(kav_regex(pattern)));
  const Regex same = kav_regex_case_insenitive(pattern);
  EXPECT_TRUE(same.shares_expression_with(a));
  EXPECT_FALSE(same.regex_match(std::string("PROCESS-WIDE1")));

  const Regex insensitive = RegexFactory::get_regex(pattern, true);
  EXPECT_FALSE(insensitive.shares_expression_with(a));
  EXPECT_TRUE(insensitive.regex_match(std::string("PROCESS-WIDE1")));
}

TEST(ProcessWideRegexCache, ReleasesItsLockWhenCompilingFails) {
  EXPECT_THROW(kav_regex("[unclosed"), std::runtime_error);
  // A second failure and a success afterwards would hang on a held lock.
  EXPECT_THROW(kav_regex("[unclosed"), std::runtime_error);
  EXPECT_TRUE(kav_regex("after failure").regex_match(std::string("after failure")));
}

TEST(ProcessWideRegexCache, ThreadsAskingAtOnceGetTheSameExpression) {
  const std::string pattern = "concurrent (first|second) [a-z]+";
  std::vector<Regex> got(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < got.size(); ++i) {
    threads.emplace_back([&got, &pattern, i] { got[i] = kav_regex(pattern); });
  }
  for (auto& t : threads) t.join();
  for (const Regex& r : got) EXPECT_TRUE(r.shares_expression_with(got[0]));
}

struct SharedPatternCase {
  const char* name;
  const char* pattern;
  std::string text;
  std::vector<std::string> groups;  // entries 0.. of the first search; empty: no match
};

TEST(SharedPatterns, CompileAndFindWhatTheyAreFor) {
  const std::vector<SharedPatternCase> cases = {
      {"formatted-text variable", fstring_variable_pattern, "Hi {capture.name}!",
       {"{capture.name}"}},
      {"formatted-text variable with a call", fstring_variable_pattern, "{normalize(x)}",
       {"{normalize(x)}"}},
      {"formatted-text plain braces", fstring_variable_pattern, "{abc}", {}},
      {"variable in braces", variable_reference_pattern, "x ${AB_1} y", {"${AB_1}", "AB_1", ""}},
      {"variable in parentheses", variable_reference_pattern, "$(CD)", {"$(CD)", "", "CD"}},
      {"variable of one character", variable_reference_pattern, "${A}", {}},
      {"forbidden word", forbidden_words_pattern, "x.os.system", {"os."}},
      {"harmless word", forbidden_words_pattern, "value", {}},
      {"indexed reference", indexed_reference_pattern, "tok[2].stem", {"tok[2].stem", "tok", "2", "stem"}},
      {"index zero", indexed_reference_pattern, "tok[0]", {}},
      {"plugin URI", plugin_uri_pattern, "::geo::places::lookup", {"::geo::places::lookup", "geo", "places", "lookup"}},
      {"version", version_pattern, "1.22.3", {"1.22.3", "1", "22", "3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SMatch m;
    const bool found = Regex(c.pattern, false).regex_search(c.text, m);
    ASSERT_EQ(found, !c.groups.empty());
    for (std::size_t i = 0; i < c.groups.size(); ++i) EXPECT_EQ(m[i].text, c.groups[i]) << i;
  }
}

}  // namespace
}  // namespace zel
