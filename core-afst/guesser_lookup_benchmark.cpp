// Unknown words guessed per second, with the test language's guesser.
//
// The guesser network and its lexicon are the test language's own
// ("english-guesser.lexicon": any lower-case stem before one of a few
// endings, spelled letter by letter; "english-guessed.lexicon": the
// readings of such forms), compiled from their text by build_lexicon as
// afst-lexicon compiles them. The words are generated lower-case words that
// no lexicon knows (guesser_testutil.h). The counter "words/s" is the
// number of words guessed per second; the target is 50,000.

#include <cstddef>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core-afst/afst.h"
#include "core-afst/guesser_lookup.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/guesser_testutil.h"

namespace zel {
namespace afst {
namespace {

std::shared_ptr<AFst> test_language_network(const std::string& name) {
  const std::string path = std::string(KAVERO_SOURCE_DIR) + "/language/testdata/morvik/" + name;
  std::ifstream lines(path);
  if (!lines) throw std::runtime_error("cannot read " + path);
  return std::make_shared<AFst>(build_lexicon(lines, path));
}

void BM_GuessUnknownWords(benchmark::State& state) {
  GuesserLookup lookup(test_language_network("english-guesser.lexicon"),
                       test_language_network("english-guessed.lexicon"), nullptr);
  const std::vector<std::string> words = testing::unknown_words(1024, 29);
  std::size_t i = 0, answers = 0;
  for (auto _ : state) {
    answers += lookup.up(words[i++ % words.size()]).size();
  }
  benchmark::DoNotOptimize(answers);
  state.counters["words/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GuessUnknownWords);

}  // namespace
}  // namespace afst
}  // namespace zel
