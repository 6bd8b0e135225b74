// One entry of a depth-first transducer search.
//
// The lexicon matchers (lookup_matcher.h) walk a transducer depth first
// without recursion: a stack of states, each with its arc iterator (which
// arc of the state is to be tried next), the input position at which the
// state's arcs are matched, and what the arc that led to the state put out.

#ifndef KAVERO_CORE_AFST_STATE_ITEM_H_
#define KAVERO_CORE_AFST_STATE_ITEM_H_

#include <fst/vector-fst.h>

namespace zel {
namespace afst {

template <class Arc, class Position, class Output>
struct StateItem {
  using StateId = typename Arc::StateId;

  // `state` must be a state of `transducer`, which must outlive the entry.
  StateItem(const fst::VectorFst<Arc>& transducer, StateId state, Position position,
            Output output)
      : state(state), arcs(transducer, state), position(position), output(output) {}

  StateId state;
  fst::ArcIterator<fst::VectorFst<Arc>> arcs;
  Position position;
  Output output;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_STATE_ITEM_H_
