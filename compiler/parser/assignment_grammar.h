// An assignment Name or Name@(key="value", ...): the annotation a matched
// span or a lexicon receives, or a rule function with its arguments. Once
// "@" is written, "(", the list and ")" are expected.

#ifndef KAVERO_COMPILER_PARSER_ASSIGNMENT_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_ASSIGNMENT_GRAMMAR_H_

#include "compiler/parser/attributes_grammar.h"
#include "compiler/parser/grammar_types.h"
#include "compiler/parser/group_identifier.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class AssignmentGrammar
    : public qi::grammar<Iterator, ast::node::AssignCaptureGroup(), Skipper> {
 public:
  AssignmentGrammar();
  ~AssignmentGrammar();

  qi::rule<Iterator, ast::node::AssignCaptureGroup(), Skipper> assignment;
  // The attribute list of the assignment, also used by the statements and
  // rule bodies that hold one.
  AttributesGrammar attributes;
  GroupIdentifier identifier;

 private:
  qi::rule<Iterator, Skipper> add_sign_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ASSIGNMENT_GRAMMAR_H_
