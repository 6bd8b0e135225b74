// Stream encoding (encode_stream) of one document for one domain, on one
// core.
//
// The document is about 10,000 tokens of English analysed with the test
// language. The token encoder holds 5,000 token patterns, as the compiler
// writes them into one optimised transducer: literals and stems (half of
// them words of the text, half made-up words), parts of speech (root
// categories and full tags, alone and with a stem), properties alone and
// with a literal, and literal lengths. The counter "tokens/s" is the number
// of tokens encoded per second; the target is 2 million, well under the
// budget of the rule matching that follows it.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "domain/encoder_facade.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace kavero {
namespace {

const char* const kWords[] = {
    "the", "a", "every", "some", "no", "each", "big", "old", "new", "small", "beautiful",
    "red", "happy", "important", "long", "young", "green", "fast", "dog", "bank", "bird",
    "book", "car", "city", "company", "doctor", "family", "friend", "garden", "house", "man",
    "market", "minister", "park", "river", "school", "station", "student", "teacher", "town",
    "train", "woman", "report", "run", "buy", "like", "see", "sell", "take", "visit", "walk",
    "work", "write", "open", "make", "play", "read", "in", "near", "with", "from", "at", "on",
    "after", "Alice", "Bob", "London", "Berlin", "John", "Anna", "Madrid", "times"};
const char* const kTags[] = {"Nn", "Nn-Sg", "Nn-Pl", "V", "V-Pres-3-Sg", "V-Past", "Adj",
                             "Det", "Det-Def", "Prep", "Prop", "Prop-Std", "Punct-Sent",
                             "Adv", "Num", "Conj", "Pron", "Aux"};
const char* const kProperties[] = {"proper", "word", "init-cap", "init-token", "nf",
                                   "sentence-end"};

// 5,000 distinct token patterns in the writer's text form (the compiler
// gives one id per distinct pattern).
std::string encoder_patterns() {
  uint64_t state = 42;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  };
  auto made_up = [&next] {
    std::string word;
    const uint32_t length = 3 + next() % 6;
    for (uint32_t i = 0; i < length; ++i) word += static_cast<char>('a' + next() % 26);
    if (next() % 4 == 0) word[0] -= 'a' - 'A';
    return word;
  };
  const size_t words = sizeof(kWords) / sizeof(kWords[0]);
  const size_t tags = sizeof(kTags) / sizeof(kTags[0]);
  const size_t properties = sizeof(kProperties) / sizeof(kProperties[0]);
  std::set<std::string> patterns;
  std::string text;
  for (uint32_t n = 0; patterns.size() < 5000; ++n) {
    const std::string word = next() % 5 == 0 ? kWords[next() % words] : made_up();
    const std::string tag = kTags[next() % tags];
    const std::string property = next() % 4 == 0 ? kProperties[next() % properties]
                                                 : "p" + std::to_string(next() % 300);
    std::string pattern;
    switch (n % 10) {
      case 0: case 1: case 2: pattern = "literal=" + word; break;
      case 3: case 4: case 5: pattern = "stem=" + word; break;
      case 6: pattern = "pos=" + tag; break;
      case 7: pattern = "stem=" + word + " pos=" + tag; break;
      case 8: pattern = "prop=" + property + (next() % 2 ? " literal=" + word : ""); break;
      case 9: pattern = "length=" + std::to_string(1 + next() % 6) + " prop=" + property; break;
    }
    if (!patterns.insert(pattern).second) continue;
    text += "token " + std::to_string(patterns.size()) + " " + pattern + "\n";
  }
  return text;
}

void BM_EncodeStream(benchmark::State& state) {
  zel::testing::ScratchFolder folder;
  testing::write_compiled_domain(encoder_patterns(), folder.str("d.dom"));
  auto domain = std::make_shared<DomainFacade>("d");
  domain->token_encoder = std::make_unique<EncoderFacade>(
      afst::serialization::open_file(folder.str("d.dom")), "token_encoder");
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(),
                                          zel::testing::english_text(55000));
  size_t tokens = 0;
  for (const Annotation* s = document.sentences().head; s != nullptr; s = s->next) {
    for (const Annotation* a = static_cast<const Sentence*>(s)->annotations.head; a != nullptr;
         a = a->next) {
      tokens += a->kind == kTokenKind;
    }
  }
  for (auto _ : state) {
    encode_stream(document.blackboard(), domain);
  }
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["tokens/s"] = benchmark::Counter(static_cast<double>(tokens),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EncodeStream)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavero
}  // namespace zel
