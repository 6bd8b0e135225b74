#include "base/rule_pattern.h"

#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/regex.h"

namespace zel {
namespace kav {
namespace {

struct ConversionCase {
  const char* name;
  std::string input;
  std::string output;
};

// The alternation of every byte from `from` to `to`, each special byte of the
// expression syntax escaped.
std::string byte_alternation(char from, char to) {
  const std::string special = "()*+?[]{}.|^$\\";
  std::string out;
  for (int c = from; c <= to; ++c) {
    if (!out.empty()) out += '|';
    if (special.find(static_cast<char>(c)) != std::string::npos) out += '\\';
    out += static_cast<char>(c);
  }
  return out;
}

TEST(ConvertRange, RewritesClassesIntoAlternations) {
  const std::vector<ConversionCase> cases = {
      {"empty", "", ""},
      {"no class", "a.b*", "a.b*"},
      {"plain class", "a[bc]d", "a(?:b|c)d"},
      {"range and escaped full stop", "[a-c.]", "(?:a|b|c|\\.)"},
      {"escaped item", "[\\.x]", "(?:\\.|x)"},
      {"bracket bytes are escaped", "[()[]", "(?:\\(|\\)|\\[)"},
      {"caret is an ordinary item", "[^a]", "(?:^|a)"},
      {"unclosed class", "[abc", "(?:a|b|c)"},
      {"escaped bracket opens no class", "\\[a\\]", "\\[a\\]"},
      {"backslash ends the text", "a\\", "a\\"},
      {"two classes", "[ab]-[cd]", "(?:a|b)-(?:c|d)"},
      {"dash after a range", "[a-b-]", "(?:a|b|-)"},
      {"range ending at the bracket", "[+-]", "(?:" + byte_alternation('+', ']') + ")"},
      {"range holding expression syntax", "[Z-a]", "(?:" + byte_alternation('Z', 'a') + ")"},
      {"two-byte characters", "[\xC3\xA4\xC3\xB6]", "(?:\xC3\xA4|\xC3\xB6)"},
      {"three-byte character", "x[\xE2\x82\xAC$]", "x(?:\xE2\x82\xAC|$)"},
      {"range of two-byte characters", "[\xC3\xA0-\xC3\xA2]",
       "(?:\xC3\xA0|\xC3\xA1|\xC3\xA2)"},
      {"escaped two-byte character", "[\\\xC3\xA4x]", "(?:\\\xC3\xA4|x)"},
      {"stray byte stays one item", "[\xA4x]", "(?:\xA4|x)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(convert_range(c.input), c.output);
  }
}

TEST(ConvertRange, RejectsMalformedClasses) {
  const std::vector<ConversionCase> cases = {
      {"bracket outside a class", "x]", "invalid expression ] need to be escaped."},
      {"bracket after a class", "[a]]", "invalid expression ] need to be escaped."},
      {"reversed range", "[z-a]", "begin range is bigger then the end range."},
      {"reversed range of two-byte characters", "[\xC3\xA2-\xC3\xA0]",
       "begin range is bigger then the end range."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      convert_range(c.input);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.output);
    }
  }
}

TEST(ConvertRange, ConvertedClassesMatchWholeCharactersLiterally) {
  const Regex umlaut(convert_range("[\xC3\xA4\xC3\xB6]x"), false);
  EXPECT_TRUE(umlaut.regex_match(std::string("\xC3\xA4x")));
  EXPECT_TRUE(umlaut.regex_match(std::string("\xC3\xB6x")));
  // One byte of a character is no character of the class.
  EXPECT_FALSE(umlaut.regex_match(std::string("\xC3x")));
  EXPECT_FALSE(umlaut.regex_match(std::string("\xB6x")));

  // A range over bytes that the expression syntax reads specially matches
  // exactly those characters, each literally, and never the empty text.
  const Regex punctuation(convert_range("[#-0]"), false);
  for (const char* yes : {"#", "$", "(", "*", ".", "0"}) {
    EXPECT_TRUE(punctuation.regex_match(std::string(yes))) << yes;
  }
  for (const char* no : {"a", "", "1"}) {
    EXPECT_FALSE(punctuation.regex_match(std::string(no))) << no;
  }
  const Regex around_backslash(convert_range("[Z-a]"), false);
  for (const char* yes : {"\\", "^", "_", "a", "[", "]"}) {
    EXPECT_TRUE(around_backslash.regex_match(std::string(yes))) << yes;
  }
  for (const char* no : {"|", "", "b"}) {
    EXPECT_FALSE(around_backslash.regex_match(std::string(no))) << no;
  }
}

TEST(ConvertRange, StandardLibraryExpressions) {
  EXPECT_TRUE(std::regex_match("xb", kav_regex("x[a-c]")));
  EXPECT_FALSE(std::regex_match("XB", kav_regex("x[a-c]")));
  EXPECT_TRUE(std::regex_match("XB", kav_regex_case_insenitive("x[a-c]")));
  EXPECT_THROW(kav_regex("[c-a]"), std::runtime_error);
}

}  // namespace
}  // namespace kav
}  // namespace zel
