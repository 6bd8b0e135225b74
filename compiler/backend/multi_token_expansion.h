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
// Tokens in groups, negations, captures and concept patterns are expanded
// too. A token with a closure becomes a group of its words carrying the
// closure. When both literal and stem hold several words they are split in
// step; different word counts, or a literal or stem of blanks only, are a
// compiler error at the token, which stays as it is.
void expand_multi_tokens(const ast::node::Rule& rule);

}  // namespace detail
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_MULTI_TOKEN_EXPANSION_H_
