// The sentence splitter over texts of growing size. Every kind of text must
// take time linear in its length: prose, and texts that defeat short
// look-arounds (one long word, words joined by full stops and hyphens,
// colons without line feeds, blank lines of white space).

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/blackboard.h"
#include "base/regex.h"
#include "language/sentence_splitter.h"

namespace zel {
namespace kavero {
namespace {

class CountingSink : public SentenceSink {
 public:
  void sentence(const char*, const char*, const char*) override { ++count; }
  int64_t count = 0;
};

std::string repeated(const std::string& unit, size_t size) {
  std::string text;
  text.reserve(size + unit.size());
  while (text.size() < size) text += unit;
  text.resize(size);
  return text;
}

void split(benchmark::State& state, const std::string& unit,
           int32_t line_limit) {
  const std::string text = repeated(unit, static_cast<size_t>(state.range(0)));
  const Regex abbreviations(R"(Dr\.|Mr\.|e\.g\.)", false);
  SplitterSettings settings;
  settings.line_limit = line_limit;
  settings.abbreviations = &abbreviations;
  std::vector<char> buffer(text.size());
  for (auto _ : state) {
    std::memcpy(buffer.data(), text.data(), text.size());
    std::deque<SpanMark> spans;
    CountingSink sink;
    split_sentences(buffer.data(), buffer.size(), settings, spans, sink);
    benchmark::DoNotOptimize(sink.count);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

void Prose(benchmark::State& state) {
  split(state,
        "Dr. Smith left.The door closed. Was it 3.5 km? Yes!\n"
        "1. Scope\n## Results\nSubject: Hello\nFrom: Me\n- one\n"
        "an inter-\nnational law, e.g. this one.\n\n",
        3);
}

void OneLongWord(benchmark::State& state) { split(state, "a", 3); }

void FullStops(benchmark::State& state) { split(state, "a.", 3); }

void FullStopsAndHyphens(benchmark::State& state) { split(state, "a.-", 3); }

void FullStopsBeforeCapitals(benchmark::State& state) {
  split(state, "a.B.c-", 3);
}

void ColonsWithoutLineFeeds(benchmark::State& state) { split(state, "a: ", 3); }

void BlankLinesOfWhiteSpace(benchmark::State& state) { split(state, " \n", 0); }

void HyphensBeforeWhiteSpace(benchmark::State& state) {
  split(state, "-\n \n", 0);
}

#define KAVERO_SPLIT_BENCHMARK(name) \
  BENCHMARK(name)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity(benchmark::oN)

KAVERO_SPLIT_BENCHMARK(Prose);
KAVERO_SPLIT_BENCHMARK(OneLongWord);
KAVERO_SPLIT_BENCHMARK(FullStops);
KAVERO_SPLIT_BENCHMARK(FullStopsAndHyphens);
KAVERO_SPLIT_BENCHMARK(FullStopsBeforeCapitals);
KAVERO_SPLIT_BENCHMARK(ColonsWithoutLineFeeds);
KAVERO_SPLIT_BENCHMARK(BlankLinesOfWhiteSpace);
KAVERO_SPLIT_BENCHMARK(HyphensBeforeWhiteSpace);

}  // namespace
}  // namespace kavero
}  // namespace zel
