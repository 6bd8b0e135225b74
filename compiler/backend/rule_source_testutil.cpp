#include "compiler/backend/rule_source_testutil.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "compiler/backend/id_numbering.h"
#include "compiler/parser/capture_group_checks.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "core-afst/network_paths_testutil.h"

namespace zel {
namespace compiler {
namespace testing {

ast::node::Rule parsed_rule(Compilation& compilation, ResultStore& store,
                            const std::string& source) {
  ParseResult parsed = parse_kavero_source(compilation.blackboard, source, "t.kav", nullptr);
  std::string diagnostics;
  for (const std::string& text : collect_formatted_errors(parsed.sinks)) diagnostics += text + "\n";
  EXPECT_TRUE(parsed.ok) << source << "\n" << diagnostics;
  if (parsed.root.statements.size() != 1 ||
      boost::get<ast::node::Rule>(&parsed.root.statements[0]) == nullptr) {
    ADD_FAILURE() << "not one rule: " << source;
    return ast::node::Rule{};
  }
  ast::node::Rule rule = boost::get<ast::node::Rule>(parsed.root.statements[0]);
  rename_capture_groups(rule);
  collect_ids(store, rule);
  assign_ids(store, rule);
  return rule;
}

std::string readable_label(const std::string& text) {
  if (text.rfind("0x", 0) != 0) return text;
  size_t end = 2;
  while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
  const unsigned long value = std::strtoul(text.substr(2, end - 2).c_str(), nullptr, 16);
  const std::string rest = text.substr(end);
  const std::string number = std::to_string(value & 0xffffffUL);
  switch (value & 0xff000000UL) {
    case 0x10000000UL: return "TK" + number;
    case 0x20000000UL: return "CNCPT" + number;
    case 0x30000000UL: return "CNCPT_BEG" + number;
    case 0x40000000UL: return "CNCPT_END" + number;
    case 0x50000000UL: return "ATT" + rest;
    case 0x60000000UL: return "CAPBEG" + number;
    case 0x70000000UL: return "CAPEND" + number;
    case 0x80000000UL: return "SHRT";
    case 0x90000000UL: return "ANY";
    case 0xa0000000UL: return "PROP" + rest;
    case 0xc0000000UL: return "NEG";
    case 0xc1000000UL: return "NEG_BEG";
    case 0xc2000000UL: return "NEG_EMPTY";
    case 0xc3000000UL: return "NEG_END";
    default: return text;
  }
}

std::set<std::string> readable_paths(const fst::StdVectorFst& network, size_t max_steps) {
  std::set<std::string> paths;
  for (const std::string& path : zel::testing::accepted_paths(network, max_steps)) {
    std::istringstream steps(path);
    std::string step, out;
    while (steps >> step) {
      // The rebuilt bitset chain carries raw keys as outputs, which have no
      // text; rule transducers write "eps". Keep the input side.
      for (const char* output : {":eps", ":0x"}) {
        const size_t colon = step.rfind(output);
        if (colon != std::string::npos && colon > 0) step.resize(colon);
      }
      if (!out.empty()) out += ' ';
      out += readable_label(step);
    }
    paths.insert(out);
  }
  return paths;
}

}  // namespace testing
}  // namespace compiler
}  // namespace zel
