// Tagging throughput: tokens per second through the tagger, over generated
// sentences of the test language's words with all their readings, scored by
// the test language's tables.

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/annotation.h"
#include "base/file.h"
#include "language/hmm_source.h"
#include "language/hmm_tables.h"
#include "language/hmm_tagger.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace {

Resource test_language_tables() {
  auto records = parse_source(file::load(
      KAVERO_SOURCE_DIR "/language/testdata/morvik/english.hmm.txt"));
  Resource tables;
  detail::load_probalitity_table(tables.start, records["start-hmm"]);
  detail::load_emission_table(tables.emission, records["emission-hmm"]);
  detail::load_transition_table(tables.transition, records["transmission-hmm"]);
  return tables;
}

// A document of generated sentences and the readings its tokens start
// with, so that every round tags the same input again.
struct Corpus {
  AnnotationCollection document;
  std::vector<std::pair<Token*, std::list<MorphData>>> tokens;

  void restore() {
    for (auto& [token, readings] : tokens) token->readings = readings;
  }
};

// Sentences of 5 to 40 tokens: words of the tables, each with every tag
// the tables know it by, and now and then a word they do not know, read as
// a noun or a verb.
std::unique_ptr<Corpus> generate(const Resource& tables, int sentences) {
  std::map<std::string, std::vector<std::string>> lexicon;
  for (const auto& entry : tables.emission) {
    const size_t split = entry.first.find("^^");
    const std::string literal = entry.first.substr(0, split);
    if (literal != "dummy") lexicon[literal].push_back(entry.first.substr(split + 2));
  }
  for (auto& entry : lexicon) std::sort(entry.second.begin(), entry.second.end());
  lexicon["zork"] = {"Nn-Sg", "V-Inf"};
  std::vector<const std::pair<const std::string, std::vector<std::string>>*> words;
  for (const auto& entry : lexicon) words.push_back(&entry);

  auto corpus = std::make_unique<Corpus>();
  std::mt19937 random(42);
  for (int s = 0; s < sentences; ++s) {
    auto* sentence = new Sentence(0, 0);
    corpus->document.push_back(sentence);
    const int length = 5 + static_cast<int>(random() % 36);
    for (int i = 0; i < length; ++i) {
      const auto& [literal, tags] = *words[random() % words.size()];
      auto* token = new Token(0, 0, literal);
      for (const std::string& tag : tags) token->readings.emplace_back(tag, literal, 1.0);
      sentence->annotations.push_back(token);
      corpus->tokens.emplace_back(token, token->readings);
    }
  }
  return corpus;
}

void BM_TagDocument(benchmark::State& state) {
  const Resource tables = test_language_tables();
  auto corpus = generate(tables, 1000);
  int64_t tokens = 0;
  for (auto _ : state) {
    state.PauseTiming();
    corpus->restore();
    state.ResumeTiming();
    tag_document(tables, corpus->document);
    tokens += static_cast<int64_t>(corpus->tokens.size());
  }
  state.counters["tokens/s"] =
      benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TagDocument)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
