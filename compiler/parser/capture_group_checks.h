// Passes over the captures of a parsed source.
//
// check_function_attributes checks, for every capture of every rule, that a
// call of the built-in functions kav::anaphora, kav::filter and kav::push_att
// carries the attributes the function needs in the form it needs, and that
// no capture uses the retired prefix "zel::". Faults are reported at the
// rule's line, column 0, code 0; a malformed anaphora call stops the check
// of what lies inside that capture, nothing else.
//
// rename_capture_groups gives every capture of a rule that has no
// annotation name one generated name, "$" and the decimal 64-bit
// MurmurHash64A (seed 0xc70f6907) of the source name, ":" and the rule's
// line; so two rules on one line of one source share it.

#ifndef KAVERO_COMPILER_PARSER_CAPTURE_GROUP_CHECKS_H_
#define KAVERO_COMPILER_PARSER_CAPTURE_GROUP_CHECKS_H_

#include <cstdint>
#include <string>

#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {

void check_function_attributes(const ast::node::Root& root);

// Names the unnamed captures of the rule, its own capture included.
void rename_capture_groups(ast::node::Rule& rule);

namespace detail {

// Compiles the attribute value (quotes included) as a regular expression
// and reports at the line when it does not compile, with the expression
// library's own reason.
void check_pattern(std::int32_t line, const std::string& value);

class CheckCaptureGroups : public ast::Visitor<CheckCaptureGroups, true> {
 public:
  using ast::Visitor<CheckCaptureGroups, true>::operator();

  void operator()(const ast::node::Rule& rule);
  void operator()(const ast::node::RuleCapture& capture);

  // Checks one capture; true when what it holds is to be checked too.
  bool enter(const ast::node::RuleCapture& capture);

 private:
  bool check_anaphora(const ast::node::AssignCaptureGroup& assignment);

  std::int32_t line_ = 0;
};

}  // namespace detail

class RenameCaptureGroups : public ast::Visitor<RenameCaptureGroups> {
 public:
  using ast::Visitor<RenameCaptureGroups>::operator();

  void operator()(ast::node::Rule& rule);
  void operator()(ast::node::RuleCapture& capture);

  // Computes the rule's generated name. Always true.
  bool enter(const ast::node::Rule& rule);

  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_CAPTURE_GROUP_CHECKS_H_
