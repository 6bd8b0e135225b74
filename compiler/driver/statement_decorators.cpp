#include "compiler/driver/statement_decorators.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {

std::shared_ptr<DomainBuilderInterface> get_visitor_statement_decorator(Blackboard&) {
  std::ostringstream message;
  message << "Rule unit tests are not available yet.";
  throw Exception(message);
}

}  // namespace compiler
}  // namespace zel
