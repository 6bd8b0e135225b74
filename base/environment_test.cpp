#include "base/environment.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace system {
namespace {

constexpr char kName[] = "KAVERO_TEST_ENVIRONMENT_VALUE";

class EnvironmentTest : public testing::Test {
 protected:
  void TearDown() override { unsetenv(kName); }
};

TEST_F(EnvironmentTest, IntegersAreReadLikeStrtol) {
  struct Case {
    char const* value;  // null: unset
    int32_t result;
  };
  std::vector<Case> const cases = {
      {nullptr, 77}, {"12", 12},   {"12abc", 12}, {"", 0},      {"abc", 0},
      {"  -5", -5},  {"+8", 8},    {"0x10", 0},   {"007", 7},   {"-0", 0},
  };
  for (auto const& c : cases) {
    if (c.value == nullptr) {
      unsetenv(kName);
    } else {
      setenv(kName, c.value, 1);
    }
    EXPECT_EQ(get_environment_int(kName, 77), c.result) << (c.value ? c.value : "(unset)");
  }
}

TEST_F(EnvironmentTest, TextsKeepAnEmptyValue) {
  unsetenv(kName);
  EXPECT_EQ(get_environment(kName, "fallback"), "fallback");
  setenv(kName, "", 1);
  EXPECT_EQ(get_environment(kName, "fallback"), "");
  setenv(kName, "value with spaces", 1);
  EXPECT_EQ(get_environment(kName, "fallback"), "value with spaces");
}

}  // namespace
}  // namespace system
}  // namespace zel
