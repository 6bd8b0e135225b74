#include "matcher/rule_collection.h"

#include <atomic>

#include "matcher/candidate_index.h"
#include "matcher/rule_clusters.h"

namespace zel {
namespace kavero {

RuleCollectionBase::RuleCollectionBase(const std::string& name_,
                                       const std::string& qualified_name_,
                                       RuleCollectionBaseId kind_)
    : cluster_id(get_cluster_id(name_)),
      name(name_),
      qualified_name(qualified_name_),
      kind(kind_) {}

std::shared_ptr<const CandidateIndex> RuleCollectionBase::candidate_index() const {
  std::shared_ptr<const CandidateIndex> index = std::atomic_load(&candidate_index_);
  if (index != nullptr && index->built_over(rules)) return index;
  index = std::make_shared<const CandidateIndex>(rules);
  std::atomic_store(&candidate_index_, index);
  return index;
}

RuleCollection::RuleCollection(const std::string& name_, const std::string& qualified_name_)
    : RuleCollectionBase(name_, qualified_name_, kRuleCollectionId) {}

PriorityGroupRuleCollection::PriorityGroupRuleCollection(const std::string& name_,
                                                         const std::string& qualified_name_)
    : RuleCollectionBase(name_, qualified_name_, kPriorityGroupRuleCollectionId) {}

}  // namespace kavero
}  // namespace zel
