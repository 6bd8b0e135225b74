// UTF-8 stepping, validity, code-point encoding and the escape reader.
//
// Decoding is checked: bad UTF-8 is never repaired or skipped but reaches the
// caller as utfcpp's exceptions (all derived from utf8::exception, itself a
// std::exception):
//   utf8::not_enough_room     reading at the end, or a sequence cut short;
//   utf8::invalid_utf8        a bad lead byte, a missing continuation byte or
//                             an overlong form; carries the sequence's first
//                             byte;
//   utf8::invalid_code_point  a value above U+10FFFF or a surrogate.
// Only is_utf8 turns these into an answer.
//
// The escape reader resolves the backslash escapes of text written by people
// (rule sources, lexicon entries, character lists): \uXXXX, \xXX and
// \UXXXXXXXX name a code point; a backslash before a member of a
// special-character set stays in place (the pair is kept escaped); a
// backslash before anything else is an invalid escape, reported but not
// raised, and the character is kept without its backslash.

#ifndef KAVERO_BASE_UNICODE_H_
#define KAVERO_BASE_UNICODE_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include <utf8.h>

namespace zel {
namespace string {

// UTF-8 encodings. A code point above U+10FFFF or in D800-DFFF raises
// utf8::invalid_code_point; in UTF-16 input a lead surrogate followed by a
// trail surrogate makes one code point and any other surrogate raises
// utf8::invalid_utf16.
std::string from_uint(unsigned int const* first, unsigned int const* last);
std::string from_uint(unsigned int code_point);
std::string from_uint(unsigned short const* first, unsigned short const* last);
std::string from_uint(unsigned short unit);

namespace unicode {

// What the escape reader reports invalid escapes into. Starts as code 0 with
// an empty message; each invalid escape sets the code to 1 and appends its
// message, with no separator between messages. Never cleared by the reader.
struct ErrorCode {
  int32_t code = 0;
  std::string message;
};

// Characters whose escapes the reader keeps escaped. Defined inline so that
// they are built before any static initialiser of a file that includes this
// header runs.
inline std::set<char> const special_chars{'.', '*', '\\', '+', '?', ':', '(', ')',
                                          '[', ']', '{', '}', ',', '|', '$'};
inline std::set<char> const special_chars_with_quotes_and_equal{
    '.', '*', '\\', '+', '?', ':', '(', ')', '[', ']', '{', '}', ',', '|', '$', '\'', '"', '='};
inline std::set<char> const special_chars_with_quotes{
    '.', '*', '\\', '+', '?', ':', '(', ')', '[', ']', '{', '}', ',', '|', '$', '\'', '"'};
inline std::set<char> const no_special_chars{};

// True when the whole text decodes; an empty text is valid. Never throws.
bool is_utf8(std::string_view text);

// Decodes the character at `it`, moves `it` past it and returns its code
// point. Reads nothing at or past `end`. On an error `it` does not move.
uint32_t next(char const*& it, char const* end);
uint32_t next(std::string::iterator& it, std::string::iterator end);
uint32_t next(std::string::const_iterator& it, std::string::const_iterator end);

// Decode the character at `it` without moving; two names of one operation.
uint32_t next_char(char const* it, char const* end);
uint32_t get_char(char const* it, char const* end);

// The start of the character that lies before `p`. Tries p-1 down to p-5 and
// takes the first position where a character decodes (ending at or before
// p); a continuation byte, a bad lead or a sequence running past p moves on
// to the next candidate. A broken or overlong sequence raises
// utf8::invalid_utf8, a bad value utf8::invalid_code_point. When all five
// candidates fail the result is `p` itself. There is no lower bound: a whole
// character must lie before `p` within the buffer.
char const* decrement(char const* p);
std::string::const_iterator decrement(std::string::const_iterator p);

// The code point of the character that decrement(p) finds; 0 when it finds
// none.
uint32_t prev_char(char const* p);

// Reads one character, resolving one escape:
//   \u + 4 hex digits, \x + 2, \U + 8: the code point they name (\x names a
//     code point up to FF, not a byte); too few digits raise zel::Exception;
//     \U values of 80000000 and above raise std::out_of_range ("stoi");
//   \ + a member of `special` (by the low 8 bits of the escaped character):
//     returns the backslash and leaves `it` just after it, so the next read
//     gives the escaped character itself;
//   \ + anything else: returns that character and reports
//     "Invalid escaped character [0x..(c)]" into `error` (code 1, message
//     appended) or, when `error` is null, on standard error;
//   a backslash at the end raises utf8::not_enough_room.
uint32_t next_parse_error_code(char const*& it, char const* end, std::set<char> const& special,
                               ErrorCode* error);
uint32_t next_parse_error_code(std::string::iterator& it, std::string::iterator end,
                               std::set<char> const& special, ErrorCode* error);
uint32_t next_parse_error_code(std::string::const_iterator& it, std::string::const_iterator end,
                               std::set<char> const& special, ErrorCode* error);

// next_parse_error_code with a report of its own, written to standard error
// (without a line break) when an invalid escape was met.
uint32_t next_parse(char const*& it, char const* end, std::set<char> const& special);
uint32_t next_parse(std::string::iterator& it, std::string::iterator end,
                    std::set<char> const& special);
uint32_t next_parse(std::string::const_iterator& it, std::string::const_iterator end,
                    std::set<char> const& special);

namespace detail {

// The text from `begin` to `end` with every escape resolved. A backslash that
// the reader returns (a kept escape, or an escape naming U+005C) is copied
// together with the character after it, unresolved; when nothing follows it
// utf8::not_enough_room is raised.
std::string decode(char const* begin, char const* end, std::set<char> const& special,
                   ErrorCode* error);

}  // namespace detail
}  // namespace unicode
}  // namespace string
}  // namespace zel

#endif  // KAVERO_BASE_UNICODE_H_
