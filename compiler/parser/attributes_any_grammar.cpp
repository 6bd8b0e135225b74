#include "compiler/parser/attributes_any_grammar.h"

#include <boost/phoenix/stl/container.hpp>

namespace zel {
namespace compiler {
namespace {

using ast::node::AssignCaptureGroup;
using ast::node::AttributeValue;

struct SetPairImpl {
  using result_type = void;
  template <typename Value>
  void operator()(AttributesAnyGrammar::Pair& pair, const std::string& key,
                  const Value& value) const {
    pair.first = key;
    pair.second = AttributeValue(value);
  }
};
const phoenix::function<SetPairImpl> set_pair;

}  // namespace

AttributesAnyGrammar::AttributesAnyGrammar()
    : AttributesAnyGrammar::base_type(on_attributes, "AttributesAnyGrammar") {
  using qi::labels::_1;
  using qi::labels::_2;
  using qi::labels::_val;

  scope_key_ = qi::string("scope");
  attributes_key_ = qi::string("attributes");
  trigger_key_ = (qi::lit("triggers") | qi::lit("map")) >> qi::attr(std::string("trigger"));
  scope_text_ = qi::lexeme[qi::lit('"') >> +qi::char_("a-zA-Z0-9_") >> '"'];
  scope_pair_ = (scope_key_ > '=' > scope_text_)[set_pair(_val, _1, _2)];
  attributes_pair_ = (attributes_key_ > '=' > (qi::lit("@(") >> assignment_.attributes >> ')'))
      [set_pair(_val, _1, _2)];
  trigger_pair_ =
      (trigger_key_ > '=' >
       (assignment_[set_pair(_val, std::string("trigger"), _1)] |
        (qi::lit('[') > (assignment_ % ',')[set_pair(_val, std::string("trigger"), _1)] > ']')));
  on_pair_ %= scope_pair_ | attributes_pair_ | trigger_pair_;
  on_attributes = on_pair_[phoenix::push_back(_val, _1)] >>
                  *(',' >> on_pair_[phoenix::push_back(_val, _1)]) >> -qi::lit(',');

  grammar_util::catalogued(scope_pair_, "qr_pair_scope",
                      "The scope attribute should have a valid string object.");
  grammar_util::catalogued(attributes_pair_, "qr_pair_attributes",
                      "The attributes should have the same format as the Annotation attributes: "
                      "@( att=\"value\" )");
  grammar_util::catalogued(trigger_pair_, "qr_pair_triggers",
                      "The attributes should have the same format as the Annotation : "
                      "::python::module::function@( att=\"value\" ) or a array [ ... ] of "
                      "annotation functions");
  grammar_util::catalogued(on_attributes, "qr_on_annotation_attributes",
                      "Invalid attribute key, supported name are [scope, attributes, triggers] ");
}

AttributesAnyGrammar::~AttributesAnyGrammar() = default;

}  // namespace compiler
}  // namespace zel
