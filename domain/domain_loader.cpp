#include "domain/domain_loader.h"

#include <iomanip>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/logging.h"
#include "base/options.h"
#include "base/regex.h"
#include "core-afst/serialization.h"
#include "domain/concept_records.h"
#include "domain/domain_check.h"
#include "domain/domain_concepts.h"
#include "domain/domain_info.h"
#include "domain/domain_keys.h"
#include "domain/encoder_facade.h"
#include "domain/lexicon_facade.h"
#include "matcher/make_rule.h"
#include "matcher/rule_clusters.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
namespace ser = afst::serialization;
using json = nlohmann::json;

namespace {

[[noreturn]] void raise(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

template <class Compose>
void trace(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, std::forward<Compose>(compose));
}

bool file_exists(const std::string& path) {
  std::error_code error;
  const fs::file_type type = fs::status(path, error).type();
  return type != fs::file_type::not_found && type != fs::file_type::none;
}

// The pattern of the rule records of a cluster: the cluster's name is
// matched as it is written (a namespace "grammars" is no "grammar" rule).
std::string cluster_pattern(const std::string& prefix) {
  return ser::like_escape(prefix) + "%rule:%";
}

// Runs one pass of rules (a cluster, or the rest) into the collections.
// Returns whether the pass found rules.
bool load_rules(DomainFacade& domain, const std::shared_ptr<sqlite3>& db,
                const std::string& cluster, const std::string& pattern,
                std::set<std::string>& loaded) {
  RuleCollectionBase found(cluster, cluster, kRuleCollectionId);
  ser::foreach_rule(db, push_rule_fst{db, &found, &loaded}, pattern);
  if (found.rules.empty()) return false;
  RuleDispatcher dispatch(cluster, &domain.rule_collections);
  for (const auto& rule : found.rules) dispatch(rule);
  return true;
}

}  // namespace

bool load_domain(DomainFacade& domain, const std::vector<std::string>& folders,
                 const std::string& name) {
  return load_domain_with_paths(domain, std::vector<fs::path>(folders.begin(), folders.end()),
                                name);
}

bool load_domain_with_paths(DomainFacade& domain, const std::vector<fs::path>& folders,
                            const std::string& name) {
  trace([&](std::ostream& os) { os << "[domain]: load domain " << domain.get_sqlite_filename(); });
  if (name.empty()) return true;

  domain.domain_info = std::make_shared<json>(core::get_domain_info(name, folders));
  {
    const json& dom = (*domain.domain_info)[kDomKey];
    if (!dom.is_object() || !dom.contains(kDomFilenameKey)) {
      raise("Cannot load domain (or dependency) " + name);
    }
    domain.sqlite_filename = dom[kDomFilenameKey].get<std::string>();
  }
  const std::string path = domain.sqlite_filename;
  set_domain_flags_configfile(domain);

  std::error_code error;
  if (fs::is_directory(name, error)) {
    if (folders.empty()) {
      raise("Cannot build domain:" + name + ": no resource folder to compile it with.");
    }
    Options options;
    options.add("morvik", folders.front().string());
    options.add("domains", name);
    std::string report;
    if (check_domain_file(options.str(), report) != 0) {
      raise("Cannot build domain:" + name + ":\n" + report);
    }
    domain.update_build_time();
  }

  domain.output_filter = core::get_dom_info_concepts(domain.domain_info);
  if (!domain.output_filter || domain.output_filter->names.empty()) {
    // A database that is not there names no concepts; the load ends just
    // below without it.
    domain.output_filter = file_exists(path) ? core::get_output_filter(path) : nullptr;
  }

  std::shared_ptr<sqlite3> db;
  try {
    if (!file_exists(path)) {
      trace([&](std::ostream& os) { os << "Domain file does not exists " << std::quoted(path); });
      return false;
    }
    domain.build_time.store(file_build_time(path));
    db = ser::open_file(path);
    if (!db) return false;
  } catch (const ser::FileFormatException&) {
    return false;
  }

  load_lexicons(domain, db);
  load_lexicon_info(domain, db);
  domain.token_encoder = std::make_unique<EncoderFacade>(db, "token_encoder");

  std::set<std::string> loaded;
  for (const std::string& cluster : rule_cluster) {
    const bool found =
        load_rules(domain, db, cluster, cluster_pattern("rule_" + cluster + "_"), loaded);
    if (!found && (cluster == "instances" || cluster == "unknown_things")) {
      domain.rule_collections.emplace_back(cluster,
                                           RuleCollectionBase(cluster, cluster, kRuleCollectionId));
    }
    if (!domain.rule_collections.empty()) {
      RuleCollectionBase& last = domain.rule_collections.back().second;
      last.last_in_cluster = true;
      if (!last.rules.empty() && cluster == "anaphora") domain.flags |= DomainFacade::kAnaphora;
    }
  }
  load_rules(domain, db, "unnamed", cluster_pattern("rule_"), loaded);
  if (!domain.rule_collections.empty()) domain.rule_collections.back().second.last_in_cluster = true;

  domain.concept_names = core::load_concept_groups_pairs(db, true);
  domain.concept_ids = core::reverse_map(domain.concept_names);
  domain.concept_definitions = core::load_concept_definitions(db);
  domain.namespace_actions = core::dispatch_concept_definitions(domain.concept_definitions);

  const std::string version = core::load_sdk_version(db);
  if (version.empty()) {
    std::ostringstream message;
    message << "Corrupt Domain file, Could not find version nr. " << std::quoted(path);
    throw Exception(message);
  }

  json& dom = (*domain.domain_info)[kDomKey];
  dom["sdk_version"] = version;
  dom[kRulesKey] = count_rule(domain);
  dom[kConceptsKey] = core::get_dom_db_annotations(db);
  return true;
}

