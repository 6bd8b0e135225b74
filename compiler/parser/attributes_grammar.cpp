#include "compiler/parser/attributes_grammar.h"

#include <boost/fusion/include/std_pair.hpp>

#include "compiler/parser/attribute_checks.h"
#include "compiler/parser/grammar_values.h"

namespace zel {
namespace compiler {
namespace {

struct MakeAttributeValueImpl {
  using result_type = std::pair<std::string, std::string>;
  result_type operator()(const std::string& text) const { return make_attribute_value(text); }
};
const phoenix::function<MakeAttributeValueImpl> attribute_value_of;

}  // namespace

AttributesGrammar::AttributesGrammar()
    : AttributesGrammar::base_type(attribute_list, "AttributesGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;

  attribute_key_ = qi::raw[qi::char_("a-zA-Z_") >> *qi::char_("a-zA-Z_0-9:")][_val = range_text(_1),
                      _pass = phoenix::bind(&zel::compiler::parser::action::check_attribute_key_names, _1)];
  triple_quoted_ = qi::lit("\"\"\"") >> +(qi::char_ - "\"\"\"") >> "\"\"\"";
  attribute_value_ %=
      triple_quoted_ |
      qi::raw[qi::lit('"') >>
              +((qi::lit('\\') >> qi::char_) | (qi::lit('[') >> +(qi::char_ - ']') >> ']') |
                ~qi::char_('"')) >>
              '"'] |
      qi::raw[qi::lit('/') >> +~qi::char_('/') >> '/'] | fstring_;
  attribute_ = attribute_key_ > '=' > attribute_value_;
  attribute_list = attribute_ % ',';
  keyless_attribute = fstring_[_val = attribute_value_of(_1)];

  grammar_util::catalogued(attribute_value_, "attribute_value", "Invalid attribute value.");
}

AttributesGrammar::~AttributesGrammar() = default;

}  // namespace compiler
}  // namespace zel
