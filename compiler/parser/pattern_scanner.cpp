#include "compiler/parser/pattern_scanner.h"

#include <algorithm>

namespace zel {
namespace compiler {
namespace parser {
namespace action {

namespace {

bool is_repetition(char c) { return c == '*' || c == '?' || c == '+'; }

// One past the "]" that closes the class opening at `pos`, or npos when the
// "[" opens none: there is no "]" before `end`, it lies at offset 0 or 1,
// or a backslash escapes it.
std::size_t class_end(const std::string& text, std::size_t pos, std::size_t end) {
  const std::size_t closing = text.find(']', pos);
  if (closing == std::string::npos || closing >= end || closing < 2 || text[closing - 1] == '\\') {
    return std::string::npos;
  }
  return closing + 1;
}

}  // namespace

std::pair<std::size_t, std::size_t> get_closure(const std::string& text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != ')') return {pos, pos};
  const std::size_t start = pos + 1;
  if (start >= text.size()) return {start, start};
  if (is_repetition(text[start])) return {start, start + 1};
  if (text[start] == '{') {
    const std::size_t closing = text.find('}', pos + 2);
    if (closing != std::string::npos) return {start, closing + 1};
  }
  return {start, start};
}

void process_capture(const std::string& text, std::size_t& pos, std::size_t end) {
  end = std::min(end, text.size());
  if (pos >= end) return;
  ++pos;
  if (pos >= end) return;
  if (is_repetition(text[pos])) {
    ++pos;
  } else if (text[pos] == '{') {
    const std::size_t closing = text.find('}', pos);
    if (closing != std::string::npos && closing < end) pos = closing + 1;
  }
}

void process_group(const std::string& text, std::size_t& pos, std::size_t end) {
  end = std::min(end, text.size());
  int depth = 0;
  while (pos < end) {
    const char c = text[pos];
    if (c == '(') {
      ++depth;
    } else if (c == '[') {
      const std::size_t after = class_end(text, pos, end);
      if (after != std::string::npos) {
        pos = after;
        continue;
      }
    } else if (c == ')') {
      if (depth == 1) {
        process_capture(text, pos, end);
        return;
      }
      --depth;
    }
    ++pos;
  }
}

MulticharacterToken is_multicharacter_token(const std::string& text) {
  MulticharacterToken found;
  unsigned run = 0;
  unsigned longest = 0;
  unsigned groups = 0;
  int depth = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '(') {
      ++depth;
      ++groups;
      ++pos;
    } else if (c == '|') {
      found.has_alternatives = true;
      longest = std::max(longest, run);
      run = 0;
      ++pos;
    } else if (c == ')') {
      process_capture(text, pos, text.size());
      --depth;
      if (depth == 0) {
        if (pos == text.size()) {
          found.max_length = std::max(longest, run);
          found.groups = groups;
          return found;
        }
        found.spans_whole = false;
      }
    } else if (c == '[') {
      const std::size_t after = class_end(text, pos, text.size());
      if (after != std::string::npos) {
        ++run;
        pos = after;
      } else {
        ++pos;
      }
    } else {
      ++run;
      ++pos;
    }
  }
  // The walk ran off the end without closing the outermost group there.
  return found;
}

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
