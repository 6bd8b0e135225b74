// The bitset transducer of a rule: the labels a match must contain, with the
// rule's order, gaps, optional parts and repetitions stripped away. The
// runtime's candidate test reads it to skip sentences where the rule cannot
// match.
//
//   auto builder = std::make_shared<afst::Builder>();
//   make_bitset_fst(builder, store, rule);
//   fst::StdVectorFst* bitset = builder->build(true);
//
// Only token (0x10000000 | n) and concept (0x20000000 | c) labels occur,
// pushed as texts as in rule_translation.h.

#ifndef KAVERO_COMPILER_BACKEND_BITSET_TRANSDUCER_H_
#define KAVERO_COMPILER_BACKEND_BITSET_TRANSDUCER_H_

#include <memory>
#include <string>

#include "compiler/parser/syntax_tree.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class ResultStore;

// Fills the fresh builder with the rule's bitset transducer and thins it
// out (detail::optimize_bitset); a later build(true) yields it.
void make_bitset_fst(std::shared_ptr<afst::Builder> builder, ResultStore& store,
                     const ast::node::Rule& rule);

namespace detail {

// Whether a node with this closure may be absent from a match: "*", "?" or
// a range starting with 0.
bool can_optimize_closure(const std::string& closure);

// The three thinning passes: a label already required on a single-arc step
// becomes epsilon; a choice whose labels are all required elsewhere goes;
// a network that is one chain of steps is rebuilt with the single labels
// first, then the choices ordered by their number of alternatives.
void optimize_bitset(std::shared_ptr<afst::Builder> builder);

}  // namespace detail
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_BITSET_TRANSDUCER_H_
