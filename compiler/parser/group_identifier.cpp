#include "compiler/parser/group_identifier.h"

#include "compiler/parser/attribute_checks.h"

namespace zel {
namespace compiler {

GroupIdentifier::GroupIdentifier() : GroupIdentifier::base_type(name, "group_identifier") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;
  namespace_separator = qi::lit(':') > ':';
  name = qi::raw[(qi::char_("A-Za-z0-9_.") | namespace_separator) >
                 +(+qi::char_("A-Za-z0-9_") > -namespace_separator)]
                [_val = range_text(_1),
                 _pass = phoenix::bind(&zel::compiler::parser::action::check_concept_names, _1)];
  grammar_util::catalogued(name, "r_group_identifier",
                      "Invalid group name should be more than one Character and only contain "
                      "A-Za-z0-9_:");
  grammar_util::catalogued(namespace_separator, "r_namespace_separator",
                      "Invalid group name namespace separator be '::' not ':' ");
}

GroupIdentifier::~GroupIdentifier() = default;

}  // namespace compiler
}  // namespace zel
