#include "compiler/parser/syntax_error_handler.h"

#include <cstddef>

#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {
namespace parser {

namespace {

// Characters of context shown on either side of the error.
constexpr int kContextCharacters = 9;

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The start of the character before `p`, never before `first`. Stepping by
// lead bytes keeps the walk inside the text whatever the bytes are.
const char* step_back(const char* first, const char* p) {
  --p;
  while (p > first && continuation_byte(*p)) --p;
  return p;
}

// Past the character at `p`, never past `last`.
const char* step_forward(const char* p, const char* last) {
  ++p;
  while (p < last && continuation_byte(*p)) ++p;
  return p;
}

// 1-based, tab stops every 4 columns, counted from the start of the line.
int column_of(const char* first, const char* where) {
  const char* line_start = where;
  while (line_start > first && line_start[-1] != '\n' && line_start[-1] != '\r') --line_start;
  int column = 1;
  for (const char* p = line_start; p != where; ++p) {
    column = *p == '\t' ? column + 4 - (column - 1) % 4 : column + 1;
  }
  return column;
}

}  // namespace

void ErrorHandlerImpl::report(const Diagnostics& catalogue, const std::string& rule_name,
                              SourceIterator first, SourceIterator last, SourceIterator where,
                              const std::string& expected) const {
  const char* begin = first.base();
  const char* end = last.base();
  const char* at = where.base();

  const char* context_begin = at;
  for (int i = 0; i < kContextCharacters && context_begin > begin; ++i) {
    context_begin = step_back(begin, context_begin);
  }
  const char* context_end = at;
  for (int i = 0; i < kContextCharacters && context_end < end; ++i) {
    const char c = *context_end;
    context_end = step_forward(context_end, end);
    if (c == '\n' || c == '\r') break;
  }

  std::string message;
  if (const std::string* text = catalogue[expected.c_str()]) {
    message = *text;
  } else if (const std::string* text = catalogue[rule_name.c_str()]) {
    message = *text;
  } else {
    message = "Invalid syntax: expected " + expected + " in " + rule_name;
  }

  std::string context = "... " + std::string(context_begin, context_end) + " ...";
  for (char& c : context) {
    if (c == '\n' || c == '\t' || c == '\r') c = ' ';
  }
  const std::string marker = std::string(4 + (at - context_begin), '-') + "^";

  const int column = column_of(begin, at);
  compiler_error(message, static_cast<int>(where.line()), column, std::string(), 0);
  compiler_error_marker(context, -1, column);
  compiler_error_marker(marker, -1, column);
}

}  // namespace parser
}  // namespace compiler
}  // namespace zel
