// Generated rule sources for compile benchmarks and their tests: a domain
// of many rules and a large lexicon, written in every form the rule
// language has (literals, stems, parts of speech, concept references,
// captures with attributes, groups and closures, chains, namespaces, and
// lexicons on the literal and the stem stream).

#ifndef KAVERO_COMPILER_DRIVER_GENERATED_SOURCES_TESTUTIL_H_
#define KAVERO_COMPILER_DRIVER_GENERATED_SOURCES_TESTUTIL_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zel {
namespace compiler {
namespace testing {

struct GeneratedSourcesLayout {
  int rules = 10000;
  int lexicon_entries = 100000;
  // The rules and entries are spread evenly over this many sources.
  int sources = 1;
  uint32_t seed = 50;
};

// The texts of the sources. The same layout gives the same texts; spread
// over more sources, the same rules and entries are generated (only their
// grouping into namespaces and chains follows the source).
std::vector<std::string> generate_rule_sources(const GeneratedSourcesLayout& layout);

// Writes the sources into the folder as "gen_000.kav", "gen_001.kav", ...
// and returns their paths.
std::vector<std::filesystem::path> write_rule_sources(const GeneratedSourcesLayout& layout,
                                                      const std::filesystem::path& folder);

// A rule in the generated form, different from every generated rule, to
// append to a source as an edit.
std::string edited_rule(int edit);

}  // namespace testing
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_GENERATED_SOURCES_TESTUTIL_H_
