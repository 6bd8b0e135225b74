#include "base/json_escape.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace json {
namespace {

TEST(JsonEscape, EscapeTable) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"plain text", "plain text"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"a\\b", "a\\\\b"},
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {std::string("\0", 1), "\\u0000"},
      {"\x01", "\\u0001"},
      {"\x07", "\\u0007"},
      {"\x0b", "\\u000b"},
      {"\x0e", "\\u000e"},
      {"\x1f", "\\u001f"},
      {" \x7f/", " \x7f/"},
      {"\xC3\xA9\xE2\x82\xAC", "\xC3\xA9\xE2\x82\xAC"},
      {"x\x1f\"\xC3\xA9", "x\\u001f\\\"\xC3\xA9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(escape_string(c.in), c.out);
  }
}

TEST(JsonEscape, EveryControlByteIsEscaped) {
  for (int c = 0; c < 0x20; ++c) {
    const std::string out = escape_string(std::string(1, static_cast<char>(c)));
    ASSERT_GE(out.size(), 2u) << c;
    EXPECT_EQ(out[0], '\\') << c;
  }
}

}  // namespace
}  // namespace json
}  // namespace zel
