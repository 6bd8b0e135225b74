#include "language/offset_table.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <utf8.h>

namespace zel {
namespace kavero {
namespace {

using Table = std::vector<uint32_t>;

// a, é and U+1F600: one, two and four bytes; one, one and two UTF-16 units.
const std::string kThreeWidths = "a\xC3\xA9\xF0\x9F\x98\x80";

TEST(OffsetTable, DocumentTablesFillOnlyCharacterBoundaries) {
  auto table = generate_offset_mappings(kThreeWidths.data(),
                                        static_cast<int>(kThreeWidths.size()));
  EXPECT_EQ(table->code_point_to_byte, (Table{0, 1, 3, 7, 0, 0, 0, 0}));
  EXPECT_EQ(table->byte_to_code_point, (Table{0, 1, 0, 2, 0, 0, 0, 3}));
  // Entry 3 lies between the two units of the surrogate pair.
  EXPECT_EQ(table->utf16_to_byte, (Table{0, 1, 3, 0, 7, 0, 0, 0}));

  EXPECT_EQ(from_unicode_2_utf8_offset(table.get(), 2), 3u);
  EXPECT_EQ(from_unicode_2_utf8_offset(table.get(), 3), 7u);
  // Past the table, and without one, the offset comes back as it was.
  EXPECT_EQ(from_unicode_2_utf8_offset(table.get(), 9), 9u);
  EXPECT_EQ(from_unicode_2_utf8_offset(nullptr, 2), 2u);
}

TEST(OffsetTable, EmptyTextHasOneEntryPerList) {
  auto table = generate_offset_mappings("", 0);
  EXPECT_EQ(table->code_point_to_byte, Table{0});
  EXPECT_EQ(table->byte_to_code_point, Table{0});
  EXPECT_EQ(table->utf16_to_byte, Table{0});
}

TEST(OffsetTable, SentenceTableConvertsToUtf16) {
  icu::UnicodeString text;
  auto table = get_offset_mapping_table(
      kThreeWidths.data(), kThreeWidths.data() + kThreeWidths.size(), text);
  EXPECT_EQ(text, icu::UnicodeString::fromUTF8(kThreeWidths));
  EXPECT_EQ(text.length(), 4);
  EXPECT_EQ(*table, (Table{0, 1, 3, 0, 7, 0, 0, 0}));
}

TEST(OffsetTable, BadUtf8MakesNoTable) {
  const std::vector<std::string> bad = {
      "ab\xC3",              // cut short
      "\xC0\xAF",            // overlong slash
      "\xED\xA0\x80",        // a surrogate
      "x\xF4\x90\x80\x80",   // above U+10FFFF
      "\x80",                // a lone continuation byte
  };
  for (const std::string& text : bad) {
    icu::UnicodeString out;
    EXPECT_THROW(get_offset_mapping_table(text.data(), text.data() + text.size(), out),
                 utf8::exception)
        << text;
    EXPECT_THROW(generate_offset_mappings(text.data(), static_cast<int>(text.size())),
                 utf8::exception)
        << text;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
