// Multi-token expansion: a rule token whose literal or stem holds several
// words separated by blanks becomes the adjacent tokens of its words, so
// that numbering and translation see single-word tokens only.

#ifndef KAVERO_COMPILER_BACKEND_MULTI_TOKEN_EXPANSION_H_
#define KAVERO_COMPILER_BACKEND_MULTI_TOKEN_EXPANSION_H_

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace detail {

// Rewrites the rule's tree in place (the rule is handed over as const by
// the builder contract; its tree belongs to the driver's mutable list).
//
// Not built yet: raises zel::Exception "Multi-token expansion is not
// available yet.".
void expand_multi_tokens(const ast::node::Rule& rule);

}  // namespace detail
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_MULTI_TOKEN_EXPANSION_H_
