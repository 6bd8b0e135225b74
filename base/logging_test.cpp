#include "base/logging.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"

namespace zel {
namespace wlog {
namespace {

using ::testing::ElementsAre;

// A sink that owns what it receives, so that it stays valid in the
// process-wide list after the test that added it has ended.
struct Recorder {
  std::shared_ptr<std::vector<std::string>> received = std::make_shared<std::vector<std::string>>();
  Sink sink() const {
    auto store = received;
    return [store](std::uint16_t level, const char* text) {
      store->push_back(std::string(level_name(level)) + " " + text);
    };
  }
};

void emit(std::uint16_t id, std::uint16_t level, const std::string& text) {
  log(id, level, [&](std::ostream& os) { os << text; });
}

// Loggers that tests in this process add use ids of their own; the runtime
// and compiler ids are only used in child processes.
constexpr std::uint16_t kTestId = 7001;

TEST(Logging, LevelNamesReadExactly) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"trace", 16}, {"debug", 8}, {"info", 2}, {"warning", 4}, {"error", 1},
      {"INFO", -1},  {"Info", -1}, {"fatal", -1}, {"", -1},     {"info ", -1},
  };
  for (const auto& [name, expected] : cases) {
    SCOPED_TRACE(name);
    std::uint16_t value = 77;
    EXPECT_EQ(to_value(name, value), expected >= 0);
    EXPECT_EQ(value, expected >= 0 ? expected : 77);
  }
  std::uint16_t value = 77;
  EXPECT_FALSE(to_value(nullptr, value));
}

TEST(Logging, LevelNameOfAValueIsItsHighestLevel) {
  const std::vector<std::pair<std::uint16_t, std::string>> cases = {
      {0, ""},      {3, "INFO"},    {12, "DEBUG"}, {5, "ERROR"}, {1, "ERROR"},
      {4, "WARNING"}, {17, "TRACE"}, {2, "INFO"},  {32, ""},
  };
  for (const auto& [value, name] : cases) {
    EXPECT_EQ(level_name(value), name) << value;
  }
}

TEST(Logging, AddFindAndChangeLoggers) {
  constexpr std::uint16_t id = kTestId + 1;
  EXPECT_FALSE(has_logger(id));
  EXPECT_FALSE(get_logger(id).has_value());
  EXPECT_FALSE(set_level(id, "info"));

  Recorder first, second;
  ASSERT_TRUE(add_logger({id, kLevelWarning, first.sink()}));
  ASSERT_TRUE(add_logger({id, kLevelDebug, second.sink()}));
  EXPECT_TRUE(has_logger(id));
  EXPECT_EQ(get_logger(id)->level, kLevelWarning);

  EXPECT_FALSE(set_level(id, "ERROR"));
  EXPECT_EQ(get_logger(id)->level, kLevelWarning);
  EXPECT_TRUE(set_level(id, "error"));
  // Only the first logger with the id changes.
  std::vector<std::uint16_t> levels;
  for (const Logger& l : loggers()) {
    if (l.id == id) levels.push_back(l.level);
  }
  EXPECT_THAT(levels, ElementsAre(kLevelError, kLevelDebug));
}

TEST(Logging, ALoggerWithoutSinkIsRefused) {
  constexpr std::uint16_t id = kTestId + 2;
  EXPECT_FALSE(add_logger({id, kLevelTrace, Sink()}));
  EXPECT_FALSE(has_logger(id));
}

TEST(Logging, MessagesReachLoggersOfTheirIdUpToTheirLevelInListOrder) {
  constexpr std::uint16_t id = kTestId + 3;
  Recorder at_info, at_trace, other_id;
  add_logger({id, kLevelInfo, at_info.sink()});
  add_logger({static_cast<std::uint16_t>(id + 100), kLevelTrace, other_id.sink()});
  add_logger({id, kLevelTrace, at_trace.sink()});

  int composed = 0;
  const auto message = [&composed](std::uint16_t level, const char* text) {
    log(id, level, [&](std::ostream& os) {
      ++composed;
      os << "[Test] " << text;
    });
  };
  message(kLevelError, "e");
  message(kLevelInfo, "i");
  message(kLevelWarning, "w");
  message(kLevelTrace, "t");
  EXPECT_THAT(*at_info.received, ElementsAre("ERROR [Test] e", "INFO [Test] i"));
  EXPECT_THAT(*at_trace.received, ElementsAre("ERROR [Test] e", "INFO [Test] i",
                                              "WARNING [Test] w", "TRACE [Test] t"));
  EXPECT_TRUE(other_id.received->empty());
  // Composed once per logger that took the message, never for nobody.
  EXPECT_EQ(composed, 6);
  log(id + 50, kLevelError, [&](std::ostream&) { ++composed; });
  EXPECT_EQ(composed, 6);
}

TEST(Logging, LoggersMayBeAddedWhileOtherThreadsLog) {
  constexpr std::uint16_t id = kTestId + 4;
  auto received = std::make_shared<std::atomic<long>>(0);
  const Sink counting = [received](std::uint16_t, const char*) { ++*received; };
  add_logger({id, kLevelTrace, counting});

  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&stop] {
      while (!stop) emit(id, kLevelInfo, "message");
    });
  }
  for (int i = 0; i < 300; ++i) {
    add_logger({id, kLevelTrace, counting});
    set_level(id, i % 2 == 0 ? "debug" : "trace");
  }
  stop = true;
  for (auto& t : threads) t.join();
  EXPECT_GT(received->load(), 0);
}

