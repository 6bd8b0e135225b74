#include "compiler/parser/variables.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "base/exception.h"
#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::VariableMap;

class VariablesTest : public ::testing::Test {
 protected:
  VariablesTest() : blackboard_(std::make_shared<Options>()), binding_(&blackboard_) {
    blackboard_.set_source_filename("v.kav");
  }

  // Collects the define statements of a source into the map.
  void define(const std::string& text, const std::string& file) {
    parse_define_data(blackboard_, text, variables_, file);
  }

  std::string first_error() {
    for (const auto& sink : results::sinks()) {
      for (const auto& info : sink.second) {
        if (info.type == DiagnosticsInfo::error) {
          return std::to_string(info.line) + ": " + info.message;
        }
      }
    }
    return "";
  }

  Blackboard blackboard_;
  BlackboardBinding binding_;
  VariableMap variables_;
};

TEST_F(VariablesTest, ReferencesAreReplaced) {
  define("define:ab = x y;", "a.kav");
  struct Case {
    const char* text;
    int count;
    const char* replaced;
    bool ok;
  };
  const Case cases[] = {
      {"rule:{ ${ab} };", 1, "rule:{ x y };", true},
      {"${ab}${ab}", 2, "x yx y", true},
      // A one-character name is no reference.
      {"a ${a} b", 0, "", true},
      {"no references", 0, "", true},
      {"", 0, "", true},
  };
  for (const auto& c : cases) {
    const auto result = resolve_variables(c.text, variables_);
    EXPECT_EQ(result.count, c.count) << c.text;
    EXPECT_EQ(result.text, c.replaced) << c.text;
    EXPECT_EQ(result.ok, c.ok) << c.text;
  }
  EXPECT_EQ(first_error(), "");
}

TEST_F(VariablesTest, BadReferencesAreReportedAtTheirLine) {
  const auto round = resolve_variables("a\nb $(ab) c", variables_);
  EXPECT_FALSE(round.ok);
  EXPECT_EQ(first_error(), "2: Variables are defined with curly brackets. $(ab) -> ${ab}");

  results::sinks().reset();
  const auto undefined = resolve_variables("one ${x1}\ntwo\nthree ${nope} four", variables_);
  EXPECT_FALSE(undefined.ok);
  EXPECT_EQ(undefined.count, 1);
  EXPECT_EQ(first_error(), "1: Variable ${x1} has not been defined.");

  results::sinks().reset();
  define("define:x1 = 1;", "a.kav");
  const auto third = resolve_variables("one ${x1}\ntwo\nthree ${nope} four", variables_);
  EXPECT_FALSE(third.ok);
  // Only what was written before the bad reference stays.
  EXPECT_EQ(third.text, "one 1");
  // Lines count from 1, as in every other diagnostic.
  EXPECT_EQ(first_error(), "3: Variable ${nope} has not been defined.");
}

TEST_F(VariablesTest, ValuesAreExpandedWhenDefined) {
  define("define:a1 = 7;\ndefine:b1 = ${a1}-1;\ndefine:c1 =   spaced \t\r\n;", "a.kav");
  ASSERT_EQ(variables_.count("b1"), 1u);
  EXPECT_EQ(variables_.at("b1").value, "7-1");
  EXPECT_EQ(variables_.at("b1").file, "a.kav");
  EXPECT_EQ(variables_.at("b1").value_end, 3u);
  EXPECT_EQ(variables_.at("c1").value, "spaced");
  define("define:ml = one\ntwo;", "b.kav");
  EXPECT_EQ(variables_.at("ml").value, "onetwo");
  std::ostringstream out;
  out << variables_;
  EXPECT_EQ(out.str(), "a1: (7);b1: (7-1);c1: (spaced);ml: (onetwo);");
}

TEST_F(VariablesTest, RedefinitionNamesBothSources) {
  define("define:ab = first;", "a.kav");
  try {
    define("define:ab = second;", "b.kav");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Variable ab in b.kav is already defined in a.kav as [first]");
  }
}

TEST_F(VariablesTest, AValueThatNeverSettlesIsReported) {
  // Each round of expansion brings in another reference.
  variables_["r0"] = {0, 0, "r0", "${r0}", "a.kav"};
  define("define:loop = ${r0};", "b.kav");
  EXPECT_EQ(variables_.count("loop"), 0u);
  EXPECT_EQ(first_error(),
            "-1: Variable loop in b.kav still holds variable references after 10 expansions.");
}

TEST(VariableValuePrinting, NumberOrText) {
  std::ostringstream out;
  out << boost::variant<int, std::string>(12) << "/" << boost::variant<int, std::string>("x");
  EXPECT_EQ(out.str(), "12/x");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
