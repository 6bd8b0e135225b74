#include "language/splitter_settings.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

TEST(SplitterSettings, TheHeaderPrefixPatternIsTheStoredText) {
  EXPECT_EQ(get_header_prefix(),
            "(:?(:?[0-9]{1,2}[a-z]?[.)]){1,4}|(:?[a-z][1-9]?[.)]){1,4}|"
            "[XIVxiv]{1,5}[.)]|#{1,6})");
}

TEST(SplitterSettings, TheHeaderPrefixPatternMatchesWholeHeaderPrefixes) {
  const std::vector<std::string> prefixes = {
      "1.",   "12)",    "1a.",   "1.2.3.4.", "2)3.", "a)",  "b2.",
      "a.b.", "iv.",    "XII)",  "#",        "######",
      ":1.",  ":a)",  // a group may open with a colon
  };
  for (const std::string& prefix : prefixes) {
    EXPECT_TRUE(header_prefix_pattern.regex_match(prefix)) << prefix;
  }
  const std::vector<std::string> others = {
      "",    "1",  "123.", "1.2.3.4.5.", "A.", "a0.", "ab)",
      "ix",  "(1)", "#######", "# ", "1. ", "Dr.",
  };
  for (const std::string& other : others) {
    EXPECT_FALSE(header_prefix_pattern.regex_match(other)) << other;
  }
}

// The limits as this process found them: the environment's values when it
// sets them, else 60 and 80.
TEST(SplitterSettings, TheLimitsAreTheEnvironmentsOrTheDefaults) {
  const char* field = std::getenv("KAVERO_MAX_FIELD_SIZE");
  const char* value = std::getenv("KAVERO_MAX_VALUE_SIZE");
  EXPECT_EQ(max_field_size, field != nullptr ? std::atoi(field) : 60);
  EXPECT_EQ(max_value_size, value != nullptr ? std::atoi(value) : 80);
}

// The limits are read as the library is loaded: a process started with the
// variables set has them.
TEST(SplitterSettings, TheLimitsAreReadFromTheEnvironmentAtLoad) {
  if (std::getenv("KAVERO_MAX_FIELD_SIZE") != nullptr ||
      std::getenv("KAVERO_MAX_VALUE_SIZE") != nullptr) {
    GTEST_SKIP() << "the environment sets the limits already";
  }
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string command =
      std::string("KAVERO_MAX_FIELD_SIZE=7 KAVERO_MAX_VALUE_SIZE=123 '") + self +
      "' "
      "--gtest_filter=SplitterSettings.TheLimitsAreTheEnvironmentsOrTheDefaults"
      " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
