// One entry of a depth-first transducer search.
//
// The transducer walks of this library go depth first without recursion: a
// stack of states, each with a cursor over its arcs (which arc of the state
// is to be tried next), the input position at which the state's arcs are
// matched, and what the arc that led to the state put out. The cursor is any
// type with Done(), Value() and Next(), such as the finite-state library's
// arc iterator or a range over a lexicon network's arc array.

#ifndef KAVERO_CORE_AFST_STATE_ITEM_H_
#define KAVERO_CORE_AFST_STATE_ITEM_H_

namespace zel {
namespace afst {

template <class ArcCursor, class Position, class Output>
struct StateItem {
  int state;
  ArcCursor arcs;
  Position position;
  Output output;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_STATE_ITEM_H_
