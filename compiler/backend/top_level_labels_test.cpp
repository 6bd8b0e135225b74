#include "compiler/backend/top_level_labels.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;
using testing::parsed_rule;

struct TopLevelCase {
  const char* source;
  std::vector<unsigned> labels;  // in any order
};

class TopLevelLabels : public ::testing::TestWithParam<TopLevelCase> {};

TEST_P(TopLevelLabels, AreTheLabelsAMatchMayStartWith) {
  const TopLevelCase& c = GetParam();
  Compilation compilation;
  auto store = compilation.store();
  ast::node::Rule rule = parsed_rule(compilation, *store, c.source);
  EXPECT_THAT(toplevel_arcs_fst(*store, rule), ::testing::UnorderedElementsAreArray(c.labels))
      << c.source;
}

// Tokens are numbered in order of first use; X is concept 1.
INSTANTIATE_TEST_SUITE_P(
    Table, TopLevelLabels,
    ::testing::Values(
        TopLevelCase{R"(rule:{ <"a"> <"b"> } = Xx;)", {0x10000001u}},
        TopLevelCase{R"(rule:{ (<"a"> | <"b">) <"c"> } = Xx;)", {0x10000001u, 0x10000002u}},
        // A leading optional token is an optional step: a match may start on
        // it or on the token after it.
        TopLevelCase{R"(rule:{ <"a">? <"b"> } = Xx;)", {0x10000001u, 0x10000002u}},
        TopLevelCase{R"(rule:{ <"a">* <"b"> } = Xx;)", {0x10000001u, 0x10000002u}},
        TopLevelCase{R"(rule:{ <"a">{0,2} <"b"> } = Xx;)", {0x10000001u, 0x10000002u}},
        TopLevelCase{R"(rule:{ (<"a">)? <"b"> } = Xx;)", {0x10000001u, 0x10000002u}},
        // A token with "+" or a range from 2 is a plain step.
        TopLevelCase{R"(rule:{ <"a">+ <"b"> } = Xx;)", {0x10000001u}},
        TopLevelCase{R"(rule:{ <"a">{2,3} <"b"> } = Xx;)", {0x10000001u}},
        // A leading negation empties the list.
        TopLevelCase{R"(rule:{ !(<"a">) <"b"> } = Xx;)", {}},
        // An any-token first stands alone.
        TopLevelCase{R"(rule:{ <> <"b"> } = Xx;)", {0x90000000u}},
        TopLevelCase{R"(rule:{ (<> | <"a">) <"b"> } = Xx;)", {0x90000000u}},
        TopLevelCase{R"(rule:{ <>? <"b"> } = Xx;)", {0x90000000u}},
        // Concepts carry their plain label, also with an inner pattern.
        TopLevelCase{R"(rule:{ City[<"a">] <"b"> } = Xx;)", {0x20000002u}},
        // All optional: no first element, every position may start a match.
        TopLevelCase{R"(rule:{ <"a">? } = Xx;)", {}},
        TopLevelCase{R"(rule:{ <"a">? (<"b">)* } = Xx;)", {}},
        // A nested capture is no step of its own.
        TopLevelCase{R"(rule:{ { <"a"> } = Yy <"b"> } = Xx;)", {0x10000001u}}));

}  // namespace
}  // namespace compiler
}  // namespace zel
