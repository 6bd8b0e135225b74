// The per-document cache of dictionary lookups, as the lookups of a
// language's chains see it. The document state implements it.

#ifndef KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_
#define KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_

#include <string>
#include <vector>

namespace zel {
namespace kavero {
namespace core {

class ILookupCache {
 public:
  // The stored answer for the word, or null. Valid until clear() or the
  // cache's end.
  virtual const std::vector<std::string>* lookup(
      const std::string& word) const = 0;
  // Stores an answer for a word not cached yet; a cached word keeps its
  // first answer.
  virtual void add(const std::string& word,
                   const std::vector<std::string>& answer) = 0;
  virtual void clear() = 0;
  virtual ~ILookupCache();
};

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_CACHE_INTERFACE_H_
