// Which rules of a collection a sentence can make candidates.
//
// A rule is a candidate for a sentence when its bitset transducer reaches a
// final state from its start state over arcs whose labels the sentence's
// candidate ids hold (RuleInterface::is_candidate). A rule none of whose
// start arcs is labelled by an id of the sentence therefore cannot be one,
// unless its start state is final, which makes it a candidate for every
// sentence. The index maps each label of a start arc to the rules that have
// it, so that choosing the candidates of a sentence costs a lookup per id of
// the sentence and the full pre-test of the few rules it names, not a
// pre-test of every rule of the collection. It answers only which rules may
// be candidates; the pre-test decides, so the rules chosen are exactly
// those that pass it.
//
// An index is built over a collection's rules and only read afterwards;
// any number of threads may read it at once.

#ifndef KAVERO_MATCHER_CANDIDATE_INDEX_H_
#define KAVERO_MATCHER_CANDIDATE_INDEX_H_

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {

class CandidateIndex {
 public:
  using Rules = std::vector<std::shared_ptr<RuleInterface>>;

  // Reads the start state and start arcs of every rule's bitset transducer.
  // The index keeps the rules alive.
  explicit CandidateIndex(const Rules& rules);

  // Whether the index was built over exactly these rules: the same objects
  // in the same order.
  bool built_over(const Rules& rules) const;

  size_t size() const { return rules_.size(); }
  // The rule at a position of the collection.
  RuleInterface* rule(uint32_t position) const { return rules_[position].get(); }

  // Appends to `positions` the ascending positions, each once, of the rules
  // that may be candidates for a sentence holding the ids: the rules whose
  // bitset start state is final, and those with a start arc labelled by one
  // of the ids. Rules whose bitset has no start state are never named.
  void possible(const std::set<uint32_t>& ids, std::vector<uint32_t>& positions) const;

 private:
  Rules rules_;
  std::vector<uint32_t> always_;
  // Start-arc label -> ascending positions of the rules with such an arc.
  std::unordered_map<uint32_t, std::vector<uint32_t>> by_label_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_CANDIDATE_INDEX_H_
