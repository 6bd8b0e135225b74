// The top-level labels of a rule: the labels one of which the rule's first
// mandatory element carries. The runtime starts a match only at positions
// that hold one of them.
//
//   std::vector<unsigned> labels = toplevel_arcs_fst(store, rule);
//
// A rule that begins with a negation has no list (empty: every position is
// tried), as has one whose elements are all optional; one whose first
// element may be any token has [0x90000000].

#ifndef KAVERO_COMPILER_BACKEND_TOP_LEVEL_LABELS_H_
#define KAVERO_COMPILER_BACKEND_TOP_LEVEL_LABELS_H_

#include <memory>
#include <vector>

#include "compiler/parser/syntax_tree.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class ResultStore;

// Builds a reduced transducer of the rule with its own builder and returns
// the labels on the arcs of its start state. Optional tokens and groups are
// optional steps, so the labels of what may follow them are included.
std::vector<unsigned> toplevel_arcs_fst(ResultStore& store, const ast::node::Rule& rule);

namespace top_arcs {

// Optimises the builder's network and appends the labels of its start
// state's arcs to `labels` (then empties the list when it holds the
// negation label or the network accepts the empty sequence, and reduces one holding the any-token label to that label).
void collect_toplevel_arcs(std::shared_ptr<afst::Builder> builder, std::vector<unsigned>& labels);

}  // namespace top_arcs
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_TOP_LEVEL_LABELS_H_
