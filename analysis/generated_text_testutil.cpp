#include "analysis/generated_text_testutil.h"

#include <cstdint>

namespace zel {
namespace testing {
namespace {

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

std::string capitalised(std::string word) {
  if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] -= 'a' - 'A';
  return word;
}

// With a vocabulary, half of the nouns, adjectives and verbs come from it.
class WordSource {
 public:
  WordSource(Sequence& s, const Vocabulary* vocabulary) : s_(s), vocabulary_(vocabulary) {}

  std::string noun() { return pick(kNouns, &Vocabulary::nouns); }
  std::string adjective() { return pick(kAdjectives, &Vocabulary::adjectives); }
  std::string verb() { return pick(kVerbs, &Vocabulary::verbs); }

 private:
  template <size_t N>
  std::string pick(const char* const (&words)[N],
                   std::vector<std::string> Vocabulary::*generated) {
    if (vocabulary_ != nullptr && s_.next() % 2 == 0) {
      const std::vector<std::string>& list = vocabulary_->*generated;
      return list[s_.next() % list.size()];
    }
    return s_.pick(words);
  }

  Sequence& s_;
  const Vocabulary* vocabulary_;
};

}  // namespace

std::string generated_text(size_t bytes, const Vocabulary* vocabulary) {
  Sequence s;
  WordSource w(s, vocabulary);
  std::string text;
  text.reserve(bytes + 256);
  while (text.size() < bytes) {
    std::string sentence;
    if (s.next() % 4 == 0) {
      sentence = s.pick(kNames);
    } else {
      sentence = capitalised(s.pick(kDeterminers));
      if (s.next() % 2) sentence += " " + w.adjective();
      sentence += " " + w.noun();
    }
    sentence += " " + w.verb();
    if (s.next() % 3 == 0) sentence += std::string(" ") + s.pick(kAdverbs);
    sentence += std::string(" ") + s.pick(kDeterminers) + " " + w.noun();
    if (s.next() % 2) {
      sentence += std::string(" ") + s.pick(kPrepositions) + " " + s.pick(kNames);
    }
    switch (s.next() % 8) {
      case 0: {
        sentence += ", and " + w.noun();
        sentence += " " + w.verb();
        sentence += " " + std::to_string(s.next() % 1000) + " " + w.noun();
        break;
      }
      case 1:
        sentence += std::string(" with the ") + s.pick(kRare);
        break;
      case 2:
        sentence += " \"" + w.adjective();
        sentence += " " + w.noun() + "\"";
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

}  // namespace testing
}  // namespace zel
