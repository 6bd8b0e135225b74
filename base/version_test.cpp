#include "base/version.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace version {
namespace {

std::string print(const Version& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

TEST(Version, ParsesVersionTexts) {
  struct Case {
    std::string text;
    bool valid;
    std::vector<std::uint32_t> parts;
  };
  const std::vector<Case> cases = {
      {"1.2.3", true, {1, 2, 3}},
      {"1.2", true, {1, 2, 0}},
      {"7", true, {7, 0, 0}},
      {"01.2", true, {1, 2, 0}},
      {"latest", true, {0, 0, 0}},
      {"dev", true, {0, 0, 0}},
      {"4294967296.1", true, {4294967295u, 1, 0}},
      {"Latest", false, {}},
      {"1.2.3.4", false, {}},
      {"v1.2", false, {}},
      {"1.", false, {}},
      {"", false, {}},
      {"1.2 ", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(is_valid_version_format(c.text), c.valid);
    EXPECT_EQ(parse_version_format(c.text), c.parts);
    EXPECT_EQ(Version(c.text).parts(), c.parts);
  }
}

TEST(Version, ComparesPartsAsNumbers) {
  EXPECT_TRUE(Version("1.9") < Version("1.10"));
  EXPECT_FALSE(Version("1.10") < Version("1.9"));
  EXPECT_TRUE(Version("1.10") > Version("1.9"));
  EXPECT_FALSE(Version("1.9") > Version("1.10"));
  EXPECT_TRUE(Version("2.0.1") > Version("1.99.99"));
  EXPECT_TRUE(Version("") < Version("0"));
}

TEST(Version, GreaterAlsoHoldsForEqualVersions) {
  // 2 and 2.0.0 have equal parts: neither is smaller, and each is "greater".
  EXPECT_FALSE(Version("2") < Version("2.0.0"));
  EXPECT_FALSE(Version("2.0.0") < Version("2"));
  EXPECT_TRUE(Version("2") > Version("2.0.0"));
  EXPECT_TRUE(Version("2.0.0") > Version("2"));
  EXPECT_TRUE(Version("latest") > Version("0.0.0"));
  // A version without parts never beats one with parts.
  EXPECT_FALSE(Version("not a version") > Version("0.0.0"));
  EXPECT_TRUE(Version("0.0.0") > Version("not a version"));
}

TEST(Version, PrintsItsParts) {
  EXPECT_EQ(print(Version("1.22")), "1.22.0");
  EXPECT_EQ(print(Version("dev")), "0.0.0");
  EXPECT_EQ(print(Version("x")), "");
  EXPECT_EQ(print(Version()), "");
}

TEST(ExtractVersion, TakesTheTextAfterTheFirstAtSign) {
  struct Case {
    std::string name;
    std::string suffix;
    std::string version;
  };
  const std::vector<Case> cases = {
      {"english@1.2.3.language", ".language", "1.2.3"},
      {"english@latest", ".language", "latest"},
      {"english.language", ".language", ""},
      {"english", "", ""},
      {"/a/b@2/english@1.0.hmm", ".hmm", "2/english@1.0"},
      {"english@", "", ""},
      {"x@y", "@y", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(extract_version(c.name, c.suffix), c.version);
  }
}

}  // namespace
}  // namespace version
}  // namespace zel
