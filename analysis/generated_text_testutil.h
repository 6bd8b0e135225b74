// Generated English text for benchmarks: sentences built from the test
// language's words with a fixed pseudo-random sequence, with names,
// numbers, commas, quotes, words that only the guesser or the cleaner
// knows, and paragraph breaks. Every call with the same arguments gives
// the same text.

#ifndef KAVERO_ANALYSIS_GENERATED_TEXT_TESTUTIL_H_
#define KAVERO_ANALYSIS_GENERATED_TEXT_TESTUTIL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel {
namespace testing {

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

// Words of a generated lexicon, by part of speech.
struct Vocabulary {
  std::vector<std::string> nouns;
  std::vector<std::string> adjectives;
  std::vector<std::string> verbs;
};

// At least `bytes` bytes of text. With a vocabulary, half of the nouns,
// adjectives and verbs come from it.
std::string generated_text(size_t bytes, const Vocabulary* vocabulary = nullptr);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_GENERATED_TEXT_TESTUTIL_H_
