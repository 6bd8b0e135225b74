// The rule clusters of a compiled domain: the fixed groups in which rules
// run, their numeric ids, and the order of the run.
//
// The loader files every rule under a cluster ("conjecture", "grammar",
// "entities", "instances", "unknown_things", "anaphora") or, outside any
// cluster, under "unnamed"; it builds the collections of the clusters in
// the order of rule_cluster and the driver runs them in that order.

#ifndef KAVERO_MATCHER_RULE_CLUSTERS_H_
#define KAVERO_MATCHER_RULE_CLUSTERS_H_

#include <set>
#include <string>
#include <vector>

namespace zel {
namespace kavero {

// "conjecture" 1, "grammar" 2, "entities" 3, "instances" 4, "anaphora" 5,
// "unknown_things" 6, "unnamed" 0xffff; every other name (case matters)
// 0xff.
unsigned get_cluster_id(const std::string& name);

// The cluster names in run order: "conjecture", "grammar", "entities",
// "instances", "unknown_things", "anaphora".
extern const std::vector<std::string> rule_cluster;

// `names` without its first element, plus "unnamed".
std::set<std::string> create_all_filters(const std::vector<std::string>& names);

// create_all_filters(rule_cluster): every cluster but "conjecture", and
// "unnamed".
extern const std::set<std::string> all_namespace_except_conjecture;

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_CLUSTERS_H_
