// Identification throughput in bytes per second, on short documents (at
// most 400 bytes) and on long ones (64 KiB), through the test
// identification network.
//
// Documents are generated text in one of the network's four languages:
// sentences of 6 to 20 words, half of them frequent words the network
// knows, half made-up content words it does not know (which the identifier
// then scores by their blocks), capitalised at sentence starts, with commas
// now and then. A long document is decided early, after its first 250
// looked-up words, as every long text is.
//
// Targets on one core of the development machine: at least 5 MB/s on the
// short documents and at least 30 MB/s on the long ones.

#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "language/language_identifier.h"
#include "language/lid_testutil.h"

namespace zel {
namespace lid {
namespace {

// The network's words by language code, read from its text source.
std::map<std::string, std::vector<std::string>> network_words() {
  std::map<std::string, std::vector<std::string>> words;
  std::ifstream source(KAVERO_SOURCE_DIR "/language/testdata/morvik/lid.lexicon");
  std::string line;
  while (std::getline(source, line)) {
    const std::size_t colon = line.find(":[");
    if (colon == std::string::npos) continue;
    words[line.substr(colon + 2, 2)].push_back(line.substr(0, colon));
  }
  return words;
}

std::string made_up_word(std::mt19937& random) {
  static const char* const kSyllables[] = {"ka", "mo", "ri", "len", "tus", "ver", "and",
                                           "pel", "dra", "si", "gon", "ut", "ber", "no"};
  std::uniform_int_distribution<int> count(1, 4);
  std::uniform_int_distribution<int> pick(0, sizeof kSyllables / sizeof *kSyllables - 1);
  std::string word;
  for (int n = count(random); n > 0; --n) word += kSyllables[pick(random)];
  return word;
}

// Text of at least `bytes` bytes in the language, cut after the last whole
// word that fits.
std::string document(const std::vector<std::string>& known, std::size_t bytes,
                     std::mt19937& random) {
  std::uniform_int_distribution<int> sentence_length(6, 20);
  std::uniform_int_distribution<std::size_t> pick(0, known.size() - 1);
  std::bernoulli_distribution is_known(0.5);
  std::bernoulli_distribution comma(0.1);
  std::string text;
  while (text.size() < bytes) {
    const int length = sentence_length(random);
    for (int i = 0; i < length; ++i) {
      std::string word = is_known(random) ? known[pick(random)] : made_up_word(random);
      if (i == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
      if (text.size() + word.size() + 2 > bytes) return text;
      text += word;
      text += i + 1 == length ? ". " : comma(random) ? ", " : " ";
    }
  }
  return text;
}

std::vector<std::string> corpus(std::size_t bytes, int documents) {
  const auto words = network_words();
  std::mt19937 random(20240611);
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < documents) {
    for (const auto& [code, known] : words) {
      out.push_back(document(known, bytes, random));
    }
  }
  return out;
}

void identify(benchmark::State& state, const std::vector<std::string>& documents) {
  auto engine = testing::lid_test_engine();
  auto store = testing::lid_test_store(*engine, "{}");
  std::size_t index = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    const std::string& text = documents[index];
    benchmark::DoNotOptimize(store->identify_language(text.data(), text.size()));
    bytes += static_cast<int64_t>(text.size());
    if (++index == documents.size()) index = 0;
  }
  state.SetBytesProcessed(bytes);
}

void BM_IdentifyShortDocuments(benchmark::State& state) {
  static const std::vector<std::string> documents = corpus(400, 256);
  identify(state, documents);
}
BENCHMARK(BM_IdentifyShortDocuments);

void BM_IdentifyLongDocuments(benchmark::State& state) {
  static const std::vector<std::string> documents = corpus(64 * 1024, 8);
  identify(state, documents);
}
BENCHMARK(BM_IdentifyLongDocuments);

}  // namespace
}  // namespace lid
}  // namespace zel
