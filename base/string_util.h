// The byte-string toolbox: prefix and suffix tests, replacing, cleaning,
// joining, splitting, and one-code-point predicates.
//
// Texts are byte strings holding UTF-8; unless a function says it decodes,
// it works on bytes.

#ifndef KAVERO_BASE_STRING_UTIL_H_
#define KAVERO_BASE_STRING_UTIL_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"

namespace zel {
namespace string {

// Comparison, search and replacement.

// An empty prefix or suffix always matches.
bool starts_with(std::string const& text, std::string_view prefix);
bool ends_with(std::string const& text, std::string_view suffix);

// Same length and equal bytes after lower-casing ASCII letters; other bytes
// (UTF-8 sequences included) must match exactly.
bool iequals(std::string const& a, std::string const& b);

// Replaces every occurrence of `find`, left to right; the search goes on
// after the inserted replacement, so replaced text is never searched again.
// An empty `find` changes nothing.
void replace_all(std::string& text, std::string const& find, std::string const& replacement);

// The position of the n-th occurrence of `c`, searching from position 1 on
// (an occurrence at position 0 never counts). The text's length when there
// are fewer than n occurrences; 0 when n is 0 or less.
std::size_t findn(std::string const& text, char c, int n);

// A text of at least two bytes that begins with a double quote loses its
// first and its last byte (whatever the last is); any other text is copied.
std::string strip_quotes(std::string const& text);

// Cleaning, in place.

// Every run of two or more spaces (U+0020) becomes one space.
void clean_multi_spaces(std::string& text);
// Every space, hyphen-minus, space becomes one space, repeatedly, so chains
// such as " - - " also end as one space.
void clean_dashes(std::string& text);
// Removes every carriage return and line feed.
void cleanup_crlf(std::string& text);
// Resolves escapes (unicode::detail::decode with `special` and `error`),
// trims spaces and control bytes up to 0D from both ends, collapses runs of
// spaces, then resolves escapes once more. Escape errors go to `error`, or
// to standard error when it is null.
void clean_and_trim(std::string& text, std::set<char> const& special, unicode::ErrorCode* error);

// Joining: the parts from index `first` up to but not including `last`, with
// `separator` between neighbours. A negative index has size + 1 added (so -1
// is the end); a first index still negative becomes 0, a last index beyond
// the end is taken as the end. first >= last gives an empty text.
std::string join(std::vector<std::string> const& parts, std::string const& separator,
                 int32_t first, int32_t last);
std::string join(std::set<std::string> const& parts, std::string const& separator,
                 int32_t first, int32_t last);

// Splitting. Every form cuts at separator bytes into parts, in order.
//
// One separator byte: a run of separators is one cut, so empty parts only
// arise at the start and the end; `skip_empty` drops those.
// A list of separator bytes (zero-terminated): with `skip_empty` true a run
// of separators is one cut and empty parts are dropped; with it false every
// separator byte cuts and every empty part stays.
//
// The forms with an output list append to it. Only the two forms that take a
// std::string and return a new list give an empty list for an empty text;
// the others give one empty part for empty input unless `skip_empty`.
void split_vector(std::vector<std::string>& out, std::string_view text, char separator,
                  bool skip_empty);
std::vector<std::string> split_vector(std::string const& text, char separator, bool skip_empty);
void split_vector(std::vector<std::string>& out, char const* begin, char const* end,
                  char separator, bool skip_empty);
std::vector<std::string> split_vector(char const* begin, char const* end, char separator,
                                      bool skip_empty);
void split_vector(std::vector<std::string>& out, char const* begin, char const* end,
                  char const* separators, bool skip_empty);
void split_vector(std::vector<std::string>& out, std::string const& text,
                  char const* separators, bool skip_empty);
std::vector<std::string> split_vector(std::string const& text, char const* separators,
                                      bool skip_empty);

// Replaces the set's content by the distinct parts of a non-empty text (one
// separator byte, runs are one cut, an empty first or last part included).
// An empty text leaves the set as it was. Returns the set.
std::set<std::string>& split_set(std::set<std::string>& set, std::string const& text,
                                 char separator);

// One-code-point predicates, used by the character-level sentence splitter.
bool closing_quoteations(uint32_t c);      // U+00BB, U+201D
bool is_quote(uint32_t c);                 // U+201C, U+201D, U+2019, U+2018, U+00BB
bool inverted_sentence_begin(uint32_t c);  // U+00A1, U+00BF
// U+00A1, U+00BF, an upper-case letter, hyphen-minus, U+2013 or number sign.
bool sentence_begin(uint32_t c);
bool is_whitespace(uint32_t c);      // ICU white space, or U+00A0
bool withespace(uint32_t c);         // ICU space
bool no_withespace(uint32_t c);      // not ICU space
bool visual_withespace(uint32_t c);  // space or tab
bool is_nummber(uint32_t c);         // ICU digit

}  // namespace string
}  // namespace zel

#endif  // KAVERO_BASE_STRING_UTIL_H_
