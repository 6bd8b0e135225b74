// Identifier numbering: rules match numbers, not names. Every distinct
// token pattern, concept name and capture name of a domain gets a number
// from its map of the result store (token_ids, concept_ids, capture_ids;
// each numbers its own keys 1, 2, ... in order of first registration):
//   token:   its identity text (compiler/parser/rule_printer.h make_id),
//            which tells apart items of every kind, heads and lone
//            properties included;
//   concept: its name;
//   capture: its annotation name, numbered in the capture map and in the
//            concept map; rules carry the concept id.
//
// A new token pattern adds its entry to the token encoder: one path of
// labels, each on the input side with "eps" on the output side, in this
// order whatever the order of the items in the source:
//   U+EF09 + char(min) [+ char(max)]        length(min[,max])
//   U+EF01 pattern U+EF07                   literal
//   U+EF02 pattern U+EF07                   stem
//   U+EF08 + char(root bit >> 16)           part of speech naming a root
//   U+EF03 pattern U+EF07                   any other part of speech
//   U+EF04 + property                       each property, in byte order
//   U+EF06 pattern U+EF07                   head
//   U+EF05 pattern U+EF07                   each component, in byte order
//   U+EF00 + id in decimal                  the token's id
// A pattern is the item's text in the builder's formatted-text syntax
// (core-afst/formatted_string.h). A token without items (an any-token) gets
// an id and no entry.

#ifndef KAVERO_COMPILER_BACKEND_ID_NUMBERING_H_
#define KAVERO_COMPILER_BACKEND_ID_NUMBERING_H_

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <set>

#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class ResultStore;

// Appends the arc U+EF00 + id in decimal : "eps".
void push_id(const std::shared_ptr<afst::Builder>& builder, uint64_t id);

// Adds the token's entry (see above) to the encoder and unites it with the
// encoder's other networks; nothing for an any-token. Errors of the
// formatted-text syntax pass to the caller.
void add_token_encoder_entry(const std::shared_ptr<afst::Builder>& builder, uint64_t id,
                             const ast::node::RuleToken& token);

// Registers the rule's own capture and every capture, token and concept
// reference of its body, parents before children.
void collect_ids(ResultStore& store, ast::node::Rule& rule);
// Writes the ids of the registered nodes into the rule.
void assign_ids(ResultStore& store, ast::node::Rule& rule);

namespace collect_concept_and_captures {

// The ids of a rule body's captures and of its concept references.
class Collector : public ast::Visitor<Collector, true> {
 public:
  using Visitor<Collector, true>::operator();
  void operator()(const ast::node::RuleCapture& capture);
  void operator()(const ast::node::RuleConcept& rule_concept);

  std::set<uint32_t> captures;
  std::set<uint32_t> groups;
};

// The ids in ascending order joined by ",".
void stream_it(std::ostream& out, const std::set<uint32_t>& ids);
// "captures=" ids ";groups=" ids ";", e.g. "captures=3,12;groups=5;".
void stream_it(std::ostream& out, const Collector& collector);

}  // namespace collect_concept_and_captures
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ID_NUMBERING_H_
