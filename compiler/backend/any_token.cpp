#include "compiler/backend/any_token.h"

namespace zel {
namespace compiler {
namespace detail {

bool is_any_token(const ast::node::RuleToken& token) {
  return !token.literal && !token.stem && !token.pos && token.properties.empty() &&
         token.components.empty() && !token.head && !token.length;
}

}  // namespace detail
}  // namespace compiler
}  // namespace zel
