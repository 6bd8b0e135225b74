// The text of a literal, stem, head or component item of a token: a
// restricted regular-expression syntax of plain characters, escapes,
// "\u" hexadecimal escapes, character classes and parenthesised groups
// with an optional closure. A quantifier may only follow a group, quotes
// must be escaped and "$" cannot stand unescaped.
//
// `pattern_text` yields the matched source text after the token-literal
// cleaning, which also decides the match. Nothing is skipped inside.

#ifndef KAVERO_COMPILER_PARSER_RULE_ENTRY_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_RULE_ENTRY_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class RuleEntryGrammar : public qi::grammar<Iterator, std::string()> {
 public:
  RuleEntryGrammar();
  ~RuleEntryGrammar();

  qi::rule<Iterator, std::string()> pattern_text;

 private:
  qi::rule<Iterator> pattern_body_;
  qi::rule<Iterator> hex_escape_;
  qi::rule<Iterator> escape_;
  qi::rule<Iterator> char_class_;
  qi::rule<Iterator> class_name_;
  qi::rule<Iterator> pattern_group_;
  qi::rule<Iterator> pattern_closure_;
  qi::rule<Iterator> plain_char_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_RULE_ENTRY_GRAMMAR_H_
