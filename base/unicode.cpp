#include "base/unicode.h"

#include <iostream>
#include <iterator>
#include <sstream>

#include "base/exception.h"

namespace zel {
namespace string {

std::string from_uint(unsigned int const* first, unsigned int const* last) {
  std::string result;
  utf8::utf32to8(first, last, std::back_inserter(result));
  return result;
}

std::string from_uint(unsigned int code_point) { return from_uint(&code_point, &code_point + 1); }

std::string from_uint(unsigned short const* first, unsigned short const* last) {
  std::string result;
  utf8::utf16to8(first, last, std::back_inserter(result));
  return result;
}

std::string from_uint(unsigned short unit) { return from_uint(&unit, &unit + 1); }

namespace unicode {
namespace {

constexpr uint32_t kBackslash = 0x5C;

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Iterator>
Iterator decrement_tpl(Iterator p) {
  for (int back = 1; back <= 5; ++back) {
    Iterator candidate = p - back;
    uint8_t const lead = static_cast<uint8_t>(*candidate);
    // A continuation byte or F8-FF cannot start a character.
    if ((lead >= 0x80 && lead <= 0xBF) || lead >= 0xF8) continue;
    try {
      Iterator probe = candidate;
      utf8::next(probe, p);
      return candidate;
    } catch (utf8::not_enough_room const&) {
      // The sequence would run past p: p is inside it, look further back.
      continue;
    }
  }
  return p;
}

// Reads `digits` hexadecimal digits after an escape letter, or raises the
// short-escape error. The position moves only when the digits are there.
template <typename Iterator>
std::string take_hex_digits(Iterator& it, Iterator end, int digits, char letter) {
  bool complete = end - it >= digits;
  for (int i = 0; complete && i < digits; ++i) complete = is_hex_digit(it[i]);
  if (!complete) {
    std::ostringstream message;
    message << "Invalid unicode escape sequence. \\\\" << letter << " requires " << digits
            << " digits\n context:";
    throw zel::Exception(message);
  }
  std::string text(it, it + digits);
  it += digits;
  return text;
}

void report_invalid_escape(uint32_t escaped, ErrorCode* error) {
  std::ostringstream message;
  message << "Invalid escaped character [0x" << std::hex << escaped;
  if (escaped <= 0x7E) message << '(' << static_cast<char>(escaped) << ')';
  message << ']';
  if (error != nullptr) {
    error->code = 1;
    error->message += message.str();
  } else {
    std::cerr << message.str();
  }
}

template <typename Iterator>
uint32_t next_parse_error_code_tpl(Iterator& it, Iterator end, std::set<char> const& special,
                                   ErrorCode* error) {
  uint32_t const c = utf8::next(it, end);
  if (c != kBackslash) return c;
  Iterator const after_backslash = it;
  uint32_t const escaped = utf8::next(it, end);
  switch (escaped) {
    case 'u':
      return static_cast<uint32_t>(std::stoul(take_hex_digits(it, end, 4, 'u'), nullptr, 16));
    case 'x':
      return static_cast<uint32_t>(std::stoul(take_hex_digits(it, end, 2, 'x'), nullptr, 16));
    case 'U': {
      // Read as a signed 32-bit number: 80000000 and above are out of range.
      std::string const digits = take_hex_digits(it, end, 8, 'U');
      return static_cast<uint32_t>(std::stoi(digits, nullptr, 16));
    }
    default:
      break;
  }
  if (special.count(static_cast<char>(escaped & 0xFF)) != 0) {
    it = after_backslash;
    return kBackslash;
  }
  report_invalid_escape(escaped, error);
  return escaped;
}

template <typename Iterator>
uint32_t next_parse_tpl(Iterator& it, Iterator end, std::set<char> const& special) {
  ErrorCode error;
  uint32_t const c = next_parse_error_code_tpl(it, end, special, &error);
  if (error.code == 1) std::cerr << error.message;
  return c;
}

}  // namespace

bool is_utf8(std::string_view text) { return utf8::is_valid(text.begin(), text.end()); }

uint32_t next(char const*& it, char const* end) { return utf8::next(it, end); }
uint32_t next(std::string::iterator& it, std::string::iterator end) { return utf8::next(it, end); }
uint32_t next(std::string::const_iterator& it, std::string::const_iterator end) {
  return utf8::next(it, end);
}

uint32_t next_char(char const* it, char const* end) { return utf8::next(it, end); }
uint32_t get_char(char const* it, char const* end) { return utf8::next(it, end); }

char const* decrement(char const* p) { return decrement_tpl(p); }
std::string::const_iterator decrement(std::string::const_iterator p) { return decrement_tpl(p); }

uint32_t prev_char(char const* p) {
  char const* start = decrement(p);
  if (start == p) return 0;
  return utf8::next(start, p);
}

uint32_t next_parse_error_code(char const*& it, char const* end, std::set<char> const& special,
                               ErrorCode* error) {
  return next_parse_error_code_tpl(it, end, special, error);
}
uint32_t next_parse_error_code(std::string::iterator& it, std::string::iterator end,
                               std::set<char> const& special, ErrorCode* error) {
  return next_parse_error_code_tpl(it, end, special, error);
}
uint32_t next_parse_error_code(std::string::const_iterator& it, std::string::const_iterator end,
                               std::set<char> const& special, ErrorCode* error) {
  return next_parse_error_code_tpl(it, end, special, error);
}

uint32_t next_parse(char const*& it, char const* end, std::set<char> const& special) {
  return next_parse_tpl(it, end, special);
}
uint32_t next_parse(std::string::iterator& it, std::string::iterator end,
                    std::set<char> const& special) {
  return next_parse_tpl(it, end, special);
}
uint32_t next_parse(std::string::const_iterator& it, std::string::const_iterator end,
                    std::set<char> const& special) {
  return next_parse_tpl(it, end, special);
}

namespace detail {

std::string decode(char const* begin, char const* end, std::set<char> const& special,
                   ErrorCode* error) {
  std::string result;
  auto out = std::back_inserter(result);
  char const* it = begin;
  while (it != end) {
    uint32_t const c = next_parse_error_code_tpl(it, end, special, error);
    utf8::append(c, out);
    // The reader answers a backslash for a kept escape; the character after
    // it is copied as it stands.
    if (c == kBackslash) utf8::append(utf8::next(it, end), out);
  }
  return result;
}

}  // namespace detail
}  // namespace unicode
}  // namespace string
}  // namespace zel
