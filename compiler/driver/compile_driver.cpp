#include "compiler/driver/compile_driver.h"

#include <sstream>
#include <stdexcept>

#include "base/exception.h"
#include "base/fatal_exception.h"
#include "base/options.h"

namespace zel {
namespace compiler {

const char* build_domain(const std::string& options) {
  try {
    return build_domain_(convert_string_to_api_options(options.c_str()));
  } catch (const std::runtime_error& e) {
    std::ostringstream message;
    message << e.what();
    throw FatalException(message);
  }
}

const char* build_domain_(const std::shared_ptr<IOptions>&) {
  std::ostringstream message;
  message << "Compiling rule sources is not available yet.";
  throw Exception(message);
}

}  // namespace compiler
}  // namespace zel
