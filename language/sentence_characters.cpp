#include "language/sentence_characters.h"

#include <unicode/uchar.h>

namespace zel {
namespace kavero {

namespace {

UChar32 as_char(unsigned int c) { return static_cast<UChar32>(c); }

}  // namespace

bool has_internet_sym(unsigned int c) { return c == 0x40 || c == 0x2F; }

bool has_dots(unsigned int c) { return c == 0x2E; }

bool is_ellipsis(unsigned int c) { return c == 0x2026; }

bool abbrev_end(unsigned int c) {
  return c == 0x2E || c == 0x40 || c == 0x2F || u_isalnum(as_char(c));
}

bool abbrev_begin(unsigned int c) {
  return c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20;
}

bool abbrev_allowed_abbrev(unsigned int c) {
  return u_islower(as_char(c)) || u_isupper(as_char(c)) ||
         u_isdigit(as_char(c)) || c == 0x2D || c == 0x2E || c == 0x2F ||
         c == 0x3A || c == 0x40;
}

bool is_bullet_point(unsigned int c) {
  return c == 0x2D || c == 0x2A || c == 0x2B;
}

bool end_of_sentence_QE(unsigned int c) { return c == 0x21 || c == 0x3F; }

bool end_of_sentence(unsigned int c) {
  return c == 0x21 || c == 0x2E || c == 0x3F || c == 0x2026;
}

bool end_of_sentence_crfl(unsigned int c, bool newline) {
  return c == 0x2E && newline;
}

bool token_delimiter(unsigned int c) {
  return u_isspace(as_char(c)) || u_ispunct(as_char(c)) || c == 0x21 ||
         c == 0xA1 || c == 0xBF;
}

bool header_end(unsigned int c) {
  if (c == 0x29) return true;
  if (u_isspace(as_char(c))) return false;
  return !u_ispunct(as_char(c));
}

}  // namespace kavero
}  // namespace zel
