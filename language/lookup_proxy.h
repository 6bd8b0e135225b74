// One dictionary lookup of a language's chains, bound to a document.
//
// A language's chains (morph_data.h) hold their lookups as ILookup. Each is
// a LookupProxy over one lexicon lookup (core-afst/lookup_interface.h): the
// proxy appends the lookup's additional properties ("+Prop" texts from the
// language configuration) to every output and answers repeated questions
// from the document's lookup cache.
//
// The cache is kept per proxy: every proxy takes a lookup id of its own when
// it is made, so one lookup's answer for a word is never taken for another
// lookup's; each lexicon is asked once per word per document.

#ifndef KAVERO_LANGUAGE_LOOKUP_PROXY_H_
#define KAVERO_LANGUAGE_LOOKUP_PROXY_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "language/lookup_cache_interface.h"

namespace zel {
namespace afst {
class LookupInterface;
}  // namespace afst

namespace kavero {

class Blackboard;

namespace core {

class ILookup {
 public:
  // The outputs for the word through the document's lookup cache; an empty
  // list when the lookup does not know the word.
  virtual std::vector<std::string> lookup(const std::string& word) const = 0;
  // The same without the cache.
  virtual std::vector<std::string> lookup_no_cache(
      const std::string& word) const = 0;
  virtual ~ILookup();
};

class LookupProxy : public ILookup {
 public:
  // A proxy over the lexicon lookup, answering through the blackboard's
  // lookup cache; the blackboard must outlive the proxy. The additional
  // properties start empty.
  LookupProxy(std::shared_ptr<afst::LookupInterface> lookup,
              Blackboard* blackboard);
  ~LookupProxy() override;

  // A cached answer of this proxy for the word, copied; otherwise the
  // lexicon's outputs with the additional properties appended to each,
  // stored in the cache when there are any (an empty answer is asked again
  // next time).
  std::vector<std::string> lookup(const std::string& word) const override;
  // The lexicon's outputs with the additional properties appended to each.
  std::vector<std::string> lookup_no_cache(
      const std::string& word) const override;

  // The text appended to every output, such as "+measure"; empty for none.
  const std::string& properties() const { return properties_; }
  void set_properties(std::string properties) {
    properties_ = std::move(properties);
  }

  // This proxy's key in the lookup cache.
  LookupId id() const { return id_; }

 private:
  std::string properties_;
  std::shared_ptr<afst::LookupInterface> lookup_;
  Blackboard* blackboard_;
  LookupId id_;
};

using LookupChain = std::vector<std::shared_ptr<ILookup>>;

// The first non-empty answer of lookup() along the chain, in order; later
// lookups are not asked. Empty when none answers (or the chain is empty).
std::vector<std::string> lookup_chain(const LookupChain& chain,
                                      const std::string& word);
// The same with lookup_no_cache().
std::vector<std::string> lookup_chain_no_cache(const LookupChain& chain,
                                               const std::string& word);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_PROXY_H_
