// The process-wide list of loggers.
//
// A logger is an id, a level value and a sink that receives a message's level
// and text. A component emits a message of level L for its id with log(): the
// message goes to every logger whose id is that id and whose level value is
// at least L, in the order the loggers were added, and its text is composed
// only for a logger that takes it. The runtime logs for kRuntimeId (256), the
// compiler for kCompilerId (4096); a logger receives only its id's messages.
//
// Level values: error 1, info 2, warning 4, debug 8, trace 16. A higher value
// lets more through; note that info (2) is below warning (4).
//
// The host adds loggers (through the C interface) and changes their levels;
// "KAVERO_LOG_LEVEL" adds default loggers that print timestamped lines on
// standard output (set_environment_logger). Loggers may be added and their
// levels changed while other threads log: a log site takes no lock and walks
// the list it found when it started. Nothing removes a logger. Sinks run on
// the thread that logs and must be safe to call from any thread; a sink may
// add loggers.

#ifndef KAVERO_BASE_LOGGING_H_
#define KAVERO_BASE_LOGGING_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zel {
namespace wlog {

constexpr std::uint16_t kLevelError = 1;
constexpr std::uint16_t kLevelInfo = 2;
constexpr std::uint16_t kLevelWarning = 4;
constexpr std::uint16_t kLevelDebug = 8;
constexpr std::uint16_t kLevelTrace = 16;

constexpr std::uint16_t kRuntimeId = 256;
constexpr std::uint16_t kCompilerId = 4096;

// Receives (the message's level, its text); the text lives until the sink
// returns.
using Sink = std::function<void(std::uint16_t level, const char* text)>;

struct Logger {
  std::uint16_t id = 0;
  std::uint16_t level = 0;
  Sink sink;
};

using LoggerList = std::vector<Logger>;

namespace detail {

// One logger as the list holds it. Made once and kept until the program
// ends; only its level changes (atomically, through set_level).
struct Slot {
  Slot(std::uint16_t id, std::uint16_t level, Sink sink)
      : id(id), level(level), sink(std::move(sink)) {}
  const std::uint16_t id;
  mutable std::atomic<std::uint16_t> level;
  const Sink sink;
};

// The loggers as they are now, in the order they were added. Adding a
// logger publishes a new list and keeps the old one, so a walk that started
// on it may finish; no lock is taken.
const std::vector<const Slot*>& current_slots();

}  // namespace detail

// A copy of the loggers as they are now, in the order they were added. Log
// sites use log() instead.
LoggerList loggers();

// Appends a copy of the logger (no test for duplicates). A logger without a
// sink is refused: false, and nothing is added.
bool add_logger(const Logger& logger);

// True when some logger has the id.
bool has_logger(std::uint16_t id);

// The first logger with the id.
std::optional<Logger> get_logger(std::uint16_t id);

// The value of a level name: "trace" 16, "debug" 8, "info" 2, "warning" 4,
// "error" 1, matched exactly. False for any other text (also a null
// pointer), and then the value is left as it was.
bool to_value(const char* name, std::uint16_t& value);

// Sets the level of the first logger with the id. False, and nothing
// changed, when no logger has the id or the name is no level name.
bool set_level(std::uint16_t id, const char* name);

// The name of the highest level that the value lets through, tested in this
// order: 16 "TRACE", 8 "DEBUG", 2 "INFO", 1 "ERROR", 4 "WARNING"; the empty
// text when none of these bits is set.
const char* level_name(const std::uint16_t& level);

// The line that default_logger prints for a message at that time, newline
// included: "[HH:MM:SS.nnnnnnnnn]:LEVEL:text", local time, nanoseconds within
// the second padded to nine digits.
std::string format_default_line(std::uint16_t level, const char* text,
                                std::chrono::system_clock::time_point when);

// The sink of the environment loggers: prints the message's line, stamped
// with the current time, on standard output and flushes it.
void default_logger(std::uint16_t level, const char* text);

// Runs set_environment_logger_once() the first time it is called in the
// process, also when several threads call it at once; later calls do
// nothing.
void set_environment_logger();

// Reads "KAVERO_LOG_LEVEL": its value, lower-cased and split at "|", names
// levels; each of "trace", "debug", "info", "warning" and "error" adds a
// default logger for the runtime's id. "fatal", "plugin" and empty items add
// nothing; any other item prints a warning on standard error.
void set_environment_logger_once();

// Emits a message: for every logger with the id whose level value is at
// least the level, in list order, compose(std::ostream&) writes the text
// (begin it with the component's tag, such as "[Domain] ") and the logger's
// sink receives it. A message that no logger takes costs a walk over the
// list and is never composed.
//
//   zel::wlog::log(zel::wlog::kRuntimeId, zel::wlog::kLevelDebug,
//                  [&](std::ostream& os) { os << "[Domain] loaded " << name; });
template <class Compose>
void log(std::uint16_t id, std::uint16_t level, Compose&& compose) {
  for (const detail::Slot* logger : detail::current_slots()) {
    if (logger->id != id || logger->level.load(std::memory_order_relaxed) < level) continue;
    std::ostringstream text;
    compose(static_cast<std::ostream&>(text));
    logger->sink(level, text.str().c_str());
  }
}

}  // namespace wlog
}  // namespace zel

#endif  // KAVERO_BASE_LOGGING_H_
