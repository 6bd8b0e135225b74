#include "compiler/parser/capture_group_checks.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/input_pool.h"
#include "base/regex.h"
#include "compiler/parser/action_testutil.h"
#include "compiler/parser/compile_result.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::Root;
using ast::node::Rule;
using ast::node::RuleCapture;
using ast::node::RuleConcept;
using ast::node::RuleGroup;
using ast::node::RuleToken;

RuleCapture capture(const std::string& name, AttributeList attributes,
                    ast::node::RuleNodes nodes = {}) {
  RuleCapture made;
  made.assignment.uri_ = name;
  made.assignment.attributes_ = std::move(attributes);
  made.nodes = std::move(nodes);
  return made;
}

Rule rule(int line, RuleCapture top) {
  Rule made;
  made.line = line;
  made.capture = std::move(top);
  return made;
}

// A source of one rule on line 5 whose top capture holds the given one.
Root one_call(RuleCapture call) {
  Root root;
  root.statements.push_back(rule(5, capture("", {}, {RuleToken(), std::move(call)})));
  return root;
}

class CaptureGroupChecks : public ActionTest {
 protected:
  std::vector<std::string> check(const Root& root) {
    clear_reported();
    check_function_attributes(root);
    return describe(reported());
  }
};

const char kScopeShort[] = "error:5:0:0:Anaphora attribute scope is not valid. scope=\"-2:0\"";
const char kScopeForm[] = "error:5:0:0:Anaphora attribute scope is not valid. ex: scope=\"-2:0\"";
const char kNoConcept[] =
    "error:5:0:0:Anaphora requires a concept attribute. "
    "( concept=\"uri2look4\" )";

