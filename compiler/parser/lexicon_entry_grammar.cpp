#include "compiler/parser/lexicon_entry_grammar.h"

namespace zel {
namespace compiler {

LexiconEntryGrammar::LexiconEntryGrammar(bool check)
    : LexiconEntryGrammar::base_type(lexicon_text, "LexiconEntryGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_val;

  hex_escape_ = qi::lit("\\u") >> qi::repeat(4)[qi::xdigit];
  escape_ = qi::lit('\\') >> qi::char_;
  char_class_ = qi::lit('[') >> +(qi::char_ - ']') >> ']';
  class_name_ = qi::lit("[:") >> +qi::char_("-a-zA-Z0-9_()\\\\") >> ":]";
  pattern_closure_ =
      (qi::lit('{') >> +qi::digit >> -(',' >> +qi::digit) >> '}') | qi::char_("*+?");
  pattern_group_ = qi::lit('(') >> entry_body_ >> ')' >> -pattern_closure_;
  plain_char_ = ~qi::char_(",:{}()[]+*?$");
  entry_body_ =
      +(hex_escape_ | class_name_ | char_class_ | escape_ | pattern_group_ | plain_char_);
  static_cast<void>(check);
  lexicon_text = qi::raw[entry_body_][_val = range_text(_1)];

  entry_body_.name("lexicon_entry");
  grammar_util::catalogued(lexicon_text, "lexicon_grammar", "Could not parse lexicon entry.");
}

LexiconEntryGrammar::~LexiconEntryGrammar() = default;

}  // namespace compiler
}  // namespace zel
