// Loading a compiled domain into a DomainFacade.
//
// The loader resolves the domain name to its database and description
// (domain_info.h), compiles a domain given as a folder of rule sources
// first (domain_check.h), and reads from the database the lexicons and
// their summary, the token encoder, the rules, the concept tables and the
// compiler version. The engine calls it once per facade, under its lock.
//
// Rules are sorted into collections in run order. Every cluster of
// rule_cluster takes the rule records whose names begin with "rule_" + the
// cluster + "_" ("conjecture" first, "anaphora" last); then the records of
// no cluster follow under "unnamed". A record is loaded once, by the first
// pass that takes it. Within a pass, consecutive rules with the same key
// (the cluster, the rule's namespace and, for a priority group, the group
// without its last "-" part) share one collection; the last collection of
// each pass is marked last_in_cluster, and "instances" and
// "unknown_things" get an empty collection when they have no rules.

#ifndef KAVERO_DOMAIN_DOMAIN_LOADER_H_
#define KAVERO_DOMAIN_DOMAIN_LOADER_H_

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "domain/domain_facade.h"
#include "matcher/rule_collection.h"
#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {

// load_domain_with_paths over the folders as paths.
bool load_domain(DomainFacade& domain, const std::vector<std::string>& folders,
                 const std::string& name);

// Loads the domain of `name`, resolved over the resource folders. True when
// it was loaded, and for an empty name (which loads nothing); false when its
// database does not exist or cannot be opened (the description, flags and
// output filter are set by then). Raises zel::Exception:
//   "Cannot load domain (or dependency) " + name   the name resolves to no
//                                                  database
//   "Cannot build domain:" + name + ":\n" + report compiling a folder failed
//   "Corrupt Domain file, Could not find version nr. " + quoted path
// and lets the errors of the record readers through (a "dom_filename" or
// flag of the wrong JSON type raises the JSON library's type error).
bool load_domain_with_paths(DomainFacade& domain,
                            const std::vector<std::filesystem::path>& folders,
                            const std::string& name);

// Sets the flags and no_crlf_names from the description in domain_info:
// "anaphora" and "instances" (booleans) set or clear their bits, "no_crlf"
// (texts: an array, an object's values, one text) adds names.
void set_domain_flags_configfile(DomainFacade& domain);

// The number of rules of all collections.
int count_rule(const DomainFacade& domain);

// The namespace of a rule record name: what stands between "rule_" and the
// last "_$DAZ:"; empty without one.
std::string get_namespace(const std::string& rule_name);
// The priority group of a rule record name: what stands between "$GRUUID:"
// and the next "_"; empty without one.
std::string get_priority_group(const std::string& rule_name);

// Builds the rule of each record walked and appends it to `collection`,
// unless `loaded` already names the record.
struct push_rule_fst {
  std::shared_ptr<sqlite3> db;
  RuleCollectionBase* collection;
  std::set<std::string>* loaded;

  // `record` is (name, attribute text). Always true.
  bool operator()(const std::tuple<std::string, std::string>& record) const;
};

// Sorts one pass's rules, in order, into collections appended to
// `collections`.
class RuleDispatcher {
 public:
  using Collections = std::vector<std::pair<const std::string, RuleCollectionBase>>;

  RuleDispatcher(std::string cluster, Collections* collections);

  void operator()(const std::shared_ptr<RuleInterface>& rule);

 private:
  std::string current_key_ = "invalid_namespace";
  std::string cluster_;
  Collections* collections_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_LOADER_H_
