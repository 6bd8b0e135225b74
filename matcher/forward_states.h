// The steps of a single-path rule, flattened once when the rule loads.
//
// A rule the compiler marks for the forward matcher is a single path whose
// states are numbered in path order after the start state, so its arcs,
// taken from the start state and then state by state in id order, are its
// steps. collect_states() lists them twice: the short list leaves out the
// capture-begin, attribute and capture-end arcs (which consume nothing) and
// so begins with what the rule's first match step must be; the full list
// holds every arc and is what the forward matcher walks.

#ifndef KAVERO_MATCHER_FORWARD_STATES_H_
#define KAVERO_MATCHER_FORWARD_STATES_H_

#include <memory>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include "core-afst/visitor.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {

// One step. For a label with a kind, type is the kind and index the low 24
// bits; for a plain label, type is the whole label and index 0.
struct State {
  unsigned type;
  unsigned index;
  fst::StdArc arc;
};

struct CollectedStates {
  std::vector<State> short_list;
  std::vector<State> full_list;
};

// Both lists empty for a transducer without a start state.
CollectedStates collect_states(const std::shared_ptr<fst::VectorFst<fst::StdArc>>& fst);

// Whether the lists collect_states() makes of the transducer are its path:
// every state has at most one arc, the first arc leaves the start state,
// each arc leads to the state whose arc is collected next, and the last arc
// leads to a state without arcs. A transducer that is not a single path, or
// whose states are not numbered in path order, gives false; its rule must
// run on the afst matcher.
bool is_path_in_state_order(const fst::VectorFst<fst::StdArc>& fst);

// The same per-arc rule as a network visitor: each visited arc is appended
// to the lists of `out`. Walked with travers(), it gives what
// collect_states() gives.
class CollectorData : public ::zel::afst::Visitor {
 public:
  CollectorData(fst::VectorFst<fst::StdArc>* network, CollectedStates* out);
  ~CollectorData() override;

  void visit(const int& state, const fst::StdArc& arc) override;
  using ::zel::afst::Visitor::visit;

 private:
  CollectedStates* out_;
};

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_FORWARD_STATES_H_
