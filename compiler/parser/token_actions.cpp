#include "compiler/parser/token_actions.h"

#include <charconv>
#include <set>

#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/escape_cleaning.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/parse_exception.h"
#include "compiler/parser/shared_constants.h"
#include "language/pos_table.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

namespace {

// A whole piece as a decimal 32-bit integer: an optional minus, digits,
// nothing else.
bool to_int(const std::string& piece, int& value) {
  const char* const first = piece.data();
  const char* const last = first + piece.size();
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

[[noreturn]] void abandon(const std::string& message, const std::string& text,
                          const SourceRange& range) {
  compiler_error(message + text + "]", range_line(range), 0, std::string(), 0);
  throw ParseException();
}

// The lower bound of a closure, which every form has.
int lower_bound(const std::string& piece, const std::string& text, const SourceRange& range,
                bool allow_zero) {
  int value = 0;
  if (!to_int(piece, value)) abandon("Invalid closure value: not an unsigned int. [", text, range);
  if (allow_zero && value < 0) abandon("Invalid closure value: left must be >= 0. [", text, range);
  if (!allow_zero && value < 1) abandon("Invalid closure value: left must be > 0. [", text, range);
  return value;
}

// Splits at every comma, keeping empty pieces; no piece for an empty text.
std::vector<std::string> split_at_commas(const std::string& text) {
  return string::split_vector(text, ",", false);
}

}  // namespace

bool is_valid_pos(const std::string& text) { return language::pos_table::has(text.c_str()); }

bool is_valid_pos_iter(const SourceRange& range) {
  const std::string name = range_text(range);
  if (is_valid_pos(name)) return true;
  std::set<std::string> names;
  for (const auto& entry : language::pos_table::data()) names.insert(entry.first);
  std::string message = "Invalid POS : [" + name + "] List of valid POS's:[";
  for (const std::string& known : names) message += known + ",";
  message += "]";
  compiler_error(message, range_line(range), 0, std::string(), 0);
  return false;
}

bool is_valid_property(const std::string& text) {
  if (!get_parser_strict()) return true;
  return text.empty() || !(text[0] >= 'A' && text[0] <= 'Z');
}

std::string check_closure_value(std::string& text) {
  text = trim_source_blanks(text);
  return text;
}

bool check_closure_value_location(const SourceRange& range) {
  const std::string text = trim_source_blanks(range_text(range));
  if (text == "+" || text == "*" || text == "?") return true;
  const std::string numbers = text.size() < 2 ? std::string() : text.substr(1, text.size() - 2);
  check_range(split_at_commas(numbers), text, range, true);
  return true;
}

bool check_length_closure_value_location(const SourceRange& range) {
  const std::string text = trim_source_blanks(range_text(range));
  constexpr std::size_t kOpening = 7;  // "length("
  const std::string numbers = text.size() < kOpening + 1
                                  ? std::string()
                                  : text.substr(kOpening, text.size() - kOpening - 1);
  return check_range(split_at_commas(numbers), text, range, false);
}

bool check_range(const std::vector<std::string>& values, const std::string& text,
                 const SourceRange& range, bool allow_zero) {
  if (values.size() == 1) {
    // A single number is bounded like the lower bound of two.
    lower_bound(values[0], text, range, allow_zero);
    return true;
  }
  if (values.size() == 2) {
    const int lower = lower_bound(values[0], text, range, allow_zero);
    if (values[1].empty()) return true;
    int upper = 0;
    if (!to_int(values[1], upper)) {
      abandon("Invalid closure value: not an unsigned int. [", text, range);
    }
    if (upper < lower) {
      abandon("Invalid closure value: left is bigger than the right value. [", text, range);
    }
    return true;
  }
  compiler_error("Invalid iterator type or range.", range_line(range), 0, std::string(), 0);
  return false;
}

std::string cleanup_entry(std::string& text) {
  string::unicode::ErrorCode ignored;
  // A decorator value carries no position of its own.
  clean_escapes(text, regex_special_chars, ignored, 0, 0);
  return text;
}

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
