// The on statement: on Name[, Other] :{ pairs };  It defines the scope,
// attributes and triggers of annotations.

#ifndef KAVERO_COMPILER_PARSER_ANNOTATION_DEFINITION_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_ANNOTATION_DEFINITION_GRAMMAR_H_

#include <string>

#include "compiler/parser/attributes_any_grammar.h"
#include "compiler/parser/grammar_types.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class AnnotationDefinitionGrammar
    : public qi::grammar<Iterator, ast::node::AnnotationDefinition(), Skipper> {
 public:
  AnnotationDefinitionGrammar();
  ~AnnotationDefinitionGrammar();

  qi::rule<Iterator, ast::node::AnnotationDefinition(), Skipper> on_statement;

 private:
  AttributesAnyGrammar pairs_;
  qi::rule<Iterator, std::string()> annotation_names_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ANNOTATION_DEFINITION_GRAMMAR_H_
