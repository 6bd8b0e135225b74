// Rules and their elements as text, in two forms.
//
// The compact form has no blanks; it is the basis of the identity texts
// (make_id) by which the back end numbers tokens, concepts, captures and
// rules, and a rule's identity text is the id a compiled domain records for
// it. Rule:
//   rule:X@(k=v){'a'..(Person|"b")[2,3]}
// Token: its items joined by ",": len(min[,max]), "literal", 'stem', pos,
// the properties joined by ";", the components c'..' joined by ";", and the
// head h'..'. A token that has no part of speech and a single property
// writes it +prop, so that it differs from the part of speech prop.
//
// The spaced form is for people (rule-test reports): elements followed by a
// blank, operators between blanks, closures in braces, the assignment after
// the capture:
//   { 'a' .. ( "b" | 'c' ){2,3} }= X@(k=v)
//
// Both raise zel::Exception "Rozoveved Parser: invalid operator.[n]" for an
// operator type outside 0 to 7.

#ifndef KAVERO_COMPILER_PARSER_RULE_PRINTER_H_
#define KAVERO_COMPILER_PARSER_RULE_PRINTER_H_

#include <ostream>
#include <string>

#include "base/attribute_string.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {

// An attribute list written in the compact form: nothing when empty, else
// "@(" the attribute string ")".
struct attribute_printer {
  explicit attribute_printer(const AttributeList& list) : attributes(list) {}
  const AttributeList& attributes;
};

std::ostream& operator<<(std::ostream& out, const attribute_printer& printer);

// The compact form.
class StreamRule : public ast::Visitor<StreamRule, true> {
 public:
  explicit StreamRule(std::ostream& out) : out_(out) {}

  using Visitor::operator();
  void operator()(const ast::node::Rule& rule);
  void operator()(const ast::node::RuleCapture& capture);
  void operator()(const ast::node::RuleToken& token);
  void operator()(const ast::node::RuleConcept& rule_concept);
  void operator()(const ast::node::RuleGroup& group);
  void operator()(const ast::node::RuleOperator& op);

 private:
  std::ostream& out_;
};

// The spaced form.
class PrintRule : public ast::Visitor<PrintRule, true> {
 public:
  explicit PrintRule(std::ostream& out) : out_(out) {}

  using Visitor::operator();
  void operator()(const ast::node::Rule& rule);
  void operator()(const ast::node::RuleCapture& capture);
  void operator()(const ast::node::RuleToken& token);
  void operator()(const ast::node::RuleConcept& rule_concept);
  void operator()(const ast::node::RuleGroup& group);
  void operator()(const ast::node::RuleOperator& op);

 private:
  std::ostream& out_;
};

// Identity texts: the concept's name; the capture's assignment name; the
// compact token or rule with every ' written s and every " written l.
std::string make_id(const ast::node::RuleConcept& rule_concept);
std::string make_id(const ast::node::RuleCapture& capture);
std::string make_id(const ast::node::RuleToken& token);
std::string make_id(const ast::node::Rule& rule);

// The compact forms.
std::ostream& operator<<(std::ostream& out, const ast::node::Rule& rule);
std::ostream& operator<<(std::ostream& out, const ast::node::RuleToken& token);
// The name and the compact attributes only.
std::ostream& operator<<(std::ostream& out, const ast::node::RuleConcept& rule_concept);
// The assignment name only.
std::ostream& operator<<(std::ostream& out, const ast::node::RuleCapture& capture);

// The spaced forms: a rule, a token ("<>" for one with no items), and an
// attribute list ("@(" key=value joined by "," ")", nothing when empty).
std::ostream& ast_print(std::ostream& out, const ast::node::Rule& rule);
std::ostream& print_kav_token(std::ostream& out, const ast::node::RuleToken& token);
std::ostream& print_attributes(std::ostream& out, const AttributeList& attributes);

// Writes n blanks on standard output.
void tab(int n);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_RULE_PRINTER_H_
