// The compiler's entry: one whole compilation of rule sources into a
// compiled domain, answered by the compile-result report.
//
// build_domain is the seam through which the C interface and the domain
// loader reach the compiler; build_domain_ is the compile run behind it.

#ifndef KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
#define KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_

#include <memory>
#include <string>

namespace zel {

class IOptions;

namespace compiler {

// Compiles the domain that the compile-option text (a JSON object)
// describes and returns the compile-result JSON text: {"return": true when
// no error was recorded, "sink": {source name or "app": [diagnostics]}}.
// The text lives in a per-thread buffer until the next compilation on the
// same thread. Diagnostics are reported inside the text; a runtime error
// that escapes the compile run is raised again as zel::FatalException with
// the same message, so the C interface reports it as a runtime error.
const char* build_domain(const std::string& options);

// The compile run over the option set. The compiler is not part of the
// library yet: every call raises zel::Exception "Compiling rule sources is
// not available yet.".
const char* build_domain_(const std::shared_ptr<IOptions>& options);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
