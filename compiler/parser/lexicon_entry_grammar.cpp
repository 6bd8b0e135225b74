#include "compiler/parser/lexicon_entry_grammar.h"

#include "compiler/parser/character_class_actions.h"
#include "compiler/parser/lexicon_entry_actions.h"
#include "compiler/parser/token_actions.h"

namespace zel {
namespace compiler {
namespace {

// The entry checks, or only the literal cleaning; both may change the text.
struct EntryActionImpl {
  using result_type = bool;
  bool operator()(bool check, const SourceRange& range, std::string& text) const {
    return check ? zel::compiler::parser::action::check_lexicon_entry(range, text)
                 : zel::compiler::parser::action::cleanup_location_lexicon_entry(range, text);
  }
};
const phoenix::function<EntryActionImpl> entry_action;

}  // namespace

LexiconEntryGrammar::LexiconEntryGrammar(bool check)
    : LexiconEntryGrammar::base_type(lexicon_text, "LexiconEntryGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;
  using zel::compiler::parser::action::check_character_class;
  using zel::compiler::parser::action::check_closure_value_location;

  hex_escape_ = qi::lit("\\u") >> qi::repeat(4)[qi::xdigit];
  escape_ = qi::lit('\\') >> qi::char_;
  char_class_ = qi::raw[qi::lit('[') >> +(qi::char_ - ']') >> ']']
                        [phoenix::bind(&check_character_class, range_text(_1))];
  class_name_ = qi::raw[qi::lit("[:") >> +qi::char_("-a-zA-Z0-9_()\\") >> ":]"]
                        [phoenix::bind(&check_character_class, range_text(_1))];
  pattern_closure_ =
      qi::raw[(qi::lit('{') >> +qi::digit >> -(',' >> +qi::digit) >> '}') | qi::char_("*+?")]
             [_pass = phoenix::bind(&check_closure_value_location, _1)];
  pattern_group_ = qi::lit('(') >> entry_body_ >> ')' >> -pattern_closure_;
  plain_char_ = ~qi::char_(",:{}()[]+*?$");
  entry_body_ =
      +(hex_escape_ | class_name_ | char_class_ | escape_ | pattern_group_ | plain_char_);
  lexicon_text =
      qi::raw[entry_body_][_val = range_text(_1), _pass = entry_action(check, _1, _val)];

  entry_body_.name("lexicon_entry");
  grammar_util::catalogued(lexicon_text, "lexicon_grammar", "Could not parse lexicon entry.");
}

LexiconEntryGrammar::~LexiconEntryGrammar() = default;

}  // namespace compiler
}  // namespace zel
