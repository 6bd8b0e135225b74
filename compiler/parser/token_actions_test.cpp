#include "compiler/parser/token_actions.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/parser/action_testutil.h"
#include "compiler/parser/parse_exception.h"
#include "language/pos_table.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {
namespace {

class TokenActions : public ActionTest {};

enum class Outcome { accepted, refused, abandoned };

TEST_F(TokenActions, ClosureAndLengthValues) {
  struct Case {
    std::string item;  // written on line 3 of the source
    Outcome outcome;
    std::string error;  // empty: none
  };
  const std::string gt0 = "Invalid closure value: left must be > 0. [";
  const std::string ge0 = "Invalid closure value: left must be >= 0. [";
  const std::string bigger = "Invalid closure value: left is bigger than the right value. [";
  const std::string nan = "Invalid closure value: not an unsigned int. [";
  const std::string count = "Invalid iterator type or range.";
  const Case cases[] = {
      {"{0,3}", Outcome::accepted, ""},
      {"{2,}", Outcome::accepted, ""},
      {"{3,3}", Outcome::accepted, ""},
      {"*", Outcome::accepted, ""},
      {"+", Outcome::accepted, ""},
      {"?", Outcome::accepted, ""},
      {"{0}", Outcome::accepted, ""},
      {"length(1,3)", Outcome::accepted, ""},
      {"length(2,)", Outcome::accepted, ""},
      {"length(1)", Outcome::accepted, ""},
      {"length(0,3)", Outcome::abandoned, gt0 + "length(0,3)]"},
      {"{3,2}", Outcome::abandoned, bigger + "{3,2}]"},
      {"length(4,2)", Outcome::abandoned, bigger + "length(4,2)]"},
      {"{a}", Outcome::abandoned, nan + "{a}]"},
      {"{1,b}", Outcome::abandoned, nan + "{1,b}]"},
      {"{ 1,2}", Outcome::abandoned, nan + "{ 1,2}]"},
      {"{-1,2}", Outcome::abandoned, ge0 + "{-1,2}]"},
      {"{99999999999}", Outcome::abandoned, nan + "{99999999999}]"},
      // A single number is bounded like the lower one of two.
      {"{-1}", Outcome::abandoned, ge0 + "{-1}]"},
      {"length(0)", Outcome::abandoned, gt0 + "length(0)]"},
      {"length(-5)", Outcome::abandoned, gt0 + "length(-5)]"},
      // A closure is accepted whatever the count check says; a length item
      // is refused.
      {"{1,2,3}", Outcome::accepted, count},
      {"{}", Outcome::accepted, count},
      {"length(1,2,3)", Outcome::refused, count},
      {"length()", Outcome::refused, count},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    clear_reported();
    source("rule:{\n\n  <x " + c.item + ">\n};");
    const SourceRange item = range_of(c.item);
    const bool length = c.item.rfind("length(", 0) == 0;
    if (c.outcome == Outcome::abandoned) {
      EXPECT_THROW(
          length ? check_length_closure_value_location(item) : check_closure_value_location(item),
          ParseException);
    } else {
      EXPECT_EQ(
          length ? check_length_closure_value_location(item) : check_closure_value_location(item),
          c.outcome == Outcome::accepted);
    }
    if (c.error.empty()) {
      EXPECT_TRUE(reported().empty());
    } else {
      EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:3:0:0:" + c.error});
    }
  }
}

TEST_F(TokenActions, ClosureTextIsTrimmed) {
  const SourceRange item = source(" \t{2,3}\n ");
  EXPECT_TRUE(check_closure_value_location(item));
  EXPECT_TRUE(reported().empty());
  std::string text = "\x01 {1,2}\r\n";
  EXPECT_EQ(check_closure_value(text), "{1,2}");
  EXPECT_EQ(text, "{1,2}");
}

TEST_F(TokenActions, UnknownPartOfSpeechListsEveryTagSorted) {
  source("rule:{ <Nn> <Foo> };");
  EXPECT_TRUE(is_valid_pos_iter(range_of("Nn")));
  EXPECT_TRUE(reported().empty());
  EXPECT_FALSE(is_valid_pos_iter(range_of("Foo")));

  std::set<std::string> tags;
  for (const auto& entry : language::pos_table::data()) tags.insert(entry.first);
  ASSERT_GT(tags.size(), 10u);
  std::string list;
  for (const std::string& tag : tags) list += tag + ",";
  EXPECT_EQ(describe(reported()),
            std::vector<std::string>{"error:1:0:0:Invalid POS : [Foo] List of valid POS's:[" +
                                     list + "]"});
  // Byte order: upper-case names before lower-case ones.
  EXPECT_LT(list.find("Adj,"), list.find("Adv,"));

  EXPECT_TRUE(is_valid_pos("Adj-Sup"));
  EXPECT_FALSE(is_valid_pos("adj"));
  EXPECT_FALSE(is_valid_pos(""));
}

TEST_F(TokenActions, PropertiesInStrictMode) {
  struct Case {
    std::string property;
    bool strict_result;
  };
  const Case cases[] = {
      {"plural", true}, {"Plural", false}, {"_x", true}, {"1st", true}, {"\xC3\x84x", true},
  };
  for (const Case& c : cases) {
    blackboard_.strict = false;
    EXPECT_TRUE(is_valid_property(c.property)) << c.property;
    blackboard_.strict = true;
    EXPECT_EQ(is_valid_property(c.property), c.strict_result) << c.property;
  }
  EXPECT_TRUE(reported().empty());
}

TEST(TokenActionsUnbound, PropertiesNeedABlackboard) {
  BlackboardBinding none(nullptr);
  EXPECT_THROW(is_valid_property("Plural"), std::logic_error);
}

TEST_F(TokenActions, LocationCountsTabStops) {
  struct Case {
    std::string text;
    std::string piece;
    int line;
    int column;
  };
  const Case cases[] = {
      {"abc", "abc", 1, 1},     {"ab x", "x", 1, 4},
      {"\tx", "x", 1, 5},       {"\t\tx", "x", 1, 9},
      {"ab\tx", "x", 1, 5},     {"abcd\tx", "x", 1, 9},
      {"line\n\tx", "x", 2, 5}, {"one\r\ntwo\n  x", "x", 3, 3},
      {"a\rbc x", "x", 2, 4},
  };
  for (const Case& c : cases) {
    source(c.text);
    const auto location = get_location(range_of(c.piece));
    EXPECT_EQ(location.first, c.line) << c.text;
    EXPECT_EQ(location.second, c.column) << c.text;
  }
}

TEST_F(TokenActions, CleanupEntryResolvesEscapesAndTrims) {
  struct Case {
    std::string text;
    std::string cleaned;
  };
  const Case cases[] = {
      {"  some   value \t", "some value"},
      {"caf\\u00e9", "caf\xC3\xA9"},
      {"a\\.b \\(c\\)", "a\\.b \\(c\\)"},
      // An invalid escape loses its backslash and is not reported.
      {"a\\qb", "aqb"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(cleanup_entry(text), c.cleaned) << c.text;
    EXPECT_EQ(text, c.cleaned);
  }
  EXPECT_TRUE(reported().empty());
}

}  // namespace
}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
