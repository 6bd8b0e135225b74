// The engine's domain operations: database files of domain names, the
// domain store with its dependency walks, and releasing domains.

#include <filesystem>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/logging.h"
#include "domain/domain_facade.h"
#include "domain/domain_keys.h"
#include "domain/domain_loader.h"
#include "engine/domain_store.h"
#include "engine/engine.h"
#include "engine/pipeline_expansion.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

constexpr char kDomainTag[] = "[Domain] ";
constexpr char kDependenciesTag[] = "[Dependencies] ";

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

// The dependency names of a domain's description, in written order; none
// when it has no information or its description lists none. A name that
// is no text raises the JSON library's type error.
bool dependencies_of(const DomainFacade& domain, std::vector<std::string>& names,
                     json& listed) {
  if (!domain.domain_info) return false;
  const json& info = *domain.domain_info;
  if (!info.is_object() || !info.contains(kDomInfoKey)) return false;
  const json& description = info[kDomInfoKey];
  if (!description.is_object() || !description.contains("dependencies")) return false;
  listed = description["dependencies"];
  names.clear();
  if (listed.is_array()) {
    for (const json& name : listed) names.push_back(name.get<std::string>());
  } else {
    names.push_back(listed.get<std::string>());
  }
  return true;
}

// The folder of the depending domain's database first, then the resource
// folders: a dependency beside its domain wins.
std::vector<std::string> dependency_folders(const DomainFacade& depending,
                                            const std::vector<std::string>& resource_folders) {
  std::vector<std::string> folders{fs::path(depending.get_sqlite_filename()).parent_path().string()};
  folders.insert(folders.end(), resource_folders.begin(), resource_folders.end());
  return folders;
}

}  // namespace

std::string Engine::get_domain_filename(const std::string& name) const {
  // A plain name is never taken from the working folder: only a path names
  // a file directly.
  std::error_code error;
  if (pipeline::names_a_path(name) && fs::exists(name, error)) return name;
  const json expansion = pipeline::expand2json(name, resource_folders_, true, true, "");
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "-- [PIPELINE][EXPANSION]:(" << name << ") -> " << expansion.dump();
  });
  const json first = expansion.is_array() && !expansion.empty() ? expansion[0] : json::object();
  if (first.contains("exception_msg")) fail("Domain file not found. " + name);
  const json filename = first.contains("filename") ? first["filename"] : json();
  return filename.get<std::string>();
}

DomainCollection Engine::get_domains(const std::string& name, bool cache) const {
  DomainCollection collection;
  get_domain_collection(collection, name, cache);
  return collection;
}

void Engine::touch(DomainFacade& domain) const { domain.last_access_time.store(now()); }

std::shared_ptr<DomainFacade> Engine::load_new_domain(const std::string& name,
                                                      const std::vector<std::string>& folders,
                                                      const std::string& shown) const {
  auto domain = std::make_shared<DomainFacade>(name);
  if (!load_domain(*domain, folders, name)) fail("Cannot find domain file " + shown);
  return domain;
}

void Engine::get_domain_collection(DomainCollection& collection, const std::string& name,
                                   bool cache) const {
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kDomainTag << "get_domain_collection " << name << "cache:" << (cache ? 1 : 0);
  });
  std::lock_guard<std::mutex> lock(*get_mutex());
  const std::shared_ptr<DomainStore>& store = domain_store_;
  auto position = store->find(name);
  const bool found = store->found(position);
  if (found && !domains_need_to_be_recompiled(*position->second, name)) {
    std::shared_ptr<DomainFacade> cached = position->second;
    log(wlog::kLevelInfo, [&](std::ostream& os) {
      os << kDomainTag << "[" << store->name << "]: using cached : " << name;
    });
    add_domain(collection, name, cached, {});
    load_domain_dependencies(cached, collection, store);
    touch(*cached);
  } else {
    log(wlog::kLevelInfo, [&](std::ostream& os) {
      os << kDomainTag << "[" << store->name << "]: " << (found ? "reload: " : "load : ") << name;
    });
    std::shared_ptr<DomainFacade> fresh = load_new_domain(name, resource_folders_, name);
    add_domain(collection, name, fresh, {});
    load_domain_dependencies(fresh, collection, store);
    if (cache) {
      touch(*fresh);
      store->domains[name] = fresh;
    }
  }
  check_domain_purge();
}

void Engine::load_domain_dependencies(const std::shared_ptr<DomainFacade>& domain,
                                      DomainCollection& collection,
                                      const std::shared_ptr<DomainStore>& store) const {
  if (!domain->domain_info) return;
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kDependenciesTag << "load_domain_dependencies " << domain->get_sqlite_filename();
  });
  std::vector<std::string> names;
  json listed;
  if (!dependencies_of(*domain, names, listed)) return;
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kDependenciesTag << "dom_info dependencies:" << listed.dump();
  });
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const std::string key = get_domain_filename(*it);
    std::shared_ptr<DomainFacade> dependency;
    auto position = store->find(key);
    if (store->found(position)) {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << kDependenciesTag << " - from store:" << key; });
      dependency = position->second;
    } else {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << kDependenciesTag << " - load_domain: " << key; });
      // A dependency that loads nothing would run as an empty domain.
      dependency = load_new_domain(key, dependency_folders(*domain, resource_folders_), *it);
    }
    // Also what ends a cycle: a domain already in the collection is done.
    bool present = false;
    for (const auto& entry : collection) {
      if (entry.second->get_sqlite_filename() == dependency->get_sqlite_filename()) present = true;
    }
    if (present) continue;
    // In use from now on, as the requested domain is: a purge by count or
    // age must not take a dependency just loaded for one never used.
    touch(*dependency);
    store->domains[key] = dependency;
    std::set<std::string> files;
    collect_dependencies(dependency, files, store);
    add_domain(collection, key, dependency, files);
    load_domain_dependencies(dependency, collection, store);
  }
}

void Engine::collect_dependencies(const std::shared_ptr<DomainFacade>& domain,
                                  std::set<std::string>& files,
                                  const std::shared_ptr<DomainStore>& store) const {
  if (!domain->domain_info || files.count(domain->get_sqlite_filename()) != 0) return;
  std::vector<std::string> names;
  json listed;
  if (!dependencies_of(*domain, names, listed)) return;
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kDependenciesTag << "dom_info dependencies:" << listed.dump();
  });
  for (const std::string& name : names) {
    const std::string key = get_domain_filename(name);
    std::shared_ptr<DomainFacade> dependency;
    auto position = store->find(key);
    if (store->found(position)) {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << kDependenciesTag << " - from store:" << key; });
      dependency = position->second;
    } else {
      dependency = load_new_domain(key, dependency_folders(*domain, resource_folders_), name);
    }
    touch(*dependency);
    if (files.count(key) != 0 || files.count(dependency->get_sqlite_filename()) != 0) continue;
    store->domains[key] = dependency;
    touch(*dependency);
    files.insert(dependency->get_sqlite_filename());
    collect_dependencies(dependency, files, store);
  }
}

bool Engine::release_domain_no_lock(const std::string& name) {
  auto position = domain_store_->domains.find(name);
  if (position == domain_store_->domains.end()) return false;
  log(wlog::kLevelDebug, [&](std::ostream& os) { os << kDomainTag << "Purge domain" << name; });
  domain_store_->domains.erase(position);
  return true;
}

void Engine::release_domains() {
  std::lock_guard<std::mutex> lock(*get_mutex());
  domain_store_->domains.clear();
}

}  // namespace kavero
}  // namespace zel
