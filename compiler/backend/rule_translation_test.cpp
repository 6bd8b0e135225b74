#include "compiler/backend/rule_translation.h"

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/exception.h"
#include "compiler/backend/id_numbering.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;
using testing::parsed_rule;
using testing::readable_paths;

struct TranslationCase {
  const char* source;
  std::set<std::string> paths;
  size_t max_steps;
};

// In every source the tokens are numbered in order of first use (TK1, TK2,
// ...); the rule's own capture X is CAP1, further captures follow.
class RuleTranslation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(RuleTranslation, AcceptsExactlyTheLabelSequences) {
  const TranslationCase& c = GetParam();
  Compilation compilation;
  auto store = compilation.store();
  ast::node::Rule rule = parsed_rule(compilation, *store, c.source);
  auto builder = std::make_shared<afst::Builder>();
  fst::StdVectorFst* net = detail::push_ast_rule(builder, *store, rule);
  ASSERT_NE(net, nullptr);
  EXPECT_EQ(readable_paths(*net, c.max_steps), c.paths) << c.source;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RuleTranslation,
    ::testing::Values(
        TranslationCase{R"(rule:{ <"a"> } = Xx;)", {"CAPBEG1 TK1 CAPEND1"}, 12},
        TranslationCase{R"(rule:{ <"a"> <"b"> <"a"> } = Xx;)", {"CAPBEG1 TK1 TK2 TK1 CAPEND1"},
                        12},
        // A token without any test.
        TranslationCase{R"(rule:{ <> } = Xx;)", {"CAPBEG1 ANY CAPEND1"}, 12},
        TranslationCase{R"(rule:{ <"a"> <>* } = Xx;)",
                        {"CAPBEG1 TK1 CAPEND1", "CAPBEG1 TK1 ANY CAPEND1",
                         "CAPBEG1 TK1 ANY ANY CAPEND1"},
                        5},
        // Properties follow the token arc in sorted order, inside the closure.
        TranslationCase{R"(rule:{ <"a", +pl, +def>+ } = Xx;)",
                        {"CAPBEG1 TK1 PROP+def PROP+pl CAPEND1",
                         "CAPBEG1 TK1 PROP+def PROP+pl TK1 PROP+def PROP+pl CAPEND1"},
                        8},
        TranslationCase{R"(rule:{ <"a">? <"b"> } = Xx;)",
                        {"CAPBEG1 TK2 CAPEND1", "CAPBEG1 TK1 TK2 CAPEND1"}, 12},
        TranslationCase{R"(rule:{ <"a">{1,2} } = Xx;)",
                        {"CAPBEG1 TK1 CAPEND1", "CAPBEG1 TK1 TK1 CAPEND1"}, 12},
        // A concept without inner pattern: its arc and the attribute test.
        TranslationCase{R"(rule:{ City@(size="big", kind="x") } = Xx;)",
                        {"CAPBEG1 CNCPT2 ATT@size=\"big\";kind=\"x\" CAPEND1"}, 12},
        // An inner pattern without anchors has a gap on each side.
        TranslationCase{R"(rule:{ City[<"a">] } = Xx;)",
                        {"CAPBEG1 CNCPT_BEG2 TK1 CNCPT_END2 CAPEND1",
                         "CAPBEG1 CNCPT_BEG2 ANY TK1 CNCPT_END2 CAPEND1",
                         "CAPBEG1 CNCPT_BEG2 TK1 ANY CNCPT_END2 CAPEND1",
                         "CAPBEG1 CNCPT_BEG2 ANY TK1 ANY CNCPT_END2 CAPEND1",
                         "CAPBEG1 CNCPT_BEG2 ANY ANY TK1 CNCPT_END2 CAPEND1",
                         "CAPBEG1 CNCPT_BEG2 TK1 ANY ANY CNCPT_END2 CAPEND1"},
                        7},
        // Both anchors: no gaps.
        TranslationCase{R"(rule:{ City[^<"a">^] } = Xx;)",
                        {"CAPBEG1 CNCPT_BEG2 TK1 CNCPT_END2 CAPEND1"}, 12},
        TranslationCase{R"(rule:{ (<"a"> | <"b">) } = Xx;)",
                        {"CAPBEG1 TK1 CAPEND1", "CAPBEG1 TK2 CAPEND1"}, 12},
        TranslationCase{R"(rule:{ <"a"> .. <"b"> } = Xx;)", {"CAPBEG1 TK1 SHRT TK2 CAPEND1"}, 12},
        TranslationCase{R"(rule:{ <"a"> ... <"b"> } = Xx;)",
                        {"CAPBEG1 TK1 TK2 CAPEND1", "CAPBEG1 TK1 ANY TK2 CAPEND1",
                         "CAPBEG1 TK1 ANY ANY TK2 CAPEND1"},
                        6},
        // ".?" outside any nested capture marks the rule's own capture,
        // whose attribute arc follows its end arc.
        TranslationCase{R"(rule:{ <"a"> .? <"b"> } = Xx;)",
                        {"CAPBEG1 TK1 SHRT TK2 CAPEND1 @match=\"shortest\""}, 12},
        // Inside a nested capture it marks that capture only.
        TranslationCase{R"(rule:{ <"a"> { <"b"> .? <"c"> } = Yy } = Xx;)",
                        {"CAPBEG1 TK1 CAPBEG2 TK2 SHRT TK3 CAPEND2 @match=\"shortest\" CAPEND1"},
                        12},
        // A group does not count as a capture.
        TranslationCase{R"(rule:{ <"a"> { (<"b"> .? <"c">) } = Yy } = Xx;)",
                        {"CAPBEG1 TK1 CAPBEG2 TK2 SHRT TK3 CAPEND2 @match=\"shortest\" CAPEND1"},
                        12},
        // An attribute already there stays first; ".?" adds a second match.
        TranslationCase{R"(rule:{ { <"b"> .? <"c"> } = Yy@(match="longest") } = Xx;)",
                        {"CAPBEG1 CAPBEG2 TK1 SHRT TK2 CAPEND2 "
                         "@match=\"longest\";match=\"shortest\" CAPEND1"},
                        12},
        // The negation's exact shape.
        TranslationCase{R"(rule:{ !(<"a">) <"b"> } = Xx;)",
                        {"CAPBEG1 NEG NEG_BEG TK1 NEG_END TK2 CAPEND1",
                         "CAPBEG1 NEG NEG_EMPTY TK2 CAPEND1"},
                        12}));

