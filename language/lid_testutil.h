// Engines and identifiers over the test identification network, for the
// tests and benchmarks of the language identifier (which define
// KAVERO_BINARY_DIR).
//
// The network is compiled at build time from language/testdata/morvik/
// lid.lexicon: a few dozen frequent words each of English, German, French
// and Dutch, each with its language code and a weight ("the:[EN100]"), some
// words in more than one language ("de", "in", "was").

#ifndef KAVERO_LANGUAGE_LID_TESTUTIL_H_
#define KAVERO_LANGUAGE_LID_TESTUTIL_H_

#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/options.h"
#include "engine/engine.h"
#include "language/language_identifier.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace testing {

// The resource folder that holds the compiled test network, "lid.fst".
inline std::string lid_test_folder() {
  return test_language_folder().string();
}

// An engine whose root and resource folder is lid_test_folder().
inline std::shared_ptr<kavero::Engine> lid_test_engine() {
  return std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", lid_test_folder()}, {"morvik", lid_test_folder()}}.dump()));
}

// A store of the engine for the options given as JSON text; a null text
// makes the store without an option set.
inline std::unique_ptr<lid::LIDStore> lid_test_store(kavero::Engine& engine,
                                                     const char* options) {
  return std::make_unique<lid::LIDStore>(
      &engine, options == nullptr ? nullptr : convert_string_to_api_options(options));
}

// A word made of a few syllables that no test language has, for the
// unknown words of generated identification texts.
inline std::string made_up_word(std::mt19937& random) {
  static const char* const kSyllables[] = {"ka", "mo", "ri", "len", "tus", "ver", "and",
                                           "pel", "dra", "si", "gon", "ut", "ber", "no"};
  std::uniform_int_distribution<int> count(1, 4);
  std::uniform_int_distribution<int> pick(0, sizeof kSyllables / sizeof *kSyllables - 1);
  std::string word;
  for (int n = count(random); n > 0; --n) word += kSyllables[pick(random)];
  return word;
}

// Text of at most `bytes` bytes in one language: sentences of 6 to 20
// words, half of them from `known` and half made up, cut after the last
// whole word that fits.
inline std::string identification_document(const std::vector<std::string>& known,
                                           std::size_t bytes, std::mt19937& random) {
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

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LID_TESTUTIL_H_
