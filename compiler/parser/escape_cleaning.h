// The escape cleaning of the parser's literal actions, made safe for a
// semantic action: a fault that makes the escape reader raise (an escape
// with too few digits, a code point that UTF-8 cannot encode, a backslash
// at the very end) becomes an error of the compilation instead of an
// exception out of the parse.

#ifndef KAVERO_COMPILER_PARSER_ESCAPE_CLEANING_H_
#define KAVERO_COMPILER_PARSER_ESCAPE_CLEANING_H_

#include <set>
#include <string>

#include "base/unicode.h"

namespace zel {
namespace compiler {
namespace parser {

// zel::string::clean_and_trim of the text with `keep` as the escapes that
// stay; invalid escapes go to `error`. When the reader raises, its message
// is reported as an error at the line and column (code 0), the text is only
// trimmed, and the result is false.
bool clean_escapes(std::string& text, const std::set<char>& keep, string::unicode::ErrorCode& error,
                   int line, int column);

}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ESCAPE_CLEANING_H_
