#include "base/logging.h"

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <mutex>
#include <utility>

#include "base/normalize.h"
#include "base/string_util.h"

namespace zel {
namespace wlog {
namespace {

// Every logger ever added and every list ever published. Lists are never
// changed once published, and neither they nor the loggers are freed, so a
// log site can walk the current list without a lock while another thread
// adds a logger. The registry itself is never destroyed, so that code running
// during the program's exit may still log.
struct Registry {
  using Table = std::vector<const detail::Slot*>;

  std::mutex mutex;  // serialises changes
  std::vector<std::unique_ptr<detail::Slot>> slots;
  std::vector<std::unique_ptr<const Table>> tables;
  std::atomic<const Table*> current{nullptr};

  Registry() {
    tables.push_back(std::make_unique<const Table>());
    current.store(tables.back().get(), std::memory_order_release);
  }
};

Registry& registry() {
  static Registry* const instance = new Registry;
  return *instance;
}

std::once_flag environment_logger_flag;

Logger copy_of(const detail::Slot& slot) {
  return Logger{slot.id, slot.level.load(std::memory_order_relaxed), slot.sink};
}

}  // namespace

namespace detail {

const std::vector<const Slot*>& current_slots() {
  return *registry().current.load(std::memory_order_acquire);
}

}  // namespace detail

LoggerList loggers() {
  LoggerList list;
  for (const detail::Slot* slot : detail::current_slots()) list.push_back(copy_of(*slot));
  return list;
}

bool add_logger(const Logger& logger) {
  if (!logger.sink) return false;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.slots.push_back(std::make_unique<detail::Slot>(logger.id, logger.level, logger.sink));
  auto next = std::make_unique<Registry::Table>(*r.current.load(std::memory_order_relaxed));
  next->push_back(r.slots.back().get());
  r.tables.push_back(std::move(next));
  r.current.store(r.tables.back().get(), std::memory_order_release);
  return true;
}

bool has_logger(std::uint16_t id) { return get_logger(id).has_value(); }

std::optional<Logger> get_logger(std::uint16_t id) {
  for (const detail::Slot* slot : detail::current_slots()) {
    if (slot->id == id) return copy_of(*slot);
  }
  return std::nullopt;
}

bool to_value(const char* name, std::uint16_t& value) {
  if (name == nullptr) return false;
  static const std::pair<const char*, std::uint16_t> kLevels[] = {
      {"trace", kLevelTrace}, {"debug", kLevelDebug},   {"info", kLevelInfo},
      {"warning", kLevelWarning}, {"error", kLevelError},
  };
  for (const auto& [level_text, level_value] : kLevels) {
    if (std::strcmp(name, level_text) == 0) {
      value = level_value;
      return true;
    }
  }
  return false;
}

bool set_level(std::uint16_t id, const char* name) {
  std::uint16_t value = 0;
  if (!to_value(name, value)) return false;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const detail::Slot* slot : detail::current_slots()) {
    if (slot->id != id) continue;
    slot->level.store(value, std::memory_order_relaxed);
    return true;
  }
  return false;
}

const char* level_name(const std::uint16_t& level) {
  if (level & kLevelTrace) return "TRACE";
  if (level & kLevelDebug) return "DEBUG";
  if (level & kLevelInfo) return "INFO";
  if (level & kLevelError) return "ERROR";
  if (level & kLevelWarning) return "WARNING";
  return "";
}

std::string format_default_line(std::uint16_t level, const char* text,
                                std::chrono::system_clock::time_point when) {
  // Seconds and nanoseconds come from the one reading.
  const auto since_epoch =
      std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
  auto seconds = since_epoch / 1000000000;
  auto nanoseconds = since_epoch % 1000000000;
  if (nanoseconds < 0) {
    nanoseconds += 1000000000;
    seconds -= 1;
  }
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&time, &local);

  std::ostringstream line;
  line << '[' << std::put_time(&local, "%T.") << std::setw(9) << std::setfill('0')
       << nanoseconds << "]:" << level_name(level) << ':' << (text != nullptr ? text : "")
       << '\n';
  return line.str();
}

void default_logger(std::uint16_t level, const char* text) {
  // One write per line, so that lines of several threads do not mix.
  std::cout << format_default_line(level, text, std::chrono::system_clock::now())
            << std::flush;
}

void set_environment_logger() {
  std::call_once(environment_logger_flag, set_environment_logger_once);
}

void set_environment_logger_once() {
  const char* value = std::getenv("KAVERO_LOG_LEVEL");
  if (value == nullptr) return;
  for (const std::string& item :
       zel::string::split_vector(zel::string::to_lower(value), '|', false)) {
    std::uint16_t level = 0;
    if (to_value(item.c_str(), level)) {
      add_logger(Logger{kRuntimeId, level, default_logger});
    } else if (item != "fatal" && item != "plugin" && !item.empty()) {
      std::cerr << "Warning: Invalid KAVERO_LOG_LEVEL level [" << item
                << "], valid values: trace,debug,info,warning,error,fatal" << std::endl;
    }
  }
}

}  // namespace wlog
}  // namespace zel
