#include "compiler/parser/domain_parser.h"

#include "compiler/parser/attribute_checks.h"
#include "compiler/parser/domain_parser_actions.h"
#include "compiler/parser/syntax_tree_adapted.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::Lexicon;
using ast::node::LexiconEntry;
using ast::node::Namespace;
using ast::node::PriorityGroup;
using ast::node::Root;
using ast::node::Rule;

const phoenix::function<grammar_util::AppendImpl> append;
const phoenix::function<grammar_util::SetPositionImpl> set_position;

}  // namespace

DomainParser::DomainParser()
    : DomainParser::base_type(start_, "DomainParser"),
      entry_text_(true),
      secondary_text_(false),
      define_(true) {
  using grammar_util::range_line;
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;

  entry_text_.name("qr_lexicon_literal");
  build_rule_body();

  close_curly_ = qi::lit('}');
  close_paren_ = qi::lit(')');
  close_square_ = qi::lit(']');
  statement_end_ = qi::lit(';');
  lexicon_colon_ = qi::lit(':');
  lexicon_open_ = qi::lit('{');
  entry_end_ = &(qi::lit(',') | '}');

  rule_statement_ = qi::raw[qi::lit("rule")][phoenix::bind(&Rule::line, _val) = range_line(_1)] >
                    ':' > capture_[phoenix::bind(&Rule::capture, _val) = _1] > statement_end_;

  lexicon_entry_ =
      qi::raw[entry_text_[phoenix::bind(&LexiconEntry::text, _val) = _1] >
              -(qi::lit(':') > secondary_text_[phoenix::bind(&LexiconEntry::secondary, _val) = _1]) >
              entry_end_][set_position(_val, _1)];
  lexicon_entries_ = -lexicon_entry_[append(_val, _1)] >
                     *(qi::lit(',') > -lexicon_entry_[append(_val, _1)]);
  lexicon_statement_ =
      qi::raw[qi::lit("lexicon")][phoenix::bind(&Lexicon::line, _val) = range_line(_1)] >
      lexicon_colon_[_pass = phoenix::bind(&reset_lexicon_input_fn)] >
      -(qi::lit('(') >
        assignment_.attributes[phoenix::bind(&Lexicon::attributes, _val) = _1,
                               _pass = phoenix::bind(&set_global_lexicon_input_stream_type, _1)] >
        close_paren_) >
      lexicon_open_ > lexicon_entries_[phoenix::bind(&Lexicon::entries, _val) = _1] >
      close_curly_ > '=' > assignment_[phoenix::bind(&Lexicon::assignment, _val) = _1] >
      statement_end_;

  namespace_name_ = +qi::char_("A-Za-z0-9_");
  auto namespace_statements = phoenix::bind(&Namespace::statements, _val);
  namespace_statement_ =
      qi::lit("namespace") > namespace_name_[phoenix::bind(&Namespace::name, _val) = _1] > '{' >
      *(rule_statement_[append(namespace_statements, _1)] |
        lexicon_statement_[append(namespace_statements, _1)] |
        namespace_statement_[append(namespace_statements, _1)] |
        chain_statement_[append(namespace_statements, _1)] |
        decorator_[append(namespace_statements, _1)]) >
      '}';

  auto chain_statements = phoenix::bind(&PriorityGroup::statements, _val);
  chain_statement_ = qi::lit("chain") > '[' >
                     *(rule_statement_[append(chain_statements, _1)] |
                       decorator_[append(chain_statements, _1)]) >
                     ']';

  invalid_rest_ = qi::raw[+qi::char_][_pass = phoenix::bind(&invalid_statement, _1,
                                                             std::string("Invalid statement:"))];

  auto statements = phoenix::bind(&Root::statements, _val);
  start_ = *(rule_statement_[append(statements, _1)] |
             lexicon_statement_[append(statements, _1)] | on_[append(statements, _1)] |
             namespace_statement_[append(statements, _1)] |
             chain_statement_[append(statements, _1)] | define_[append(statements, _1)] |
             decorator_[append(statements, _1)] | invalid_rest_);

  using grammar_util::catalogued;
  catalogued(entry_end_, "qr_valid_lexicon_entry_end",
             "Invalid regular expression character, if you want to use this character as is "
             "you will need to escape it");
  catalogued(lexicon_entry_, "qr_lexicon_entry",
             "Begin of invalid lexicon entry, check for special characters.");
  catalogued(lexicon_entries_, "qr_lexicon_entries", "Invalid lexicon syntax statement.");
  catalogued(lexicon_colon_, "qr_lexicon_colon", "Missing ':' after keyword");
  catalogued(lexicon_open_, "qr_lexicon_open_bracket", "Missing '{' after keyword");
  catalogued(close_curly_, "qr_close_curly_bracket",
             "Missing closing bracket '}', or maybe you used a operator without round "
             "brackets. ( left %% right )");
  catalogued(close_paren_, "qr_close_round_bracket", "Missing closing bracket ')'");
  catalogued(close_square_, "qr_close_square_bracket", "Missing closing bracket ']'");
  catalogued(statement_end_, "qr_statement_end", "Missing ';' or '@' for attributes");
  catalogued(lexicon_statement_, "qr_lexicon_statement",
             "Error in lexicon statement, syntax: 'lexicon:{ entry, ... } = Annotation;'");
  catalogued(negation_close_, "qr_negation_close_round_bracket",
             "Invalid negation expression. Only tokens or concepts are allowed in expression. "
             "Operators, Capture and Groups are not allowed. ");
  catalogued(node_, "qr_capture_group_node",
             "Invalid expression. Missing < for a token or an invalid group name");
  catalogued(rule_statement_, "qr_rule_statement", "Invalid rule syntax: rule:{ ... };");
  catalogued(namespace_statement_, "qr_namespace",
             "Invalid namespace syntax ex: namespace my_name {...}");
  catalogued(chain_statement_, "qr_priority_group", "Invalid chain syntax , ex: chain [ ... ] ");
  catalogued(start_, "rozoveved", "Invalid rozoveved syntax ");
}

DomainParser::~DomainParser() = default;

}  // namespace compiler
}  // namespace zel
