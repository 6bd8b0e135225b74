// Style warnings about a rule, given while the rule is built. They change
// nothing in the compiled domain; they only add compiler warnings of the
// current source, at the rule's line and column 0:
//
//   code 0x8: a group that lists three or more bare literals (or three or
//     more bare stems) with one operator between neighbours, which the
//     author could write as one literal or stem with the alternatives
//     inside it;
//   code 0x4: a rule outside every namespace whose body is only one concept
//     reference without inner pattern, which only gives it another name and
//     is better written as an "on" statement with a map.
//
// Both codes are masked like every warning code (see compiler_warning).

#ifndef KAVERO_COMPILER_BACKEND_RULE_WARNINGS_H_
#define KAVERO_COMPILER_BACKEND_RULE_WARNINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace warnings {

constexpr std::int64_t kOnStatementCode = 0x4;
constexpr std::int64_t kGroupAlternativesCode = 0x8;

// Walks a rule once and reports its warnings: the group warnings in walk
// order (an outer group before the groups inside it), the "on" statement
// warning last. `namespaces` is the stack of namespace names open around
// the rule (empty outside every namespace).
void check_for_warning(const ast::node::Rule& rule, const std::vector<std::string>& namespaces);

}  // namespace warnings
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RULE_WARNINGS_H_
