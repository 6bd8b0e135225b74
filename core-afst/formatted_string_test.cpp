#include "core-afst/formatted_string.h"

#include <gtest/gtest.h>
#include <utf8.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core-afst/builder.h"
#include "core-afst/network_paths_testutil.h"

namespace zel {
namespace afst {
namespace {

using Paths = std::set<std::string>;

// The input sequences a formatted string accepts, as the rule compiler uses
// it: inside a group of its own within one rule. Every output is "eps".
Paths inputs_of(const std::string& text, size_t max_steps) {
  auto b = std::make_shared<Builder>();
  b->open_rule();
  b->open_group();
  add_formatted_string(b, text.c_str());
  b->close_group("");
  b->close_rule();
  Paths inputs;
  for (const auto& relation : zel::testing::accepted_relations(*b->build(true), max_steps)) {
    const auto arrow = relation.find(" -> ");
    EXPECT_EQ(relation.substr(arrow), " -> ") << relation;
    inputs.insert(relation.substr(0, arrow));
  }
  return inputs;
}

TEST(FormattedStringTest, Syntax) {
  struct Case {
    std::string text;
    Paths inputs;
    size_t max_steps = 10;  // where a loop is, the paths up to this length
  };
  const std::vector<Case> cases = {
      {"abc", {"a b c"}},
      {"a.b", {"a ?? b"}},
      // A star that follows no parenthesis is a character; so are the other
      // repetition and range characters.
      {"a*", {"a *"}},
      {"a+?{2}$,]", {"a + ? { 2 } $ , ]"}},
      {"\\(", {"("}},
      {"\\\\x", {"\\ x"}},
      {"a\\", {"a"}},
      {"x[#end]", {"x #end"}},
      {"[abc]d", {"abc d"}},
      // No escape sequence is resolved inside or outside brackets.
      {"[\\u0041]", {"\\u0041"}},
      {"\\u0041", {"u 0 0 4 1"}},
      {"\xC3\xA9t\xC3\xA9", {"\xC3\xA9 t \xC3\xA9"}},
      {"(c|d)", {"c", "d"}},
      {"ab(c|d)*", {"a b", "a b c", "a b d", "a b c c", "a b c d", "a b d c", "a b d d"}, 4},
      {"(ab)+", {"a b", "a b a b"}, 4},
      {"(ab)?c", {"c", "a b c"}},
      {"(ab){2,3}", {"a b a b", "a b a b a b"}},
      {"(ab){2}", {"a b a b"}},
      {"(a)b", {"a b"}},
      {"(a|b)(c|d)", {"a c", "a d", "b c", "b d"}},
      // An empty alternative is dropped; a group of nothing but empty
      // alternatives is the empty sequence, and so is any closure of it.
      {"(a|)", {"a"}},
      {"(|)", {""}},
      {"a(|)b", {"a b"}},
      {"(|)?", {""}},
      {"(|)*", {""}},
      {"(|)+", {""}},
      {"(|){1,3}", {""}},
      {"(|){0}", {""}},
      {"((|)|)*", {""}},
      {"a(||)?b(|)*", {"a b"}},
      {"((|)a|b)", {"a", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(inputs_of(c.text, c.max_steps), c.inputs);
  }
}

TEST(FormattedStringTest, ArcsOutputEps) {
  Builder b;
  b.open_rule();
  add_formatted_string(&b, std::string("a[#end]"));
  b.close_rule();
  EXPECT_EQ(zel::testing::accepted_paths(*b.build(true)), (Paths{"a:eps #end:eps"}));
  EXPECT_EQ(b.upper_table()->NumSymbols(), 2u);
}

TEST(FormattedStringTest, Errors) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"[abc", "missing braket ]"},
      {"x(a){2", "missing } braket]"},
      {"(a){x}", "ERROR: AFST Closure invalid_argument, could not convert value"},
      {"(a){1,2,3}", "ERROR: Invalid iterator type or range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto b = std::make_shared<Builder>();
    b->open_rule();
    try {
      add_formatted_string(b, c.text);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.error);
    }
  }
  Builder b;
  b.open_rule();
  EXPECT_THROW(add_formatted_string(&b, "a\xC3"), utf8::exception);
  // What came before the failure stays.
  EXPECT_EQ(b.current_item()->network->NumStates(), 2);
}

}  // namespace
}  // namespace afst
}  // namespace zel
