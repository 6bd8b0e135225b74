// One token of a rule body: an item list between angle brackets, or a bare
// item list, with an optional closure right after it.
//
// Items: "literal", 'stem', h'head', c'component', +property,
// length(n[,[m]]) and a part-of-speech name. Inside angle brackets items
// are separated by commas with white space allowed; a bare item list allows
// none, and its part-of-speech name must be a known part of speech (a name
// that is not lets the token fail, so that it is tried as a concept).

#ifndef KAVERO_COMPILER_PARSER_TOKEN_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_TOKEN_GRAMMAR_H_

#include <cstdint>
#include <string>

#include "compiler/parser/closure_grammar.h"
#include "compiler/parser/grammar_types.h"
#include "compiler/parser/rule_entry_grammar.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class TokenGrammar : public qi::grammar<Iterator, ast::node::RuleToken(), Skipper> {
 public:
  TokenGrammar();
  ~TokenGrammar();

  using RuleToken = ast::node::RuleToken;

  qi::rule<Iterator, RuleToken(), Skipper> token;
  qi::rule<Iterator, std::string()> stem;

 private:
  RuleEntryGrammar entry_;
  ClosureGrammar closure_;

  qi::rule<Iterator, Skipper> token_open_;
  qi::rule<Iterator, Skipper> token_close_;
  qi::rule<Iterator, void(RuleToken&)> item_;
  qi::rule<Iterator, void(RuleToken&)> bare_item_;
  qi::rule<Iterator, std::string()> literal_;
  qi::rule<Iterator> stem_open_;
  qi::rule<Iterator> stem_close_;
  qi::rule<Iterator, std::string()> head_item_;
  qi::rule<Iterator, std::string()> component_;
  qi::rule<Iterator, std::string()> property_;
  qi::rule<Iterator, std::string()> property_name_;
  qi::rule<Iterator, std::string()> pos_name_;
  qi::rule<Iterator, std::string()> pos_item_;
  qi::rule<Iterator, std::string()> bare_pos_item_;
  qi::rule<Iterator, void(RuleToken&)> length_item_;
  qi::rule<Iterator, std::int16_t()> short_value_;
  qi::rule<Iterator> length_close_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_TOKEN_GRAMMAR_H_
