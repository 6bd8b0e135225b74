// The document-level offset tables between code-point, byte and UTF-16
// positions of a document's UTF-8 text.
//
// The analysis of a text builds them once per document; hosts that count in
// code points (the C interface, plugins) have their offsets turned into
// byte offsets through them. Each list has one entry more than the text's
// byte length; entries that fall on no character boundary stay 0.

#ifndef KAVERO_LANGUAGE_OFFSET_TABLE_H_
#define KAVERO_LANGUAGE_OFFSET_TABLE_H_

#include <cstdint>
#include <vector>

namespace zel {
namespace kavero {

struct OffsetTable {
  // Number of code points from the start -> byte offset after them.
  std::vector<uint32_t> code_point_to_byte;
  // Byte offset at a character boundary -> number of code points before it.
  std::vector<uint32_t> byte_to_code_point;
  // UTF-16 offset at a character boundary -> byte offset.
  std::vector<uint32_t> utf16_to_byte;
};

// The byte offset after `offset` code points; an offset past the table (or
// a null table) comes back unchanged.
uint32_t from_unicode_2_utf8_offset(const OffsetTable* table,
                                    const unsigned& offset);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_OFFSET_TABLE_H_
