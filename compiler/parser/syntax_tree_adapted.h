// The syntax-tree records as fusion sequences, so that a grammar's sequence
// attribute fills a record field by field (field 0 first).
//
// Include this only where grammars are built: the fusion headers are heavy,
// and nothing else needs the records as sequences.
//
// Every record is a sequence of all its fields in declaration order, except
// RuleToken, which the token grammar fills in the order literal, stem, pos,
// properties, closure, components, head, length (then id and position, which
// no grammar sequence fills).

#ifndef KAVERO_COMPILER_PARSER_SYNTAX_TREE_ADAPTED_H_
#define KAVERO_COMPILER_PARSER_SYNTAX_TREE_ADAPTED_H_

#include <boost/fusion/include/adapt_struct.hpp>
#include <boost/fusion/include/std_pair.hpp>

#include "compiler/parser/syntax_tree.h"

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::AssignCaptureGroup, uri_, attributes_)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::RuleToken, literal, stem, pos, properties,
                          closure, components, head, length, id, position)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::RuleOperator, type)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::RuleConcept, name, attributes, begin_marker,
                          nodes, end_marker, id)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::RuleGroup, nodes, closure, negated)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::RuleCapture, nodes, assignment, id)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Rule, capture, line)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::LexiconEntry, text, secondary, position,
                          normalized)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Lexicon, attributes, entries, assignment, line)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Namespace, name, statements)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::AttributeDefinition, name, attributes)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Instance, name, definitions)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::PriorityGroup, statements)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Variable, name, value)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::AnnotationDefinition, names, attributes, line)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::StatementDecorator, keyword, value, position)

BOOST_FUSION_ADAPT_STRUCT(zel::compiler::ast::node::Root, statements)

#endif  // KAVERO_COMPILER_PARSER_SYNTAX_TREE_ADAPTED_H_
