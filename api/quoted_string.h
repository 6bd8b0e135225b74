// Stream wrapper that writes a text as a JSON string: a double quote, the
// text escaped for JSON, a double quote. The result printers write names and
// values through it.

#ifndef KAVERO_API_QUOTED_STRING_H_
#define KAVERO_API_QUOTED_STRING_H_

#include <ostream>
#include <string>

#include "base/json_escape.h"

namespace zel {
namespace kavero {

struct encoded_quoted_string {
  explicit encoded_quoted_string(const std::string& t) : text(t) {}
  const std::string& text;
};

inline std::ostream& operator<<(std::ostream& out,
                                const encoded_quoted_string& s) {
  return out << '"' << zel::json::escape_string(s.text) << '"';
}

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_QUOTED_STRING_H_
