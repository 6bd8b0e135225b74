#include "matcher/attribute_parser.h"

#include <string>
#include <thread>
#include <vector>

#include <boost/spirit/include/qi.hpp>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"

namespace zel {
namespace kavero {
namespace {

using Expectation =
    boost::spirit::qi::expectation_failure<std::string::const_iterator>;

// Every pair as key "=" text, a format value marked with "f:", joined by
// "|".
std::string shown(const Attributes& list) {
  std::string out;
  for (const Attribute& pair : list) {
    if (!out.empty()) out += '|';
    out += pair.first + '=';
    if (pair.second.type() == typeid(AttributeFormatValue)) out += "f:";
    out += to_string(pair.second);
  }
  return out;
}

struct Case {
  const char* text;
  const char* pairs;
  bool error_line;
};

void check(Attributes (*parse)(const std::string&), const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Attributes list;
    const std::string output = testing::capture_stdout([&] { list = parse(c.text); });
    EXPECT_EQ(shown(list), c.pairs);
    EXPECT_EQ(output, c.error_line ? "ERROR:[" + std::string(c.text) + "]\n" : "");
  }
}

TEST(ParseAttributes, ValuesOfTheRulesInsertingConcepts) {
  check(parse_attributes, {
      {R"(@a="x y";b=2)", "a=x y|b=2", false},
      {R"(@a="say \"hi\" \n")", R"(a=say "hi" \n)", false},
      {R"(@a="""he said "no" twice""")", R"(a=he said "no" twice)", false},
      {R"(@a=f"{capture.stem}";b=f"""{rule.name} "x" """)",
       R"(a=f:{capture.stem}|b=f:{rule.name} "x" )", false},
      // An empty quoted value is not quoted: the bare text of two quotes.
      {R"(@a="")", R"(a="")", false},
      {"@a=b=c", "a=b=c", false},
      {"@a=1 ", "a=1 ", false},
      {"  @a=1\t\n", "a=1\t\n", false},
      // Values that begin with f but are no formats are bare texts.
      {"@flag=false;gender=female", "flag=false|gender=female", false},
      {"@a=1;b=2;", "a=1|b=2", true},
      // Nothing is skipped inside the text, only around it.
      {"@ a=1", " a=1", false},
      {"\xa0@a=\"x\"\x85", "a=x", false},
      {"@a=\"x\" ", "a=x", false},
      {"@a=f", "a=f", false},
      {"@a", "", true},
      {R"(@a="x"y)", "a=x", true},
      {"a=1", "", true},
      {"@", "", true},
      {"", "", false},
  });
}

TEST(ParseAttributes, AFormatThatIsNotWellFormedIsRaised) {
  for (const char* text : {R"(@a=f"")", R"(@a=f")", R"(@a=f"abc)", R"(@a=f"""x)"}) {
    EXPECT_THROW(parse_attributes(text), Expectation) << text;
  }
}

TEST(ParseAttributesMatcher, ValuesKeepTheirKindInTheirFirstCharacter) {
  check(parse_attributes_matcher, {
      {R"(@gender="f")", R"(gender="f)", false},
      {R"( @ gender = "f" ; name = /A.*/ )", R"(gender ="f|name =/A.*)", false},
      {R"(@a="""raw "text" """)", R"(a=raw "text" )", false},
      {R"(@a="x\"y")", R"(a="x\y)", false},
      {R"(@a="x y";b=/x;y/)", R"(a="x y|b=/x;y)", false},
      {"\x85@a=\"x\"\xa0;\tb=\"y\"  ", R"(a="x|b="y)", false},
      {R"(@a="")", "", true},
      {"@a=//", "", true},
      {R"(@a="x";)", R"(a="x)", true},
      {"@a=bare", "", true},
      {R"(@a="x";b=bare)", R"(a="x)", true},
      {"", "", false},
  });
}

TEST(ParseAttributesMatcher, ABackslashMustBeFollowedByAQuote) {
  EXPECT_THROW(parse_attributes_matcher(R"(@a="x\y")"), Expectation);
}

TEST(ParseAttributes, ManyThreadsShareNothingButTheResults) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&wrong, t] {
      for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        if (shown(parse_attributes("@a=\"" + n + "\";b=" + n)) != "a=" + n + "|b=" + n) ++wrong[t];
        if (shown(parse_attributes_matcher("@a=/" + n + "/")) != "a=/" + n) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
