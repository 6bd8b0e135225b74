#include "base/text_excerpt.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zel {
namespace {

TEST(TextExcerpt, CutsAndEscapes) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::string expected;
  } const cases[] = {
      {"", 40, ""},
      {"plain text", 40, "plain text"},
      {"quote \" and \\", 40, "quote \\\" and \\\\"},
      {std::string("nul\0tab\tline\n", 13), 40, "nul\\x00tab\\x09line\\x0A"},
      {"\x7F\xFF\xC3", 40, "\\x7F\\xFF\\xC3"},
      // Well-formed UTF-8 passes, a sequence is never cut.
      {"caf\xC3\xA9", 40, "caf\xC3\xA9"},
      {"caf\xC3\xA9", 4, "caf..."},
      {"abcdefgh", 3, "abc..."},
  };
  for (const Case& c : cases) EXPECT_EQ(excerpt(c.text, c.limit), c.expected) << c.text;
  // A long text gives a short excerpt.
  EXPECT_LE(excerpt(std::string(1 << 20, 'x')).size(), kExcerptLimit + 3);
}

TEST(TextExcerpt, AroundAnOffset) {
  const std::string text = std::string(100, 'a') + "BAD" + std::string(100, 'b');
  const std::string around = excerpt_at(text, 100, 20);
  EXPECT_EQ(around.substr(0, 3), "...");
  EXPECT_NE(around.find("BAD"), std::string::npos);
  EXPECT_EQ(excerpt_at("short", 2, 20), "short");
  EXPECT_EQ(excerpt_at("short", 99, 20), "short");
}

TEST(TextExcerpt, JsonErrorsLoseTheLibraryTagAndLongInput) {
  try {
    const nlohmann::json parsed = nlohmann::json::parse("[\"" + std::string(5000, 'z') + "\x01");
    FAIL() << parsed.size();
  } catch (const std::exception& e) {
    const std::string text = json_error_text(e);
    EXPECT_EQ(text.find("[json.exception"), std::string::npos) << text;
    EXPECT_NE(text.find("line 1"), std::string::npos) << text;
    EXPECT_LT(text.size(), 300u) << text;
  }
  try {
    nlohmann::json number = 5;
    (void)number.get<std::string>();
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_EQ(json_error_text(e), "type must be string, but is number");
  }
  EXPECT_EQ(json_error_text(std::runtime_error("[json.exception.x] own")),
            "[json.exception.x] own");
}

}  // namespace
}  // namespace zel
