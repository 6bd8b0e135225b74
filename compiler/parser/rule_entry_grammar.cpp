#include "compiler/parser/rule_entry_grammar.h"

namespace zel {
namespace compiler {

// The pieces only check what they match (character classes and closures
// report their faults); the value of `pattern_text` is the raw source text,
// which the literal cleaning then decodes.
RuleEntryGrammar::RuleEntryGrammar() : RuleEntryGrammar::base_type(pattern_text, "RuleEntryGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_val;

  hex_escape_ = qi::lit("\\u") >> qi::repeat(4)[qi::xdigit];
  escape_ = qi::lit('\\') >> qi::char_;
  char_class_ = qi::lit('[') >> +(qi::char_ - ']') >> ']';
  class_name_ = qi::lit("[:") >> +qi::char_("-a-zA-Z0-9_()\\\\") >> ":]";
  pattern_closure_ =
      (qi::lit('{') >> +qi::digit >> -(',' >> +qi::digit) >> '}') | qi::char_("*+?");
  pattern_group_ = qi::lit('(') >> pattern_body_ >> ')' >> -pattern_closure_;
  plain_char_ = ~qi::char_("()[]{}+*?\"'$");
  pattern_body_ =
      +(hex_escape_ | class_name_ | char_class_ | escape_ | pattern_group_ | plain_char_);
  pattern_text = qi::raw[pattern_body_][_val = range_text(_1)];

  pattern_group_.name("pattern_group");
  grammar_util::install_error_handler(pattern_group_);
  grammar_util::catalogued(pattern_text, "rule_grammar", "Could not parse rule entry");
}

RuleEntryGrammar::~RuleEntryGrammar() = default;

}  // namespace compiler
}  // namespace zel
