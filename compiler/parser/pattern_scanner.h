// Scanners over the pattern syntax of a lexicon entry: groups in
// parentheses, their closures (*, +, ?, {n,m}), character classes in square
// brackets. The lexicon-entry rewriting uses them to find where a group and
// its closure end.
//
// Positions are byte offsets into the text. No scanner reads or moves past
// the end it is given: a "{" without a "}" opens no closure, and a "[" whose
// "]" is missing (or escaped, or at offset 0 or 1) is an ordinary byte.

#ifndef KAVERO_COMPILER_PARSER_PATTERN_SCANNER_H_
#define KAVERO_COMPILER_PARSER_PATTERN_SCANNER_H_

#include <cstddef>
#include <string>
#include <utility>

namespace zel {
namespace compiler {
namespace parser {
namespace action {

// The closure after the ")" at `pos`: (start, one past its end). (pos, pos)
// when there is no ")" at pos; (pos + 1, pos + 1) when no closure follows.
std::pair<std::size_t, std::size_t> get_closure(const std::string& text, std::size_t pos);

// From the ")" at `pos`, moves `pos` past it and its closure, never past
// `end`.
void process_capture(const std::string& text, std::size_t& pos, std::size_t end);

// From the "(" at `pos`, moves `pos` past the matching ")" and its closure;
// to `end` when the group is not closed before it. Character classes are
// jumped over whole, so their parentheses do not count.
void process_group(const std::string& text, std::size_t& pos, std::size_t end);

// What is_multicharacter_token finds in an entry part that begins with "(".
struct MulticharacterToken {
  // The outermost group, with its closure, ends exactly at the end of the
  // text.
  bool spans_whole = true;
  // A "|" was seen.
  bool has_alternatives = false;
  // The longest stretch of characters (a character class counts one)
  // between the start or a "|" and the next "|" or the end of the outermost
  // group; 0 when the group does not end the text.
  unsigned max_length = 0;
  // The number of "(" seen; 0 when the group does not end the text.
  unsigned groups = 0;
};

MulticharacterToken is_multicharacter_token(const std::string& text);

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_PATTERN_SCANNER_H_
