#include "core-afst/word_trie_testutil.h"

#include <utf8.h>

namespace zel {
namespace afst {
namespace testing {

WordTrie::WordTrie(const std::vector<std::string>& words) {
  for (const auto& word : words) add(word);
}

void WordTrie::add(const std::string& word) {
  int state = 0;
  for (auto it = word.begin(); it != word.end();) {
    auto start = it;
    utf8::next(it, word.end());
    const std::string letter(start, it);
    auto found = next_.find({state, letter});
    if (found == next_.end()) {
      const int target = net_.add_state();
      net_.arc(state, letter, letter, target);
      found = next_.emplace(std::make_pair(state, letter), target).first;
    }
    state = found->second;
  }
  net_.set_final(state);
}

}  // namespace testing
}  // namespace afst
}  // namespace zel
