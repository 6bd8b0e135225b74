#include "api/client_options.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace omr {
namespace common {
namespace {

TEST(OptionsToString, WritesACompactObjectInKeyOrder) {
  struct Case {
    OptionMap options;
    const char* text;
  } const cases[] = {
      {{}, "{}"},
      {{{"b", "2"}, {"a", "1"}}, R"({"a":"1","b":"2"})"},
      {{{"language", "english"}}, R"({"language":"english"})"},
      // Escaped as JSON needs; non-ASCII characters stay as they are.
      {{{"q\"", "a\\b\tc"}}, R"({"q\"":"a\\b\tc"})"},
      {{{"city", "Z\xC3\xBCrich"}}, "{\"city\":\"Z\xC3\xBCrich\"}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(options_to_string(c.options), c.text);
    // The text reads back as the same map.
    const nlohmann::json read = nlohmann::json::parse(options_to_string(c.options));
    EXPECT_EQ(read.get<OptionMap>(), c.options);
  }
}

}  // namespace
}  // namespace common
}  // namespace omr
