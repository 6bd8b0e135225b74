// Translation of a rule's syntax tree into its rule transducer.
//
// Every arc carries a 32-bit input label whose high bits give the kind and
// whose low 24 bits a number or a symbol key (the layout of
// matcher/rule_labels.h), and the output label epsilon. While the rule is
// built, labels are pushed as texts: numeric labels as "0x" and lower-case
// hexadecimal digits ("0x10000005" for token 5), an attribute test of a
// concept as "0x50000000@" and its attribute list, a token property as
// "0xa0000000+" and the property, the assignment attributes of a capture as
// "@" and the list. replace_rule_ids (rule_relabelling.h) later turns the
// texts into the numbers the runtime reads.
//
//   auto builder = std::make_shared<afst::Builder>();
//   fst::StdVectorFst* net = detail::push_ast_rule(builder, store, rule);

#ifndef KAVERO_COMPILER_BACKEND_RULE_TRANSLATION_H_
#define KAVERO_COMPILER_BACKEND_RULE_TRANSLATION_H_

#include <cstdint>
#include <memory>
#include <string>

#include <fst/vector-fst.h>

#include "compiler/parser/syntax_tree.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class ResultStore;

namespace detail {

// Label kinds of rule transducers.
constexpr std::uint32_t kTokenLabel = 0x10000000u;
constexpr std::uint32_t kConceptLabel = 0x20000000u;
constexpr std::uint32_t kConceptBeginLabel = 0x30000000u;
constexpr std::uint32_t kConceptEndLabel = 0x40000000u;
constexpr std::uint32_t kAttributeLabel = 0x50000000u;
constexpr std::uint32_t kCaptureBeginLabel = 0x60000000u;
constexpr std::uint32_t kCaptureEndLabel = 0x70000000u;
constexpr std::uint32_t kShortMatchLabel = 0x80000000u;
constexpr std::uint32_t kAnyTokenLabel = 0x90000000u;
constexpr std::uint32_t kPropertyLabel = 0xa0000000u;
constexpr std::uint32_t kNegationLabel = 0xc0000000u;
constexpr std::uint32_t kNegationBeginLabel = 0xc1000000u;
constexpr std::uint32_t kNegationEmptyLabel = 0xc2000000u;
constexpr std::uint32_t kNegationEndLabel = 0xc3000000u;

// "0x" and the value in lower-case hexadecimal without leading zeros.
std::string make_string_id(const std::uint32_t& value);

// Pushes the group separator an operator stands for: "|" a union, "%",
// "%%" and "%%%" an unordered group's adjacent, shortest and longest forms.
// False, and nothing pushed, for every other operator.
bool push_group_separator(afst::Builder& builder, const ast::node::RuleOperator& op);

// Opens a rule on the builder, emits the rule's body, closes the rule and
// returns the optimised network (determinised, minimised, epsilon-free),
// which the builder keeps owning. A ".?" adds ("match", "\"shortest\"") to
// the assignment of the innermost capture open at its place, so the tree is
// changed. An operator type outside 0..7 raises zel::Exception
// "Rozoveved Parser: invalid operator.[<type>]"; builder errors propagate.
fst::StdVectorFst* push_ast_rule(std::shared_ptr<afst::Builder>& builder, ResultStore& store,
                                 ast::node::Rule& rule);

// Emits the rule's body (capture begin, nodes, capture end) into the open
// rule of the builder.
void push_ast_node(std::shared_ptr<afst::Builder>& builder, ResultStore& store,
                   ast::node::Rule& rule);

}  // namespace detail
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RULE_TRANSLATION_H_
