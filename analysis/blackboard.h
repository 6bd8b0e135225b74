// The state of one document under analysis.
//
// The blackboard owns everything that lives for exactly one document. So far
// it holds the dictionary lookup cache that every lookup of the language's
// chains bound to the document answers through; the annotation lists, the
// option view, the bound language and the per-document stores join it with
// the document analysis.

#ifndef KAVERO_ANALYSIS_BLACKBOARD_H_
#define KAVERO_ANALYSIS_BLACKBOARD_H_

#include <memory>

#include "analysis/lookup_cache.h"

namespace zel {
namespace kavero {

class Blackboard {
 public:
  // A document state with an empty lookup cache.
  Blackboard();
  ~Blackboard();

  Blackboard(const Blackboard&) = delete;
  Blackboard& operator=(const Blackboard&) = delete;

  // The dictionary lookup cache, made at construction.
  std::shared_ptr<LookupCache> lookup_cache;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_BLACKBOARD_H_
