// A test-only shared library for the C host test of the logging interface:
// the library's logging code (the exported logging functions over the
// process-wide logger list) and one runtime log site that the host can
// trigger. It stands in for the library's own log sites, none of which an
// exported function reaches yet.

#include <cstdint>

#include "api/kavero.h"
#include "base/logging.h"

extern "C" ZEL_API_EXPORT void kavero_log_probe_emit(uint16_t id, uint16_t level,
                                                     const char* text) {
  zel::wlog::log(id, level, [text](std::ostream& os) { os << "[Probe] " << text; });
}
