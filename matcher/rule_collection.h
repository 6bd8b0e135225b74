// The rules of one cluster, namespace or priority group of a domain.
//
// The loader fills the rules in load order and marks the last collection of
// each cluster; the driver runs the cluster's closing steps after it. The
// domain keeps its collections by value as RuleCollectionBase; the two
// subclasses only say which kind a collection is made as.
//
// The driver chooses a sentence's candidate rules through the collection's
// candidate index (candidate_index.h), made on first use and kept with the
// collection for every later document.

#ifndef KAVERO_MATCHER_RULE_COLLECTION_H_
#define KAVERO_MATCHER_RULE_COLLECTION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {

class CandidateIndex;

enum RuleCollectionBaseId : uint32_t {
  kRuleCollectionId = 0,               // a cluster or namespace
  kPriorityGroupRuleCollectionId = 1,  // a priority group
};

class RuleCollectionBase {
 public:
  // The cluster id is get_cluster_id(name).
  RuleCollectionBase(const std::string& name, const std::string& qualified_name,
                     RuleCollectionBaseId kind);

  std::vector<std::shared_ptr<RuleInterface>> rules;
  uint32_t cluster_id;
  // The cluster the collection belongs to.
  std::string name;
  // The namespace or priority-group key the loader gave it.
  std::string qualified_name;
  RuleCollectionBaseId kind;
  bool last_in_cluster = false;

  // The candidate index of `rules`: the one kept when it was built over the
  // rules as they are now, else a new one, which is kept. Several threads
  // may ask at once; they may build an index each, and every one is
  // equivalent.
  std::shared_ptr<const CandidateIndex> candidate_index() const;

 private:
  mutable std::shared_ptr<const CandidateIndex> candidate_index_;
};

class RuleCollection : public RuleCollectionBase {
 public:
  RuleCollection(const std::string& name, const std::string& qualified_name);
};

class PriorityGroupRuleCollection : public RuleCollectionBase {
 public:
  PriorityGroupRuleCollection(const std::string& name, const std::string& qualified_name);
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_COLLECTION_H_
