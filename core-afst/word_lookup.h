// The plain lexicon lookup (type code 1).
//
// up(word) answers a word with every output the lexicon network gives for
// exactly that word, sorted byte-wise and distinct. It is a language's
// "plain" morphology lookup, the inner lookup of the cleaner, compound,
// guesser and tag lookups, and the language identifier's lookup. The range
// form answers, for a stretch of text, every entry that matches from the
// stretch's start up to its end or up to a space, with the match's end
// offset: a compiled domain's lexicons are matched over a document's text
// with it.

#ifndef KAVERO_CORE_AFST_WORD_LOOKUP_H_
#define KAVERO_CORE_AFST_WORD_LOOKUP_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lookup_matcher.h"

namespace zel {
namespace afst {

class WordLookup : public LookupInterface {
 public:
  // The flag type that selects the range form of up().
  struct end_on_space {};

  // A lookup over a shared network; the converter may be empty.
  WordLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter);
  // A lookup over a network of its own, built from the transducer.
  WordLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
             std::shared_ptr<ILookupConverter> converter);
  ~WordLookup() override;

  int32_t type() const override;

  // The outputs for exactly `word`, after the converter (when there is one)
  // has converted the whole word. One call at a time per lookup: the lookup
  // reuses its matcher's stack and result list.
  std::vector<std::string> up(const std::string& word) override;

  // Every match from `begin` that ends at `end` or before a space (U+0020):
  // (bytes from `begin` to the match's end, the path's outputs other than
  // "eps" concatenated), in the order found; at most 21, and the walk stops
  // after 10000 steps. The converter is not applied. Keeps its state in the
  // call, so calls may run concurrently. An `end` before `begin` raises
  // std::out_of_range.
  std::vector<std::pair<int32_t, std::string>> up(const char* begin, const char* end,
                                                  end_on_space);

  const std::shared_ptr<AFst>& network() const { return network_; }
  const std::shared_ptr<ILookupConverter>& converter() const { return converter_; }

 private:
  std::shared_ptr<AFst> network_;
  std::shared_ptr<ILookupConverter> converter_;
  WordMatcher matcher_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_WORD_LOOKUP_H_
