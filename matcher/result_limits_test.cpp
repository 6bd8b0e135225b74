#include "matcher/result_limits.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace matcher {
namespace {

// Sets (or unsets) an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ResultLimits, MaxResultsDefaultsTo100AndReadsDigits) {
  const std::vector<std::pair<std::optional<std::string>, int32_t>> cases = {
      {std::nullopt, 100}, {std::string("abc"), 0}, {std::string("-1"), -1},
      {std::string("7"), 7}, {std::string(""), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first.value_or("(unset)"));
    ScopedVariable variable("KAVERO_MAX_RESULTS", c.first);
    EXPECT_EQ(get_kavero_max_results(), c.second);
  }
}

TEST(ResultLimits, DebugMaxResultsIsWhetherTheValueIsNonZero) {
  const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
      {std::nullopt, false}, {std::string("0"), false}, {std::string("abc"), false},
      {std::string("1"), true}, {std::string("-3"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first.value_or("(unset)"));
    ScopedVariable variable("KAVERO_DEBUG_MAX_RESULTS", c.first);
    EXPECT_EQ(debug_kavero_max_results(), c.second);
  }
}

}  // namespace
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
