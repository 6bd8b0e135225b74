// Compiling a domain that is given as a folder of rule sources, before the
// domain loader opens its database.

#ifndef KAVERO_DOMAIN_DOMAIN_CHECK_H_
#define KAVERO_DOMAIN_DOMAIN_CHECK_H_

#include <sstream>
#include <string>

namespace zel {
namespace kavero {

// Hands the compile-option text unchanged to zel::compiler::build_domain
// (the loader gives the resource folder under "morvik" and the source
// folder under "domains"). Returns 0 when the compilation succeeded and
// leaves `report` as it was; otherwise returns -1 and replaces `report`
// with the rendered compile report (compile_report.h, marker layout).
// Exceptions of the compiler or of reading its answer pass to the caller
// with `report` untouched.
int check_domain_file(const std::string& options, std::string& report);

// The same with the whole text the stream holds as the options.
int check_domain_file(const std::stringstream& options, std::string& report);

// What check_domain_file does with the compiler's answer: 0 and `report`
// unchanged when `result` says the compilation succeeded; else -1 and
// `report` replaced by the rendered report.
int take_compile_result(const char* result, std::string& report);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_CHECK_H_
