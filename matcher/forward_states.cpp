#include "matcher/forward_states.h"

#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

void collect(const fst::VectorFst<fst::StdArc>& t, int state, CollectedStates* out) {
  for (fst::ArcIterator<fst::VectorFst<fst::StdArc>> it(t, state); !it.Done(); it.Next()) {
    const fst::StdArc& arc = it.Value();
    const auto label = static_cast<unsigned>(arc.ilabel);
    const unsigned kind = label_kind(label);
    if (kind == 0) {
      out->full_list.push_back(State{label, 0, arc});
      out->short_list.push_back(State{label, 0, arc});
      continue;
    }
    const State step{kind, label_index(label), arc};
    out->full_list.push_back(step);
    if (kind != CAPBEG && kind != ATT && kind != CAPEND) out->short_list.push_back(step);
  }
}

}  // namespace

CollectedStates collect_states(const std::shared_ptr<fst::VectorFst<fst::StdArc>>& fst) {
  CollectedStates out;
  const int start = fst->Start();
  if (start == fst::kNoStateId) return out;
  collect(*fst, start, &out);
  for (int state = 0; state < fst->NumStates(); ++state) {
    if (state != start) collect(*fst, state, &out);
  }
  return out;
}

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
