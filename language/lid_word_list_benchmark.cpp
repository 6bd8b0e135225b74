// Identification throughput over a large identification list, in bytes per
// second on short documents (at most 400 bytes).
//
// The list is generated when the benchmark starts: 50,000 made-up words of
// four languages (English, German, French, Dutch codes), each language
// building its words from syllables of its own, some words in two
// languages, written as identification lists are, with the language code
// and weight on the word's first arc ("word:[EN44]"). It is compiled with the
// text-to-lexicon builder into a scratch resource folder's "lid.fst". The
// documents are text in one language each: half words of the list, half
// words it does not know, as in the identifier's own benchmark.
//
// The counter "start_arcs" is the number of arcs on the compiled list's
// start state, which every lookup scans. Target on one core of the
// development machine: at least 5 MB/s.

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/lexicon_text.h"
#include "engine/engine.h"
#include "language/language_identifier.h"
#include "language/lid_testutil.h"

namespace zel {
namespace lid {
namespace {

constexpr int kListWords = 50000;

struct Language {
  const char* code;
  std::vector<std::string> syllables;
};

const std::vector<Language>& languages() {
  static const std::vector<Language> list = {
      {"EN", {"th", "ing", "er", "ow", "ay", "ight", "st", "wh", "ea", "ly", "ou", "sh", "an",
              "ed", "is", "or", "ch", "un"}},
      {"DE", {"sch", "ei", "ung", "ach", "ie", "au", "ber", "ge", "en", "zu", "keit", "st", "pf",
              "ter", "ich", "un", "her", "wo"}},
      {"FR", {"eau", "que", "oi", "ment", "ou", "eur", "tion", "ai", "le", "re", "an", "ch", "ette",
              "ux", "on", "de", "ie", "gn"}},
      {"NL", {"ij", "oe", "sch", "aa", "ee", "uit", "ge", "lijk", "heid", "en", "oo", "ver", "st",
              "ke", "wa", "de", "ui", "of"}},
  };
  return list;
}

std::string word_of(const Language& language, std::mt19937& random) {
  std::uniform_int_distribution<int> count(1, 5);
  std::uniform_int_distribution<std::size_t> pick(0, language.syllables.size() - 1);
  std::string word;
  for (int n = count(random); n > 0; --n) word += language.syllables[pick(random)];
  return word;
}

// The list's words by language code, and its text.
struct WordList {
  std::map<std::string, std::vector<std::string>> words;
  std::string text;
};

const WordList& word_list() {
  static const WordList list = [] {
    WordList out;
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> weight(10, 99);
    std::bernoulli_distribution shared(0.05);
    std::set<std::pair<std::string, std::string>> entries;
    std::ostringstream text;
    while (static_cast<int>(entries.size()) < kListWords) {
      for (const Language& language : languages()) {
        std::string word = word_of(language, random);
        // Now and then a word of another language is this one's too.
        if (shared(random)) {
          const auto& other = out.words[languages()[random() % 4].code];
          if (!other.empty()) word = other[random() % other.size()];
        }
        if (!entries.emplace(word, language.code).second) continue;
        out.words[language.code].push_back(word);
        text << word << ":[" << language.code << weight(random) << "]\n";
      }
    }
    out.text = text.str();
    return out;
  }();
  return list;
}


void BM_IdentifyWithLargeList(benchmark::State& state) {
  const WordList& list = word_list();
  testing::ScratchFolder scratch;
  const std::string folder = scratch.str("morvik");
  scratch.folder("morvik");
  std::istringstream lines(list.text);
  const auto network = afst::build_lexicon(lines, "generated list");
  network->Write(folder + "/lid.fst");
  const int64_t start_arcs = static_cast<int64_t>(network->NumArcs(network->Start()));

  std::vector<std::string> documents;
  std::mt19937 random(20240611);
  while (documents.size() < 256) {
    for (const auto& entry : list.words) {
      documents.push_back(testing::identification_document(entry.second, 400, random));
    }
  }

  auto engine = std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", scratch.str()}, {"morvik", folder}}.dump()));
  LIDStore store(engine.get(), convert_string_to_api_options("{}"));
  std::size_t index = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    const std::string& text = documents[index];
    benchmark::DoNotOptimize(store.identify_language(text.data(), text.size()));
    bytes += static_cast<int64_t>(text.size());
    if (++index == documents.size()) index = 0;
  }
  state.SetBytesProcessed(bytes);
  state.counters["start_arcs"] = static_cast<double>(start_arcs);
}
BENCHMARK(BM_IdentifyWithLargeList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lid
}  // namespace zel
