#include "base/environment.h"

#include <cstdlib>

namespace zel {
namespace system {

std::string get_environment(std::string const& name, std::string default_value) {
  char const* value = std::getenv(name.c_str());
  if (value == nullptr) return default_value;
  return value;
}

int32_t get_environment_int(std::string const& name, int32_t default_value) {
  char const* value = std::getenv(name.c_str());
  if (value == nullptr) return default_value;
  return static_cast<int32_t>(std::strtol(value, nullptr, 10));
}

}  // namespace system
}  // namespace zel
