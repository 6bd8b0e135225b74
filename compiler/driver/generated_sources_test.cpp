#include "compiler/driver/generated_sources_testutil.h"

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"

namespace zel {
namespace compiler {
namespace {

using testing::GeneratedSourcesLayout;
using testing::generate_rule_sources;

GeneratedSourcesLayout small(int sources) {
  GeneratedSourcesLayout layout;
  layout.rules = 120;
  layout.lexicon_entries = 400;
  layout.sources = sources;
  return layout;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The generated sources are clean rule sources: every rule and every entry
// is built, without a single diagnostic, and each statement kind occurs.
TEST(GeneratedSources, CompileWithoutDiagnostics) {
  testing::Compilation compilation("{}");
  compilation.blackboard.error_code_mask = ~0ULL;
  auto store = compilation.store();
  std::string all;
  const std::vector<std::string> sources = generate_rule_sources(small(3));
  ASSERT_EQ(sources.size(), 3u);
  for (size_t i = 0; i < sources.size(); ++i) {
    const std::string name = "/gen/s" + std::to_string(i) + ".kav";
    all += sources[i];
    ParseResult parsed =
        parse_kavero_source(compilation.blackboard, sources[i], name, compilation.blackboard.options);
    ASSERT_TRUE(parsed.ok);
    store->open(name);
    store->collect(parsed.root);
    store->close(name);
  }
  store->finalize();
  const std::vector<std::string> diagnostics = collect_formatted_errors(results::sinks());
  EXPECT_TRUE(diagnostics.empty()) << diagnostics[0];
  EXPECT_EQ(store->rule_ids.size(), 120u);
  store.reset();
  compilation.close_database();

  size_t rule_records = 0;
  for (const std::string& name : testing::record_names(compilation.dom())) {
    if (name.rfind("rule_", 0) == 0) ++rule_records;
  }
  EXPECT_EQ(rule_records, 120u);
  EXPECT_NE(testing::record_data(compilation.dom(), "entities_literal"), "(none)");
  EXPECT_NE(testing::record_data(compilation.dom(), "entities_stem"), "(none)");
  for (const char* part : {"namespace ns", "chain [", "<'", "<\"", "<Adj>", "Term", "}=Part@(",
                           " | ", "(input=\"stem\")", "@(source="}) {
    EXPECT_GT(count(all, part), 0u) << part;
  }
  EXPECT_EQ(count(all, "rule:"), 120u);
}

// The rules (one a line) and the lexicon entries (the first of a statement
// after "lexicon:", each further one on a line of its own) of sources.
std::multiset<std::string> rules_of(const std::vector<std::string>& sources) {
  std::multiset<std::string> rules;
  for (const std::string& source : sources) {
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("rule:", 0) == 0) rules.insert(line);
    }
  }
  return rules;
}

size_t entries_of(const std::vector<std::string>& sources) {
  size_t n = 0;
  for (const std::string& source : sources) n += count(source, "lexicon:") + count(source, ",\n  ");
  return n;
}

// Spread over more sources, the same rules and entries are generated, and
// the same layout gives the same texts.
TEST(GeneratedSources, SpreadingKeepsTheRulesAndEntries) {
  const std::vector<std::string> one = generate_rule_sources(small(1));
  const std::vector<std::string> seven = generate_rule_sources(small(7));
  EXPECT_EQ(seven.size(), 7u);
  EXPECT_EQ(rules_of(seven), rules_of(one));
  EXPECT_EQ(rules_of(one).size(), 120u);
  EXPECT_EQ(entries_of(one), 400u);
  EXPECT_EQ(entries_of(seven), 400u);
  EXPECT_EQ(generate_rule_sources(small(7)), seven);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
