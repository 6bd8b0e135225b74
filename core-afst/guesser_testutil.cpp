#include "core-afst/guesser_testutil.h"

#include <random>
#include <utility>

#include "core-afst/guesser_text.h"

namespace zel {
namespace afst {
namespace testing {

std::vector<std::string> unknown_words(std::size_t count, uint32_t seed) {
  static const char* const kEndings[] = {"ing", "ed", "ly", "ness"};
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> length(3, 9), letter(0, 25), choice(0, 7);
  std::vector<std::string> words;
  while (words.size() < count) {
    std::string word;
    for (int n = length(random); n > 0; --n) word += static_cast<char>('a' + letter(random));
    const int kind = choice(random);
    if (kind < 4) word += kEndings[kind];
    if (kind == 0 && word.size() > 4) word.insert(word.size() - 2, 1, word[word.size() - 3]);
    if (kind == 1 && word.size() > 4) std::swap(word[word.size() - 2], word[word.size() - 3]);
    if (kind == 2 && word.size() > 4) word.erase(word.size() - 2, 1);
    words.push_back(word);
  }
  return words;
}

std::optional<std::vector<std::string>> full_search_answers(GuesserLookup& lookup,
                                                            const std::string& word,
                                                            uint64_t budget) {
  if (word.size() > GuesserLookup::kMaxWordBytes || !all_lowecase(word)) {
    return std::vector<std::string>();
  }
  GuesserLookupSession session(lookup.guesser(), nullptr);
  session.set_budget(budget);
  const std::string text = GuesserFactory(word.data(), word.data() + word.size()).str();
  WordLookup* lexicon = lookup.lexicon();
  // A result without repairs that the lookup answers with ends the walk,
  // as in the lookup: nothing found later can come before it.
  session.stop_when([&](const ResultEntry& result) {
    if (result.repairs != 0) return false;
    if (lexicon == nullptr) return true;
    if (result.form.compare(0, text.size(), text) == 0) return true;
    return !lexicon->up(result.form).empty();
  });
  session.lookup(word);
  if (session.exhausted()) return std::nullopt;
  return filter(&lookup, session.text(), session.results());
}

}  // namespace testing
}  // namespace afst
}  // namespace zel
