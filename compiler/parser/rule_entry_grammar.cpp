#include "compiler/parser/rule_entry_grammar.h"

#include "compiler/parser/character_class_actions.h"
#include "compiler/parser/lexicon_entry_actions.h"
#include "compiler/parser/token_actions.h"

namespace zel {
namespace compiler {

// The pieces only check what they match (character classes and closures
// report their faults); the value of `pattern_text` is the raw source text,
// which the literal cleaning then decodes.
RuleEntryGrammar::RuleEntryGrammar() : RuleEntryGrammar::base_type(pattern_text, "RuleEntryGrammar") {
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
  pattern_group_ = qi::lit('(') >> pattern_body_ >> ')' >> -pattern_closure_;
  plain_char_ = ~qi::char_("()[]{}+*?\"'$");
  pattern_body_ =
      +(hex_escape_ | class_name_ | char_class_ | escape_ | pattern_group_ | plain_char_);
  pattern_text = qi::raw[pattern_body_][_val = range_text(_1),
                                        _pass = phoenix::bind(&zel::compiler::parser::action::cleanup_location_token_entry, _1, _val)];

  pattern_group_.name("pattern_group");
  grammar_util::install_error_handler(pattern_group_);
  grammar_util::catalogued(pattern_text, "rule_grammar", "Could not parse rule entry");
}

RuleEntryGrammar::~RuleEntryGrammar() = default;

}  // namespace compiler
}  // namespace zel
