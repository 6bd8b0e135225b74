#include "domain/domain_facade.h"

#include <sys/stat.h>

#include <ctime>

#include <nlohmann/json.hpp>

namespace zel {
namespace kavero {

DomainInterface::~DomainInterface() = default;

DomainFacade::DomainFacade(const std::string& name) : name_(name) {}

DomainFacade::~DomainFacade() = default;

long DomainFacade::touch() {
  const long now = static_cast<long>(std::time(nullptr));
  last_access_time.store(now);
  return now;
}

int64_t file_build_time(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return -1;
  return static_cast<int64_t>(status.st_mtime);
}

void DomainFacade::update_build_time() { build_time.store(file_build_time(get_sqlite_filename())); }

}  // namespace kavero
}  // namespace zel
