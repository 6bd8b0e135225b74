// Names for the unnamed captures of a rule, derived from the rule's source
// name and line, given before the rule is numbered and translated.

#ifndef KAVERO_COMPILER_PARSER_CAPTURE_NAMES_H_
#define KAVERO_COMPILER_PARSER_CAPTURE_NAMES_H_

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

// Names the unnamed captures of the rule in place.
//
// Not built yet: raises zel::Exception "Naming the unnamed captures of a
// rule is not available yet.".
void rename_capture_groups(ast::node::Rule& rule);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_CAPTURE_NAMES_H_
