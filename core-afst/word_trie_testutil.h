// Test helper: networks that spell known words, one arc per letter, each arc
// writing the letter it reads, with shared prefixes merged (as a compiled
// word list has them). A guesser over such a network reaches known words.

#ifndef KAVERO_CORE_AFST_WORD_TRIE_TESTUTIL_H_
#define KAVERO_CORE_AFST_WORD_TRIE_TESTUTIL_H_

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace testing {

class WordTrie {
 public:
  explicit WordTrie(const std::vector<std::string>& words);
  // Adds the path of a word (letters are code points).
  void add(const std::string& word);
  TestNetwork& net() { return net_; }
  std::shared_ptr<AFst> network() const { return net_.network(); }

 private:
  TestNetwork net_;
  std::map<std::pair<int, std::string>, int> next_;
};

}  // namespace testing
}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_WORD_TRIE_TESTUTIL_H_