void set_domain_flags_configfile(DomainFacade& domain) {
  if (!domain.domain_info || !domain.domain_info->is_object() ||
      !domain.domain_info->contains(kDomInfoKey)) {
    return;
  }
  const json info = (*domain.domain_info)[kDomInfoKey];
  if (!info.is_object()) return;
  const auto flag = [&](const char* key, uint64_t bit) {
    if (!info.contains(key)) return;
    if (info[key].get<bool>()) {
      domain.flags |= bit;
    } else {
      domain.flags &= ~bit;
    }
  };
  flag("anaphora", DomainFacade::kAnaphora);
  flag("instances", DomainFacade::kInstances);
  if (info.contains("no_crlf")) {
    const json& names = info["no_crlf"];
    if (names.is_array() || names.is_object()) {
      for (const json& name : names) domain.no_crlf_names.insert(name.get<std::string>());
    } else if (!names.is_null()) {
      domain.no_crlf_names.insert(names.get<std::string>());
    }
  }
}

int count_rule(const DomainFacade& domain) {
  size_t count = 0;
  for (const auto& [cluster, collection] : domain.rule_collections) count += collection.rules.size();
  return static_cast<int>(count);
}

std::string get_namespace(const std::string& rule_name) {
  static const Regex pattern = kav_regex("rule_(.*)_\\$DAZ:.*");
  SMatch match;
  return pattern.regex_match(rule_name, match) ? match[1].text : std::string();
}

std::string get_priority_group(const std::string& rule_name) {
  // The group is an id without "_"; the rule's own text after it may hold
  // any character.
  static const Regex pattern = kav_regex("rule_.*?\\$GRUUID:([^_]*)_.*");
  SMatch match;
  return pattern.regex_match(rule_name, match) ? match[1].text : std::string();
}

bool push_rule_fst::operator()(const std::tuple<std::string, std::string>& record) const {
  const std::string& name = std::get<0>(record);
  if (loaded->count(name) != 0) return true;
  collection->rules.push_back(make_rule(db, name, std::get<1>(record)));
  loaded->insert(name);
  return true;
}

RuleDispatcher::RuleDispatcher(std::string cluster, Collections* collections)
    : cluster_(std::move(cluster)), collections_(collections) {}

void RuleDispatcher::operator()(const std::shared_ptr<RuleInterface>& rule) {
  const std::string space = get_namespace(rule->id());
  const std::string group = get_priority_group(rule->id());
  std::string key = cluster_ + "_" + space;
  if (!group.empty()) {
    const size_t dash = group.rfind('-');
    key += "_" + (dash == std::string::npos ? group : group.substr(0, dash));
  }
  if (key != current_key_ || collections_->empty()) {
    if (group.empty()) {
      collections_->emplace_back(cluster_, RuleCollectionBase(cluster_, space, kRuleCollectionId));
    } else {
      collections_->emplace_back(
          cluster_, RuleCollectionBase(cluster_, key, kPriorityGroupRuleCollectionId));
    }
    current_key_ = key;
  }
  collections_->back().second.rules.push_back(rule);
}

}  // namespace kavero
}  // namespace zel
