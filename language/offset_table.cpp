#include "language/offset_table.h"

namespace zel {
namespace kavero {

uint32_t from_unicode_2_utf8_offset(const OffsetTable* table,
                                    const unsigned& offset) {
  if (table == nullptr || offset >= table->code_point_to_byte.size()) {
    return offset;
  }
  return table->code_point_to_byte[offset];
}

}  // namespace kavero
}  // namespace zel
