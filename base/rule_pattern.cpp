#include "base/rule_pattern.h"

#include <cstdint>
#include <stdexcept>

namespace zel {
namespace kav {
namespace {

// One character of a class: the bytes of a well-formed UTF-8 character and
// its code point, or a single byte that starts none (raw).
struct Unit {
  std::size_t size = 1;
  std::uint32_t value = 0;
  bool raw = false;
};

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Reads the character that starts at text[i] (i < text.size()).
Unit read_unit(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  Unit unit;
  unit.value = c;
  if (c < 0x80) return unit;

  std::size_t size = 0;
  std::uint32_t value = 0;
  // The bounds of the second byte exclude overlong forms, surrogates and
  // values above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    size = 2;
    value = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    size = 3;
    value = c & 0x0F;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    size = 4;
    value = c & 0x07;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  }
  if (size == 0 || i + size > text.size()) {
    unit.raw = true;
    return unit;
  }
  for (std::size_t k = 1; k < size; ++k) {
    const unsigned char next = byte(i + k);
    if (!is_continuation(next) || (k == 1 && (next < low || next > high))) {
      unit.raw = true;
      return unit;
    }
    value = (value << 6) | (next & 0x3F);
  }
  unit.size = size;
  unit.value = value;
  return unit;
}

void append_utf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Every byte that means something to the expression syntax outside a class.
// The characters a range produces are meant literally, and the writer of the
// pattern had no chance to escape them.
bool is_special(std::uint32_t c) {
  switch (c) {
    case '(': case ')': case '*': case '+': case '?': case '[': case ']':
    case '{': case '}': case '.': case '|': case '^': case '$': case '\\':
      return true;
    default:
      return false;
  }
}

void append_range(const std::string& text, std::size_t b_at, Unit b, std::size_t e_at,
                  Unit e, bool& first, std::string& out) {
  const auto alternative = [&]() {
    if (!first) out += '|';
    first = false;
  };
  if (b.raw || e.raw) {
    // A stray byte cannot stand for a character: range over byte values.
    const unsigned char from = static_cast<unsigned char>(text[b_at]);
    const unsigned char to = static_cast<unsigned char>(text[e_at]);
    if (from > to) throw std::runtime_error("begin range is bigger then the end range.");
    for (unsigned v = from; v <= to; ++v) {
      alternative();
      if (is_special(v)) out += '\\';
      out += static_cast<char>(v);
    }
    return;
  }
  if (b.value > e.value) throw std::runtime_error("begin range is bigger then the end range.");
  for (std::uint32_t v = b.value; v <= e.value; ++v) {
    if (v >= 0xD800 && v <= 0xDFFF) continue;  // surrogates are no characters
    alternative();
    if (is_special(v)) out += '\\';
    append_utf8(v, out);
  }
}

// Writes the items of a class that starts at text[i] (just after its "[")
// and returns the position after its "]" (or the end of the text).
std::size_t convert_class(const std::string& text, std::size_t i, std::string& out) {
  const std::size_t n = text.size();
  bool first = true;
  const auto alternative = [&]() {
    if (!first) out += '|';
    first = false;
  };
  while (i < n) {
    const char c = text[i];
    if (c == '\\') {
      alternative();
      if (i + 1 >= n) {
        out += c;
        return n;
      }
      const Unit escaped = read_unit(text, i + 1);
      out.append(text, i, 1 + escaped.size);
      i += 1 + escaped.size;
      continue;
    }
    if (c == '(' || c == ')' || c == '.' || c == '[') {
      alternative();
      out += '\\';
      out += c;
      ++i;
      continue;
    }
    if (c == ']') return i + 1;
    const Unit b = read_unit(text, i);
    const std::size_t dash = i + b.size;
    if (dash + 1 < n && text[dash] == '-') {
      const Unit e = read_unit(text, dash + 1);
      append_range(text, i, b, dash + 1, e, first, out);
      i = dash + 1 + e.size;
      continue;
    }
    alternative();
    out.append(text, i, b.size);
    i += b.size;
  }
  return n;
}

}  // namespace

std::string convert_range(const std::string& pattern) {
  std::string out;
  out.reserve(pattern.size());
  const std::size_t n = pattern.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = pattern[i];
    if (c == '\\') {
      out.append(pattern, i, 2);  // one byte when the backslash ends the text
      i += 2;
    } else if (c == ']') {
      throw std::runtime_error("invalid expression ] need to be escaped.");
    } else if (c == '[') {
      out += "(?:";
      i = convert_class(pattern, i + 1, out);
      out += ')';
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::regex kav_regex(const std::string& pattern) {
  return std::regex(convert_range(pattern), std::regex::ECMAScript);
}

std::regex kav_regex_case_insenitive(const std::string& pattern) {
  return std::regex(convert_range(pattern), std::regex::ECMAScript | std::regex::icase);
}

}  // namespace kav
}  // namespace zel
