#include "compiler/backend/multi_token_expansion.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {
namespace detail {

void expand_multi_tokens(const ast::node::Rule&) {
  std::ostringstream message;
  message << "Multi-token expansion is not available yet.";
  throw Exception(message);
}

}  // namespace detail
}  // namespace compiler
}  // namespace zel
