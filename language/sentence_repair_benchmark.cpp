// Sentence repair over texts that defeat it: runs of punctuation or quotes
// without white space, which the splitter hands over as one huge sentence.
// The repair cuts such a sentence every 150 tokens, at every quotation
// followed by another quote, and after sentence punctuation followed by a
// quote; every opening quote looks for its closing one. Time and memory
// must grow linearly with the length of the text, from 100 KB to 10 MB.
//
// Each iteration tokenizes the text as one sentence with the timer paused
// and times fix_sentences alone. Counters:
//   tokens               tokens of the document;
//   sentences            sentences after the repair;
//   repair_bytes/byte    heap bytes the repair added, per byte of text;
//   document_bytes/byte  heap bytes of the repaired document, per byte.

#include <malloc.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/sentence_repair.h"
#include "language/tokenizer_testutil.h"

namespace zel {
namespace kavero {
namespace {

// Break rules giving what the repair reads: sentence punctuation (501),
// commas and colons (502), quotes "Punct-Quote" (503), "#" line
// punctuation (506) and "-" a line breaker (500).
const char kRules[] = R"(
$Letter = [\p{L}\p{M}];
$Space = [\p{White_Space}];
$Space+;
$Letter+ {200};
[.!?] {501};
[,:;] {502};
[\"\u201C\u201D\u201E\u00AB\u00BB] {503};
'#' {506};
'-' {500};
)";

std::shared_ptr<LanguageModule> repair_language() {
  static const auto language = testing::make_language(kRules);
  return language;
}

std::string repeated(const std::string& unit, size_t size) {
  std::string text;
  text.reserve(size + unit.size());
  while (text.size() < size) text += unit;
  // Whole characters only.
  while (text.size() > size) text.resize(text.size() - unit.size());
  return text;
}

std::string random_punctuation(size_t size) {
  static const char* const kMarks[] = {".", ",", "!", "?", ":", ";", "\"", "#", "-",
                                       "\u201C", "\u201D", "\u201E", "\u00AB", "\u00BB"};
  std::mt19937 random(30);
  std::uniform_int_distribution<size_t> pick(0, sizeof kMarks / sizeof kMarks[0] - 1);
  std::string text;
  text.reserve(size + 4);
  while (text.size() < size) text += kMarks[pick(random)];
  return text;
}

size_t heap_bytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void repair(benchmark::State& state, const std::string& text) {
  size_t tokens = 0;
  size_t sentences = 0;
  size_t repair_bytes = 0;
  size_t document_bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const size_t before_document = heap_bytes();
    auto document = std::make_unique<testing::TokenizedDocument>(repair_language(), text);
    document->add_sentence();
    tokens = document->all_tokens().size();
    const size_t before_repair = heap_bytes();
    state.ResumeTiming();

    fix_sentences(document->blackboard());

    state.PauseTiming();
    const size_t after = heap_bytes();
    repair_bytes = after > before_repair ? after - before_repair : 0;
    document_bytes = after > before_document ? after - before_document : 0;
    sentences = document->sentences().size();
    document.reset();
    state.ResumeTiming();
  }
  const double size = static_cast<double>(text.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetComplexityN(static_cast<int64_t>(text.size()));
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["sentences"] = static_cast<double>(sentences);
  state.counters["repair_bytes/byte"] = static_cast<double>(repair_bytes) / size;
  state.counters["document_bytes/byte"] = static_cast<double>(document_bytes) / size;
}

size_t size_of(const benchmark::State& state) { return static_cast<size_t>(state.range(0)); }

// Full stops: cut every 150 tokens, each full stop demoted.
void FullStopRun(benchmark::State& state) { repair(state, repeated(".", size_of(state))); }

// Mixed sentence punctuation, commas and colons.
void PunctuationRun(benchmark::State& state) {
  repair(state, repeated(".!?,:;", size_of(state)));
}

// Straight quotes: each closes at the next and another quote follows, so
// the sentence is cut after every second quote.
void QuoteRun(benchmark::State& state) { repair(state, repeated("\"", size_of(state))); }

// Quotes that nothing closes: « waits for a », which never comes.
void UnclosedQuoteRun(benchmark::State& state) {
  repair(state, repeated("\u00AB", size_of(state)));
}

// Sentence punctuation before quotes that close much later.
void PunctuationBeforeQuotes(benchmark::State& state) {
  repair(state, repeated(".\u201E", size_of(state)));
}

void RandomPunctuation(benchmark::State& state) {
  repair(state, random_punctuation(size_of(state)));
}

// Every run rebuilds the document with the timer paused, so the number of
// runs is fixed rather than chosen by the time measured.
#define KAVERO_REPAIR_BENCHMARK(name)                 \
  BENCHMARK(name)                                     \
      ->RangeMultiplier(4)                            \
      ->Range(100 << 10, 10 << 20)                    \
      ->Iterations(2)                                 \
      ->Unit(benchmark::kMillisecond)                 \
      ->Complexity(benchmark::oN)

KAVERO_REPAIR_BENCHMARK(FullStopRun);
KAVERO_REPAIR_BENCHMARK(PunctuationRun);
KAVERO_REPAIR_BENCHMARK(QuoteRun);
KAVERO_REPAIR_BENCHMARK(UnclosedQuoteRun);
KAVERO_REPAIR_BENCHMARK(PunctuationBeforeQuotes);
KAVERO_REPAIR_BENCHMARK(RandomPunctuation);

}  // namespace
}  // namespace kavero
}  // namespace zel
