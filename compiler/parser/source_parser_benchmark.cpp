// Parse speed of whole rule sources, and the cost of building the grammar
// that every source is parsed with.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/options.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/domain_parser.h"
#include "compiler/parser/source_parser.h"

namespace zel {
namespace compiler {
namespace {

constexpr int kRules = 10000;
constexpr int kLexiconEntries = 10000;
constexpr int kEntriesPerLexicon = 1000;

// Rules with tokens of every item kind and closures, concepts with
// attributes and brackets, groups with alternation, negations, assignments
// with attributes and comments; then lexicons.
std::string generated_source() {
  std::string text;
  for (int i = 0; i < kRules; ++i) {
    const std::string n = std::to_string(i);
    text += "// rule " + n + "\n";
    text += "rule:{ <\"word" + n + "\", 'stem" + n + "', Nn, +pl>? Person@(kind=\"p" + n +
            "\")[^ <'x'> ] ( <'a'> | <'b" + n + "'> | Nn ) !( <'c'> ) <Adj>* .. <\"end\">{1,3} } "
            "= Out" + n + "@(first=\"1\", second=\"v" + n + "\");\n";
  }
  for (int i = 0; i < kLexiconEntries; i += kEntriesPerLexicon) {
    text += "/* lexicon */ lexicon:(input=\"literal\"){\n";
    for (int j = i; j < i + kEntriesPerLexicon; ++j) {
      text += "  entry number " + std::to_string(j) + (j + 1 < i + kEntriesPerLexicon ? ",\n" : "\n");
    }
    text += "} = City;\n";
  }
  return text;
}

void BM_ParseSource(benchmark::State& state) {
  const std::string text = generated_source();
  Blackboard blackboard(std::make_shared<Options>());
  for (auto _ : state) {
    ParseResult result = parse_kavero_source(blackboard, text, "bench.kav", nullptr);
    if (!result.ok || result.root.statements.size() != kRules + kLexiconEntries / kEntriesPerLexicon) {
      state.SkipWithError("the generated source did not parse");
      break;
    }
    benchmark::DoNotOptimize(result.root);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.counters["rules_per_second"] =
      benchmark::Counter(static_cast<double>(kRules), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ParseSource)->Unit(benchmark::kMillisecond);

void BM_BuildDomainParser(benchmark::State& state) {
  for (auto _ : state) {
    DomainParser parser;
    benchmark::DoNotOptimize(&parser);
  }
}
BENCHMARK(BM_BuildDomainParser)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace compiler
}  // namespace zel
