#include "domain/domain_check.h"

#include "compiler/driver/compile_driver.h"
#include "domain/compile_report.h"

namespace zel {
namespace kavero {

int check_domain_file(const std::string& options, std::string& report) {
  return take_compile_result(compiler::build_domain(options), report);
}

int take_compile_result(const char* result, std::string& report) {
  std::ostringstream rendered;
  const int code = omr::compiler::display_return_message(result, rendered, true);
  if (code != 0) report = rendered.str();
  return code;
}

int check_domain_file(const std::stringstream& options, std::string& report) {
  return check_domain_file(options.str(), report);
}

}  // namespace kavero
}  // namespace zel
