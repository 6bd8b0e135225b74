#include "compiler/parser/character_class_actions.h"

#include <cstdint>
#include <exception>

#include "base/string_util.h"
#include "base/unicode.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/shared_constants.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

namespace {

const std::string no_class = "[:none:]";

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void report(const std::string& message) { compiler_error(message, 0, 0, std::string(), 0); }

}  // namespace

std::string hex_to_string(const std::string& text) {
  std::uint32_t code_point = 0;
  bool too_big = false;
  for (char c : text) {
    const int digit = hex_digit(c);
    if (digit < 0) break;
    if (code_point > 0x0FFFFFFFu) too_big = true;
    code_point = (code_point << 4) | static_cast<std::uint32_t>(digit);
  }
  if (too_big || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    report("Invalid unicode escape sequence.");
    return std::string();
  }
  return string::from_uint(code_point);
}

std::string check_character_class(const std::string& text) {
  static const std::string deprecated = "[:range(:range(";
  static const std::string range_open = "range(";
  if (text.size() > 5) {
    if (text.compare(0, deprecated.size(), deprecated) == 0) {
      report(
          "Deprecated character class format, use square bracket, ex "
          "[A-Za-z#]");
      return no_class;
    }
    const std::string name = text.substr(2, text.size() - 4);
    if (name.size() > range_open.size() && name.compare(0, range_open.size(), range_open) == 0 &&
        name.back() == ')') {
      const char* const first = name.data() + range_open.size();
      const char* const last = name.data() + name.size() - 1;
      string::unicode::ErrorCode error;
      std::string characters;
      try {
        characters = string::unicode::detail::decode(first, last, regex_special_chars, &error);
      } catch (const std::exception& failure) {
        // The reader raises on escapes it cannot read at all.
        error.code = 1;
        error.message = failure.what();
      }
      if (error.code != 0) {
        report("Invalid character class format." + error.message);
        return no_class;
      }
      return "[:#" + characters + "#:]";
    }
    if (possible_character_properties.count(name) != 0) return text;
  }
  std::string message = "Invalid character property" + text + "\n";
  for (const std::string& property : possible_character_properties) message += property + ",";
  message += " or range ex: 'range(a-zA-Z0123)'";
  report(message);
  return no_class;
}

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
