#include "base/text_excerpt.h"

#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

namespace zel {

namespace {

// The length of the well-formed UTF-8 sequence at `p` (2 to 4), or 0.
std::size_t sequence_length(const unsigned char* p, const unsigned char* end) {
  std::size_t length = 0;
  if (*p >= 0xC2 && *p <= 0xDF) {
    length = 2;
  } else if (*p >= 0xE0 && *p <= 0xEF) {
    length = 3;
  } else if (*p >= 0xF0 && *p <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

void append_escaped(std::string& out, unsigned char byte) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", byte);
  out += hex;
}

}  // namespace

std::string excerpt(const char* begin, const char* end, std::size_t limit) {
  std::string out;
  if (begin == nullptr || end <= begin) return out;
  const auto* p = reinterpret_cast<const unsigned char*>(begin);
  const auto* last = reinterpret_cast<const unsigned char*>(end);
  const unsigned char* stop = p + (static_cast<std::size_t>(last - p) < limit
                                       ? static_cast<std::size_t>(last - p)
                                       : limit);
  while (p < stop) {
    const unsigned char byte = *p;
    if (byte == '\\' || byte == '"') {
      out += '\\';
      out += static_cast<char>(byte);
      ++p;
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
      ++p;
    } else if (std::size_t length = sequence_length(p, last)) {
      if (p + length > stop) break;
      out.append(reinterpret_cast<const char*>(p), length);
      p += length;
    } else {
      append_escaped(out, byte);
      ++p;
    }
  }
  if (p < last) out += "...";
  return out;
}

std::string excerpt(const std::string& text, std::size_t limit) {
  return excerpt(text.data(), text.data() + text.size(), limit);
}

std::string excerpt_at(const std::string& text, std::size_t offset,
                       std::size_t limit) {
  if (offset > text.size()) offset = text.size();
  const std::size_t before = limit / 4;
  std::size_t begin = offset > before ? offset - before : 0;
  // Start on the first byte of a character.
  while (begin > 0 && begin < text.size() &&
         (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80 &&
         offset - begin < before + 3) {
    --begin;
  }
  std::string out = begin > 0 ? "..." : "";
  out += excerpt(text.data() + begin, text.data() + text.size(), limit);
  return out;
}

std::string json_error_text(const std::exception& error) {
  std::string text = error.what();
  if (dynamic_cast<const nlohmann::json::exception*>(&error) == nullptr) {
    return text;
  }
  if (text.compare(0, 16, "[json.exception.") == 0) {
    const std::string::size_type close = text.find("] ");
    if (close != std::string::npos) text.erase(0, close + 2);
  }
  static const char kLastRead[] = "last read: '";
  const std::string::size_type quoted = text.find(kLastRead);
  if (quoted != std::string::npos) {
    const std::string::size_type from = quoted + std::strlen(kLastRead);
    std::string::size_type to = text.rfind('\'');
    if (to == std::string::npos || to < from) to = text.size();
    const std::string input = text.substr(from, to - from);
    text = text.substr(0, from) + excerpt(input) + "'";
  }
  return text;
}

}  // namespace zel
