#include "core-afst/arc_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <utf8.h>

#include "base/exception.h"
#include "base/output_capture_testutil.h"
#include "core-afst/builder.h"
#include "core-afst/network_paths_testutil.h"

namespace zel {
namespace afst {
namespace {

using Pairs = std::vector<LabelPair>;
using Paths = std::set<std::string>;
using zel::string::unicode::ErrorCode;
using zel::testing::accepted_relations;
using zel::testing::capture_stderr;

TEST(ArcLineTest, RawLines) {
  struct Case {
    std::string line;
    Pairs pairs;
    std::string escape_errors;
  };
  const std::vector<Case> cases = {
      {"ab:xyz", {{"a", "x"}, {"b", "y"}, {"eps", "z"}}, ""},
      {"abc:x", {{"a", "x"}, {"b", "eps"}, {"c", "eps"}}, ""},
      {"Paris:Paris[+City]",
       {{"P", "P"}, {"a", "a"}, {"r", "r"}, {"i", "i"}, {"s", "s"}, {"eps", "+City"}},
       ""},
      {"Haus:Haus[+Nn-Sg][+Neut]",
       {{"H", "H"}, {"a", "a"}, {"u", "u"}, {"s", "s"}, {"eps", "+Nn-Sg"}, {"eps", "+Neut"}},
       ""},
      // The escaped colon does not separate; it is a token, and since the
      // colon is not special its escape is reported.
      {"a\\:b:c", {{"a", "c"}, {":", "eps"}, {"b", "eps"}}, "Invalid escaped character [0x3a(:)]"},
      {"[#end]:x", {{"#end", "x"}}, ""},
      {"x[#end12]:xy", {{"x", "x"}, {"#end12", "y"}}, ""},
      // Only "#end" items are one token on the input side.
      {"[ab]:x", {{"[", "x"}, {"a", "eps"}, {"b", "eps"}, {"]", "eps"}}, ""},
      // A colon inside brackets does not separate.
      {"[a:b]:[c:d]", {{"[", "c:d"}, {"a", "eps"}, {":", "eps"}, {"b", "eps"}, {"]", "eps"}}, ""},
      // Escaped special characters are literal tokens on both sides.
      {"a\\.b:\\[x", {{"a", "["}, {".", "x"}, {"b", "eps"}}, ""},
      {"\\\\:x", {{"\\", "x"}}, ""},
      {"\\u00e9t\\x41:e", {{"\xC3\xA9", "e"}, {"t", "eps"}, {"A", "eps"}}, ""},
      {"(:[format]", {{"(", "format"}}, ""},
      {"|:[format]", {{"|", "format"}}, ""},
      {"):[format]", {{")", "format"}}, ""},
      // No colon: an input side only.
      {"ab", {{"a", "eps"}, {"b", "eps"}}, ""},
      {":x", {{"eps", "x"}}, ""},
      {"[x", {{"[", "eps"}, {"x", "eps"}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ErrorCode error;
    EXPECT_EQ(parseline_raw(c.line, builder_special_chars, error), c.pairs);
    EXPECT_EQ(error.message, c.escape_errors);
    EXPECT_EQ(error.code, c.escape_errors.empty() ? 0 : 1);
  }
}

TEST(ArcLineTest, RegexLines) {
  struct Case {
    std::string line;
    Pairs pairs;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"a(b|c)*:xyz",
       {{"a", "x"},
        {"(", "format"},
        {"b", "y"},
        {"|", "format"},
        {"c", "z"},
        {")*", "format"}},
       ""},
      {"a.b", {{"a", "eps"}, {"??", "eps"}, {"b", "eps"}}, ""},
      // A full stop from an escape is an ordinary token.
      {"a\\.b\\x2e", {{"a", "eps"}, {".", "eps"}, {"b", "eps"}, {".", "eps"}}, ""},
      {"\\(x\\)", {{"(", "eps"}, {"x", "eps"}, {")", "eps"}}, ""},
      {"[abc]d:x", {{"abc", "x"}, {"d", "eps"}}, ""},
      {"a[", {{"a", "eps"}, {"", "eps"}}, ""},
      {"(ab){2,3}",
       {{"(", "format"}, {"a", "eps"}, {"b", "eps"}, {"){2,3}", "format"}},
       ""},
      {"(ab){2", {{"(", "format"}, {"a", "eps"}, {"b", "eps"}, {"){2", "format"}}, ""},
      {"(a)b", {{"(", "format"}, {"a", "eps"}, {")", "format"}, {"b", "eps"}}, ""},
      {"ab:[+X]", {{"a", "+X"}, {"b", "eps"}}, ""},
      {"a:xy[+Z]", {{"a", "x"}, {"eps", "y"}, {"eps", "+Z"}}, ""},
      {"a\\\\b", {{"a", "eps"}, {"\\", "eps"}, {"b", "eps"}}, ""},
      {"a\\q", {{"a", "eps"}, {"q", "eps"}}, "Invalid escaped character [0x71(q)]\n"},
      {"a):x", {}, "Error missing open bracket in FST push [a):x]\n"},
      {"(a))", {}, "Error missing open bracket in FST push [(a))]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Pairs got;
    const std::string err = capture_stderr([&] {
      ErrorCode error;
      got = parseline(c.line, builder_special_chars, error);
    });
    EXPECT_EQ(got, c.pairs);
    EXPECT_EQ(err, c.err);
  }
  ErrorCode error;
  EXPECT_EQ(parseline(std::string_view("x.", 2), builder_special_chars, error),
            (Pairs{{"x", "eps"}, {"??", "eps"}}));
}

TEST(ArcLineTest, SplittingAtTheColon) {
  struct Case {
    std::string line;
    std::vector<std::string> parts;
  };
  const std::vector<Case> cases = {
      {"a:b", {"a", "b"}},
      {"a:b:c", {"a", "b:c"}},
      {"abc", {"abc"}},
      {"a\\:b", {"a\\:b"}},
      {"[x:y]:z", {"[x:y]", "z"}},
      {"\\[x:y]:z", {"\\[x:y]", "z"}},
      {"[x:y", {"[x:y"}},
      {"[x\\]:y]:z", {"[x\\]:y]", "z"}},
      // After an escaped backslash the colon separates.
      {"a\\\\:b", {"a\\\\", "b"}},
      {":", {"", ""}},
      {"\xC3\xA9:e", {"\xC3\xA9", "e"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> parts = {"kept"};
    split_up_down(parts, c.line, builder_special_chars);
    ASSERT_FALSE(parts.empty());
    EXPECT_EQ(parts.front(), "kept");
    parts.erase(parts.begin());
    EXPECT_EQ(parts, c.parts);
  }
  // Escape errors of bracketed items are reported when no colon is found.
  std::vector<std::string> parts;
  EXPECT_EQ(capture_stderr([&] { split_up_down(parts, "[\\q]x", builder_special_chars); }),
            "Invalid escaped character [0x71(q)]\n");
  EXPECT_EQ(capture_stderr([&] { split_up_down(parts, "[\\q]:x", builder_special_chars); }), "");
}

TEST(ArcLineTest, ClosureStrings) {
  struct Case {
    std::string text;  // begins with ")"
    bool repetition;
    std::string out;
    size_t consumed;  // bytes after the ")" that the position moved past
  };
  const std::vector<Case> cases = {
      {")", false, ")", 0},     {")*x", true, ")*", 1},       {")+", true, ")+", 1},
      {")?", true, ")?", 1},    {"){2,3}x", true, "){2,3}", 5}, {"){2", true, "){2", 2},
      {")\\*", false, ")", 1},  {")ab", false, ")", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const char* start = c.text.data();
    const char* position = start + 1;
    std::string out;
    EXPECT_EQ(get_closure_string(start, position, start + c.text.size(), out), c.repetition);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(static_cast<size_t>(position - start - 1), c.consumed);
  }
}

// Builds one rule from the lines and lists what it maps.
Paths rule_of(const std::vector<std::string>& lines, size_t max_steps = 8) {
  Builder b;
  b.open_rule();
  for (const auto& line : lines) EXPECT_EQ(push_arcs_line(b, line), kArcLineDone) << line;
  b.close_rule();
  return accepted_relations(*b.build(true), max_steps);
}

TEST(ArcLineTest, PushedLinesBuildPaths) {
  struct Case {
    std::vector<std::string> lines;
    Paths relations;
  };
  const std::vector<Case> cases = {
      {{"Paris:Paris[+City]"}, {"P a r i s -> P a r i s +City"}},
      {{"Haus:Haus[+Nn-Sg][+Neut]"}, {"H a u s -> H a u s +Nn-Sg +Neut"}},
      {{"[#end]:x"}, {"#end -> x"}},
      {{"regex:a(b|c)d"}, {"a b d -> ", "a c d -> "}},
      {{"regex:x(ab){2,3}"}, {"x a b a b -> ", "x a b a b a b -> "}},
      {{"regex:a(b)?:[+A]"}, {"a -> +A", "a b -> +A"}},
      // Groups of the raw form may span lines.
      {{"a:a", "(:[format]", "b:b", "|:[format]", "c:c", "):[format]", "d:d"},
       {"a b d -> a b d", "a c d -> a c d"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.front());
    EXPECT_EQ(rule_of(c.lines), c.relations);
  }
}

TEST(ArcLineTest, AnswersAndReports) {
  struct Case {
    std::string line;
    int32_t answer;
    std::string err;
    int states_after;  // states of the rule network afterwards
  };
  const std::vector<Case> cases = {
      {"", kArcLineEmpty, "", 1},
      {"ab:c", kArcLineDone, "", 3},
      // Escape errors stay silent in the raw form.
      {"a\\q", kArcLineDone, "", 3},
      {"x:x", kArcLineDone, "", 2},
      {"a+:a[format]", kArcLineUnknownFormat, "unknown format string.\n", 2},
      {"+:[format]", kArcLineUnknownFormat, "unknown format string.\n", 1},
      // Malformed regex lines change nothing and say so.
      {"regex:a)", kArcLineMalformed, "Error missing open bracket in FST push [a)]\n", 1},
      {"regex:x(ab", kArcLineMalformed, "Error missing close bracket in FST push [x(ab]\n", 1},
      {"regex:(ab){2", kArcLineMalformed, "Error missing close bracket in FST push [(ab){2]\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Builder b;
    b.open_rule();
    stack_item* rule = b.current_item();
    int32_t answer = 0;
    const std::string err = capture_stderr([&] { answer = push_arcs_line(b, c.line); });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(b.current_item(), rule);
    EXPECT_TRUE(rule->children.empty());
    EXPECT_EQ(rule->network->NumStates(), c.states_after);
  }
}

TEST(ArcLineTest, ErrorsThatPassThrough) {
  Builder b;
  b.open_rule();
  b.push_lable("a");
  b.set_read_only_tables(true);
  try {
    push_arcs_line(b, "a:b");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "ERROR: afst:builder::pushArc (upper) table is read only and label is not found[b]");
  }
  Builder c;
  c.open_rule();
  EXPECT_THROW(push_arcs_line(c, "regex:(a){1,x}"), std::runtime_error);
  EXPECT_THROW(push_arcs_line(c, "a\xC3:b"), utf8::exception);
  EXPECT_THROW(push_arcs_line(c, "\\u00e:b"), zel::Exception);
}

}  // namespace
}  // namespace afst
}  // namespace zel