TEST_F(CaptureGroupChecks, Anaphora) {
  struct Case {
    AttributeList attributes;
    std::vector<std::string> reports;
  };
  const std::string relevancy =
      "error:5:0:0:Anaphora attribute relevancy is "
      "not valid. Format: 'key:value:relevancy', Ex: "
      "relevancy=\"gender:male:0.7\"";
  const std::string required =
      "error:5:0:0:Anaphora attribute required is not "
      "valid. Format: 'key:value', Ex: "
      "relevancy=\"country:USA\"";
  const Case cases[] = {
      {{{"concept", "\"Person\""}, {"scope", "\"-2:0\""}}, {}},
      {{{"concept", "\"Person\""}, {"scope", "\" -2:+1\""}}, {}},
      // The begin/end error lets the walk go on.
      {{{"scope", "\"0:-2\""}, {"concept", "\"Person\""}, {"relevancy", "\"a:b\""}},
       {"error:5:0:0:Anaphora beginning scope is bigger then the end scope. ( "
        "begin=0 > end=-2 )",
        relevancy}},
      {{{"scope", "\"-20\""}, {"concept", "\"Person\""}}, {kScopeForm}},
      {{{"scope", "\"a:b\""}, {"concept", "\"Person\""}}, {kScopeForm}},
      {{{"scope", "\"1:2:3\""}, {"concept", "\"Person\""}}, {kScopeForm}},
      {{{"scope", "\"1:99999999999\""}, {"concept", "\"Person\""}}, {kScopeForm}},
      // Four bytes or fewer, quotes included.
      {{{"scope", "\"-2\""}, {"concept", "\"Person\""}}, {kScopeShort}},
      {{{"scope", "\"1\""}, {"concept", "\"Person\""}}, {kScopeShort}},
      {{{"concept", "\"P\""}, {"relevancy", "\"gender:male:0.7\""}}, {}},
      {{{"concept", "\"P\""}, {"relevancy", "\"gender:male\""}}, {relevancy}},
      {{{"concept", "\"P\""}, {"required", "\"country:USA\""}}, {}},
      {{{"concept", "\"P\""}, {"required", "\"country\""}}, {required}},
      {{{"concept", "\"P\""}, {"inherit", "\"anything\""}}, {}},
      // A valid scope and no concept: reported once.
      {{{"scope", "\"-2:0\""}}, {kNoConcept}},
      {{}, {kNoConcept}},
      {{{"concept", "\"P\""}, {"colour", "\"red\""}},
       {"warning:5:0:0:Unknown anaphora attribute 'colour'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.attributes));
    EXPECT_EQ(check(one_call(capture("kav::anaphora", c.attributes))), c.reports);
  }
}

TEST_F(CaptureGroupChecks, AFailedAnaphoraStopsOnlyInsideItsCapture) {
  // The inner push_att capture is not checked below a refused anaphora, but
  // the next rule is.
  Root root;
  root.statements.push_back(
      rule(5, capture("kav::anaphora", {{"scope", "\"1\""}}, {capture("kav::push_att", {})})));
  root.statements.push_back(rule(9, capture("kav::push_att", {{"from", "\"a\""}})));
  EXPECT_EQ(check(root), (std::vector<std::string>{kScopeShort,
                                                   "error:9:0:0:Missing 'to' attribute "
                                                   "on the 'kav::push_att' function."}));
}

TEST_F(CaptureGroupChecks, FilterAndPushAtt) {
  struct Case {
    std::string name;
    AttributeList attributes;
    std::vector<std::string> reports;
  };
  const Case cases[] = {
      {"kav::filter", {{"concept", "\"Per.*\""}, {"attributes", "\"a|b\""}}, {}},
      {"kav::filter",
       {{"attributes", "\"x\""}},
       {"error:5:0:0:Missing 'concept' attribute on the 'kav::filter' "
        "function."}},
      {"kav::push_att", {{"from", "\"A\""}, {"to", "\"B\""}, {"other", "\"(\""}}, {}},
      {"kav::push_att",
       {},
       {"error:5:0:0:Missing 'from' attribute on the 'kav::push_att' function.",
        "error:5:0:0:Missing 'to' attribute on the 'kav::push_att' function."}},
      {"kav::push_att",
       {{"to", "\"B\""}},
       {"error:5:0:0:Missing 'from' attribute on the 'kav::push_att' "
        "function."}},
      {"zel::filter",
       {},
       {"error:5:0:0:zel:: is deprecated use kav:: instead zel::filter' "
        "function."}},
      {"kav::delete", {}, {}},
      {"Person", {{"anything", "\"(\""}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(check(one_call(capture(c.name, c.attributes))), c.reports);
  }
}

TEST_F(CaptureGroupChecks, InvalidExpressionsGiveTheLibrarysReason) {
  for (const std::string value : {"\"Per(son\"", "\"[ab\""}) {
    SCOPED_TRACE(value);
    const std::vector<std::string> reports =
        check(one_call(capture("kav::filter", {{"concept", value}})));
    ASSERT_EQ(reports.size(), 1u);
    const std::string head =
        "error:5:0:0:The rule on the given line has a "
        "invalid regex expression in the attribute "
        "expression '" +
        value + "':";
    ASSERT_EQ(reports[0].compare(0, head.size(), head), 0) << reports[0];
    std::string reason;
    try {
      kav_regex(value);
    } catch (const std::runtime_error& error) {
      reason = error.what();
    }
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reports[0].substr(head.size()), reason);
  }
  // push_att's "to" too.
  EXPECT_EQ(check(one_call(capture("kav::push_att", {{"from", "\"a\""}, {"to", "\"(\""}}))).size(),
            1u);
}

TEST_F(CaptureGroupChecks, EveryCaptureOfEveryRuleIsWalked) {
  // Captures inside groups, concept bodies and other captures, rules inside
  // namespaces and chains.
  RuleGroup group;
  group.nodes.push_back(capture("zel::a", {}));
  RuleConcept reference;
  reference.name = "Person";
  reference.nodes.push_back(capture("", {}, {capture("zel::b", {})}));

  ast::node::Namespace space;
  space.name = "ns";
  space.statements.push_back(rule(7, capture("", {}, {group, reference})));
  ast::node::PriorityGroup chain;
  chain.statements.push_back(rule(8, capture("zel::c", {})));
  space.statements.push_back(chain);

  Root root;
  root.statements.push_back(space);
  EXPECT_EQ(check(root), (std::vector<std::string>{
                             "error:7:0:0:zel:: is deprecated use kav:: instead zel::a' function.",
                             "error:7:0:0:zel:: is deprecated use kav:: instead zel::b' function.",
                             "error:8:0:0:zel:: is deprecated use kav:: instead zel::c' "
                             "function."}));
}

TEST_F(CaptureGroupChecks, RenameUnnamedCaptures) {
  blackboard_.set_source_filename("people.kav");
  RuleGroup group;
  group.nodes.push_back(capture("", {}));
  RuleConcept reference;
  reference.name = "Person";
  reference.nodes.push_back(capture("", {}));
  Rule renamed = rule(7, capture("", {}, {capture("Named", {}), group, reference}));
  rename_capture_groups(renamed);

  const std::string name = "$6071690758521652777";
  EXPECT_EQ(renamed.capture.assignment.uri(), name);
  const auto& nodes = renamed.capture.nodes;
  EXPECT_EQ(boost::get<RuleCapture>(nodes[0]).assignment.uri(), "Named");
  EXPECT_EQ(boost::get<RuleCapture>(boost::get<RuleGroup>(nodes[1]).nodes[0]).assignment.uri(),
            name);
  EXPECT_EQ(boost::get<RuleCapture>(boost::get<RuleConcept>(nodes[2]).nodes[0]).assignment.uri(),
            name);

  // Another line gives another name; without a compiler Blackboard the
  // source name is the placeholder.
  Rule other = rule(8, capture("", {}));
  rename_capture_groups(other);
  EXPECT_NE(other.capture.assignment.uri(), name);
  EXPECT_EQ(other.capture.assignment.uri(), "$" + std::to_string(string_hash("people.kav:8")));
  BlackboardBinding none(nullptr);
  Rule unbound = rule(7, capture("", {}));
  rename_capture_groups(unbound);
  EXPECT_EQ(unbound.capture.assignment.uri(),
            "$" + std::to_string(string_hash("finename_notset:7")));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
