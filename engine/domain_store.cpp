#include "engine/domain_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/logging.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;

DomainStore::Map::iterator DomainStore::find(const std::string& key) {
  auto position = domains.find(key);
  if (position != domains.end()) return position;
  if (parent) {
    auto in_parent = parent->find(key);
    if (parent->found(in_parent)) return in_parent;
  }
  return domains.end();
}

void add_domain(DomainCollection& collection, const std::string& name,
                const std::shared_ptr<DomainFacade>& domain, const std::set<std::string>& files) {
  std::size_t position = 0;
  for (const std::string& file : files) {
    if (position >= collection.size()) continue;
    for (std::size_t i = position; i < collection.size(); ++i) {
      if (collection[i].second->get_sqlite_filename() == file) {
        if (i + 1 < collection.size()) position = std::max(position, i + 1);
        break;
      }
    }
  }
  collection.insert(collection.begin() + static_cast<std::ptrdiff_t>(position), {name, domain});
}

bool is_already_loaded(const std::string& name, const DomainCollection& collection) {
  return std::any_of(collection.begin(), collection.end(),
                     [&](const auto& entry) { return entry.first == name; });
}

bool domains_need_to_be_recompiled(const DomainFacade& domain, const std::string& name) {
  const int64_t built = domain.build_time.load();
  if (built == -1) return true;
  const int64_t on_file = file_build_time(domain.get_sqlite_filename());
  if (on_file == -1) return true;
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, [&](std::ostream& os) {
    os << "timestamp: name=" << name << " on_file_ts=" << on_file << " > in_cache_ts=" << built;
  });
  if (on_file > built) return true;
  std::error_code error;
  if (!fs::is_directory(name, error)) return false;
  for (fs::directory_iterator it(name, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error) || it->path().extension() != ".kav") continue;
    if (file_build_time(it->path().string()) > built) return true;
  }
  return false;
}

}  // namespace kavero
}  // namespace zel
