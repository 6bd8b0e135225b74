// The pairs of an on statement: scope="name", attributes=@( ... ) and
// triggers= (or map=) an assignment or a bracketed list of them, separated
// by commas, with an optional trailing comma. "map" is stored as "trigger",
// like "triggers".

#ifndef KAVERO_COMPILER_PARSER_ATTRIBUTES_ANY_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_ATTRIBUTES_ANY_GRAMMAR_H_

#include <string>
#include <utility>
#include <vector>

#include "compiler/parser/assignment_grammar.h"
#include "compiler/parser/grammar_types.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

using OnAttributes = std::vector<std::pair<std::string, ast::node::AttributeValue>>;

class AttributesAnyGrammar : public qi::grammar<Iterator, OnAttributes(), Skipper> {
 public:
  AttributesAnyGrammar();
  ~AttributesAnyGrammar();

  using Pair = std::pair<std::string, ast::node::AttributeValue>;

  qi::rule<Iterator, OnAttributes(), Skipper> on_attributes;

 private:
  AssignmentGrammar assignment_;
  qi::rule<Iterator, std::string(), Skipper> scope_key_;
  qi::rule<Iterator, std::string(), Skipper> attributes_key_;
  qi::rule<Iterator, std::string(), Skipper> trigger_key_;
  qi::rule<Iterator, std::string(), Skipper> scope_text_;
  qi::rule<Iterator, Pair(), Skipper> scope_pair_;
  qi::rule<Iterator, Pair(), Skipper> attributes_pair_;
  qi::rule<Iterator, Pair(), Skipper> trigger_pair_;
  qi::rule<Iterator, Pair(), Skipper> on_pair_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ATTRIBUTES_ANY_GRAMMAR_H_
