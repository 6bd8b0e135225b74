#include "compiler/backend/bitset_transducer.h"

#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;
using testing::parsed_rule;
using testing::readable_paths;

struct BitsetCase {
  const char* source;
  std::set<std::string> paths;
};

// Tokens are numbered in order of first use (TK1, TK2, ...); concept
// numbers follow the rule's own name X (CNCPT2, ...).
class BitsetTransducer : public ::testing::TestWithParam<BitsetCase> {};

TEST_P(BitsetTransducer, HoldsTheLabelsAMatchMustContain) {
  const BitsetCase& c = GetParam();
  Compilation compilation;
  auto store = compilation.store();
  ast::node::Rule rule = parsed_rule(compilation, *store, c.source);
  auto builder = std::make_shared<afst::Builder>();
  make_bitset_fst(builder, *store, rule);
  fst::StdVectorFst* net = builder->build(true);
  EXPECT_EQ(readable_paths(*net), c.paths) << c.source;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BitsetTransducer,
    ::testing::Values(
        // a, b, a keeps a once.
        BitsetCase{R"(rule:{ <"a"> <"b"> <"a"> } = Xx;)", {"TK1 TK2"}},
        // Gaps and order operators add nothing.
        BitsetCase{R"(rule:{ <"a"> .. <"b"> ... <"c"> .? <"d"> } = Xx;)", {"TK1 TK2 TK3 TK4"}},
        // A choice whose labels are required elsewhere drops out.
        BitsetCase{R"(rule:{ <"a"> (<"a"> | <"b">) <"b"> } = Xx;)", {"TK1 TK2"}},
        // A choice that is not: single steps first, then the choice.
        BitsetCase{R"(rule:{ (<"a"> | <"b">) <"c"> } = Xx;)", {"TK3 TK1", "TK3 TK2"}},
        // Optional parts vanish; "+" and ranges from 1 on count once.
        BitsetCase{R"(rule:{ <"a">* <"b">? <"c">{0,2} <"d">+ (<"e">)? <"f">{2,3} } = Xx;)",
                   {"TK4 TK6"}},
        // Any-tokens and negations add nothing.
        BitsetCase{R"(rule:{ <"b"> <> !(<"a">) } = Xx;)", {"TK1"}},
        // A choice with an alternative that adds no label is left out: a
        // match need not hold any label of it.
        BitsetCase{R"(rule:{ <"b"> (!(<"a">) | <"c">) } = Xx;)", {"TK1"}},
        BitsetCase{R"(rule:{ (<"a">? | <"c">) <"b"> } = Xx;)", {"TK3"}},
        BitsetCase{R"(rule:{ (<"a"> | { <"c">* } = Yy) <"b"> } = Xx;)", {"TK3"}},
        BitsetCase{R"(rule:{ (<"a"> | (<"c"> | <"d">)) <"b"> } = Xx;)",
                   {"TK4 TK1", "TK4 TK2", "TK4 TK3"}},
        // All optional: no arcs.
        BitsetCase{R"(rule:{ <"a">? <>* } = Xx;)", {""}},
        // Concepts count with their plain label, inner pattern after it.
        BitsetCase{R"(rule:{ City[<"a">] Town } = Xx;)", {"CNCPT2 TK1 CNCPT3"}}));

TEST(BitsetClosure, OptionalClosures) {
  for (const char* text : {"*", "?", "0", "0,3"}) {
    EXPECT_TRUE(detail::can_optimize_closure(text)) << text;
  }
  for (const char* text : {"", "+", "1", "2,3"}) {
    EXPECT_FALSE(detail::can_optimize_closure(text)) << text;
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
