#include "matcher/encoder_network.h"

#include <algorithm>
#include <map>
#include <vector>

namespace zel {
namespace kavero {
namespace idstrm {

namespace {

using Fst = fst::StdVectorFst;
using Arc = fst::StdArc;

// Puts every state's arcs in the order of search_key().
void sort_arcs(Fst& network, const EncoderSymbols& symbols) {
  const std::vector<EncoderSymbol>& kinds = symbols.symbols();
  std::vector<Arc> arcs;
  for (int s = 0; s < network.NumStates(); ++s) {
    arcs.clear();
    for (fst::ArcIterator<Fst> it(network, s); !it.Done(); it.Next()) arcs.push_back(it.Value());
    std::stable_sort(arcs.begin(), arcs.end(), [&](const Arc& a, const Arc& b) {
      return search_key(kinds[a.ilabel]) < search_key(kinds[b.ilabel]);
    });
    network.DeleteArcs(s);
    for (const Arc& arc : arcs) network.AddArc(s, arc);
  }
}

// The merged network; null when merging would change what it emits.
std::shared_ptr<Fst> merged(const Fst& nfa, const EncoderSymbols& symbols);

}  // namespace

SearchNetwork search_network(const std::shared_ptr<Fst>& transducer,
                             const EncoderSymbols& symbols) {
  const Fst& nfa = *transducer;
  const std::vector<EncoderSymbol>& kinds = symbols.symbols();
  // A label without a text must stay where it is: the search reports it
  // when it reaches it.
  for (int s = 0; s < nfa.NumStates(); ++s) {
    for (fst::ArcIterator<Fst> arcs(nfa, s); !arcs.Done(); arcs.Next()) {
      const Arc& arc = arcs.Value();
      if (arc.ilabel < 0 || static_cast<size_t>(arc.ilabel) >= kinds.size() || arc.olabel < 0 ||
          static_cast<size_t>(arc.olabel) >= symbols.output_size()) {
        return {transducer, false};
      }
    }
  }
  std::shared_ptr<Fst> network =
      nfa.Start() == fst::kNoStateId ? nullptr : merged(nfa, symbols);
  if (!network) network = std::make_shared<Fst>(nfa);
  sort_arcs(*network, symbols);
  return {network, true};
}

namespace {

std::shared_ptr<Fst> merged(const Fst& nfa, const EncoderSymbols& symbols) {
  const std::vector<EncoderSymbol>& kinds = symbols.symbols();
  const size_t limit = 4 * static_cast<size_t>(nfa.NumStates()) + 1024;
  auto dfa = std::make_shared<Fst>();
  dfa->SetInputSymbols(nfa.InputSymbols());
  dfa->SetOutputSymbols(nfa.OutputSymbols());
  std::map<std::vector<int>, int> ids;
  std::vector<std::vector<int>> subsets;
  auto state_of = [&](std::vector<int> subset) {
    auto found = ids.find(subset);
    if (found != ids.end()) return found->second;
    const int id = dfa->AddState();
    ids.emplace(subset, id);
    subsets.push_back(std::move(subset));
    return id;
  };
  dfa->SetStart(state_of({nfa.Start()}));
  // Emit arcs end their path: their target is never searched.
  const int end = dfa->AddState();
  subsets.emplace_back();

  struct Step {
    int label;
    int olabel;
    int target;
  };
  std::vector<Step> steps;
  for (size_t d = 0; d < subsets.size(); ++d) {
    if (static_cast<int>(d) == end) continue;
    steps.clear();
    for (int q : subsets[d]) {
      for (fst::ArcIterator<Fst> arcs(nfa, q); !arcs.Done(); arcs.Next()) {
        const Arc& arc = arcs.Value();
        const EncoderSymbolKind kind = kinds[arc.ilabel].kind;
        if (kind == EncoderSymbolKind::kNothing) continue;  // matches nothing
        if (kind == EncoderSymbolKind::kEmit) {
          dfa->AddArc(static_cast<int>(d), Arc(arc.ilabel, arc.olabel, Arc::Weight::One(), end));
          continue;
        }
        steps.push_back({arc.ilabel, arc.olabel, arc.nextstate});
      }
    }
    std::sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) {
      return a.label != b.label ? a.label < b.label : a.target < b.target;
    });
    for (size_t i = 0; i < steps.size();) {
      size_t j = i;
      std::vector<int> targets;
      for (; j < steps.size() && steps[j].label == steps[i].label; ++j) {
        // Two paths with the same labels into one state.
        if (!targets.empty() && targets.back() == steps[j].target) return nullptr;
        targets.push_back(steps[j].target);
      }
      const int target = state_of(std::move(targets));
      if (subsets.size() > limit) return nullptr;
      dfa->AddArc(static_cast<int>(d),
                  Arc(steps[i].label, steps[i].olabel, Arc::Weight::One(), target));
      i = j;
    }
  }
  return dfa;
}

}  // namespace

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel
