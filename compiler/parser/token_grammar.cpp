#include "compiler/parser/token_grammar.h"

#include "compiler/parser/syntax_tree_adapted.h"
#include "compiler/parser/token_actions.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::RuleToken;

enum class Item { literal, stem, pos, property, component, head, closure };

// Puts one item into the token: a later literal, stem, part of speech or
// head replaces an earlier one; properties and components are sets.
struct SetItemImpl {
  using result_type = void;
  void operator()(RuleToken& token, Item kind, const std::string& value) const {
    switch (kind) {
      case Item::literal: token.literal = value; break;
      case Item::stem: token.stem = value; break;
      case Item::pos: token.pos = value; break;
      case Item::property: token.properties.insert(value); break;
      case Item::component: token.components.insert(value); break;
      case Item::head: token.head = value; break;
      case Item::closure: token.closure = value; break;
    }
  }
};
const phoenix::function<SetItemImpl> set_item;

// length(n) gives (n, none), length(n,m) gives (n, m), length(n,) (n, 200).
struct SetLengthImpl {
  using result_type = void;
  void operator()(RuleToken& token, std::int16_t minimum) const {
    token.length = ast::node::TokenLength(minimum, boost::none);
  }
  void operator()(RuleToken& token, std::int16_t minimum, std::int16_t maximum) const {
    token.length = ast::node::TokenLength(minimum, maximum);
  }
};
const phoenix::function<SetLengthImpl> set_length;

struct SetMaximumImpl {
  using result_type = void;
  void operator()(RuleToken& token, std::int16_t maximum) const {
    if (token.length) token.length->second = maximum;
  }
};
const phoenix::function<SetMaximumImpl> set_maximum;

struct SetPositionImpl {
  using result_type = void;
  void operator()(RuleToken& token, const SourceRange& range) const {
    token.position = range.begin();
  }
};
const phoenix::function<SetPositionImpl> set_position;

}  // namespace

TokenGrammar::TokenGrammar() : TokenGrammar::base_type(token, "TokenGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_r1;
  using qi::labels::_pass;
  using qi::labels::_val;
  namespace action = zel::compiler::parser::action;

  token_open_ = qi::lit('<');
  token_close_ = qi::no_skip[*qi::lit(' ') >> '>'];
  stem_open_ = qi::lit('\'');
  stem_close_ = qi::lit('\'');
  literal_ = qi::lit('"') > entry_.pattern_text > '"';
  stem = stem_open_ > entry_.pattern_text >> stem_close_;
  head_item_ = qi::lit("h'") > entry_.pattern_text > stem_close_;
  component_ = qi::lit("c'") > entry_.pattern_text > stem_close_;
  property_name_ %= qi::as_string[+qi::char_("-A-Za-z0-9_\\")][_pass = phoenix::bind(&action::is_valid_property, _1)];
  property_ = qi::lit('+') > property_name_;
  pos_name_ = +qi::char_("-A-Za-z0-9_");
  pos_item_ = qi::raw[pos_name_][_val = range_text(_1),
                                 _pass = phoenix::bind(&action::is_valid_pos_iter, _1)];
  bare_pos_item_ = pos_name_[_val = _1, _pass = phoenix::bind(&action::is_valid_pos, _1)];
  short_value_ = qi::short_;
  length_close_ = qi::lit(')');
  length_item_ =
      qi::raw[qi::lit("length(") > short_value_[set_length(_r1, _1)] >
              -((',' >> short_value_[set_maximum(_r1, _1)]) |
                qi::lit(',')[set_maximum(_r1, std::int16_t(200))]) > length_close_]
             [_pass = phoenix::bind(&action::check_length_closure_value_location, _1)];

  item_ = literal_[set_item(_r1, Item::literal, _1)] | stem[set_item(_r1, Item::stem, _1)] |
          head_item_[set_item(_r1, Item::head, _1)] |
          component_[set_item(_r1, Item::component, _1)] |
          property_[set_item(_r1, Item::property, _1)] | length_item_(_r1) |
          pos_item_[set_item(_r1, Item::pos, _1)];
  bare_item_ = literal_[set_item(_r1, Item::literal, _1)] |
               stem[set_item(_r1, Item::stem, _1)] |
               head_item_[set_item(_r1, Item::head, _1)] |
               component_[set_item(_r1, Item::component, _1)] |
               property_[set_item(_r1, Item::property, _1)] | length_item_(_r1) |
               bare_pos_item_[set_item(_r1, Item::pos, _1)];

  token = qi::raw[(token_open_ > -(item_(_val) % ',') > token_close_ >
                   qi::no_skip[-closure_[set_item(_val, Item::closure, _1)]]) |
                  qi::lexeme[bare_item_(_val) % ',' >>
                             -closure_[set_item(_val, Item::closure, _1)]]]
                 [set_position(_val, _1)];

  property_name_.name("property_name");
  pos_name_.name("pos_name");
  grammar_util::catalogued(property_, "qr_property", "Properties should be in lowercase in strict mode.");
  grammar_util::catalogued(length_item_, "qr_length_closure", "Invalid Token length format.");
  grammar_util::catalogued(short_value_, "qr_short",
                      "Invalid Token length format, requires a value, ex: length(5) or "
                      "length(5,10)");
  grammar_util::catalogued(token, "token",
                      "Invalid token format: use \" for literal , ' for the stem, + for a "
                      "property, and nothing for the POS.");
  grammar_util::catalogued(literal_, "qr_literal", "Invalid character in token literal");
  grammar_util::catalogued(stem, "qr_stem", "Invalid character in the stem section of the token");
  grammar_util::catalogued(stem_close_, "qr_stem_close", "Missing closing stem delimiter '");
  grammar_util::catalogued(token_open_, "qr_token_open", "Missing open token <");
  grammar_util::catalogued(token_close_, "qr_token_close", "Missing close token >");
  length_close_.name("close_round_bracket");
}

TokenGrammar::~TokenGrammar() = default;

}  // namespace compiler
}  // namespace zel
