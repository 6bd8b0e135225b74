#include "compiler/backend/multi_token_expansion.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/rule_printer.h"
#include "compiler/parser/source_parser.h"

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;

struct ExpansionCase {
  const char* source;
  const char* expanded;  // the rule's compact form after the expansion
};

class MultiTokenExpansion : public ::testing::TestWithParam<ExpansionCase> {};

// The compact printer leaves token closures out; they are checked below.
TEST_P(MultiTokenExpansion, SplitsWordsIntoAdjacentTokens) {
  Compilation compilation;
  ParseResult parsed =
      parse_kavero_source(compilation.blackboard, GetParam().source, "t.kav", nullptr);
  ASSERT_TRUE(parsed.ok) << GetParam().source;
  auto& rule = boost::get<ast::node::Rule>(parsed.root.statements.at(0));
  detail::expand_multi_tokens(rule);
  std::ostringstream out;
  StreamRule printer(out);
  printer(rule);
  EXPECT_EQ(out.str(), GetParam().expanded) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultiTokenExpansion,
    ::testing::Values(
        ExpansionCase{R"(rule:{ <"New York", Nn> };)", R"(rule:{"New",Nn"York",Nn})"},
        // Runs of blanks and blanks at the ends give no empty tokens.
        ExpansionCase{R"(rule:{ <"  New   York ">  };)", R"(rule:{"New""York"})"},
        ExpansionCase{R"(rule:{ <"a", 'new york'> };)", R"(rule:{"a",'new'"a",'york'})"},
        // Literal and stem of as many words go word by word.
        ExpansionCase{R"(rule:{ <"New York", 'new york'> };)",
                      R"(rule:{"New",'new'"York",'york'})"},
        ExpansionCase{R"(rule:{ (<"x"> | !(<"a b">)) { City[<"c d">] } = Yy } = Xx;)",
                      R"(rule:Xx{("x"|!("a""b"))Yy{City["c""d"]}})"}));

ast::node::Rule parse_one(Compilation& compilation, const std::string& source) {
  ParseResult parsed = parse_kavero_source(compilation.blackboard, source, "t.kav", nullptr);
  EXPECT_TRUE(parsed.ok) << source;
  return boost::get<ast::node::Rule>(parsed.root.statements.at(0));
}

// "New York"? is both words or neither: the closure goes on a group of the
// words, not on each word.
TEST(MultiTokenExpansionClosure, TheWordsShareTheClosure) {
  Compilation compilation;
  ast::node::Rule rule = parse_one(compilation, R"(rule:{ <"New York">? <"b"> };)");
  detail::expand_multi_tokens(rule);
  ASSERT_EQ(rule.capture.nodes.size(), 2u);
  const auto* group = boost::get<ast::node::RuleGroup>(&rule.capture.nodes[0]);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->closure, "?");
  EXPECT_FALSE(group->negated);
  ASSERT_EQ(group->nodes.size(), 2u);
  for (const auto& node : group->nodes) {
    EXPECT_EQ(boost::get<ast::node::RuleToken>(node).closure, "");
  }
  EXPECT_EQ(boost::get<ast::node::RuleToken>(group->nodes[1]).literal.value_or(""), "York");
}

TEST(MultiTokenExpansionErrors, WordCountsThatDifferAreAnErrorAtTheToken) {
  Compilation compilation;
  compilation.blackboard.set_source_filename("a.kav");
  ast::node::Rule rule =
      parse_one(compilation, "rule:{\n <\"b\"> <\"New York\", 'new york city'> };");
  detail::expand_multi_tokens(rule);
  EXPECT_EQ(rule.capture.nodes.size(), 2u);  // left as it is
  std::vector<std::string> errors;
  const auto& sinks = results::sinks();
  const auto found = sinks.find("a.kav");
  if (found != sinks.end()) {
    for (const DiagnosticsInfo& info : found->second) {
      errors.push_back(std::to_string(info.line) + ": " + info.message);
    }
  }
  EXPECT_EQ(errors, std::vector<std::string>{
                        "2: A token's literal and stem hold different numbers of words."});
}

TEST(MultiTokenExpansionErrors, BlanksOnlyAreAnError) {
  Compilation compilation;
  compilation.blackboard.set_source_filename("b.kav");
  ast::node::Rule rule = testing::rule("Xx", {testing::literal("   ")});
  detail::expand_multi_tokens(rule);
  ASSERT_EQ(rule.capture.nodes.size(), 1u);
  const auto& sinks = results::sinks();
  const auto found = sinks.find("b.kav");
  ASSERT_NE(found, sinks.end());
  ASSERT_EQ(found->second.size(), 1u);
  EXPECT_EQ(found->second[0].message, "A token's literal or stem holds blanks only.");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
