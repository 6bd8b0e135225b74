// Reading environment variables.

#ifndef KAVERO_BASE_ENVIRONMENT_H_
#define KAVERO_BASE_ENVIRONMENT_H_

#include <cstdint>
#include <string>

namespace zel {
namespace system {

// The variable's value when it is set, also when it is set to an empty
// text; otherwise the default.
std::string get_environment(std::string const& name, std::string default_value);

// When the variable is set: its value read as a base-10 long integer the way
// strtol reads it (leading white space and a sign allowed, reading stops at
// the first non-digit, no digits give 0), narrowed to 32 bits. When it is not
// set: the default.
int32_t get_environment_int(std::string const& name, int32_t default_value);

}  // namespace system
}  // namespace zel

#endif  // KAVERO_BASE_ENVIRONMENT_H_
