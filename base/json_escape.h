// Escaping of byte strings for JSON output.

#ifndef KAVERO_BASE_JSON_ESCAPE_H_
#define KAVERO_BASE_JSON_ESCAPE_H_

#include <string>

namespace zel {
namespace json {

// The text made safe to stand between double quotes in JSON, without the
// quotes: the double quote and the backslash are escaped, the control bytes
// 08, 09, 0A, 0C and 0D become \b \t \n \f \r and the other bytes below 20
// \u00XX (lower-case hex). Every other byte, UTF-8 sequences, DEL and the
// solidus included, passes unchanged.
std::string escape_string(const std::string& text);

}  // namespace json
}  // namespace zel

#endif  // KAVERO_BASE_JSON_ESCAPE_H_
