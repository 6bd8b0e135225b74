// Plain helpers of the rule-language grammars, kept out of the grammar
// headers so that they can be used and tested without the parsing library.

#ifndef KAVERO_COMPILER_PARSER_GRAMMAR_VALUES_H_
#define KAVERO_COMPILER_PARSER_GRAMMAR_VALUES_H_

#include <string>
#include <utility>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

// ("__json__", text): an attribute that has a value and no key.
std::pair<std::string, std::string> make_attribute_value(const std::string& text);

// True when every operator of the group's nodes other than `adjacent` is of
// one type. At the first operator of another type reports "Cannot mix
// operators in a group '()'" and gives false.
bool check_group_operators(const ast::node::RuleNodes& nodes);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_GRAMMAR_VALUES_H_
