#include "language/offset_table.h"

#include <string>

#include "base/unicode.h"

namespace zel {
namespace kavero {

namespace {

// UTF-16 units of a code point.
uint32_t utf16_length(uint32_t code_point) {
  return code_point < 0x10000 ? 1 : 2;
}

}  // namespace

std::shared_ptr<OffsetTable16> get_offset_mapping_table(
    const char* begin, const char* end, icu::UnicodeString& out) {
  auto table = std::make_shared<OffsetTable16>(
      static_cast<size_t>(end - begin) + 1, 0);
  // The units are gathered here and handed to `out` at once: appending to
  // an ICU string character by character costs more than the decoding.
  std::u16string units;
  units.reserve(static_cast<size_t>(end - begin));
  const auto base = static_cast<size_t>(out.length());
  const char* it = begin;
  while (it < end) {
    const uint32_t code_point = string::unicode::next(it, end);
    if (code_point < 0x10000) {
      units.push_back(static_cast<char16_t>(code_point));
    } else {
      const uint32_t above = code_point - 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (above >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
    }
    const size_t length = base + units.size();
    // A UTF-16 text converted from a shorter UTF-8 text can only be longer
    // when `out` came in with text of its own; those entries are not ours.
    if (length < table->size()) {
      (*table)[length] = static_cast<uint32_t>(it - begin);
    }
  }
  out.append(units.data(), 0, static_cast<int32_t>(units.size()));
  return table;
}

std::shared_ptr<OffsetTable> generate_offset_mappings(const char* text,
                                                      int length) {
  auto table = std::make_shared<OffsetTable>();
  const size_t size = length > 0 ? static_cast<size_t>(length) + 1 : 1;
  table->code_point_to_byte.assign(size, 0);
  table->byte_to_code_point.assign(size, 0);
  table->utf16_to_byte.assign(size, 0);
  if (length <= 0) return table;
  const char* it = text;
  const char* end = text + length;
  uint32_t code_points = 0;
  uint32_t units = 0;
  while (it < end) {
    const uint32_t code_point = string::unicode::next(it, end);
    ++code_points;
    units += utf16_length(code_point);
    const auto byte = static_cast<uint32_t>(it - text);
    // A character takes at least as many bytes as UTF-16 units, so every
    // index stays within the lists.
    table->code_point_to_byte[code_points] = byte;
    table->byte_to_code_point[byte] = code_points;
    table->utf16_to_byte[units] = byte;
  }
  return table;
}

uint32_t from_unicode_2_utf8_offset(const OffsetTable* table,
                                    const unsigned& offset) {
  if (table == nullptr || offset >= table->code_point_to_byte.size()) {
    return offset;
  }
  return table->code_point_to_byte[offset];
}

}  // namespace kavero
}  // namespace zel
