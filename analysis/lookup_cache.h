// The dictionary lookup cache of one document.
//
// Every lookup of every chain bound to the document asks it first, under
// its own lookup id: the cache holds the first non-empty answer of each
// lookup for each word, until it is cleared. Lookups never see each other's
// answers. It has no size limit: it lives and dies with its document.

#ifndef KAVERO_ANALYSIS_LOOKUP_CACHE_H_
#define KAVERO_ANALYSIS_LOOKUP_CACHE_H_

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "language/lookup_cache_interface.h"

namespace zel {
namespace kavero {

class LookupCache : public core::ILookupCache {
 public:
  LookupCache();
  ~LookupCache() override;

  const std::vector<std::string>* lookup(
      core::LookupId lookup, const std::string& word) const override;
  void add(core::LookupId lookup, const std::string& word,
           const std::vector<std::string>& answer) override;
  void clear() override;

 private:
  struct Key {
    core::LookupId lookup;
    std::string word;
    bool operator==(const Key& other) const {
      return lookup == other.lookup && word == other.word;
    }
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };

  std::unordered_map<Key, std::vector<std::string>, KeyHash> entries_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_LOOKUP_CACHE_H_
