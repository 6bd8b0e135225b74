#include "language/language_blocks.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include "language/language_names.h"

namespace zel {
namespace lid {
namespace {

// The rows that hold a code point.
std::vector<std::string> codes_of(uint64_t code_point) {
  std::vector<std::string> codes;
  for (const LanguageBlock& block : language_blocks) {
    if (std::get<0>(block) <= code_point && code_point <= std::get<1>(block)) {
      codes.push_back(std::get<2>(block));
    }
  }
  return codes;
}

TEST(LanguageBlocks, EveryRowIsExactlyItsUnicodeBlock) {
  ASSERT_EQ(language_blocks.size(), 75u);
  // Distinct blocks: no two rows overlap.
  std::set<int> blocks;
  for (const auto& [first, last, code, name] : language_blocks) {
    // ICU matches block names loosely (case, blanks, hyphens).
    const int block = u_getPropertyValueEnum(UCHAR_BLOCK, name.c_str());
    ASSERT_NE(block, UCHAR_INVALID_CODE) << name;
    blocks.insert(block);
    EXPECT_EQ(ublock_getCode(static_cast<UChar32>(first)), block) << name;
    EXPECT_EQ(ublock_getCode(static_cast<UChar32>(last)), block) << name;
    EXPECT_NE(ublock_getCode(static_cast<UChar32>(first - 1)), block) << name;
    EXPECT_NE(ublock_getCode(static_cast<UChar32>(last + 1)), block) << name;
    EXPECT_TRUE(code.empty() || code == "IN" || language::get_language_map().count(code) == 1)
        << name << " " << code;
  }
  EXPECT_EQ(blocks.size(), 75u);
}

TEST(LanguageBlocks, TheLanguageOfACodePoint) {
  EXPECT_EQ(codes_of(0xAC00), std::vector<std::string>{"KO"});
  EXPECT_EQ(codes_of(0xD7AF), std::vector<std::string>{"KO"});
  EXPECT_EQ(codes_of(0x1C50), std::vector<std::string>{""});
  EXPECT_EQ(codes_of(0x0CA0), std::vector<std::string>{"TE"});
  EXPECT_TRUE(codes_of(0x0041).empty());
  EXPECT_TRUE(codes_of(0x0400).empty());  // Cyrillic suggests nothing.
}

}  // namespace
}  // namespace lid
}  // namespace zel
