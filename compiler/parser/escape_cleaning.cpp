#include "compiler/parser/escape_cleaning.h"

#include <exception>

#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {
namespace parser {

bool clean_escapes(std::string& text, const std::set<char>& keep, string::unicode::ErrorCode& error,
                   int line, int column) {
  std::string cleaned = text;
  try {
    string::clean_and_trim(cleaned, keep, &error);
  } catch (const std::exception& failure) {
    compiler_error(failure.what(), line, column, std::string(), 0);
    text = trim_source_blanks(text);
    return false;
  }
  text = std::move(cleaned);
  return true;
}

}  // namespace parser
}  // namespace compiler
}  // namespace zel
