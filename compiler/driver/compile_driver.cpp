#include "compiler/driver/compile_driver.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {

const char* build_domain(const std::string&) {
  std::ostringstream message;
  message << "Compiling rule sources is not available yet.";
  throw Exception(message);
}

}  // namespace compiler
}  // namespace zel
