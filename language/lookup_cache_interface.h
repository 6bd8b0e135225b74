// The per-document cache of dictionary lookups, as the lookups of a
// language's chains see it. The document state implements it.
//
// Answers are kept per lookup: each lookup of a document's chains has an id
// of its own (LookupProxy takes a new one when it is made), and the cache
// holds one answer per id and word. So a word that one lookup answered is
// still asked of every other lookup's own lexicon; only repeated questions
// to the same lookup are answered from the cache.

#ifndef KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_
#define KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zel {
namespace kavero {
namespace core {

// Names one lookup in the cache. Ids are never reused within a process.
using LookupId = uint64_t;

class ILookupCache {
 public:
  // The stored answer of the lookup for the word, or null. Valid until
  // clear() or the cache's end.
  virtual const std::vector<std::string>* lookup(
      LookupId lookup, const std::string& word) const = 0;
  // Stores an answer of the lookup for a word it has no answer for yet; a
  // stored answer stays as it was.
  virtual void add(LookupId lookup, const std::string& word,
                   const std::vector<std::string>& answer) = 0;
  virtual void clear() = 0;
  virtual ~ILookupCache();
};

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_
