// The arcs of the network a token encoder searches, laid out for the
// search: one flat array, each state's arcs side by side, every arc with
// its input symbol decoded and its search key worked out. Built once per
// loaded domain; the search then reads one small record per arc instead of
// the transducer's arc and the symbol its label names.

#ifndef KAVERO_MATCHER_ENCODER_ARCS_H_
#define KAVERO_MATCHER_ENCODER_ARCS_H_

#include <cstdint>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include "matcher/encoder_symbols.h"

namespace zel {
namespace kavero {
namespace idstrm {

struct EncoderArc {
  // The search key of the symbol (search_key()), for passing over arcs.
  uint64_t key = 0;
  uint32_t value = 0;
  uint32_t last = 0;
  // The first arc of the target state; the target's arcs end where the
  // next state's begin.
  uint32_t target = 0;
  // The input label, for the class texts.
  int32_t label = 0;
  EncoderSymbolKind kind = EncoderSymbolKind::kNothing;
  // Set when a label of the arc has no symbol text: the search fails there.
  bool faulty = false;
};

class EncoderArcs {
 public:
  using Transducer = fst::VectorFst<fst::StdArc>;

  // The arcs of `transducer`, whose input symbols `symbols` decodes; when
  // `sorted`, every state's arcs are in the order of search_key().
  EncoderArcs(const Transducer& transducer, const EncoderSymbols& symbols, bool sorted);

  bool has_start() const { return start_ >= 0; }
  // The arcs of the start state.
  const EncoderArc* start_begin() const { return arcs_.data() + first_[start_]; }
  const EncoderArc* start_end() const { return arcs_.data() + first_[start_ + 1]; }
  // The arcs of an arc's target.
  const EncoderArc* begin(const EncoderArc& arc) const { return arcs_.data() + first_[arc.target]; }
  const EncoderArc* end(const EncoderArc& arc) const { return arcs_.data() + first_[arc.target + 1]; }
  bool sorted() const { return sorted_; }

 private:
  std::vector<EncoderArc> arcs_;
  // By state, the index of its first arc; one more entry for the end.
  std::vector<uint32_t> first_;
  int start_ = -1;
  bool sorted_ = false;
};

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ENCODER_ARCS_H_
