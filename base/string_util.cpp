#include "base/string_util.h"

#include <cctype>
#include <cstring>
#include <iterator>

#include <unicode/uchar.h>

namespace zel {
namespace string {
namespace {

// Separator kinds of the splitting template.
struct OneSeparator {
  char byte;
  bool is_separator(char c) const { return c == byte; }
  // A run of one separator byte is always a single cut.
  bool compress(bool) const { return true; }
};

struct SeparatorList {
  char const* bytes;
  bool is_separator(char c) const { return c != '\0' && std::strchr(bytes, c) != nullptr; }
  // With a list, runs collapse only when empty parts are to be dropped.
  bool compress(bool skip_empty) const { return skip_empty; }
};

// Cuts [begin, end) into parts: n cuts always give n + 1 parts.
template <typename Separator>
void split_range(std::vector<std::string>& parts, char const* begin, char const* end,
                 Separator const& separator, bool compress) {
  char const* part = begin;
  for (char const* p = begin; p != end;) {
    if (!separator.is_separator(*p)) {
      ++p;
      continue;
    }
    parts.emplace_back(part, p);
    ++p;
    if (compress) {
      while (p != end && separator.is_separator(*p)) ++p;
    }
    part = p;
  }
  parts.emplace_back(part, end);
}

// The one splitting routine behind every split_vector form: splits into a
// temporary list, then appends the parts, dropping empty ones when asked.
template <typename Separator>
void _split_vector(std::vector<std::string>& out, char const* begin, char const* end,
                   Separator const& separator, bool skip_empty) {
  std::vector<std::string> parts;
  split_range(parts, begin, end, separator, separator.compress(skip_empty));
  for (std::string& part : parts) {
    if (skip_empty && part.empty()) continue;
    out.push_back(std::move(part));
  }
}

template <typename Container>
std::string join_tpl(Container const& parts, std::string const& separator, int32_t first,
                     int32_t last) {
  int32_t const n = static_cast<int32_t>(parts.size());
  if (first < 0) first += n + 1;
  if (last < 0) last += n + 1;
  if (first < 0) first = 0;
  if (last > n) last = n;
  std::string result;
  if (first >= last) return result;
  auto it = std::next(parts.begin(), first);
  for (int32_t i = first; i < last; ++i, ++it) {
    result += *it;
    if (i + 1 < last) result += separator;
  }
  return result;
}

// Control bytes (tab, line feed, carriage return among them) and the space.
bool is_trimmed(char c) {
  unsigned char const byte = static_cast<unsigned char>(c);
  return byte == ' ' || byte <= 0x0D;
}

}  // namespace

bool starts_with(std::string const& text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(std::string const& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool iequals(std::string const& a, std::string const& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void replace_all(std::string& text, std::string const& find, std::string const& replacement) {
  if (find.empty()) return;
  std::size_t pos = 0;
  while ((pos = text.find(find, pos)) != std::string::npos) {
    text.replace(pos, find.size(), replacement);
    pos += replacement.size();
  }
}

std::size_t findn(std::string const& text, char c, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = text.find(c, pos + 1);
    if (pos == std::string::npos) return text.size();
  }
  return pos;
}

std::string strip_quotes(std::string const& text) {
  if (text.size() >= 2 && text[0] == '"') return text.substr(1, text.size() - 2);
  return text;
}

void clean_multi_spaces(std::string& text) {
  std::string::iterator out = text.begin();
  bool after_space = false;
  for (char c : text) {
    if (c == ' ' && after_space) continue;
    after_space = c == ' ';
    *out++ = c;
  }
  text.erase(out, text.end());
}

void clean_dashes(std::string& text) {
  std::size_t pos = 0;
  while ((pos = text.find(" - ", pos)) != std::string::npos) text.replace(pos, 3, " ");
}

void cleanup_crlf(std::string& text) {
  std::string::iterator out = text.begin();
  for (char c : text) {
    if (c != '\r' && c != '\n') *out++ = c;
  }
  text.erase(out, text.end());
}

void clean_and_trim(std::string& text, std::set<char> const& special, unicode::ErrorCode* error) {
  text = unicode::detail::decode(text.data(), text.data() + text.size(), special, error);
  std::size_t begin = 0;
  while (begin < text.size() && is_trimmed(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && is_trimmed(text[end - 1])) --end;
  text = text.substr(begin, end - begin);
  clean_multi_spaces(text);
  text = unicode::detail::decode(text.data(), text.data() + text.size(), special, error);
}

std::string join(std::vector<std::string> const& parts, std::string const& separator,
                 int32_t first, int32_t last) {
  return join_tpl(parts, separator, first, last);
}

std::string join(std::set<std::string> const& parts, std::string const& separator,
                 int32_t first, int32_t last) {
  return join_tpl(parts, separator, first, last);
}

void split_vector(std::vector<std::string>& out, std::string_view text, char separator,
                  bool skip_empty) {
  _split_vector(out, text.data(), text.data() + text.size(), OneSeparator{separator},
                skip_empty);
}

std::vector<std::string> split_vector(std::string const& text, char separator, bool skip_empty) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  _split_vector(out, text.data(), text.data() + text.size(), OneSeparator{separator},
                skip_empty);
  return out;
}

void split_vector(std::vector<std::string>& out, char const* begin, char const* end,
                  char separator, bool skip_empty) {
  _split_vector(out, begin, end, OneSeparator{separator}, skip_empty);
}

std::vector<std::string> split_vector(char const* begin, char const* end, char separator,
                                      bool skip_empty) {
  std::vector<std::string> out;
  _split_vector(out, begin, end, OneSeparator{separator}, skip_empty);
  return out;
}

void split_vector(std::vector<std::string>& out, char const* begin, char const* end,
                  char const* separators, bool skip_empty) {
  _split_vector(out, begin, end, SeparatorList{separators}, skip_empty);
}

void split_vector(std::vector<std::string>& out, std::string const& text,
                  char const* separators, bool skip_empty) {
  _split_vector(out, text.data(), text.data() + text.size(), SeparatorList{separators},
                skip_empty);
}

std::vector<std::string> split_vector(std::string const& text, char const* separators,
                                      bool skip_empty) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  _split_vector(out, text.data(), text.data() + text.size(), SeparatorList{separators},
                skip_empty);
  return out;
}

std::set<std::string>& split_set(std::set<std::string>& set, std::string const& text,
                                 char separator) {
  if (text.empty()) return set;
  std::vector<std::string> parts;
  split_range(parts, text.data(), text.data() + text.size(), OneSeparator{separator}, true);
  set = std::set<std::string>(parts.begin(), parts.end());
  return set;
}

bool closing_quoteations(uint32_t c) { return c == 0x00BB || c == 0x201D; }

bool is_quote(uint32_t c) {
  return c == 0x201C || c == 0x201D || c == 0x2019 || c == 0x2018 || c == 0x00BB;
}

bool inverted_sentence_begin(uint32_t c) { return c == 0x00A1 || c == 0x00BF; }

bool sentence_begin(uint32_t c) {
  return c == 0x00A1 || c == 0x00BF || u_isupper(static_cast<UChar32>(c)) || c == '-' ||
         c == 0x2013 || c == '#';
}

bool is_whitespace(uint32_t c) {
  return u_isWhitespace(static_cast<UChar32>(c)) || c == 0x00A0;
}

bool withespace(uint32_t c) { return u_isspace(static_cast<UChar32>(c)); }

bool no_withespace(uint32_t c) { return !u_isspace(static_cast<UChar32>(c)); }

bool visual_withespace(uint32_t c) { return c == 0x0020 || c == 0x0009; }

bool is_nummber(uint32_t c) { return u_isdigit(static_cast<UChar32>(c)); }

}  // namespace string
}  // namespace zel
