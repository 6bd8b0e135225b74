#include "compiler/backend/rule_specialization.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"

namespace zel {
namespace compiler {
namespace {

using rule::specialization::rule_specialization_type;
using rule::specialization::specialization_type_name;
using testing::Compilation;
using testing::parsed_rule;

struct TypeCase {
  const char* source;
  unsigned long type;
};

class RuleSpecialization : public ::testing::TestWithParam<TypeCase> {};

TEST_P(RuleSpecialization, DecidesTheMatcher) {
  Compilation compilation;
  auto store = compilation.store();
  ast::node::Rule rule = parsed_rule(compilation, *store, GetParam().source);
  EXPECT_EQ(rule_specialization_type(rule), GetParam().type) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RuleSpecialization,
    ::testing::Values(
        TypeCase{R"(rule:{ <"a"> <"b"> } = Xx;)", 2},
        TypeCase{R"(rule:{ <"a", +pl, length(2)> City@(k="v") } = Xx;)", 2},
        TypeCase{R"(rule:{ <"a"> { <"b"> City } = Yy@(k="v") } = Xx;)", 2},
        TypeCase{R"(rule:{ <"a"> .. City } = Xx;)", 2},
        TypeCase{R"(rule:{ <"a"> { <"b"> .. <"c"> } = Yy } = Xx;)", 2},
        TypeCase{R"(rule:{ <"a"> .. <"b">? } = Xx;)", 1},
        TypeCase{R"(rule:{ (<"a">) } = Xx;)", 1},
        TypeCase{R"(rule:{ <"b"> !(<"a">) } = Xx;)", 1},
        TypeCase{R"(rule:{ <"a">? } = Xx;)", 1},
        TypeCase{R"(rule:{ <"a">{1} } = Xx;)", 1},
        TypeCase{R"(rule:{ City[<"a">] } = Xx;)", 1},
        TypeCase{R"(rule:{ (<"a"> | <"b">) } = Xx;)", 1},
        TypeCase{R"(rule:{ { (<"a"> % <"b">) } = Yy } = Xx;)", 1},
        TypeCase{R"(rule:{ <"a"> .? <"b"> } = Xx;)", 1},
        TypeCase{R"(rule:{ <"a"> ... <"b"> } = Xx;)", 1}));

TEST(RuleSpecializationNames, TwoNamedTypes) {
  EXPECT_EQ(specialization_type_name(1), "FSM");
  EXPECT_EQ(specialization_type_name(2), "FWRD");
  EXPECT_EQ(specialization_type_name(0), "");
  EXPECT_EQ(specialization_type_name(3), "");
  EXPECT_EQ(rule_specialization_type(ast::node::Rule{}), 2u);
}

TEST(RuleSpecializationIds, TokensConceptsAndSequenceMarkers) {
  Compilation compilation;
  auto store = compilation.store();
  // Tokens 1, 2; X is concept 1, City 2.
  EXPECT_EQ(rule::specialization::collect_ids(
                parsed_rule(compilation, *store, R"(rule:{ <"a"> .. City } = Xx;)")),
            (std::vector<std::uint32_t>{1u, 0x80000000u, 2u}));
  EXPECT_EQ(rule::specialization::collect_ids(
                parsed_rule(compilation, *store, R"(rule:{ (<"a"> | <"b">) } = Xx;)")),
            (std::vector<std::uint32_t>{1u, 2u}));
  EXPECT_EQ(rule::specialization::collect_ids(
                parsed_rule(compilation, *store, R"(rule:{ City[<"c">] } = Xx;)")),
            (std::vector<std::uint32_t>{2u, 3u}));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
