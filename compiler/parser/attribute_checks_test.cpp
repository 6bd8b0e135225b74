#include "compiler/parser/attribute_checks.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/parser/action_testutil.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {
namespace {

class AttributeChecks : public ActionTest {};

TEST_F(AttributeChecks, InvalidStatementReportsTheFirstLineOnce) {
  const std::string text = "rule:{ a };\n\t  junk here\nmore text";
  source(text);
  const SourceRange junk = range(text.find("junk"), text.size());
  EXPECT_FALSE(invalid_statement(junk, "Invalid statement:"));
  EXPECT_EQ(describe(reported()),
            std::vector<std::string>{"error:2:7:0:Invalid statement:junk here"});
  // Once an error is recorded, no further statement is reported.
  EXPECT_FALSE(invalid_statement(range_of("more"), "Invalid statement:"));
  EXPECT_EQ(reported().size(), 1u);
}

TEST_F(AttributeChecks, KeysInStrictMode) {
  source("gender Gender key2 ns:key _x");
  const std::string keys[] = {"gender", "Gender", "key2", "ns:key", "_x"};
  for (const std::string& key : keys) EXPECT_TRUE(check_attribute_key_names(range_of(key)));
  EXPECT_TRUE(reported().empty());

  blackboard_.strict = true;
  for (const std::string& key : keys) EXPECT_TRUE(check_attribute_key_names(range_of(key)));
  const std::string tail = "] attribute key should be in lowercase.";
  EXPECT_EQ(describe(reported()),
            (std::vector<std::string>{
                "error:1:0:0:Invalid strict syntax attribute key name: [Gender" + tail,
                "error:1:0:0:Invalid strict syntax attribute key name: [key2" + tail,
                "error:1:0:0:Invalid strict syntax attribute key name: [ns:key" + tail}));
}

TEST_F(AttributeChecks, ConceptNames) {
  struct Case {
    std::string name;
    bool plugins_disabled;
    bool accepted;
    std::string error;  // empty: none
  };
  const std::string unknown =
      "Unknown internal function. Possibilities are "
      "[kav::filter,kav::push_att,kav::anaphora]";
  const Case cases[] = {
      {"Person", false, true, ""},
      {"ns::Person", false, true, ""},
      {"ab", false, true, ""},
      {"rule", false, false, "Invalid concept name: [rule] cannot use keywords as concept names."},
      {"define", false, false,
       "Invalid concept name: [define] cannot use keywords as concept names."},
      {"x", false, false, "Invalid concept name: [x] concept names should be bigger than 1."},
      {"kav::filter", false, true, ""},
      {"kav::set_metadata", false, true, ""},
      {"kav::other", false, false, unknown},
      {"kav::", false, false, unknown},
      {"::a::b::c", false, true, ""},
      {"::a::b::c", true, true,
       "The option disable_plugin_calls is set to False, cannot use this uri "
       "[::a::b::c]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clear_reported();
    blackboard_.disable_plugin_calls = c.plugins_disabled;
    source("\n\n" + c.name);
    EXPECT_EQ(check_concept_names(range_of(c.name)), c.accepted);
    if (c.error.empty()) {
      EXPECT_TRUE(reported().empty());
    } else {
      EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:3:0:0:" + c.error});
    }
  }
}

TEST(AttributeChecksUnbound, PluginCallsNeedACompilation) {
  BlackboardBinding none(nullptr);
  const std::string name = "::a::b::c";
  SourceIterator begin(name.data());
  SourceIterator end = begin;
  for (std::size_t i = 0; i < name.size(); ++i) ++end;
  // Refused, and the report finds no compilation to go to.
  EXPECT_THROW(check_concept_names(SourceRange(begin, end)), std::logic_error);
}

TEST_F(AttributeChecks, FormattedValues) {
  struct Case {
    std::string value;  // as written, f and quotes included
    std::string error;  // empty: accepted
  };
  const std::string missing_variable = "Invalid fstring, missing variable ex: f\"{capture}.\"";
  const Case cases[] = {
      {"f\"{capture.stem} is here\"", ""},
      {"f\"the value {rule.x}{capture.y}\"", ""},
      {"f\"\"\"{this.a} and {{b}}\"\"\"", ""},
      {"f\"{capture.x[1].y}\"", ""},
      {"f\"{capture}\"", "Valid variables in fstring are (capture, rule, self, this) "},
      {"f\"{foo.bar}\"", "Valid variables in fstring are (capture, rule, self, this) "},
      {"f\"{capture.x} {foo.y}\"", missing_variable},
      {"f\"{{capture.stem}}\"",
       "Invalid fstring, no capture section in value, "
       "missing '{...}' section to be resolved. "},
      {"f\"plain\"",
       "Invalid fstring, no capture section in value, missing "
       "'{...}' section to be resolved. "},
      {"f\"{capture.{x}\"",
       "Open '{' inside variable is not allowed and needs "
       "to be escaped as '{{' . "},
      {"f\"a}b\"", "Invalid fstring, missing '}' bracket of needs to be escaped as '}}'. "},
      {"f\"{capture.x\"", missing_variable},
      {"f\"{capture.x}}\"", missing_variable},
      {"f\"{capture[1]}\"", "Invalid fstring, invalid keywords:"},
      {"f\"{capture.open}\"", "Invalid fstring, has invalid keyword:"},
      {"f\"{capture.__class__}\"", "Invalid fstring, has invalid keyword:"},
      {"f\"{capture.a{{b}\"", "Invalid fstring, No variables found: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    clear_reported();
    source("x=\n  " + c.value);
    EXPECT_EQ(check_formated_attributes_fn(range_of(c.value)), c.error.empty());
    if (c.error.empty()) {
      EXPECT_TRUE(reported().empty());
    } else {
      EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:2:3:0:" + c.error + c.value});
    }
  }
}

TEST_F(AttributeChecks, FormattedValueFaultsAfterAnError) {
  // A brace as the very last byte is refused without a report.
  source("{");
  EXPECT_FALSE(check_formated_attributes_template(range(0, 1)));
  source("}");
  EXPECT_FALSE(check_formated_attributes_template(range(0, 1)));
  EXPECT_TRUE(reported().empty());

  // Only the first line of the value is shown.
  EXPECT_FALSE(check_formated_attributes_template(source("f\"{capture}\nsecond line\"")));
  EXPECT_EQ(describe(reported()),
            std::vector<std::string>{"error:1:1:0:Valid variables in fstring are (capture, rule, "
                                     "self, this) f\"{capture}"});
  // The compilation has an error now: a further fault is refused silently.
  EXPECT_FALSE(check_formated_attributes_template(source("f\"{foo.x}\"")));
  EXPECT_EQ(reported().size(), 1u);
}

}  // namespace
}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
