#include "compiler/parser/fstring_grammar.h"

#include "compiler/parser/attribute_checks.h"

namespace zel {
namespace compiler {

FStringGrammar::FStringGrammar() : FStringGrammar::base_type(fstring, "FStringGrammar") {
  using grammar_util::range_text;
  using qi::labels::_1;
  using qi::labels::_pass;
  using qi::labels::_val;
  fstring = qi::raw[qi::lit('f') >>
                    ((qi::lit("\"\"\"") >> +(qi::char_ - "\"\"\"") >> "\"\"\"") |
                     (qi::lit('"') >>
                      +((qi::lit('\\') >> qi::char_) |
                        (qi::lit('[') >> +(qi::char_ - ']') >> ']') | ~qi::char_('"')) >>
                      '"'))][_val = range_text(_1),
                           _pass = phoenix::bind(&zel::compiler::parser::action::check_formated_attributes_fn, _1)];
  grammar_util::catalogued(fstring, "qr_fstring", "Invalid fstring value check.");
}

FStringGrammar::~FStringGrammar() = default;

}  // namespace compiler
}  // namespace zel
