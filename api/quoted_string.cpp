#include "api/quoted_string.h"

namespace zel {
namespace kavero {

void write_json_escaped(std::streambuf* out, const char* text, std::size_t length) {
  static const char kHex[] = "0123456789abcdef";
  std::size_t run = 0;  // start of the bytes not yet written
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    if (i > run) out->sputn(text + run, static_cast<std::streamsize>(i - run));
    run = i + 1;
    char escape[6] = {'\\', 0, 0, 0, 0, 0};
    std::streamsize size = 2;
    switch (c) {
      case '"': escape[1] = '"'; break;
      case '\\': escape[1] = '\\'; break;
      case '\b': escape[1] = 'b'; break;
      case '\t': escape[1] = 't'; break;
      case '\n': escape[1] = 'n'; break;
      case '\f': escape[1] = 'f'; break;
      case '\r': escape[1] = 'r'; break;
      default:
        escape[1] = 'u';
        escape[2] = '0';
        escape[3] = '0';
        escape[4] = kHex[c >> 4];
        escape[5] = kHex[c & 0xF];
        size = 6;
    }
    out->sputn(escape, size);
  }
  if (length > run) out->sputn(text + run, static_cast<std::streamsize>(length - run));
}

}  // namespace kavero
}  // namespace zel
