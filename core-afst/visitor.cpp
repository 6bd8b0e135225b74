#include "core-afst/visitor.h"

namespace zel {
namespace afst {

Visitor::Visitor(fst::VectorFst<fst::StdArc>* network)
    : network_(network),
      input_symbols_(network->InputSymbols()),
      output_symbols_(network->OutputSymbols()) {}

Visitor::~Visitor() = default;

void Visitor::travers() {
  const int start = network_->Start();
  if (start == fst::kNoStateId) return;
  // States added by the visitor during the walk are not visited.
  const int count = network_->NumStates();
  visit(start);
  for (int s = 0; s < count; ++s) {
    if (s != start) visit(s);
  }
}

void Visitor::visit(const int& state) {
  for (fst::ArcIterator<fst::VectorFst<fst::StdArc>> it(*network_, state); !it.Done(); it.Next()) {
    visit(state, it.Value());
  }
}

void Visitor::visit(const int&, const fst::StdArc&) {}

}  // namespace afst
}  // namespace zel
