#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "api/kavero.h"
#include "base/logging.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string>& received() {
  static std::vector<std::string> messages;
  return messages;
}

void record(uint16_t level, const char* message) {
  received().push_back(std::string(zel_api_level_name(&level)) + " " + message);
}

TEST(LoggingApi, AddLoggerAcceptsOnlyLowerCaseLevelNamesAndACallback) {
  constexpr uint16_t id = 7101;
  EXPECT_FALSE(zel_api_add_logger(id, "INFO", record));
  EXPECT_FALSE(zel_api_add_logger(id, "verbose", record));
  EXPECT_FALSE(zel_api_add_logger(id, nullptr, record));
  EXPECT_FALSE(zel_api_add_logger(id, "info", nullptr));
  EXPECT_FALSE(zel::wlog::has_logger(id));

  ASSERT_TRUE(zel_api_add_logger(id, "info", record));
  const auto logger = zel::wlog::get_logger(id);
  ASSERT_TRUE(logger.has_value());
  EXPECT_EQ(logger->level, zel::wlog::kLevelInfo);

  received().clear();
  for (const std::uint16_t level : {zel::wlog::kLevelError, zel::wlog::kLevelWarning,
                                    zel::wlog::kLevelInfo, zel::wlog::kLevelDebug}) {
    zel::wlog::log(id, level, [](std::ostream& os) { os << "[Api] message"; });
  }
  EXPECT_THAT(received(), ElementsAre("ERROR [Api] message", "INFO [Api] message"));
}

TEST(LoggingApi, SetLoggerChangesTheFirstLoggerOfTheId) {
  constexpr uint16_t id = 7102;
  EXPECT_FALSE(zel_api_set_logger(id, "debug"));
  ASSERT_TRUE(zel_api_add_logger(id, "warning", record));
  ASSERT_TRUE(zel_api_add_logger(id, "debug", record));
  EXPECT_FALSE(zel_api_set_logger(id, "Error"));
  EXPECT_FALSE(zel_api_set_logger(id, nullptr));
  EXPECT_TRUE(zel_api_set_logger(id, "error"));
  std::vector<std::uint16_t> levels;
  for (const auto& logger : zel::wlog::loggers()) {
    if (logger.id == id) levels.push_back(logger.level);
  }
  EXPECT_THAT(levels, ElementsAre(zel::wlog::kLevelError, zel::wlog::kLevelDebug));
}

TEST(LoggingApi, LevelName) {
  const std::vector<std::pair<uint16_t, std::string>> cases = {
      {0, ""}, {3, "INFO"}, {12, "DEBUG"}, {5, "ERROR"}, {4, "WARNING"}, {16, "TRACE"},
  };
  for (const auto& [value, name] : cases) {
    EXPECT_EQ(zel_api_level_name(&value), name) << value;
  }
  EXPECT_STREQ(zel_api_level_name(nullptr), "");
}

}  // namespace
