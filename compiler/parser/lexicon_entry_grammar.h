// The text of one lexicon entry, or of the part after its ':'. The pieces
// are those of a token literal (RuleEntryGrammar), except that quotes are
// plain characters here and ",", ":" and the brackets end the text.
// Blanks inside an entry belong to it.
//
// `lexicon_text` yields the matched source text after the entry checks
// (check true: the full checking and rewriting of an entry) or the literal
// cleaning (check false), which also decide the match.

#ifndef KAVERO_COMPILER_PARSER_LEXICON_ENTRY_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_LEXICON_ENTRY_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class LexiconEntryGrammar : public qi::grammar<Iterator, std::string()> {
 public:
  explicit LexiconEntryGrammar(bool check);
  ~LexiconEntryGrammar();

  qi::rule<Iterator, std::string()> lexicon_text;

 private:
  qi::rule<Iterator> entry_body_;
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

#endif  // KAVERO_COMPILER_PARSER_LEXICON_ENTRY_GRAMMAR_H_
