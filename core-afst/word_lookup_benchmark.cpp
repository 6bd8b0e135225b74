// Word lookups per second on a generated lexicon of 100,000 words.
//
// The lexicon is made the way lexicon files are: text entries in the
// arc-line syntax ("word:Word[+Nn-Sg]"), compiled by build_lexicon. The
// words are random lower-case letter strings of 4 to 12 letters, each with a
// capitalised stem and one of a few tags. The lookups take words of the
// lexicon in random order, and words that are not in it (their last letter
// changed), and each lookup's answer is checked.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core-afst/afst.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {
namespace {

constexpr std::size_t kWords = 100000;

struct Lexicon {
  std::vector<std::string> words;
  std::shared_ptr<AFst> network;
};

const Lexicon& generated_lexicon() {
  static const Lexicon lexicon = [] {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(4, 12), letter(0, 25);
    std::set<std::string> words;
    while (words.size() < kWords) {
      std::string word;
      for (int n = length(random); n > 0; --n) word += static_cast<char>('a' + letter(random));
      words.insert(word);
    }
    static const char* const kTags[] = {"[+Nn-Sg]", "[+Vb-Inf]", "[+Adj]", "[+Adv]"};
    std::string entries;
    std::size_t i = 0;
    for (const auto& word : words) {
      std::string stem = word;
      stem[0] = static_cast<char>(stem[0] - 'a' + 'A');
      entries += word + ":" + stem + kTags[i++ % 4] + "\n";
    }
    std::istringstream lines(entries);
    Lexicon result;
    result.words.assign(words.begin(), words.end());
    result.network = std::make_shared<AFst>(build_lexicon(lines, "generated"));
    return result;
  }();
  return lexicon;
}

// `known_share` of the lookups are of lexicon words, the rest of words that
// are not in it.
void lookups(benchmark::State& state, double known_share) {
  const Lexicon& lexicon = generated_lexicon();
  std::mt19937 random(7);
  std::bernoulli_distribution known(known_share);
  std::vector<std::string> queries;
  std::vector<bool> expected;
  std::set<std::string> all(lexicon.words.begin(), lexicon.words.end());
  for (int i = 0; i < 8192; ++i) {
    std::string word = lexicon.words[random() % lexicon.words.size()];
    if (!known(random)) word.back() = word.back() == 'z' ? 'a' : word.back() + 1;
    expected.push_back(all.count(word) > 0);
    queries.push_back(word);
  }

  WordLookup lookup(lexicon.network, nullptr);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t q = i++ & 8191;
    std::vector<std::string> answers = lookup.up(queries[q]);
    if (answers.empty() == expected[q]) {
      state.SkipWithError("wrong answer");
      break;
    }
    benchmark::DoNotOptimize(answers);
  }
  state.counters["lookups/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["states"] = lexicon.network->fst().NumStates();
  state.counters["arcs"] = static_cast<double>(lexicon.network->arcs().size());
}

void BM_WordLookupKnownWords(benchmark::State& state) { lookups(state, 1.0); }
void BM_WordLookupMixedWords(benchmark::State& state) { lookups(state, 0.5); }

BENCHMARK(BM_WordLookupKnownWords);
BENCHMARK(BM_WordLookupMixedWords);

}  // namespace
}  // namespace afst
}  // namespace zel
