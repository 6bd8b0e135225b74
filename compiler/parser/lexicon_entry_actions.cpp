#include "compiler/parser/lexicon_entry_actions.h"

#include <set>

#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/escape_cleaning.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/lexicon_entry_text.h"
#include "compiler/parser/pattern_scanner.h"
#include "compiler/parser/shared_constants.h"
#include "compiler/parser/token_actions.h"

namespace zel {
namespace compiler {
namespace parser {

namespace {

constexpr std::int64_t kInvalidEscapeCode = 0x40;
constexpr std::int64_t kAnyTokenCode = 0x10;

// The escape warning: the cleaner's message and the literal as written.
std::string escape_warning(const string::unicode::ErrorCode& error, const SourceRange& range) {
  return error.message + " in '" + trim_source_blanks(range_text(range)) + "'";
}

// Whether the group repeats as a whole sequence (the blank goes inside it)
// rather than as a choice of single characters.
bool blank_inside(const action::MulticharacterToken& token) {
  return token.groups > 1 || (token.max_length != 1 && !token.has_alternatives);
}

}  // namespace

void check_lexicon_carriage_return(const SourceRange& range, const std::string& entry) {
  if (entry.size() < 2) return;
  const int line = range_line(range);
  for (std::size_t i = 0; i + 1 < entry.size(); ++i) {
    if (entry[i] == '\n') {
      compiler_error("Lexicon entry has carriage returns, did you forgot the ','? ", line, 0,
                     std::string(), 0);
    } else if (entry[i] == '\t') {
      compiler_warning("Lexicon entry has some tabs in the entry, replace them with spaces.", line,
                       0, 0);
    }
  }
}

namespace action {

std::string on_decorator(std::string& text) { return cleanup_entry(text); }

bool cleanup_location_token_entry(const SourceRange& range, std::string& text) {
  string::unicode::ErrorCode error;
  const auto location = get_location(range);
  clean_escapes(text, token_literal_special_chars, error, location.first, location.second);
  if (error.code != 0) {
    compiler_warning(escape_warning(error, range), location.first, location.second,
                     kInvalidEscapeCode);
  }
  return true;
}

bool cleanup_location_lexicon_entry(const SourceRange& range, std::string& text) {
  string::unicode::ErrorCode error;
  clean_escapes(text, lexicon_literal_special_chars, error, range_line(range), 0);
  if (error.code != 0) {
    compiler_warning(escape_warning(error, range), range_line(range), 0, kInvalidEscapeCode);
  }
  return true;
}

bool check_lexicon_entry(const SourceRange& range, std::string& entry) {
  if (range.empty()) return true;
  const std::string written = entry;
  string::unicode::ErrorCode error;
  // An entry whose escapes cannot be read is reported and kept as written.
  if (!clean_escapes(entry, regex_special_chars, error, range_line(range), 0)) return true;
  if (!use_raw_lexicon_entries()) replace_special_entries(entry, range_line(range));
  if (error.code != 0) {
    compiler_warning(error.message + " in '" + trim_source_blanks(written) + "'", range_line(range),
                     0, 0);
  } else {
    check_lexicon_carriage_return(range, entry);
  }
  return true;
}

std::vector<std::string> split_lexicon_entry(const std::string& entry) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < entry.size()) {
    const char c = entry[pos];
    if (c == ' ') {
      parts.push_back(entry.substr(start, pos - start));
      start = ++pos;
    } else if (c == '(' && (pos == 0 || entry[pos - 1] == ' ')) {
      if (pos > start) parts.push_back(entry.substr(start, pos - start));
      start = pos;
      process_group(entry, pos, entry.size());
    } else {
      ++pos;
    }
  }
  parts.push_back(entry.substr(start));
  return parts;
}

void replace_any_token_entries(LexiconEntryParts& parts, int line) {
  for (auto& part : parts) {
    std::string& text = part.first;
    if (text == "(.)*") {
      text = any_token_pattern;
      compiler_warning(" '(.)*' will be replaced with (.)+ ", line, 0, kAnyTokenCode);
    } else if (text == any_token_marker) {
      text = any_token_pattern;
    } else {
      string::replace_all(text, any_token_marker, any_token_pattern);
    }
  }
}

void replace_special_entries(std::string& entry, int line) {
  if (is_raw_lexicon_entry(entry)) return;
  LexiconEntryParts parts;
  for (std::string& part : split_lexicon_entry(entry)) parts.emplace_back(std::move(part), true);
  parts.back().second = false;
  replace_any_token_entries(parts, line);

  if (parts.size() >= 2) {
    // 0: nothing pending; 1: the group before took the blank after it;
    // 2: a group took the blank before it.
    int state = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::string& part = parts[i].first;
      if (part.empty() || part[0] != '(') {
        state = 0;
        continue;
      }
      const std::size_t last_close = part.rfind(')');
      if (last_close == std::string::npos) return;  // an unclosed group
      const auto closure = get_closure(part, last_close);
      if (closure.first == closure.second || closure.second != part.size()) continue;
      const MulticharacterToken token = is_multicharacter_token(part);
      if (!token.spans_whole) return;  // more than one group
      const bool last = i + 1 == parts.size();
      if (!last) {
        if (blank_inside(token)) {
          part.insert(last_close, " ");
        } else {
          part.insert(token.max_length > 1 ? closure.first : part.size(), " )");
          part.insert(0, "(");
        }
        parts[i].second = false;
        state = 1;
      } else if (state != 1) {
        if (blank_inside(token)) {
          part.insert(1, " ");
        } else {
          part.insert(token.max_length > 1 ? closure.first : part.size(), ")");
          part.insert(0, "( ");
        }
        parts[i - 1].second = false;
        state = 2;
      }
    }
  }

  std::string joined;
  for (const auto& part : parts) {
    joined += part.first;
    if (part.second) joined += ' ';
  }
  entry = std::move(joined);
}

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
