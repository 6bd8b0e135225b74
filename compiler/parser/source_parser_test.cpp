#include "compiler/parser/source_parser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "compiler/parser/rule_printer.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::Root;
using ast::node::Rule;

std::string compact(const Rule& rule) {
  std::ostringstream out;
  StreamRule printer(out);
  printer(rule);
  return out.str();
}

std::string spaced(const Rule& rule) {
  std::ostringstream out;
  PrintRule printer(out);
  printer(rule);
  return out.str();
}

// The compact form of every rule of the root's top level, one per line.
std::string rules_of(const Root& root) {
  std::string text;
  for (const auto& statement : root.statements) {
    if (const auto* rule = boost::get<Rule>(&statement)) text += compact(*rule) + "\n";
  }
  return text;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

TEST(SourceParserExplore, Dump) {
  for (const char* source : {
"rule:{ <'a'> } = X;",
"rule:{ <'a'> } = Ab:c;",
"rule:{ <'a'> } = Xy@(k=v);",
"on Xy :{ scope = 1 };",
"on Xy :{ attributes = 1 };",
"on Xy :{ triggers = 1 };",
"on Xy :{ foo = 1 };",
"on Xy { };",
"@ test: x\n",
"define:x 1;",
"rule:{ <+> };",
"rule:{ <length(2> };",
"rule:{ <length(,3)> };",
"rule:{ <\"a> };",
"rule:{ <''> };",
"rule:{ <h'a> };",
"rule:{ <'a' x> };",
"lexicon:{ a$ } = Xy;",
"lexicon:{ a: } = Xy;",
"lexicon {a} = Xy;",
"lexicon: a } = Xy;",
"rule:{ <'a'> | <'b'> };",
"rule:{ (<'a'> };",
"rule:{ Person[<'a'> };",
"rule:{ <'a'> }",
"lexicon:{ a } Xy;",
"rule:{ !(<'a'> | <'b'>) };",
"rule:{ { } };",
"rule:{ };",
"namespace { }",
"chain { }",
"rule:{ (<'a'> | <'b'> % <'c'>) };",
"rule:{ <'a'> };\nfoo\nrule:{ <'b'> };",
"rule:{ <'a'> };\n// last",
"@test: last",
"lexicon:(input=\"literal\"){ New York, Boston } = City;",
"lexicon:{ a,,b } = Xy;",
"lexicon:{ } = Xy;",
"on Person, Org :{ scope=\"sentence\", attributes=@(a=\"1\"), map=::py::m::f@(x=\"y\"), };",
"on Xy :{ triggers=[Ab, Cd@(k=\"v\")] };",
"define:ab = x\ny;",
"rule:{ <length(2,)>* <'a'>{2,3} <'b'> * };",
"rule:{ !(<'a'>) ! (<'b'>) };",
"rule:{ Person@(k=\"v\")[^ <'x'>] Org[<'y'> ^] };",
"rule:{ <'a'> ... <'b'> .? <'c'> };",
"rule:{ (<'a'> | <'b'> | <'c'>)+ };",
"rule:{ <\"a\">, 'b' };",
"rule:{ <'a'> } = Xy@(k=\"v\", s=/a.b/, t=\"\"\"tri\"\"\", f=f\"{capture.x}\");",
"rules:{ <'a'> };",
}) {
    const auto result = unit_test::parse_data(source, "t.kav");
    std::cout << "SOURCE " << source << "\n" << rules_of(result.root) << "statements=" << result.root.statements.size() << "\n" << joined(result.errors)
              << "ok=" << result.ok << "\n";
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
