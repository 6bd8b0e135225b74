// The network the token encoder searches.
//
// The encoder's transducer, as the builder writes it, unions one path per
// token pattern at its start state: a start with thousands of arcs, most of
// them with the same few command labels, every one of which the search
// would try for every token. What the search emits depends only on the
// labels along a path, never on the states, so a network in which every
// state has at most one arc per label (the patterns' common beginnings
// merged) emits the same ids, provided every path keeps its count: the
// emit arcs, which end a path, are kept once per path that ends with them.
// search_network() builds that network when the domain loads; when two
// paths with the same labels meet in one state (they would emit
// everything after twice), or the network would grow too large, the
// transducer is searched as it is. Either way every state's arcs are put in
// the order of search_key() (which changes nothing of what is emitted),
// unless some label has no text: such a transducer is searched exactly as
// it is, so that the search meets the faulty label where it stands.

#ifndef KAVERO_MATCHER_ENCODER_NETWORK_H_
#define KAVERO_MATCHER_ENCODER_NETWORK_H_

#include <memory>

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include "matcher/encoder_symbols.h"

namespace zel {
namespace kavero {
namespace idstrm {

struct SearchNetwork {
  std::shared_ptr<fst::StdVectorFst> fst;
  // Whether the arcs are in the order of search_key().
  bool sorted = false;
};

SearchNetwork search_network(const std::shared_ptr<fst::StdVectorFst>& transducer,
                             const EncoderSymbols& symbols);

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ENCODER_NETWORK_H_
