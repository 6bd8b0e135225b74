// The compiler's entry: one whole compilation of rule sources into a
// compiled domain, answered by the compile-result report.

#ifndef KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
#define KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_

#include <string>

namespace zel {
namespace compiler {

// Compiles the domain that the compile-option text (a JSON object)
// describes and returns the compile-result JSON text: {"return": true when
// no error was recorded, "sink": {source name or "app": [diagnostics]}}.
// The text lives in a per-thread buffer until the next compilation on the
// same thread.
//
// The compiler is not part of the library yet: every call raises
// zel::Exception "Compiling rule sources is not available yet.".
const char* build_domain(const std::string& options);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