// The unordered operators put the raw separator labels of the builder
// between the members; every order of the members is accepted.
TEST(RuleTranslationUnordered, EveryOrderOfTheMembersIsAccepted) {
  for (const char* source : {R"(rule:{ (<"a"> % <"b">) } = Xx;)", R"(rule:{ (<"a"> %% <"b">) } = Xx;)",
                             R"(rule:{ (<"a"> %%% <"b">) } = Xx;)"}) {
    Compilation compilation;
    auto store = compilation.store();
    ast::node::Rule rule = parsed_rule(compilation, *store, source);
    auto builder = std::make_shared<afst::Builder>();
    fst::StdVectorFst* net = detail::push_ast_rule(builder, *store, rule);
    std::set<std::string> paths = readable_paths(*net, 12);
    bool a_first = false, b_first = false;
    for (const std::string& path : paths) {
      const size_t a = path.find("TK1"), b = path.find("TK2");
      ASSERT_NE(a, std::string::npos) << source << ": " << path;
      ASSERT_NE(b, std::string::npos) << source << ": " << path;
      (a < b ? a_first : b_first) = true;
      EXPECT_EQ(path.rfind("CAPBEG1 ", 0), 0u) << path;
    }
    EXPECT_TRUE(a_first && b_first) << source << " " << ::testing::PrintToString(paths);
  }
}

TEST(RuleTranslationErrors, AnUnknownOperatorTypeFails) {
  Compilation compilation;
  auto store = compilation.store();
  ast::node::Rule rule = testing::rule("X", {testing::literal("a")});
  ast::node::RuleOperator op;
  op.type = static_cast<ast::node::RuleOperator::Type>(8);
  rule.capture.nodes.push_back(op);
  rule.capture.nodes.push_back(testing::literal("b"));
  collect_ids(*store, rule);
  assign_ids(*store, rule);
  auto builder = std::make_shared<afst::Builder>();
  try {
    detail::push_ast_rule(builder, *store, rule);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Rozoveved Parser: invalid operator.[8]");
  }
}

TEST(RuleTranslationLabels, TextFormIsLowerCaseHexWithoutLeadingZeros) {
  EXPECT_EQ(detail::make_string_id(0x10000005u), "0x10000005");
  EXPECT_EQ(detail::make_string_id(0x90000000u), "0x90000000");
  EXPECT_EQ(detail::make_string_id(0xa00000bcu), "0xa00000bc");
  EXPECT_EQ(detail::make_string_id(7u), "0x7");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
