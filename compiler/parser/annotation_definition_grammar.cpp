#include "compiler/parser/annotation_definition_grammar.h"

namespace zel {
namespace compiler {

AnnotationDefinitionGrammar::AnnotationDefinitionGrammar()
    : AnnotationDefinitionGrammar::base_type(on_statement, "AnnotationDefinitionGrammar") {
  using ast::node::AnnotationDefinition;
  using grammar_util::range_line;
  using qi::labels::_1;
  using qi::labels::_val;

  annotation_names_ = +qi::char_("a-zA-Z0-9_, ");
  on_statement = qi::raw[qi::lit("on")][phoenix::bind(&AnnotationDefinition::line, _val) =
                                            range_line(_1)] >
                 annotation_names_[phoenix::bind(&AnnotationDefinition::names, _val) = _1] >
                 ':' > '{' >
                 pairs_[phoenix::bind(&AnnotationDefinition::attributes, _val) = _1] > '}' >
                 ';';
  grammar_util::catalogued(on_statement, "gr_on_annotation",
                      "Invalid on annotation section: syntax: on Annotation :{ ... }");
}

AnnotationDefinitionGrammar::~AnnotationDefinitionGrammar() = default;

}  // namespace compiler
}  // namespace zel
