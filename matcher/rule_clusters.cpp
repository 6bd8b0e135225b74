#include "matcher/rule_clusters.h"

#include <unordered_map>

namespace zel {
namespace kavero {

unsigned get_cluster_id(const std::string& name) {
  static const std::unordered_map<std::string, unsigned> ids = {
      {"conjecture", 1}, {"grammar", 2},        {"entities", 3}, {"instances", 4},
      {"anaphora", 5},   {"unknown_things", 6}, {"unnamed", 0xffff},
  };
  auto found = ids.find(name);
  return found == ids.end() ? 0xffu : found->second;
}

// Both in this file, so that the set is built after the list it is made of.
const std::vector<std::string> rule_cluster = {"conjecture", "grammar",        "entities",
                                               "instances",  "unknown_things", "anaphora"};

std::set<std::string> create_all_filters(const std::vector<std::string>& names) {
  std::set<std::string> filters;
  if (!names.empty()) filters.insert(names.begin() + 1, names.end());
  filters.insert("unnamed");
  return filters;
}

const std::set<std::string> all_namespace_except_conjecture = create_all_filters(rule_cluster);

}  // namespace kavero
}  // namespace zel
