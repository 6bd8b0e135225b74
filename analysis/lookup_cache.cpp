#include "analysis/lookup_cache.h"

#include <functional>

namespace zel {
namespace kavero {

std::size_t LookupCache::KeyHash::operator()(const Key& key) const {
  std::size_t hash = std::hash<std::string>()(key.word);
  // Mix in the id (the combination step of boost::hash_combine).
  hash ^= std::hash<core::LookupId>()(key.lookup) + 0x9e3779b97f4a7c15ULL +
          (hash << 6) + (hash >> 2);
  return hash;
}

LookupCache::LookupCache() : entries_(1) {}
LookupCache::~LookupCache() = default;

const std::vector<std::string>* LookupCache::lookup(
    core::LookupId lookup, const std::string& word) const {
  auto it = entries_.find(Key{lookup, word});
  return it == entries_.end() ? nullptr : &it->second;
}

void LookupCache::add(core::LookupId lookup, const std::string& word,
                      const std::vector<std::string>& answer) {
  entries_.emplace(Key{lookup, word}, answer);
}

void LookupCache::clear() { entries_.clear(); }

}  // namespace kavero
}  // namespace zel
