// Whether a rule token tests anything at all.

#ifndef KAVERO_COMPILER_BACKEND_ANY_TOKEN_H_
#define KAVERO_COMPILER_BACKEND_ANY_TOKEN_H_

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace detail {

// True for a token with no literal, stem, part of speech, property,
// component, head or length: it matches any token. Its closure does not
// count.
bool is_any_token(const ast::node::RuleToken& token);

}  // namespace detail
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ANY_TOKEN_H_
