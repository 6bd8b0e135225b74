#include "analysis/lookup_cache.h"

namespace zel {
namespace kavero {

LookupCache::LookupCache() : entries_(1) {}
LookupCache::~LookupCache() = default;

const std::vector<std::string>* LookupCache::lookup(
    const std::string& word) const {
  auto it = entries_.find(word);
  return it == entries_.end() ? nullptr : &it->second;
}

void LookupCache::add(const std::string& word,
                      const std::vector<std::string>& answer) {
  entries_.emplace(word, answer);
}

void LookupCache::clear() { entries_.clear(); }

}  // namespace kavero
}  // namespace zel
