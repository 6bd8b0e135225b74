#include "matcher/rule_collection.h"

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

RuleCollection::RuleCollection(const std::string& name_, const std::string& qualified_name_)
    : RuleCollectionBase(name_, qualified_name_, kRuleCollectionId) {}

PriorityGroupRuleCollection::PriorityGroupRuleCollection(const std::string& name_,
                                                         const std::string& qualified_name_)
    : RuleCollectionBase(name_, qualified_name_, kPriorityGroupRuleCollectionId) {}

}  // namespace kavero
}  // namespace zel
