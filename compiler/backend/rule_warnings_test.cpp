#include "compiler/backend/rule_warnings.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"
#include "compiler/parser/compile_result.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::Compilation;
using testing::parsed_rule;

const std::string kLiterals =
    "8 1: Try reducing the or statement in the literal or stem. ex: \"(w1|w2|w3)\" instead of "
    "(\"w1\"|\"w2\"|\"w3\")";
const std::string kStems =
    "8 1: Try reducing the or statement in the literal or stem. ex: '(w1|w2|w3)' instead of "
    "('w1'|'w2'|'w3')";
const std::string kPersonAsHuman = "4 1: Use a 'on' statement:  'on Person:{ map = [ Human ]};'";

// The warnings of the current source "w.kav" as "code line:message".
std::vector<std::string> reported() {
  std::vector<std::string> lines;
  for (const DiagnosticsInfo& info : results::sink("w.kav")) {
    EXPECT_EQ(info.type, DiagnosticsInfo::warning);
    EXPECT_EQ(info.column, 0);
    lines.push_back(std::to_string(info.code) + " " + std::to_string(info.line) + ":" +
                    info.message);
  }
  return lines;
}

class RuleWarnings : public ::testing::Test {
 protected:
  RuleWarnings() {
    store = compilation.store();
    compilation.blackboard.error_code_mask = ~0ull;
  }

  // The warnings of the rule of `source`, checked inside `namespaces`.
  std::vector<std::string> warnings_of(const std::string& source,
                                       const std::vector<std::string>& namespaces = {}) {
    const ast::node::Rule rule = parsed_rule(compilation, *store, source);
    results::sinks().clear();
    compilation.blackboard.set_source_filename("w.kav");
    warnings::check_for_warning(rule, namespaces);
    return reported();
  }

  Compilation compilation;
  std::unique_ptr<ResultStore> store;
};

struct WarningCase {
  const char* source;
  std::vector<std::string> expected;
};

TEST_F(RuleWarnings, GroupsOfBareLiteralsOrStems) {
  const WarningCase cases[] = {
      {R"(rule:{ (<"a"> | <"b"> | <"c">) } = Xx;)", {kLiterals}},
      {R"(rule:{ (<'a'> | <'b'> | <'c'> | <'d'>) } = Xx;)", {kStems}},
      // Any operator counts, not only "|".
      {R"(rule:{ (<"a"> % <"b"> .. <"c">) } = Xx;)", {kLiterals}},
      {R"(rule:{ (<"a"> | <"b">) } = Xx;)", {}},
      // More than a bare literal on one token.
      {R"(rule:{ (<"a"> | <"b", Nn> | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<"a"> | <"b", +pl> | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<"a"> | <"b">? | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<"a", length(2)> | <"b"> | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<"a"> | <"b"> | <"c", h'x'>) } = Xx;)", {}},
      {R"(rule:{ (<"a"> | <"b"> | <"c", c'x'>) } = Xx;)", {}},
      // Literals and stems mixed, whichever comes first.
      {R"(rule:{ (<"a"> | <'b'> | <'c'>) } = Xx;)", {}},
      {R"(rule:{ (<'a'> | <"b"> | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<'a'> | <'b'> | <"c", 'c'>) } = Xx;)", {}},
      // A concept reference among the alternatives: one operator too many.
      {R"(rule:{ (<"a"> | <"b"> | <"c"> | City) } = Xx;)", {}},
      {R"(rule:{ (<"a"> | <"b"> | City) } = Xx;)", {}},
      // The second of two neighbouring tokens is not counted.
      {R"(rule:{ (<"a"> | <"b"> <"c"> | <"d">) } = Xx;)", {kLiterals}},
      // Tokens inside captures and concept patterns are counted.
      {R"(rule:{ (<"a"> | { <"b"> } = Yy | City[<"c">]) } = Xx;)", {kLiterals}},
      // Each group on its own; the outer one counts the inner one's tokens.
      {R"(rule:{ (<"a"> | (<"b"> | <"c"> | <"d">)) } = Xx;)", {kLiterals, kLiterals}},
      {R"(rule:{ (<"a", Nn> | (<"b"> | <"c"> | <"d">)) } = Xx;)", {kLiterals}},
      {R"(rule:{ (<"a"> | <"b"> | <"c">) <"x"> (<'d'> | <'e'> | <'f'>) } = Xx;)",
       {kLiterals, kStems}},
      // A first token without literal or stem leaves nothing to fold into.
      {R"(rule:{ (<> | <"b"> | <"c">) } = Xx;)", {}},
      {R"(rule:{ (<> | <'b'> | <"c", Nn>) } = Xx;)", {}},
  };
  for (const WarningCase& c : cases) {
    EXPECT_THAT(warnings_of(c.source), ElementsAreArray(c.expected)) << c.source;
  }
}

TEST_F(RuleWarnings, ARuleThatOnlyRenamesOneConcept) {
  const WarningCase cases[] = {
      {"rule:{ Person } = Human;", {kPersonAsHuman}},
      // An unnamed capture is not a capture of its own.
      {"rule:{ { Person } } = Human;", {kPersonAsHuman}},
      {"rule:{ { Person } = Inner } = Human;", {}},
      {R"(rule:{ Person <"a"> } = Human;)", {}},
      {"rule:{ Person City } = Human;", {}},
      {R"(rule:{ Person[<"a">] } = Human;)", {}},
      {"rule:{ (Person) } = Human;", {}},
      {"rule:{ Person@(k=\"v\") } = Human;",
       {"4 1: Use a 'on' statement:  'on Person:{ map = [ Human ]};'"}},
  };
  for (const WarningCase& c : cases) {
    EXPECT_THAT(warnings_of(c.source), ElementsAreArray(c.expected)) << c.source;
  }
  EXPECT_THAT(warnings_of("rule:{ Person } = Human;", {"people"}), IsEmpty());
}

TEST_F(RuleWarnings, MaskedCodesAreDroppedOneByOne) {
  const std::string group = R"(rule:{ (<"a"> | <"b"> | <"c">) } = Xx;)";
  const std::string rename = "rule:{ Person } = Human;";
  compilation.blackboard.error_code_mask = ~0x4ull;
  EXPECT_THAT(warnings_of(rename), IsEmpty());
  EXPECT_THAT(warnings_of(group), ElementsAre(kLiterals));
  compilation.blackboard.error_code_mask = ~0x8ull;
  EXPECT_THAT(warnings_of(rename), ElementsAre(kPersonAsHuman));
  EXPECT_THAT(warnings_of(group), IsEmpty());
}

// The result store checks every rule it builds, with its namespace stack,
// at the rule's line.
TEST_F(RuleWarnings, TheResultStoreChecksEachRuleItBuilds) {
  store->open("/data/w.kav");
  const ast::node::Rule in_namespace = parsed_rule(compilation, *store, "rule:{ Person } = Human;");
  const ast::node::Rule outside = parsed_rule(compilation, *store, "\n\nrule:{ Person } = Human;");
  const ast::node::Rule group =
      parsed_rule(compilation, *store, R"(rule:{ (<"a"> | <"b"> | <"c">) } = Xx;)");
  compilation.blackboard.set_source_filename("w.kav");
  results::sinks().clear();
  store->push_namespace("people");
  store->add_rule(in_namespace);
  store->pop_namespace();
  store->add_rule(outside);
  store->add_rule(group);
  EXPECT_THAT(reported(),
              ElementsAre("4 3: Use a 'on' statement:  'on Person:{ map = [ Human ]};'", kLiterals));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
