// The whole analysis of a text (Analyzer::generate) with the test language:
// sentence splitting, tokenizing, dictionary passes, sentence repair,
// disambiguation and tagging, on one core.
//
// The text is about 1 MB of generated English: sentences built from the
// test lexicon's words with a fixed pseudo-random sequence, with names,
// numbers, commas, quotes, words that only the guesser or the cleaner
// knows, and paragraph breaks. The counter "tokens/s" is the number of
// tokens of the analysed document per second; the target is 460,000.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "engine/engine.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;

const char* const kDeterminers[] = {"the", "a", "every", "some", "the", "no", "each"};
const char* const kAdjectives[] = {"big", "old", "new", "small", "beautiful", "red",
                                   "happy", "important", "long", "young", "green", "fast"};
const char* const kNouns[] = {"dog", "bank", "bird", "book", "car", "city", "company",
                              "doctor", "family", "friend", "garden", "house", "man",
                              "market", "minister", "park", "river", "school", "station",
                              "student", "teacher", "town", "train", "woman", "report"};
const char* const kVerbs[] = {"runs", "buys", "likes", "sees", "sells", "takes", "visits",
                              "walks", "works", "writes", "opened", "visited", "saw",
                              "made", "plays", "reads", "bought", "wrote"};
const char* const kPrepositions[] = {"in", "near", "with", "from", "at", "on", "after",
                                     "through", "under", "between"};
const char* const kAdverbs[] = {"often", "never", "today", "quickly", "again", "soon"};
const char* const kNames[] = {"Alice", "Bob", "London", "Berlin", "John", "Anna",
                              "Madrid", "Europe", "Friday"};
const char* const kRare[] = {"okapi", "quokka", "narwhal", "axolotl", "helllo",
                             "bookshelf", "doorknob", "Zorblax", "#greatday"};

// A fixed linear congruential sequence, so that every run reads the same
// text.
class Sequence {
 public:
  template <size_t N>
  const char* pick(const char* const (&words)[N]) {
    return words[next() % N];
  }
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }

 private:
  uint64_t state_ = 12345;
};

std::string capitalised(std::string word) {
  if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] -= 'a' - 'A';
  return word;
}

std::string generated_text(size_t bytes) {
  Sequence s;
  std::string text;
  text.reserve(bytes + 256);
  while (text.size() < bytes) {
    std::string sentence;
    if (s.next() % 4 == 0) {
      sentence = s.pick(kNames);
    } else {
      sentence = capitalised(s.pick(kDeterminers));
      if (s.next() % 2) sentence += std::string(" ") + s.pick(kAdjectives);
      sentence += std::string(" ") + s.pick(kNouns);
    }
    sentence += std::string(" ") + s.pick(kVerbs);
    if (s.next() % 3 == 0) sentence += std::string(" ") + s.pick(kAdverbs);
    sentence += std::string(" ") + s.pick(kDeterminers) + " " + s.pick(kNouns);
    if (s.next() % 2) {
      sentence += std::string(" ") + s.pick(kPrepositions) + " " + s.pick(kNames);
    }
    switch (s.next() % 8) {
      case 0:
        sentence += std::string(", and ") + s.pick(kNouns) + " " + s.pick(kVerbs) +
                    " " + std::to_string(s.next() % 1000) + " " + s.pick(kNouns);
        break;
      case 1:
        sentence += std::string(" with the ") + s.pick(kRare);
        break;
      case 2:
        sentence += std::string(" \"") + s.pick(kAdjectives) + " " + s.pick(kNouns) + "\"";
        break;
      default:
        break;
    }
    sentence += s.next() % 10 == 0 ? "?" : ".";
    text += sentence;
    text += s.next() % 12 == 0 ? "\n\n" : " ";
  }
  return text;
}

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

void BM_GenerateEnglishText(benchmark::State& state) {
  const fs::path morvik = fs::weakly_canonical(
      fs::path(KAVERO_BINARY_DIR) / "testdata" / "language" / "morvik");
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", morvik.parent_path().string()},
                     {"morvik", morvik.string()}}
          .dump()));
  std::shared_ptr<IOptions> options =
      convert_string_to_api_options(R"({"language": "english"})");
  auto* handle = new api::Analyzer(engine, engine->get_language_module(options), options);
  const std::string text = generated_text(static_cast<size_t>(state.range(0)));

  size_t tokens = 0;
  for (auto _ : state) {
    Blackboard blackboard(handle, convert_string_to_api_options("{}"), text.data(),
                          text.size());
    blackboard.analyzer->generate(blackboard, text.data(), text.size());
    tokens = count_tokens(*blackboard.annotations);
    benchmark::DoNotOptimize(tokens);
  }
  handle->dec_ref();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["tokens/s"] =
      benchmark::Counter(static_cast<double>(tokens),
                         benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_GenerateEnglishText)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavero
}  // namespace zel
