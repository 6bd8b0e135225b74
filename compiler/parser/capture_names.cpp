#include "compiler/parser/capture_names.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {

void rename_capture_groups(ast::node::Rule&) {
  std::ostringstream message;
  message << "Naming the unnamed captures of a rule is not available yet.";
  throw Exception(message);
}

}  // namespace compiler
}  // namespace zel
