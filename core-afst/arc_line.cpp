#include "core-afst/arc_line.h"

#include <algorithm>
#include <iostream>

#include "base/unicode.h"

namespace zel {
namespace afst {

namespace {

namespace unicode = zel::string::unicode;
using unicode::ErrorCode;

const char kRegexPrefix[] = "regex:";
const char kFormat[] = "format";
const char kEps[] = "eps";

std::string utf8(uint32_t code_point) { return zel::string::from_uint(code_point); }

// Reads one character with the escape reader and tells whether it was
// written as it stands: a character that an escape produced (a code point
// escape, or a kept escape, for which the reader answers the backslash) is
// never structure.
uint32_t read_char(const char*& it, const char* end, const std::set<char>& special,
                   ErrorCode& error, bool& plain) {
  plain = *it != '\\';
  return unicode::next_parse_error_code(it, end, special, &error);
}

// Reads the text of a bracketed item, with `it` just after the "[", up to
// and including the closing "]". Escapes are resolved; an escaped special
// character (the "]" included) is taken as it stands and closes nothing.
// Answers whether a "]" was found; without one the text runs to the end.
bool read_bracket(const char*& it, const char* end, const std::set<char>& special,
                  ErrorCode& error, std::string& text) {
  while (it != end) {
    bool plain = false;
    const uint32_t c = read_char(it, end, special, error, plain);
    if (plain && c == ']') return true;
    if (c == '\\') {
      text += utf8(unicode::next(it, end));
      continue;
    }
    text += utf8(c);
  }
  return false;
}

// The tokens of one side in the raw form. On the input side only a bracketed
// item that begins with "#end" is one token; any other "[" is a token of its
// own. On the output side every bracketed item is one token.
std::vector<std::string> raw_tokens(const std::string& side, bool output_side,
                                    const std::set<char>& special, ErrorCode& error) {
  std::vector<std::string> tokens;
  const char* it = side.data();
  const char* const end = it + side.size();
  while (it != end) {
    bool plain = false;
    const uint32_t c = read_char(it, end, special, error, plain);
    if (plain && c == '[') {
      const char* after_bracket = it;
      ErrorCode bracket_error;
      std::string text;
      read_bracket(it, end, special, bracket_error, text);
      if (output_side || text.compare(0, 4, "#end") == 0) {
        tokens.push_back(text);
        if (bracket_error.code != 0) {
          error.code = bracket_error.code;
          error.message += bracket_error.message;
        }
      } else {
        tokens.emplace_back("[");
        it = after_bracket;
      }
    } else if (c == '\\') {
      tokens.push_back(utf8(unicode::next(it, end)));
    } else {
      tokens.push_back(utf8(c));
    }
  }
  return tokens;
}

// The output side of the regex form: single characters and bracketed items.
std::vector<std::string> regex_output_tokens(const std::string& side, const std::set<char>& special,
                                             ErrorCode& error) {
  std::vector<std::string> tokens;
  const char* it = side.data();
  const char* const end = it + side.size();
  while (it != end) {
    bool plain = false;
    const uint32_t c = read_char(it, end, special, error, plain);
    if (plain && c == '[') {
      std::string text;
      read_bracket(it, end, special, error, text);
      tokens.push_back(text);
    } else if (c == '\\') {
      tokens.push_back(utf8(unicode::next(it, end)));
    } else {
      tokens.push_back(utf8(c));
    }
  }
  return tokens;
}

// Pairs the sides token by token; the shorter side is filled with "eps".
std::vector<LabelPair> lockstep(const std::vector<std::string>& in,
                                const std::vector<std::string>& out) {
  std::vector<LabelPair> pairs;
  const size_t n = std::max(in.size(), out.size());
  for (size_t i = 0; i < n; ++i) {
    pairs.emplace_back(i < in.size() ? in[i] : kEps, i < out.size() ? out[i] : kEps);
  }
  return pairs;
}

// The regex form. Sets `unmatched` when a ")" closes no group of the line;
// the answer is then empty.
std::vector<LabelPair> parse_regex(const std::string& line, const std::set<char>& special,
                                   ErrorCode& error, bool& unmatched) {
  unmatched = false;
  std::vector<std::string> sides;
  split_up_down(sides, line, special);
  const std::vector<std::string> out =
      sides.size() == 2 ? regex_output_tokens(sides[1], special, error) : std::vector<std::string>{};
  size_t next_out = 0;
  std::vector<LabelPair> pairs;
  const auto add_token = [&](std::string token) {
    pairs.emplace_back(std::move(token), next_out < out.size() ? out[next_out] : kEps);
    ++next_out;
  };

  const std::string& side = sides[0];
  const char* it = side.data();
  const char* const end = it + side.size();
  int open_groups = 0;
  while (it != end) {
    const char* at = it;
    bool plain = false;
    const uint32_t c = read_char(it, end, special, error, plain);
    if (plain && c == '.') {
      add_token("??");
    } else if (plain && c == '[') {
      std::string text;
      read_bracket(it, end, special, error, text);
      add_token(text);
    } else if (plain && c == '(') {
      pairs.emplace_back("(", kFormat);
      ++open_groups;
    } else if (plain && c == '|') {
      pairs.emplace_back("|", kFormat);
    } else if (plain && c == ')') {
      if (open_groups == 0) {
        std::cerr << "Error missing open bracket in FST push [" << line << "]" << std::endl;
        unmatched = true;
        return {};
      }
      --open_groups;
      const char* after = it;
      std::string closing;
      if (!get_closure_string(at, it, end, closing)) it = after;
      pairs.emplace_back(closing, kFormat);
    } else if (c == '\\') {
      // The escaped character itself, read as it stands.
      add_token(utf8(unicode::next(it, end)));
    } else {
      add_token(utf8(c));
    }
  }
  for (; next_out < out.size(); ++next_out) pairs.emplace_back(kEps, out[next_out]);
  if (error.code != 0) std::cerr << error.message << std::endl;
  return pairs;
}

// Whether the structure of a regex line balances: every group it opens is
// closed, and every range after ")" ends with "}".
bool regex_groups_balance(const std::vector<LabelPair>& pairs) {
  int open_groups = 0;
  for (const auto& pair : pairs) {
    if (pair.second != kFormat) continue;
    if (pair.first == "(") {
      ++open_groups;
    } else if (!pair.first.empty() && pair.first[0] == ')') {
      if (pair.first.size() > 2 && pair.first[1] == '{' &&
          pair.first.find('}') == std::string::npos) {
        return false;
      }
      --open_groups;
    }
  }
  return open_groups == 0;
}

}  // namespace

void split_up_down(std::vector<std::string>& out, const std::string& line,
                   const std::set<char>& special) {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const char* it = begin;
  ErrorCode error;
  std::string ignored;
  while (it != end) {
    const char* at = it;
    const uint32_t c = unicode::next(it, end);
    if (c == '\\') {
      if (it == end) break;
      // An escaped colon never separates; an escaped "[" still opens an item
      // for the search; after an escaped backslash the next character counts
      // again.
      const uint32_t escaped = unicode::next(it, end);
      if (escaped == '[') read_bracket(it, end, special, error, ignored);
      continue;
    }
    if (c == '[') {
      read_bracket(it, end, special, error, ignored);
      continue;
    }
    if (c == ':') {
      out.emplace_back(begin, at);
      out.emplace_back(it, end);
      return;
    }
  }
  if (error.code != 0) std::cerr << error.message << std::endl;
  out.push_back(line);
}

std::vector<LabelPair> parseline_raw(const std::string& line, const std::set<char>& special,
                                     ErrorCode& error) {
  std::vector<std::string> sides;
  split_up_down(sides, line, special);
  const std::vector<std::string> in = raw_tokens(sides[0], false, special, error);
  const std::vector<std::string> out =
      sides.size() == 2 ? raw_tokens(sides[1], true, special, error) : std::vector<std::string>{};
  return lockstep(in, out);
}

std::vector<LabelPair> parseline(const std::string& line, const std::set<char>& special,
                                 ErrorCode& error) {
  bool unmatched = false;
  return parse_regex(line, special, error, unmatched);
}

std::vector<LabelPair> parseline(std::string_view line, const std::set<char>& special,
                                 ErrorCode& error) {
  return parseline(std::string(line), special, error);
}

bool get_closure_string(const char* start, const char*& position, const char* end,
                        std::string& out) {
  out = ")";
  if (position == end) return false;
  ErrorCode ignored;
  bool plain = false;
  const uint32_t c = read_char(position, end, builder_special_chars, ignored, plain);
  if (plain && (c == '*' || c == '+' || c == '?')) {
    out.assign(start, position);
    return true;
  }
  if (plain && c == '{') {
    while (position != end) {
      if (read_char(position, end, builder_special_chars, ignored, plain) == '}' && plain) break;
    }
    out.assign(start, position);
    return true;
  }
  return false;
}

int32_t push_arcs_line(Builder& builder, const std::string& line) {
  if (line.empty()) return kArcLineEmpty;
  ErrorCode error;
  std::vector<LabelPair> pairs;
  if (line.compare(0, sizeof kRegexPrefix - 1, kRegexPrefix) == 0) {
    const std::string text = line.substr(sizeof kRegexPrefix - 1);
    bool unmatched = false;
    pairs = parse_regex(text, builder_special_chars, error, unmatched);
    if (unmatched) return kArcLineMalformed;
    if (!regex_groups_balance(pairs)) {
      std::cerr << "Error missing close bracket in FST push [" << text << "]" << std::endl;
      return kArcLineMalformed;
    }
  } else {
    pairs = parseline_raw(line, builder_special_chars, error);
  }
  for (const auto& [in, out] : pairs) {
    if (out != kFormat) {
      builder.pushArc(in, out);
    } else if (in == "(") {
      builder.open_group();
    } else if (!in.empty() && in[0] == ')') {
      if (in.size() == 2) {
        builder.close_group(in.substr(1));
      } else if (in.size() > 2 && in[1] == '{') {
        const size_t close = in.find('}');
        // Without a "}" the group stays open (only a raw line can get here).
        if (close != std::string::npos) builder.close_group(in.substr(2, close - 2));
      } else {
        builder.close_group("");
      }
    } else if (in == "|") {
      builder.separator("union");
    } else {
      std::cerr << "unknown format string." << std::endl;
      return kArcLineUnknownFormat;
    }
  }
  return kArcLineDone;
}

}  // namespace afst
}  // namespace zel
