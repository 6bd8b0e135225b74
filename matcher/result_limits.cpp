#include "matcher/result_limits.h"

#include "base/environment.h"

namespace zel {
namespace kavero {
namespace matcher {

int32_t get_kavero_max_results() {
  return zel::system::get_environment_int("KAVERO_MAX_RESULTS", 100);
}

bool debug_kavero_max_results() {
  return zel::system::get_environment_int("KAVERO_DEBUG_MAX_RESULTS", 0) != 0;
}

}  // namespace matcher
}  // namespace kavero
}  // namespace zel
