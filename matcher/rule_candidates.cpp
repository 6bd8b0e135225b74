#include "matcher/rule_candidates.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "matcher/candidate_index.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {

RuleCandidateCollectionBase::RuleCandidateCollectionBase(uint32_t kind_) : kind(kind_) {}

RuleCandidateCollectionBase::RuleCandidateCollectionBase(
    uint32_t kind_, std::shared_ptr<const CandidateIndex> index)
    : kind(kind_), index_(std::move(index)) {}

RuleCandidateCollectionBase::RuleCandidateCollectionBase(const RuleCandidateCollectionBase&) =
    default;
RuleCandidateCollectionBase::RuleCandidateCollectionBase(RuleCandidateCollectionBase&&) noexcept =
    default;
RuleCandidateCollectionBase& RuleCandidateCollectionBase::operator=(
    const RuleCandidateCollectionBase&) = default;
RuleCandidateCollectionBase& RuleCandidateCollectionBase::operator=(
    RuleCandidateCollectionBase&&) noexcept = default;
RuleCandidateCollectionBase::~RuleCandidateCollectionBase() = default;

RuleCandidateCollectionBase RuleCandidateCollectionBase::get_candidates(const Sentence*) {
  return RuleCandidateCollectionBase(0);
}

bool RuleCandidateCollectionBase::holds(uint32_t position) const {
  return !all_left_ && !std::binary_search(left_.begin(), left_.end(), position);
}

void RuleCandidateCollectionBase::remove(std::shared_ptr<RuleCandidateCollectionBase> other) {
  if (other == nullptr) return;
  for (RuleInterface* rule : *other) {
    bool removed = false;
    if (index_ != nullptr) {
      for (uint32_t position = 0; position < index_->size() && !removed; ++position) {
        if (!holds(position) || index_->rule(position)->id() != rule->id()) continue;
        left_.insert(std::lower_bound(left_.begin(), left_.end(), position), position);
        removed = true;
      }
    }
    for (auto it = begin(); it != end() && !removed; ++it) {
      if ((*it)->id() != rule->id()) continue;
      erase(it);
      removed = true;
    }
  }
}

void RuleCandidateCollectionBase::take_candidates(const Sentence* sentence,
                                                  bool every_rule_leaves,
                                                  RuleCandidateCollectionBase& candidates) {
  if (index_ != nullptr && !all_left_) {
    possible_.clear();
    index_->possible(sentence->ids, possible_);
    auto hint = left_.begin();
    for (uint32_t position : possible_) {
      hint = std::lower_bound(hint, left_.end(), position);
      if (hint != left_.end() && *hint == position) continue;
      RuleInterface* rule = index_->rule(position);
      if (!rule->is_candidate(sentence)) continue;
      candidates.push_back(rule);
      hint = left_.insert(hint, position);
    }
    if (every_rule_leaves) {
      all_left_ = true;
      left_.clear();
    }
  }
  for (auto it = begin(); it != end();) {
    auto next = std::next(it);
    if ((*it)->is_candidate(sentence)) candidates.splice(candidates.end(), *this, it);
    it = next;
  }
  if (every_rule_leaves) clear();
}

RuleCandidateCollection::RuleCandidateCollection() : RuleCandidateCollectionBase(0) {}

RuleCandidateCollection::RuleCandidateCollection(const RuleCollectionBase& collection)
    : RuleCandidateCollectionBase(0, collection.candidate_index()) {}

RuleCandidateCollection::RuleCandidateCollection(std::shared_ptr<const CandidateIndex> index)
    : RuleCandidateCollectionBase(0, std::move(index)) {}

RuleCandidateCollection::RuleCandidateCollection(RuleCandidateCollectionBase&& list)
    : RuleCandidateCollectionBase(std::move(list)) {
  kind = 0;
}

RuleCandidateCollectionBase RuleCandidateCollection::get_candidates(const Sentence* sentence) {
  RuleCandidateCollectionBase candidates = make_new_collection(*this);
  take_candidates(sentence, false, candidates);
  return candidates;
}

PriorityGroupRuleCandidateCollection::PriorityGroupRuleCandidateCollection()
    : RuleCandidateCollectionBase(1) {}

PriorityGroupRuleCandidateCollection::PriorityGroupRuleCandidateCollection(
    const RuleCollectionBase& collection)
    : RuleCandidateCollectionBase(1, collection.candidate_index()) {}

PriorityGroupRuleCandidateCollection::PriorityGroupRuleCandidateCollection(
    std::shared_ptr<const CandidateIndex> index)
    : RuleCandidateCollectionBase(1, std::move(index)) {}

PriorityGroupRuleCandidateCollection::PriorityGroupRuleCandidateCollection(
    RuleCandidateCollectionBase&& list)
    : RuleCandidateCollectionBase(std::move(list)) {
  kind = 1;
}

RuleCandidateCollectionBase PriorityGroupRuleCandidateCollection::get_candidates(
    const Sentence* sentence) {
  RuleCandidateCollectionBase candidates = make_new_collection(*this);
  take_candidates(sentence, true, candidates);
  return candidates;
}

RuleCandidateCollectionBase make_new_collection(const RuleCandidateCollectionBase& source) {
  return RuleCandidateCollectionBase(source.kind == 1 ? 1 : 0);
}

std::shared_ptr<RuleCandidateCollectionBase> make_new_collection_v1(
    const RuleCandidateCollectionBase& source) {
  if (source.kind == 0) return std::make_shared<RuleCandidateCollection>();
  if (source.kind == 1) return std::make_shared<PriorityGroupRuleCandidateCollection>();
  return nullptr;
}

}  // namespace kavero
}  // namespace zel
