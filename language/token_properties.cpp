#include "language/token_properties.h"

#include <unicode/uchar.h>

#include "analysis/annotation.h"
#include "base/unicode.h"

namespace zel {
namespace kavero {

namespace {

bool is_ascii_letter(uint32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_ascii_digit(uint32_t c) { return c >= '0' && c <= '9'; }

}  // namespace

void add_properties(Token* token) {
  const std::string& literal = token->literal;
  if (literal.empty()) return;
  const char* it = literal.data();
  const char* end = it + literal.size();
  bool first_upper = false;
  bool all_upper = true;
  bool letter = false;
  bool digit = false;
  for (bool first = true; it < end; first = false) {
    const uint32_t c = string::unicode::next(it, end);
    const bool upper = u_isupper(static_cast<UChar32>(c));
    if (first) first_upper = upper;
    all_upper = all_upper && upper;
    letter = letter || is_ascii_letter(c);
    digit = digit || is_ascii_digit(c);
  }
  if (first_upper) {
    token->properties.insert(all_upper && literal.size() >= 2
                                 ? token_property::all_cap
                                 : token_property::init_cap);
    token->properties.insert(token_property::not_found);
  }
  if (letter && digit) {
    token->properties.insert(token_property::alphanum);
    token->properties.insert(token_property::not_found);
  }
}

bool all_caps(Token* token) {
  return token->properties.count(token_property::all_cap) > 0;
}

bool init_cap(Token* token) {
  return token->properties.count(token_property::init_cap) > 0;
}

bool remove_token_property(Token* token, const std::string& property) {
  return token->properties.erase(property) > 0;
}

void add_markup_info(Token* token) {
  const std::string& literal = token->literal;
  const size_t space = literal.find(' ');
  const std::string stem =
      space == std::string::npos ? literal : literal.substr(0, space) + ">";
  token->readings.emplace_back("Markup", stem, 1.0);
}

}  // namespace kavero
}  // namespace zel
