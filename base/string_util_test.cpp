#include "base/string_util.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace string {
namespace {

using Parts = std::vector<std::string>;

TEST(StartsEndsWith, ComparesBytes) {
  struct Case {
    std::string text;
    std::string part;
    bool starts;
    bool ends;
  };
  std::vector<Case> const cases = {
      {"abc", "", true, true},     {"abc", "ab", true, false}, {"abc", "bc", false, true},
      {"abc", "abc", true, true},  {"abc", "abcd", false, false},
      {"", "", true, true},        {"", "a", false, false},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(starts_with(c.text, c.part), c.starts) << c.text << " / " << c.part;
    EXPECT_EQ(ends_with(c.text, c.part), c.ends) << c.text << " / " << c.part;
  }
}

TEST(Iequals, FoldsAsciiLettersOnly) {
  struct Case {
    std::string a;
    std::string b;
    bool equal;
  };
  std::vector<Case> const cases = {
      {"ABC", "abc", true},
      {"abc", "abd", false},
      {"abc", "abcd", false},
      {"", "", true},
      {"\xC3\x89", "\xC3\xA9", false},  // É and é
      {"\xC3\xA9", "\xC3\xA9", true},
      {"A\xFF", "a\xFF", true},  // high bytes compared as they are
      {"\xC0", "\xE0", false},   // no Latin-1 folding of raw bytes
  };
  for (auto const& c : cases) EXPECT_EQ(iequals(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(ReplaceAll, DoesNotRescanReplacements) {
  struct Case {
    std::string text;
    std::string find;
    std::string replacement;
    std::string result;
  };
  std::vector<Case> const cases = {
      {"aaa", "a", "aa", "aaaaaa"},
      {"a.b.c", ".", "::", "a::b::c"},
      {"abcabc", "bc", "", "aa"},
      {"xyz", "q", "r", "xyz"},
      {"aaaa", "aa", "a", "aa"},
      {"abc", "", "x", "abc"},  // nothing to find: unchanged
      {"", "", "x", ""},
  };
  for (auto const& c : cases) {
    std::string text = c.text;
    replace_all(text, c.find, c.replacement);
    EXPECT_EQ(text, c.result) << c.text << " / " << c.find;
  }
}

TEST(Findn, CountsOccurrencesAfterTheFirstByte) {
  struct Case {
    std::string text;
    char c;
    int n;
    std::size_t position;
  };
  std::vector<Case> const cases = {
      {"a/b/c", '/', 1, 1},
      {"a/b/c", '/', 2, 3},
      {"a/b/c", '/', 3, 5},
      {"/x", '/', 1, 2},
      {"//x", '/', 1, 1},
      {"a/b", '/', 0, 0},
      {"a/b", '/', -1, 0},
      {"", '/', 1, 0},
      {"http://host/path/x", '/', 3, 11},
  };
  for (auto const& c : cases) EXPECT_EQ(findn(c.text, c.c, c.n), c.position) << c.text << " " << c.n;
}

TEST(StripQuotes, DropsEnclosingBytes) {
  std::vector<std::pair<std::string, std::string>> const cases = {
      {"\"ab\"", "ab"}, {"\"ab", "a"}, {"\"", "\""}, {"ab", "ab"},
      {"\"\"", ""},     {"", ""},      {"a\"", "a\""},
  };
  for (auto const& [text, result] : cases) EXPECT_EQ(strip_quotes(text), result) << text;
}

TEST(Cleaning, SpacesDashesAndLineBreaks) {
  struct Case {
    char const* name;
    void (*clean)(std::string&);
    std::string text;
    std::string result;
  };
  std::vector<Case> const cases = {
      {"multi spaces", clean_multi_spaces, "a   b  c", "a b c"},
      {"multi spaces at the ends", clean_multi_spaces, "  a  ", " a "},
      {"single spaces stay", clean_multi_spaces, "a b", "a b"},
      {"tabs are not spaces", clean_multi_spaces, "a\t\tb", "a\t\tb"},
      {"dash chain", clean_dashes, "a - - b", "a b"},
      {"dash", clean_dashes, "new - york", "new york"},
      {"hyphen inside a word", clean_dashes, "a-b", "a-b"},
      {"dash without spaces after", clean_dashes, "a -b", "a -b"},
      {"crlf", cleanup_crlf, "a\r\nb", "ab"},
      {"lone line breaks", cleanup_crlf, "\na\rb\n", "ab"},
  };
  for (auto const& c : cases) {
    std::string text = c.text;
    c.clean(text);
    EXPECT_EQ(text, c.result) << c.name;
  }
}

TEST(CleanAndTrim, DecodesTrimsAndCollapses) {
  struct Case {
    char const* name;
    std::string text;
    std::string result;
    int code;
  };
  std::vector<Case> const cases = {
      {"trim and collapse", "\t  x   y\n", "x y", 0},
      {"control bytes at the ends", "\x01\x0D" "a\x0B", "a", 0},
      {"bytes above 0D stay", "\x0E" "a", "\x0E" "a", 0},
      // Trailing UTF-8 bytes are not control bytes.
      {"multibyte ends stay", "\xC3\xA9t\xC3\xA9 ", "\xC3\xA9t\xC3\xA9", 0},
      {"kept escape", " a\\,b ", "a\\,b", 0},
      {"resolved escape", "\\u0041 \\x42", "A B", 0},
      // The escaped space is reported, resolved to a space and trimmed.
      {"escaped space", "\\  a", "a", 1},
      {"empty", "", "", 0},
      {"only blanks", " \t\r\n ", "", 0},
  };
  for (auto const& c : cases) {
    std::string text = c.text;
    unicode::ErrorCode error;
    clean_and_trim(text, unicode::special_chars, &error);
    EXPECT_EQ(text, c.result) << c.name;
    EXPECT_EQ(error.code, c.code) << c.name;
  }
}

TEST(Join, SelectsAnIndexRange) {
  Parts const parts = {"a", "b", "c"};
  std::set<std::string> const set = {"c", "a", "b"};
  struct Case {
    int32_t first;
    int32_t last;
    std::string result;
  };
  std::vector<Case> const cases = {
      {0, -1, "a,b,c"}, {1, -1, "b,c"}, {0, 2, "a,b"}, {-2, -1, "c"},
      {2, 1, ""},       {-9, -1, "a,b,c"}, {0, 3, "a,b,c"}, {1, 1, ""},
      {0, 9, "a,b,c"},  // beyond the end: taken as the end
  };
  for (auto const& c : cases) {
    EXPECT_EQ(join(parts, ",", c.first, c.last), c.result) << c.first << ".." << c.last;
    EXPECT_EQ(join(set, ",", c.first, c.last), c.result) << "set " << c.first << ".." << c.last;
  }
  EXPECT_EQ(join(Parts{}, ",", 0, -1), "");
  EXPECT_EQ(join(Parts{"x", "y"}, " - ", 0, -1), "x - y");
}

TEST(SplitVector, OneSeparatorByte) {
  struct Case {
    std::string text;
    bool skip_empty;
    Parts parts;
  };
  std::vector<Case> const cases = {
      {"a,b", false, {"a", "b"}},
      {"a,,b", false, {"a", "b"}},
      {"a,,b", true, {"a", "b"}},
      {",a,", false, {"", "a", ""}},
      {",a,", true, {"a"}},
      {",,", false, {"", ""}},
      {",,", true, {}},
      {"abc", false, {"abc"}},
      {"", false, {}},
      {"", true, {}},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(split_vector(c.text, ',', c.skip_empty), c.parts) << c.text << " " << c.skip_empty;

    // The range forms agree, except that empty input gives one empty part.
    Parts const from_input = c.text.empty() && !c.skip_empty ? Parts{""} : c.parts;
    char const* begin = c.text.data();
    char const* end = begin + c.text.size();
    EXPECT_EQ(split_vector(begin, end, ',', c.skip_empty), from_input) << c.text;
    Parts view_out;
    split_vector(view_out, std::string_view(c.text), ',', c.skip_empty);
    EXPECT_EQ(view_out, from_input) << c.text;
    Parts range_out;
    split_vector(range_out, begin, end, ',', c.skip_empty);
    EXPECT_EQ(range_out, from_input) << c.text;
  }
}

TEST(SplitVector, SeparatorList) {
  struct Case {
    std::string text;
    bool skip_empty;
    Parts parts;
  };
  std::vector<Case> const cases = {
      {"a;;b,c", false, {"a", "", "b", "c"}},
      {"a;;b,c", true, {"a", "b", "c"}},
      {";a,", false, {"", "a", ""}},
      {";a,", true, {"a"}},
      {"a;,b", false, {"a", "", "b"}},
      {"abc", false, {"abc"}},
      {"", false, {}},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(split_vector(c.text, ";,", c.skip_empty), c.parts) << c.text << " " << c.skip_empty;
    Parts const from_input = c.text.empty() && !c.skip_empty ? Parts{""} : c.parts;
    Parts text_out;
    split_vector(text_out, c.text, ";,", c.skip_empty);
    EXPECT_EQ(text_out, from_input) << c.text;
    Parts range_out;
    split_vector(range_out, c.text.data(), c.text.data() + c.text.size(), ";,", c.skip_empty);
    EXPECT_EQ(range_out, from_input) << c.text;
  }
}

TEST(SplitVector, AppendsToTheOutputList) {
  Parts out = {"x"};
  split_vector(out, std::string_view("a b"), ' ', true);
  split_vector(out, std::string("c;d"), ";", true);
  EXPECT_EQ(out, (Parts{"x", "a", "b", "c", "d"}));
}

TEST(SplitVector, ZeroBytesAreNotInTheSeparatorList) {
  std::string const text("a\0b;c", 5);
  EXPECT_EQ(split_vector(text, ";", false), (Parts{std::string("a\0b", 3), "c"}));
}

TEST(SplitSet, ReplacesTheSetWithDistinctParts) {
  struct Case {
    std::string text;
    std::set<std::string> before;
    std::set<std::string> after;
  };
  std::vector<Case> const cases = {
      {"b,a,b", {}, {"a", "b"}},
      {"a,,b", {}, {"a", "b"}},
      {",a", {}, {"", "a"}},
      {"a", {"old"}, {"a"}},
      {"", {"keep", "me"}, {"keep", "me"}},
  };
  for (auto const& c : cases) {
    std::set<std::string> set = c.before;
    EXPECT_EQ(&split_set(set, c.text, ','), &set);
    EXPECT_EQ(set, c.after) << c.text;
  }
}

TEST(CodePointPredicates, FollowTheirCharacterLists) {
  struct Case {
    char const* name;
    bool (*predicate)(uint32_t);
    std::vector<uint32_t> yes;
    std::vector<uint32_t> no;
  };
  std::vector<Case> const cases = {
      {"closing_quoteations", closing_quoteations, {0x00BB, 0x201D}, {0x201C, 0x22, 0x00AB}},
      {"is_quote", is_quote, {0x201C, 0x201D, 0x2019, 0x2018, 0x00BB}, {0x22, 0x00AB, 0x27}},
      {"inverted_sentence_begin", inverted_sentence_begin, {0x00A1, 0x00BF}, {0x21, 0x3F}},
      {"sentence_begin",
       sentence_begin,
       {0x00A1, 0x00BF, 'A', 0x00C9, 0x0416, '-', 0x2013, '#'},
       {'a', '5', 0x2014, ' '}},
      {"is_whitespace", is_whitespace, {' ', '\t', '\n', 0x00A0, 0x2003}, {'a', 0x200B}},
      {"withespace", withespace, {' ', '\t', 0x00A0, 0x2003}, {'a', '_'}},
      {"no_withespace", no_withespace, {'a', '_', 0x00E9}, {' ', '\t', 0x00A0}},
      {"visual_withespace", visual_withespace, {' ', '\t'}, {'\n', 0x00A0}},
      {"is_nummber", is_nummber, {'0', '9', 0x0663}, {'a', 0x00BD, 0x2164}},
  };
  for (auto const& c : cases) {
    for (uint32_t cp : c.yes) EXPECT_TRUE(c.predicate(cp)) << c.name << " " << std::hex << cp;
    for (uint32_t cp : c.no) EXPECT_FALSE(c.predicate(cp)) << c.name << " " << std::hex << cp;
  }
}

}  // namespace
}  // namespace string
}  // namespace zel
