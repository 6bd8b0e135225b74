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
           "rule:{ <'be'> };",
           "rule:{ <\"a\", Nn, +pl> Person .. (<'x'> | <'y'>) };",
           "rule:{ ",
       }) {
    const auto result = unit_test::parse_data(source, "t.kav");
    std::cout << "SOURCE " << source << "\n" << rules_of(result.root) << joined(result.errors)
              << "ok=" << result.ok << "\n";
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
