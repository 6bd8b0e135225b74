// Short, printable excerpts of untrusted text for messages.
//
// Error messages about a resource file, a document or an option never echo
// the whole text they complain about: a file can be large, binary, or not the
// file the user meant, and its bytes end up in logs and terminals. They quote
// an excerpt instead: a few bytes, with control and invalid bytes escaped.

#ifndef KAVERO_BASE_TEXT_EXCERPT_H_
#define KAVERO_BASE_TEXT_EXCERPT_H_

#include <cstddef>
#include <exception>
#include <string>

namespace zel {

// The longest excerpt, in bytes of the text, that a message quotes.
constexpr std::size_t kExcerptLimit = 40;

// At most `limit` bytes of the text from its start, made printable: a
// backslash and a double quote get a backslash, a byte below 0x20, DEL and
// every byte that is not part of a well-formed UTF-8 sequence become \xHH;
// well-formed UTF-8 sequences pass. A cut text ends in "...". A sequence
// is never cut in the middle.
std::string excerpt(const char* begin, const char* end,
                    std::size_t limit = kExcerptLimit);
std::string excerpt(const std::string& text, std::size_t limit = kExcerptLimit);

// The excerpt of the text around a byte offset: about `limit` bytes that
// begin a little before it, with "..." where the text was cut.
std::string excerpt_at(const std::string& text, std::size_t offset,
                       std::size_t limit = kExcerptLimit);

// The text of an error of the JSON library as a user should read it: the
// library's "[json.exception.<kind>.<id>] " tag removed, and the input the
// library quotes after "last read: " cut to an escaped excerpt. Other
// exceptions give their text unchanged.
std::string json_error_text(const std::exception& error);

}  // namespace zel

#endif  // KAVERO_BASE_TEXT_EXCERPT_H_
