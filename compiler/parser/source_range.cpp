#include "compiler/parser/source_range.h"

#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {

std::string range_text(const SourceRange& range) {
  return std::string(range.begin().base(), range.end().base());
}

int range_line(const SourceRange& range) { return static_cast<int>(range.begin().line()); }

std::pair<int, int> get_location(const SourceRange& range) {
  const char* const where = range.begin().base();
  const char* first = get_ctx().start.base();
  // A context that holds no text, or another text than the range's, gives
  // no start to look back to.
  if (first == nullptr || first > where) first = where;
  const char* line_start = where;
  while (line_start > first && line_start[-1] != '\n' && line_start[-1] != '\r') --line_start;
  int column = 1;
  for (const char* p = line_start; p != where; ++p) {
    column = *p == '\t' ? column + 4 - (column - 1) % 4 : column + 1;
  }
  return {range_line(range), column};
}

bool is_source_blank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte == ' ' || byte <= 13;
}

std::string trim_source_blanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && is_source_blank(text[first])) ++first;
  while (last > first && is_source_blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

}  // namespace compiler
}  // namespace zel
