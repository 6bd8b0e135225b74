// Unknown words guessed per second, with the test language's guesser.
//
// The guesser network and its lexicon are the test language's own
// ("english-guesser.lexicon": any lower-case stem before one of a few
// endings, spelled letter by letter; "english-guessed.lexicon": the
// readings of such forms), compiled from their text by build_lexicon as
// afst-lexicon compiles them. The words are generated lower-case words that
// no lexicon knows: about half end in one of the guesser's endings, some of
// them misspelt (a letter doubled, two letters swapped, one left out), the
// others end in anything. The counter "words/s" is the number of words
// guessed per second; the target is 50,000.

#include <cstddef>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core-afst/afst.h"
#include "core-afst/guesser_lookup.h"
#include "core-afst/lexicon_text.h"

namespace zel {
namespace afst {
namespace {

std::shared_ptr<AFst> test_language_network(const std::string& name) {
  const std::string path = std::string(KAVERO_SOURCE_DIR) + "/language/testdata/morvik/" + name;
  std::ifstream lines(path);
  if (!lines) throw std::runtime_error("cannot read " + path);
  return std::make_shared<AFst>(build_lexicon(lines, path));
}

std::vector<std::string> unknown_words(std::size_t count) {
  static const char* const kEndings[] = {"ing", "ed", "ly", "ness"};
  std::mt19937 random(29);
  std::uniform_int_distribution<int> length(3, 9), letter(0, 25), choice(0, 7);
  std::vector<std::string> words;
  while (words.size() < count) {
    std::string word;
    for (int n = length(random); n > 0; --n) word += static_cast<char>('a' + letter(random));
    const int kind = choice(random);
    if (kind < 4) word += kEndings[kind];
    if (kind == 0 && word.size() > 4) word.insert(word.size() - 2, 1, word[word.size() - 3]);
    if (kind == 1 && word.size() > 4) std::swap(word[word.size() - 2], word[word.size() - 3]);
    if (kind == 2 && word.size() > 4) word.erase(word.size() - 2, 1);
    words.push_back(word);
  }
  return words;
}

void BM_GuessUnknownWords(benchmark::State& state) {
  GuesserLookup lookup(test_language_network("english-guesser.lexicon"),
                       test_language_network("english-guessed.lexicon"), nullptr);
  const std::vector<std::string> words = unknown_words(1024);
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
