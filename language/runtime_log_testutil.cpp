#include "language/runtime_log_testutil.h"

#include <algorithm>
#include <mutex>

#include "base/logging.h"

namespace zel {
namespace testing {

namespace {

struct Record {
  std::mutex mutex;
  std::vector<std::string> lines;
};

// The process's recording logger, added on first use.
Record& record() {
  static Record* const shared = [] {
    auto* r = new Record;
    wlog::add_logger({wlog::kRuntimeId, wlog::kLevelTrace,
                      [r](std::uint16_t level, const char* text) {
                        std::lock_guard<std::mutex> lock(r->mutex);
                        r->lines.push_back(std::string(wlog::level_name(level)) +
                                           " " + text);
                      }});
    return r;
  }();
  return *shared;
}

}  // namespace

RuntimeLog::RuntimeLog() {
  Record& r = record();
  std::lock_guard<std::mutex> lock(r.mutex);
  first_ = r.lines.size();
}

RuntimeLog::~RuntimeLog() = default;

std::vector<std::string> RuntimeLog::lines() const {
  Record& r = record();
  std::lock_guard<std::mutex> lock(r.mutex);
  return std::vector<std::string>(r.lines.begin() + first_, r.lines.end());
}

bool RuntimeLog::has(const std::string& level, const std::string& text) const {
  const std::vector<std::string> all = lines();
  return std::find(all.begin(), all.end(), level + " " + text) != all.end();
}

}  // namespace testing
}  // namespace zel
