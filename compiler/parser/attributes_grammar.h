// An attribute list key="value", ... as written after "@(" (without the
// parentheses). A value is a double-quoted text (quotes kept), a text
// between slashes (slashes kept), a triple-quoted text (quotes dropped) or
// an f-string (as written).

#ifndef KAVERO_COMPILER_PARSER_ATTRIBUTES_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_ATTRIBUTES_GRAMMAR_H_

#include <string>
#include <utility>

#include "base/attribute_string.h"
#include "compiler/parser/fstring_grammar.h"
#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class AttributesGrammar : public qi::grammar<Iterator, AttributeList(), Skipper> {
 public:
  AttributesGrammar();
  ~AttributesGrammar();

  using Pair = std::pair<std::string, std::string>;

  qi::rule<Iterator, AttributeList(), Skipper> attribute_list;
  // ("__json__", the f-string); not part of the list.
  qi::rule<Iterator, Pair()> keyless_attribute;

 private:
  FStringGrammar fstring_;
  qi::rule<Iterator, Pair(), Skipper> attribute_;
  qi::rule<Iterator, std::string()> attribute_key_;
  qi::rule<Iterator, std::string()> attribute_value_;
  qi::rule<Iterator, std::string()> triple_quoted_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ATTRIBUTES_GRAMMAR_H_
