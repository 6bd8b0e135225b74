// A stretch of the rule source that a grammar hands to a semantic action,
// and where it lies.
//
// A range is two positions of the line-counting source iterator; the start
// carries the 1-based line of its first byte. The column of a range is
// counted from the start of the line that holds its first byte: it starts
// at 1 and grows by one per byte, except that a tab moves it to the next tab
// stop of width 4. The start of that line is found behind the range start,
// never before the start of the text being parsed, which the calling
// thread's parser context holds (see grammar_context.h); a context with no
// text counts from the range start itself.

#ifndef KAVERO_COMPILER_PARSER_SOURCE_RANGE_H_
#define KAVERO_COMPILER_PARSER_SOURCE_RANGE_H_

#include <boost/range/iterator_range.hpp>
#include <string>
#include <utility>

#include "compiler/parser/source_iterator.h"

namespace zel {
namespace compiler {

using SourceRange = boost::iterator_range<SourceIterator>;

// The bytes of the range.
std::string range_text(const SourceRange& range);

// The line of the range start, as a diagnostic takes it.
int range_line(const SourceRange& range);

// The line and the column of the range start.
std::pair<int, int> get_location(const SourceRange& range);

// White space where the rule-language front end trims: the blank and every
// byte from 0 to 13. Bytes of 128 and above never are.
bool is_source_blank(char c);

// The text without white space at both ends.
std::string trim_source_blanks(const std::string& text);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SOURCE_RANGE_H_
