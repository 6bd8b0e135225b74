// A test helper that records what the runtime logs.
//
// Loggers cannot be removed, so one recording logger for the runtime's id is
// added to the process the first time a RuntimeLog is made, at the trace
// level (every message), and stays; each RuntimeLog sees only the lines
// logged while it lives.

#ifndef KAVERO_LANGUAGE_RUNTIME_LOG_TESTUTIL_H_
#define KAVERO_LANGUAGE_RUNTIME_LOG_TESTUTIL_H_

#include <string>
#include <vector>

namespace zel {
namespace testing {

class RuntimeLog {
 public:
  // Starts recording; lines logged before are not seen.
  RuntimeLog();
  ~RuntimeLog();
  RuntimeLog(const RuntimeLog&) = delete;
  RuntimeLog& operator=(const RuntimeLog&) = delete;

  // The lines logged since construction, each "LEVEL text" with the level's
  // name as zel::wlog::level_name gives it ("TRACE", "INFO", ...).
  std::vector<std::string> lines() const;

  // Whether some line is exactly "LEVEL text".
  bool has(const std::string& level, const std::string& text) const;

 private:
  size_t first_;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_RUNTIME_LOG_TESTUTIL_H_
