// The candidate rules of one sentence: the pool of a collection's rules
// that have not run on the sentence yet, and the lists of rules taken out
// of it for one pass.
//
// The driver gives every sentence a pool of the collection's rules. Each
// pass takes out of it the rules whose pre-test (RuleInterface::is_candidate)
// the sentence passes now, in collection order: of a plain collection only
// those, so a rule that is no candidate yet is tested again in the next
// pass, after rules have added concepts; of a priority group every rule,
// so a priority group runs in the first pass only. Either way a rule runs
// at most once per sentence and collection.
//
// A pool made over a collection does not list the collection's rules one
// by one (a domain may hold thousands of rules, and a sentence gets a pool
// for every collection): it holds every rule of the collection that has not
// left it, and takes its candidates through the collection's candidate
// index (candidate_index.h), which names the few rules the sentence's ids
// can make candidates. Rules put into the list itself are held as well, and
// are tested one by one. A candidate list is a plain list.

#ifndef KAVERO_MATCHER_RULE_CANDIDATES_H_
#define KAVERO_MATCHER_RULE_CANDIDATES_H_

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "analysis/annotation.h"
#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {

class CandidateIndex;
class RuleCollectionBase;

class RuleCandidateCollectionBase : public std::list<RuleInterface*> {
 public:
  // 0 plain, 1 priority group; lists of other kinds are run by nobody.
  explicit RuleCandidateCollectionBase(uint32_t kind = 0);
  // A pool of every rule of the index's collection, of the given kind.
  RuleCandidateCollectionBase(uint32_t kind, std::shared_ptr<const CandidateIndex> index);
  RuleCandidateCollectionBase(const RuleCandidateCollectionBase&);
  RuleCandidateCollectionBase(RuleCandidateCollectionBase&&) noexcept;
  RuleCandidateCollectionBase& operator=(const RuleCandidateCollectionBase&);
  RuleCandidateCollectionBase& operator=(RuleCandidateCollectionBase&&) noexcept;
  virtual ~RuleCandidateCollectionBase();

  // The rules to run on the sentence in this pass. The base takes none: an
  // empty list of kind 0.
  virtual RuleCandidateCollectionBase get_candidates(const Sentence* sentence);

  // For each rule of `other`, removes from this pool the first rule it
  // holds with the same id(): the collection's rules in their order first,
  // then those of the list.
  void remove(std::shared_ptr<RuleCandidateCollectionBase> other);

  uint32_t kind;

 protected:
  // Moves the rules that pass the pre-test into `candidates`, in
  // collection order, then the listed ones in list order. With
  // `every_rule_leaves`, the others leave the pool too.
  void take_candidates(const Sentence* sentence, bool every_rule_leaves,
                       RuleCandidateCollectionBase& candidates);

 private:
  // Whether the collection's rule at the position is still in the pool.
  bool holds(uint32_t position) const;

  // The collection's index; null for a pool that only lists its rules.
  std::shared_ptr<const CandidateIndex> index_;
  // Ascending positions of the collection's rules that left the pool.
  std::vector<uint32_t> left_;
  // Every rule of the collection left the pool.
  bool all_left_ = false;
  // Scratch for the positions the index names; kept to reuse its memory.
  std::vector<uint32_t> possible_;
};

class RuleCandidateCollection : public RuleCandidateCollectionBase {
 public:
  // An empty list of kind 0.
  RuleCandidateCollection();
  // A pool of every rule of the collection, of kind 0.
  explicit RuleCandidateCollection(const RuleCollectionBase& collection);
  explicit RuleCandidateCollection(std::shared_ptr<const CandidateIndex> index);
  // Takes over the rules of `list` (kind 0 whatever its kind).
  explicit RuleCandidateCollection(RuleCandidateCollectionBase&& list);

  // Takes out the rules that pass the pre-test; the others stay.
  RuleCandidateCollectionBase get_candidates(const Sentence* sentence) override;
};

class PriorityGroupRuleCandidateCollection : public RuleCandidateCollectionBase {
 public:
  // An empty list of kind 1.
  PriorityGroupRuleCandidateCollection();
  // A pool of every rule of the collection, of kind 1.
  explicit PriorityGroupRuleCandidateCollection(const RuleCollectionBase& collection);
  explicit PriorityGroupRuleCandidateCollection(std::shared_ptr<const CandidateIndex> index);
  // Takes over the rules of `list` (kind 1 whatever its kind).
  explicit PriorityGroupRuleCandidateCollection(RuleCandidateCollectionBase&& list);

  // Takes out the rules that pass the pre-test; the others leave the pool
  // too.
  RuleCandidateCollectionBase get_candidates(const Sentence* sentence) override;
};

// An empty list of kind 1 when the source's kind is 1, else of kind 0.
RuleCandidateCollectionBase make_new_collection(const RuleCandidateCollectionBase& source);

// A new empty RuleCandidateCollection (source kind 0) or
// PriorityGroupRuleCandidateCollection (kind 1); null for any other kind.
std::shared_ptr<RuleCandidateCollectionBase> make_new_collection_v1(
    const RuleCandidateCollectionBase& source);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_CANDIDATES_H_
