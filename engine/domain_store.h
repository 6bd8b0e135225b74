// The engine's cache of loaded compiled domains, and the helpers that put a
// domain collection in running order.
//
// A domain asked for by a caller is stored under the name the caller used;
// a domain loaded as a dependency is stored under its database file name.
// A store may have a parent that is consulted for keys it does not hold.
// The engine reads and writes its store only with the engine mutex held.

#ifndef KAVERO_ENGINE_DOMAIN_STORE_H_
#define KAVERO_ENGINE_DOMAIN_STORE_H_

#include <map>
#include <memory>
#include <set>
#include <string>

#include "engine/engine_interface.h"

namespace zel {
namespace kavero {

class DomainStore {
 public:
  using Map = std::map<std::string, std::shared_ptr<DomainFacade>>;

  DomainStore(std::string name, std::shared_ptr<DomainStore> parent)
      : name(std::move(name)), parent(std::move(parent)) {}

  // The entry of this store's map; else the parent's entry; else the end of
  // this store's map.
  Map::iterator find(const std::string& key);
  // Whether find found the key.
  bool found(Map::iterator position) const { return position != domains.end(); }

  std::string name;
  Map domains;
  std::shared_ptr<DomainStore> parent;
};

// Inserts (name, domain) into the collection after every entry whose
// database file name is in `files` (the database files of the domain's
// dependencies); with an empty set, at the front.
void add_domain(DomainCollection& collection, const std::string& name,
                const std::shared_ptr<DomainFacade>& domain, const std::set<std::string>& files);

// Whether an entry of the collection carries exactly that name.
bool is_already_loaded(const std::string& name, const DomainCollection& collection);

// Whether a cached domain must be loaded again: it has no build time, its
// database file is gone or newer than the build time, or `name` is a folder
// that holds a ".kav" file (directly, not in a subfolder) newer than it.
// Equal times count as current.
bool domains_need_to_be_recompiled(const DomainFacade& domain, const std::string& name);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_DOMAIN_STORE_H_
