#include "core-afst/formatted_string.h"

#include <cstring>
#include <stdexcept>

#include "base/unicode.h"

namespace zel {
namespace afst {

namespace {

const char kEps[] = "eps";

// The text of one whole UTF-8 character at `it`, which moves past it.
std::string next_character(const char*& it, const char* end) {
  const char* start = it;
  zel::string::unicode::next(it, end);
  return std::string(start, it);
}

}  // namespace

void add_formatted_string(Builder* builder, const char* text) {
  const char* it = text;
  const char* const end = text + std::strlen(text);
  while (it != end) {
    const std::string c = next_character(it, end);
    if (c == "(") {
      builder->open_group();
    } else if (c == ")") {
      if (it == end) {
        builder->close_group("");
      } else if (*it == '*' || *it == '+' || *it == '?') {
        builder->close_group(std::string(1, *it));
        ++it;
      } else if (*it == '{') {
        const char* close = static_cast<const char*>(std::memchr(it, '}', end - it));
        if (close == nullptr) throw std::runtime_error("missing } braket]");
        builder->close_group(std::string(it + 1, close));
        it = close + 1;
      } else {
        builder->close_group("");
      }
    } else if (c == ".") {
      builder->pushArc("??", kEps);
    } else if (c == "[") {
      const char* close = static_cast<const char*>(std::memchr(it, ']', end - it));
      if (close == nullptr) throw std::runtime_error("missing braket ]");
      builder->pushArc(std::string(it, close), kEps);
      it = close + 1;
    } else if (c == "|") {
      builder->separator("union");
    } else if (c == "\\") {
      // A backslash at the very end is ignored.
      if (it != end) builder->pushArc(next_character(it, end), kEps);
    } else {
      builder->pushArc(c, kEps);
    }
  }
}

void add_formatted_string(std::shared_ptr<Builder>& builder, const char* text) {
  add_formatted_string(builder.get(), text);
}

void add_formatted_string(Builder* builder, const std::string& text) {
  add_formatted_string(builder, text.c_str());
}

void add_formatted_string(std::shared_ptr<Builder>& builder, const std::string& text) {
  add_formatted_string(builder.get(), text.c_str());
}

}  // namespace afst
}  // namespace zel
