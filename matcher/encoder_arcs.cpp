#include "matcher/encoder_arcs.h"

#include <fst/symbol-table.h>

namespace zel {
namespace kavero {
namespace idstrm {

EncoderArcs::EncoderArcs(const Transducer& transducer, const EncoderSymbols& symbols, bool sorted)
    : sorted_(sorted) {
  const int states = transducer.NumStates();
  // Output labels name texts of the output table (the ids emitted come from
  // the input side); one beyond it is a fault of the encoder.
  const fst::SymbolTable* outputs = transducer.OutputSymbols();
  const int64_t output_size = outputs != nullptr ? outputs->AvailableKey() : 0;
  const std::vector<EncoderSymbol>& decoded = symbols.symbols();
  first_.reserve(static_cast<size_t>(states) + 1);
  for (int state = 0; state < states; ++state) {
    first_.push_back(static_cast<uint32_t>(arcs_.size()));
    for (fst::ArcIterator<Transducer> it(transducer, state); !it.Done(); it.Next()) {
      const fst::StdArc& arc = it.Value();
      EncoderArc compact;
      compact.target = static_cast<uint32_t>(arc.nextstate);
      compact.label = arc.ilabel;
      if (arc.ilabel < 0 || static_cast<size_t>(arc.ilabel) >= decoded.size() || arc.olabel < 0 ||
          arc.olabel >= output_size) {
        compact.faulty = true;
      } else {
        const EncoderSymbol& symbol = decoded[static_cast<size_t>(arc.ilabel)];
        compact.kind = symbol.kind;
        compact.value = symbol.value;
        compact.last = symbol.last;
        compact.key = search_key(symbol);
      }
      arcs_.push_back(compact);
    }
  }
  first_.push_back(static_cast<uint32_t>(arcs_.size()));
  start_ = transducer.Start();
}

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel
