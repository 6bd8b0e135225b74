// The whole analysis of a text (Analyzer::generate) with the test language:
// sentence splitting, tokenizing, dictionary passes, sentence repair,
// disambiguation and tagging, on one core.
//
// The text is about 1 MB of generated English: sentences built from the
// test lexicon's words with a fixed pseudo-random sequence, with names,
// numbers, commas, quotes, words that only the guesser or the cleaner
// knows, and paragraph breaks. The counter "tokens/s" is the number of
// tokens of the analysed document per second; the target is 460,000.
// "peak bytes/token" is the growth of the process's peak resident memory
// over one analysis of the text, made before the timed runs, divided by
// the document's tokens; the target is at most 275.
//
// The test language's lexicon has some 400 words, small enough to hide
// what a lookup costs. The second run analyses the same kind of text with a
// copy of the test language whose main lexicon has about 50,000 entries:
// the test lexicon and generated words, written as lexicon text and
// compiled by build_lexicon when the benchmark starts. Half of the nouns,
// adjectives and verbs of that text are generated words.
//
// The third run analyses a document of one short sentence, as a host
// sending sentences or short messages does: every iteration makes the
// blackboard and analyses the text, so the fixed cost of a document shows.
// The target is at most 50 microseconds per document.

#include <malloc.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "analysis/generated_text_testutil.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "core-afst/lexicon_text.h"
#include "engine/engine.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;

using zel::testing::generated_text;
using zel::testing::Sequence;
using zel::testing::Vocabulary;

size_t count_tokens(const AnnotationCollection& document) {
  size_t tokens = 0;
  for (const Annotation* a = document.head; a != nullptr; a = a->next) {
    if (const auto* sentence = annotation_cast<Sentence>(a)) {
      for (const Annotation* b = sentence->annotations.head; b != nullptr; b = b->next) {
        tokens += b->kind == kTokenKind;
      }
    }
  }
  return tokens;
}

fs::path test_language_folder() {
  return fs::weakly_canonical(fs::path(KAVERO_BINARY_DIR) / "testdata" / "language" /
                              "morvik");
}

// A copy of the test language whose main lexicon ("english.fst") holds the
// test lexicon and generated words, about 50,000 entries in all: nouns with
// their plurals, adjectives and verbs with three forms, random lower-case
// letter strings that the test lexicon does not have.
struct LargeLanguage {
  fs::path folder;
  Vocabulary vocabulary;
};

const LargeLanguage& large_language() {
  static const LargeLanguage language = [] {
    constexpr size_t kEntries = 50000;
    LargeLanguage result;
    result.folder = fs::path(KAVERO_BINARY_DIR) / "benchmark-data" / "large-lexicon" / "morvik";
    fs::create_directories(result.folder);
    for (const auto& file : fs::directory_iterator(test_language_folder())) {
      fs::copy_file(file.path(), result.folder / file.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
    const fs::path source =
        fs::path(KAVERO_SOURCE_DIR) / "language" / "testdata" / "morvik" / "english.lexicon";
    std::ifstream test_lexicon(source);
    if (!test_lexicon) throw std::runtime_error("cannot read " + source.string());
    std::stringstream entries;
    entries << test_lexicon.rdbuf();
    size_t count = 424;

    Sequence s;
    std::set<std::string> words;
    auto new_stem = [&] {
      for (;;) {
        std::string stem;
        for (uint32_t n = 4 + s.next() % 7; n > 0; --n) stem += static_cast<char>('a' + s.next() % 26);
        if (words.insert(stem).second) return stem;
      }
    };
    while (count < kEntries) {
      const std::string stem = new_stem();
      switch (s.next() % 4) {
        case 0:
        case 1:
          entries << stem << ":" << stem << "[+Nn-Sg]\n"
                  << stem << "s:" << stem << "[+Nn-Pl]\n";
          result.vocabulary.nouns.push_back(stem);
          count += 2;
          break;
        case 2:
          entries << stem << ":" << stem << "[+Adj]\n";
          result.vocabulary.adjectives.push_back(stem);
          count += 1;
          break;
        default:
          entries << stem << ":" << stem << "[+V-Inf]\n"
                  << stem << "s:" << stem << "[+V-Pres-3-Sg]\n"
                  << stem << "ed:" << stem << "[+V-Past]\n";
          result.vocabulary.verbs.push_back(stem + (s.next() % 2 ? "s" : "ed"));
          count += 3;
          break;
      }
    }
    const fs::path text_file = result.folder.parent_path() / "english.lexicon";
    std::ofstream(text_file) << entries.str();
    afst::compile_lexicon_file(text_file.string(), (result.folder / "english.fst").string());
    return result;
  }();
  return language;
}

// Resident memory of the process, in bytes, from /proc/self/status:
// "VmRSS" (now) or "VmHWM" (the peak).
size_t resident_bytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, key.size() + 1, key + ":") == 0) {
      return std::stoull(line.substr(key.size() + 1)) * 1024;
    }
  }
  return 0;
}

class Analysis {
 public:
  explicit Analysis(const fs::path& morvik) {
    auto engine = std::make_shared<Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", morvik.parent_path().string()},
                       {"morvik", morvik.string()}}
            .dump()));
    std::shared_ptr<IOptions> options =
        convert_string_to_api_options(R"({"language": "english"})");
    handle_ = new api::Analyzer(engine, engine->get_language_module(options), options);
  }
  ~Analysis() { handle_->dec_ref(); }
  Analysis(const Analysis&) = delete;
  Analysis& operator=(const Analysis&) = delete;

  // Analyses the text as one document; its token count.
  size_t run(const std::string& text) {
    Blackboard blackboard(handle_, convert_string_to_api_options("{}"), text.data(),
                          text.size());
    blackboard.analyzer->generate(blackboard, text.data(), text.size());
    return count_tokens(*blackboard.annotations);
  }

  // The growth of the peak resident memory over one analysis of the text,
  // per token. Freed memory is given back first, so that memory kept from
  // earlier work does not hide the growth, and the peak is reset.
  double peak_bytes_per_token(const std::string& text) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const size_t before = resident_bytes("VmRSS");
    const size_t tokens = run(text);
    const size_t peak = resident_bytes("VmHWM");
    return tokens == 0 || peak < before ? 0.0
                                        : static_cast<double>(peak - before) /
                                              static_cast<double>(tokens);
  }

 private:
  api::Analyzer* handle_;
};

void analyse_text(benchmark::State& state, const fs::path& morvik, const std::string& text) {
  Analysis analysis(morvik);
  const double peak = analysis.peak_bytes_per_token(text);
  size_t tokens = 0;
  for (auto _ : state) {
    tokens = analysis.run(text);
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["tokens/s"] =
      benchmark::Counter(static_cast<double>(tokens),
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak bytes/token"] = peak;
}

void BM_GenerateEnglishText(benchmark::State& state) {
  analyse_text(state, test_language_folder(),
               generated_text(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_GenerateEnglishText)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_GenerateEnglishTextLargeLexicon(benchmark::State& state) {
  const LargeLanguage& language = large_language();
  analyse_text(state, language.folder,
               generated_text(static_cast<size_t>(state.range(0)), &language.vocabulary));
}
BENCHMARK(BM_GenerateEnglishTextLargeLexicon)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_GenerateShortDocument(benchmark::State& state) {
  Analysis analysis(test_language_folder());
  const std::string text = "The old man sees the dog in London.";
  size_t tokens = 0;
  for (auto _ : state) {
    tokens = analysis.run(text);
    benchmark::DoNotOptimize(tokens);
  }
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["documents/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateShortDocument)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kavero
}  // namespace zel
