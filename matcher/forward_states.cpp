#include "matcher/forward_states.h"

#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

void collect_arc(const fst::StdArc& arc, CollectedStates* out) {
  const auto label = static_cast<unsigned>(arc.ilabel);
  const unsigned kind = label_kind(label);
  if (kind == 0) {
    out->full_list.push_back(State{label, 0, arc});
    out->short_list.push_back(State{label, 0, arc});
    return;
  }
  const State step{kind, label_index(label), arc};
  out->full_list.push_back(step);
  if (kind != CAPBEG && kind != ATT && kind != CAPEND) out->short_list.push_back(step);
}

void collect(const fst::VectorFst<fst::StdArc>& t, int state, CollectedStates* out) {
  for (fst::ArcIterator<fst::VectorFst<fst::StdArc>> it(t, state); !it.Done(); it.Next()) {
    collect_arc(it.Value(), out);
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

bool is_path_in_state_order(const fst::VectorFst<fst::StdArc>& t) {
  const int start = t.Start();
  if (start == fst::kNoStateId) return false;
  // The target of the arc collected last; kNoStateId before the first.
  int expected = fst::kNoStateId;
  auto follows = [&](int state) {
    const size_t arcs = t.NumArcs(state);
    if (arcs == 0) return true;
    if (arcs > 1) return false;
    if (expected == fst::kNoStateId ? state != start : state != expected) return false;
    expected = fst::ArcIterator<fst::VectorFst<fst::StdArc>>(t, state).Value().nextstate;
    return true;
  };
  if (!follows(start)) return false;
  for (int state = 0; state < t.NumStates(); ++state) {
    if (state != start && !follows(state)) return false;
  }
  return expected != fst::kNoStateId && t.NumArcs(expected) == 0;
}

CollectorData::CollectorData(fst::VectorFst<fst::StdArc>* network, CollectedStates* out)
    : ::zel::afst::Visitor(network), out_(out) {}

CollectorData::~CollectorData() = default;

void CollectorData::visit(const int& /*state*/, const fst::StdArc& arc) { collect_arc(arc, out_); }

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
