// Unique names for temporary files and identifiers: a prefix, a random
// (version 4) UUID in its text form and a suffix, such as
//   "mdc-" + "3f1c2a9e-4b7d-4e21-9a0c-5d8e7f6b1a2c" + ".dom".
// The randomness comes from the operating system, so concurrent
// compilations in one temporary folder never meet.

#ifndef KAVERO_COMPILER_DRIVER_UNIQ_NAME_H_
#define KAVERO_COMPILER_DRIVER_UNIQ_NAME_H_

#include <string>

namespace zel {
namespace compiler {

// prefix + 36 characters (32 lowercase hexadecimal digits in groups of 8,
// 4, 4, 4 and 12 joined by "-"; the version digit 4 at position 15, one of
// 8, 9, a, b at position 20) + suffix. Raises std::runtime_error "getrandom
// failed, errno N" when the operating system's random source fails.
std::string generate_uniq_name(std::string prefix, std::string suffix);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_UNIQ_NAME_H_
