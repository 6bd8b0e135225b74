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


std::vector<std::string> corpus(std::size_t bytes, int documents) {
  const auto words = network_words();
  std::mt19937 random(20240611);
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < documents) {
    for (const auto& [code, known] : words) {
      out.push_back(testing::identification_document(known, bytes, random));
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