TEST(Logging, ASinkMayAddALogger) {
  constexpr std::uint16_t id = kTestId + 5;
  Recorder late;
  auto added = std::make_shared<bool>(false);
  const Sink adding = [late, added](std::uint16_t, const char*) {
    if (!*added) *added = add_logger({id, kLevelTrace, late.sink()});
  };
  add_logger({id, kLevelTrace, adding});
  emit(id, kLevelInfo, "first");
  emit(id, kLevelInfo, "second");
  EXPECT_TRUE(*added);
  // The walk that added it went on with the list it started with.
  EXPECT_THAT(*late.received, ElementsAre("INFO second"));
}

TEST(DefaultLogger, LineFormat) {
  const auto result = testing::run_in_child([] {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2021-03-04 14:05:09 UTC and 27 nanoseconds.
    const std::chrono::system_clock::time_point when{
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(1614866709) + std::chrono::nanoseconds(27))};
    std::cout << format_default_line(kLevelInfo, "[Language] loaded", when);
    std::cout << format_default_line(kLevelWarning | kLevelError, "x",
                                     when + std::chrono::nanoseconds(999999973));
    return 0;
  });
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out,
            "[14:05:09.000000027]:INFO:[Language] loaded\n"
            "[14:05:10.000000000]:ERROR:x\n");
}

TEST(DefaultLogger, PrintsOneStampedLineOnStandardOutput) {
  const std::string out = testing::capture_stdout([] { default_logger(kLevelDebug, "hello"); });
  EXPECT_TRUE(std::regex_match(out, std::regex(R"(\[\d\d:\d\d:\d\d\.\d{9}\]:DEBUG:hello\n)")))
      << out;
}

// Runs the environment set-up in a process of its own with the variable set
// (or unset when value is null) and returns the loggers it made, one
// "id level" line each, and what it wrote on standard error.
testing::ChildResult environment_loggers(const char* value,
                                         const std::function<void()>& after = {}) {
  return testing::run_in_child([value, after] {
    if (value != nullptr) {
      setenv("KAVERO_LOG_LEVEL", value, 1);
    } else {
      unsetenv("KAVERO_LOG_LEVEL");
    }
    set_environment_logger();
    set_environment_logger();  // once only
    if (after) after();
    for (const Logger& l : loggers()) {
      std::cout << l.id << ' ' << l.level << (l.sink ? "" : " without sink") << '\n';
    }
    return 0;
  });
}

std::string warning(const std::string& item) {
  return "Warning: Invalid KAVERO_LOG_LEVEL level [" + item +
         "], valid values: trace,debug,info,warning,error,fatal\n";
}

TEST(EnvironmentLoggers, SetUpFromTheVariable) {
  struct Case {
    const char* value;
    std::string loggers;
    std::string warnings;
  };
  const std::vector<Case> cases = {
      {nullptr, "", ""},
      {"Debug|INFO", "256 8\n256 2\n", ""},
      {"info | debug", "", warning("info ") + warning(" debug")},
      {"fatal", "", ""},
      {"plugin", "", ""},
      {"", "", ""},
      {"||", "", ""},
      {"|trace|", "256 16\n", ""},
      {"verbose|error", "256 1\n", warning("verbose")},
      {"info|info", "256 2\n256 2\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "(unset)" : c.value);
    const auto result = environment_loggers(c.value);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, c.loggers);
    EXPECT_EQ(result.err, c.warnings);
  }
}

TEST(EnvironmentLoggers, SettingALevelChangesTheFirstLoggerOfTheId) {
  const auto result = environment_loggers("warning|debug", [] {
    if (!set_level(kRuntimeId, "error")) std::cout << "set_level failed\n";
  });
  EXPECT_EQ(result.out, "256 1\n256 8\n");
}

TEST(EnvironmentLoggers, PrintRuntimeMessagesOnly) {
  const auto result = testing::run_in_child([] {
    setenv("KAVERO_LOG_LEVEL", "info", 1);
    set_environment_logger();
    emit(kRuntimeId, kLevelError, "[Test] failed");
    emit(kRuntimeId, kLevelInfo, "[Test] loaded");
    emit(kRuntimeId, kLevelWarning, "[Test] not shown");
    emit(kCompilerId, kLevelError, "[Compiler] not shown");
    return 0;
  });
  EXPECT_TRUE(std::regex_match(result.out, std::regex(R"(\[[0-9:.]{18}\]:ERROR:\[Test\] failed\n)"
                                                      R"(\[[0-9:.]{18}\]:INFO:\[Test\] loaded\n)")))
      << result.out;
}

TEST(RuntimeAndCompilerIds, LoggersReceiveOnlyTheirOwnSource) {
  const auto result = testing::run_in_child([] {
    const auto printer = [](const char* who) {
      return [who](std::uint16_t level, const char* text) {
        std::cout << who << ' ' << level_name(level) << ' ' << text << '\n';
      };
    };
    add_logger({kRuntimeId, kLevelInfo, printer("runtime")});
    add_logger({kCompilerId, kLevelTrace, printer("compiler")});
    emit(kRuntimeId, kLevelError, "r-error");
    emit(kRuntimeId, kLevelInfo, "r-info");
    emit(kRuntimeId, kLevelWarning, "r-warning");
    emit(kCompilerId, kLevelDebug, "c-debug");
    emit(0, kLevelError, "lexicon-build");
    return 0;
  });
  EXPECT_EQ(result.out,
            "runtime ERROR r-error\n"
            "runtime INFO r-info\n"
            "compiler DEBUG c-debug\n");
}

}  // namespace
}  // namespace wlog
}  // namespace zel
