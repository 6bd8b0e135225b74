// The dictionary lookup cache of one document.
//
// Every lookup of every chain bound to the document asks it first. It is
// keyed by the word alone, so the first non-empty answer for a word is the
// one every later lookup of that word receives until the cache is cleared.
// It has no size limit: it lives and dies with its document.

#ifndef KAVERO_ANALYSIS_LOOKUP_CACHE_H_
#define KAVERO_ANALYSIS_LOOKUP_CACHE_H_

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
      const std::string& word) const override;
  void add(const std::string& word,
           const std::vector<std::string>& answer) override;
  void clear() override;

 private:
  std::unordered_map<std::string, std::vector<std::string>> entries_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_LOOKUP_CACHE_H_
