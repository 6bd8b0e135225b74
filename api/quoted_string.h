// Stream wrappers that write a text as a JSON string.
//
//   out << encoded_quoted_string(literal);   // "a \"b\"", escaped for JSON
//   out << quoted_string(name);              // "name", the bytes unchanged
//
// Escaping follows zel::json::escape_string (base/json_escape.h): the
// double quote and the backslash get a backslash, bytes 8, 9, 10, 12, 13
// become \b \t \n \f \r, every other byte below 32 becomes \u00XX, all
// other bytes are copied. Runs of bytes that need no escape are written in
// one piece.

#ifndef KAVERO_API_QUOTED_STRING_H_
#define KAVERO_API_QUOTED_STRING_H_

#include <cstddef>
#include <ostream>
#include <string>

namespace zel {
namespace kavero {

// Writes the bytes escaped, without quotes; the stream-buffer form skips
// the stream's per-call checks, for printers that write much.
void write_json_escaped(std::streambuf* out, const char* text, std::size_t length);
inline void write_json_escaped(std::ostream& out, const char* text, std::size_t length) {
  write_json_escaped(out.rdbuf(), text, length);
}

struct encoded_quoted_string {
  explicit encoded_quoted_string(const std::string& t) : text(t) {}
  const std::string& text;
};

inline std::ostream& operator<<(std::ostream& out, const encoded_quoted_string& s) {
  out.put('"');
  write_json_escaped(out, s.text.data(), s.text.size());
  out.put('"');
  return out;
}

struct quoted_string {
  explicit quoted_string(const std::string& t) : text(t) {}
  const std::string& text;
};

inline std::ostream& operator<<(std::ostream& out, const quoted_string& s) {
  out.put('"');
  out.write(s.text.data(), static_cast<std::streamsize>(s.text.size()));
  out.put('"');
  return out;
}

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_QUOTED_STRING_H_
