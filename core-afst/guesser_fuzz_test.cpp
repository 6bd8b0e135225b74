// Random words through the guesser, under the sanitizers: no crash, no read
// outside a buffer, and the search's own bookkeeping back in order after
// every word. The loops are seeded, so a failure repeats.

#include <gtest/gtest.h>
#include <utf8.h>

#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core-afst/guesser_lookup.h"
#include "core-afst/guesser_search.h"
#include "core-afst/guesser_testutil.h"
#include "core-afst/lookup_network_testutil.h"
#include "core-afst/word_trie_testutil.h"

namespace zel {
namespace afst {
namespace {

using testing::TestNetwork;
using testing::WordTrie;

// Letters of one, two and three bytes, all lower case.
const std::vector<std::string> kLetters = {"a", "b", "c", "d", "e", "n", "s",
                                           "t", "ä", "ö", "ß", "é", "ж", "ḁ"};

std::string random_word(std::mt19937& rng, std::size_t max_letters) {
  std::uniform_int_distribution<std::size_t> length(0, max_letters);
  std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
  std::string word;
  const std::size_t n = length(rng);
  for (std::size_t i = 0; i < n; ++i) word += kLetters[letter(rng)];
  return word;
}

// The word cut after at most `bytes` bytes, at a character boundary.
std::string cut(const std::string& word, std::size_t bytes) {
  if (word.size() <= bytes) return word;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(word[end]) & 0xC0) == 0x80) --end;
  return word.substr(0, end);
}

// Checks what every search must leave behind.
void expect_search_in_order(const std::shared_ptr<AFst>& guesser, const std::string& word) {
  GuesserLookupSession session(guesser, nullptr);
  const auto results = session.lookup(word);
  ASSERT_EQ(session.stack().size, 0) << word;
  ASSERT_EQ(session.stack().top, nullptr) << word;
  if (guesser->start() != fst::kNoStateId) {
    ASSERT_EQ(session.text(), GuesserFactory(word.data(), word.data() + word.size()).str()) << word;
  }
  std::set<std::string> seen;
  for (const auto& result : results) {
    ASSERT_TRUE(seen.insert(result.form).second) << word << " " << result.form;
    ASSERT_EQ(result.tag, "+guess");
    ASSERT_GE(result.repairs, 0);
    ASSERT_LE(static_cast<std::size_t>(result.repairs), word.size() + 1);
    ASSERT_GT(result.score, 0.0) << word;
    if (result.repairs == 0) {
      ASSERT_DOUBLE_EQ(result.score, 1.0) << word;
    }
  }
}

TEST(GuesserFuzzTest, RandomWordsOverAWordList) {
  std::mt19937 rng(20240611);
  std::vector<std::string> words;
  WordTrie trie({});
  for (int i = 0; i < 300; ++i) {
    std::string word = random_word(rng, 12);
    if (word.empty()) continue;
    trie.add(word);
    words.push_back(word);
  }
  auto guesser = trie.network();
  TestNetwork lexicon;
  for (const auto& word : words) lexicon.word(word, word + "+Nn-Sg");
  GuesserLookup lookup(guesser, lexicon.network(), nullptr);

  std::uniform_int_distribution<int> pick(0, static_cast<int>(words.size()) - 1);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int i = 0; i < 3000; ++i) {
    std::string word;
    if (coin(rng) == 0) {
      word = random_word(rng, 30);
    } else {
      // A known word with random changes, so that repairs are tried.
      word = words[pick(rng)];
      const int changes = coin(rng);
      for (int c = 0; c < changes; ++c) {
        std::vector<std::string> letters;
        for (auto it = word.begin(); it != word.end();) {
          auto start = it;
          utf8::next(it, word.end());
          letters.emplace_back(start, it);
        }
        std::uniform_int_distribution<std::size_t> at(0, letters.size());
        const std::size_t p = at(rng);
        switch (coin(rng)) {
          case 0:
            if (p < letters.size()) letters.erase(letters.begin() + p);
            break;
          case 1:
            if (p + 1 < letters.size()) std::swap(letters[p], letters[p + 1]);
            break;
          default:
            letters.insert(letters.begin() + p, kLetters[pick(rng) % kLetters.size()]);
            break;
        }
        word.clear();
        for (const auto& l : letters) word += l;
      }
    }
    ASSERT_NO_FATAL_FAILURE(expect_search_in_order(guesser, cut(word, 49)));
    const auto answers = lookup.up(word);
    for (const auto& answer : answers) {
      ASSERT_EQ(answer.compare(answer.size() - 9, 9, "+guess+nf"), 0) << answer;
    }
    // Repairs left out by rank change no answer.
    if (const auto full = testing::full_search_answers(lookup, word)) {
      ASSERT_EQ(answers, *full) << word;
    }
  }
}

// Networks of random states and arcs: labels that read nothing (also in
// cycles), "??", control labels, the empty label, labels of several
// characters, label ids without a symbol, random final states.
std::shared_ptr<AFst> random_network(std::mt19937& rng) {
  static const std::vector<std::string> kInputs = {"a",  "b",   "c",   "ä",  "ö",     "ß",
                                                   "ж",  "eps", "EPS", "??", "#end1", "#ctrl",
                                                   "#e", "",    "ab",  "äx"};
  static const std::vector<std::string> kOutputs = {"a", "b", "eps", "", "xy", "ä", "+Nn"};
  TestNetwork net;
  std::uniform_int_distribution<int> state_count(1, 12);
  const int states = state_count(rng);
  for (int s = 1; s < states; ++s) net.add_state();
  std::uniform_int_distribution<int> any_state(0, states - 1);
  std::uniform_int_distribution<int> arc_count(0, 6);
  std::uniform_int_distribution<std::size_t> input(0, kInputs.size());
  std::uniform_int_distribution<std::size_t> output(0, kOutputs.size() - 1);
  std::uniform_int_distribution<int> coin(0, 2);
  for (int s = 0; s < states; ++s) {
    const int arcs = arc_count(rng);
    for (int a = 0; a < arcs; ++a) {
      const std::size_t in = input(rng);
      if (in == kInputs.size()) {
        net.raw_arc(s, 1000, 1000, any_state(rng));  // ids without symbols
      } else {
        net.arc(s, kInputs[in], kOutputs[output(rng)], any_state(rng));
      }
    }
    if (coin(rng) == 0) net.set_final(s);
  }
  return net.network();
}

TEST(GuesserFuzzTest, RandomWordsOverRandomNetworks) {
  std::mt19937 rng(777);
  int exhausted = 0;
  TestNetwork forms;
  forms.word("ab", "ab+X");
  forms.word("xy", "xy+Y");
  auto lexicon = forms.network();
  for (int n = 0; n < 300; ++n) {
    auto guesser = random_network(rng);
    // With the lexicon on odd rounds, without it on even ones.
    GuesserLookup lookup(guesser, n % 2 == 1 ? lexicon : nullptr, nullptr);
    for (int i = 0; i < 10; ++i) {
      const std::string word = cut(random_word(rng, 30), 49);
      ASSERT_NO_FATAL_FAILURE(expect_search_in_order(guesser, word));
      GuesserLookupSession session(guesser, nullptr);
      session.lookup(word);
      if (session.exhausted()) ++exhausted;
      const auto answers = lookup.up(word);
      if (const auto full = testing::full_search_answers(lookup, word)) {
        ASSERT_EQ(answers, *full) << "network " << n << " word " << word;
      }
    }
  }
  // Some networks must have run into the limits for this test to show them.
  EXPECT_GT(exhausted, 0);
}

}  // namespace
}  // namespace afst
}  // namespace zel
