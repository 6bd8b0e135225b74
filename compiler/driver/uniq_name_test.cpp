#include "compiler/driver/uniq_name.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace compiler {
namespace {

TEST(GenerateUniqName, IsARandomVersion4Uuid) {
  std::set<std::string> seen;
  std::set<char> variants;
  for (int i = 0; i < 64; ++i) {
    const std::string name = generate_uniq_name("", "");
    ASSERT_EQ(name.size(), 36u) << name;
    for (size_t p = 0; p < name.size(); ++p) {
      if (p == 8 || p == 13 || p == 18 || p == 23) {
        EXPECT_EQ(name[p], '-') << name;
      } else {
        EXPECT_NE(std::string("0123456789abcdef").find(name[p]), std::string::npos) << name;
      }
    }
    EXPECT_EQ(name[14], '4') << name;
    EXPECT_NE(std::string("89ab").find(name[19]), std::string::npos) << name;
    variants.insert(name[19]);
    seen.insert(name);
  }
  EXPECT_EQ(seen.size(), 64u);
  EXPECT_GT(variants.size(), 1u);
}

TEST(GenerateUniqName, KeepsPrefixAndSuffix) {
  const std::string name = generate_uniq_name("mdc-", ".dom");
  EXPECT_EQ(name.size(), 44u);
  EXPECT_EQ(name.substr(0, 4), "mdc-");
  EXPECT_EQ(name.substr(40), ".dom");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
