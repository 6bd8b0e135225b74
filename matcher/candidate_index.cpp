#include "matcher/candidate_index.h"

#include <algorithm>

#include "core-afst/afst.h"

namespace zel {
namespace kavero {

CandidateIndex::CandidateIndex(const Rules& rules) : rules_(rules) {
  for (uint32_t position = 0; position < rules_.size(); ++position) {
    const std::shared_ptr<zel::afst::AFst> bitset = rules_[position]->bitset_fsm();
    const int start = bitset->start();
    if (start == fst::kNoStateId) continue;
    if (bitset->is_final(start)) {
      always_.push_back(position);
      continue;
    }
    for (fst::ArcIterator<RuleTransducer> arc(bitset->fst(), start); !arc.Done(); arc.Next()) {
      std::vector<uint32_t>& list = by_label_[static_cast<uint32_t>(arc.Value().ilabel)];
      if (list.empty() || list.back() != position) list.push_back(position);
    }
  }
}

bool CandidateIndex::built_over(const Rules& rules) const {
  if (rules.size() != rules_.size()) return false;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (rules[i] != rules_[i]) return false;
  }
  return true;
}

void CandidateIndex::possible(const std::set<uint32_t>& ids,
                              std::vector<uint32_t>& positions) const {
  const size_t first = positions.size();
  positions.insert(positions.end(), always_.begin(), always_.end());
  size_t lists = always_.empty() ? 0 : 1;
  if (!by_label_.empty()) {
    for (uint32_t id : ids) {
      auto found = by_label_.find(id);
      if (found == by_label_.end()) continue;
      positions.insert(positions.end(), found->second.begin(), found->second.end());
      ++lists;
    }
  }
  // One list is ascending and has no repeats already.
  if (lists > 1) {
    std::sort(positions.begin() + static_cast<std::ptrdiff_t>(first), positions.end());
    positions.erase(std::unique(positions.begin() + static_cast<std::ptrdiff_t>(first),
                                positions.end()),
                    positions.end());
  }
}

}  // namespace kavero
}  // namespace zel
