#include "base/json_escape.h"

namespace zel {
namespace json {
namespace {

// The extra bytes that escaping one byte adds: 0, 1 (two-byte escape) or 5
// (six-byte escape).
std::size_t extra(unsigned char c) {
  switch (c) {
    case '"': case '\\': case '\b': case '\t': case '\n': case '\f': case '\r':
      return 1;
    default:
      return c < 0x20 ? 5 : 0;
  }
}

}  // namespace

std::string escape_string(const std::string& text) {
  std::size_t more = 0;
  for (const char c : text) more += extra(static_cast<unsigned char>(c));
  if (more == 0) return text;

  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + more);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

}  // namespace json
}  // namespace zel
