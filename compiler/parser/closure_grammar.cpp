#include "compiler/parser/closure_grammar.h"

namespace zel {
namespace compiler {

ClosureGrammar::ClosureGrammar() : ClosureGrammar::base_type(closure, "closure_grammar") {
  closure = (qi::lit('{') >> qi::raw[+qi::digit >> -(',' >> +qi::digit)] >> '}') |
            qi::char_("*+?");
  grammar_util::catalogued(closure, "r_closure", "Invalid closure.");
}

ClosureGrammar::~ClosureGrammar() = default;

}  // namespace compiler
}  // namespace zel
