// Tables between the code-point, byte and UTF-16 positions of UTF-8 text.
//
// ICU works in UTF-16 while annotations keep byte offsets into the
// document's UTF-8 text, and hosts that index texts by code point hand in
// code-point offsets. Two kinds of table translate between them:
//
//   OffsetTable16  one sentence: UTF-16 offset into the sentence -> byte
//                  offset into the sentence. The tokenizer builds one per
//                  sentence while it converts the sentence to UTF-16.
//   OffsetTable    the whole document, three lists (below). The analysis of
//                  a text builds it once; the C interface turns a host's
//                  code-point offsets into byte offsets through it.
//
// Every list has one entry more than the text's byte length, all 0 at
// first; only entries at character boundaries are filled, so an entry
// inside a character (or between the two units of a surrogate pair) stays
// 0. Building a table decodes the text strictly: bad UTF-8 raises utfcpp's
// exceptions (see base/unicode.h) and no table results.

#ifndef KAVERO_LANGUAGE_OFFSET_TABLE_H_
#define KAVERO_LANGUAGE_OFFSET_TABLE_H_

#include <cstdint>
#include <memory>
#include <vector>

#include <unicode/unistr.h>

namespace zel {
namespace kavero {

// UTF-16 offset into a sentence -> byte offset into the sentence.
using OffsetTable16 = std::vector<uint32_t>;

struct OffsetTable {
  // Number of code points from the start -> byte offset after them.
  std::vector<uint32_t> code_point_to_byte;
  // Byte offset at a character boundary -> number of code points before it.
  std::vector<uint32_t> byte_to_code_point;
  // UTF-16 offset at a character boundary -> byte offset.
  std::vector<uint32_t> utf16_to_byte;
};

// Converts the UTF-8 bytes [begin, end) to UTF-16, appending to `out`
// (normally empty), and returns the table from UTF-16 offsets into the
// converted text to byte offsets from `begin`.
std::shared_ptr<OffsetTable16> get_offset_mapping_table(
    const char* begin, const char* end, icu::UnicodeString& out);

// The three document tables of `length` bytes of UTF-8 text.
std::shared_ptr<OffsetTable> generate_offset_mappings(const char* text,
                                                      int length);

// The byte offset after `offset` code points; an offset past the table (or
// a null table) comes back unchanged.
uint32_t from_unicode_2_utf8_offset(const OffsetTable* table,
                                    const unsigned& offset);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_OFFSET_TABLE_H_
