// The logging functions of the C interface, over zel::wlog.

#include "api/kavero.h"
#include "base/logging.h"

extern "C" {

ZEL_API_EXPORT bool zel_api_add_logger(uint16_t id, const char* level,
                                       zel_log_callback callback) {
  std::uint16_t value = 0;
  if (callback == nullptr || !zel::wlog::to_value(level, value)) return false;
  try {
    return zel::wlog::add_logger(zel::wlog::Logger{id, value, callback});
  } catch (...) {
    return false;  // no exception crosses the C boundary
  }
}

ZEL_API_EXPORT bool zel_api_set_logger(uint16_t id, const char* level) {
  try {
    return zel::wlog::set_level(id, level);
  } catch (...) {
    return false;
  }
}

ZEL_API_EXPORT const char* zel_api_level_name(const uint16_t* level) {
  if (level == nullptr) return "";
  return zel::wlog::level_name(*level);
}

}  // extern "C"
