// Which run-time matcher a compiled rule may use: the general transducer
// matcher (type 1, "FSM") or the forward matcher (type 2, "FWRD"), which
// handles only plain sequences. The type is a promise to the runtime: a
// type-2 rule holds nothing the forward matcher cannot match.

#ifndef KAVERO_COMPILER_BACKEND_RULE_SPECIALIZATION_H_
#define KAVERO_COMPILER_BACKEND_RULE_SPECIALIZATION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace rule {
namespace specialization {

// "FSM" for 1, "FWRD" for 2, the empty text otherwise.
const std::string& specialization_type_name(unsigned long type);

// 2 when the rule's body, through all nested captures, holds only tokens
// without repetition, concept references without inner pattern, adjacency
// and gaps ".."; 1 otherwise. The forward matcher tries the rest of the
// steps from every position after a gap, as the general matcher does.
unsigned long rule_specialization_type(const ast::node::Rule& rule);

// The token and concept ids of the body in order, depth first, with
// 0x80000000 for each adjacency, ".." and "..." operator.
std::vector<std::uint32_t> collect_ids(const ast::node::Rule& rule);

}  // namespace specialization
}  // namespace rule
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RULE_SPECIALIZATION_H_
