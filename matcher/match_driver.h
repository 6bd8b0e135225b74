// The match driver: runs a domain's rule collections over an encoded
// document.
//
// The domain's collections run in the domain's order (optionally only
// those of named clusters). Within a collection the document is worked
// sentence by sentence: the sentence gets a pool of the collection's rules
// (rule_candidates.h), each pass takes the pool's candidates and hands them
// to the executor (candidate_execution.h), and the passes go on while rules
// add concepts to the sentence, at most 19 times. After the last collection
// of a cluster its closing steps run: anaphora (cluster "anaphora", when
// the domain and the document's option "anaphora" allow it), the instance
// pass (cluster "instances", when the domain asks for it), the namespace
// actions of the collection's name, and for "entities" the entity repair;
// after all collections the namespace actions of "last".
//
// The document must have been encoded for the domain (stream_encoding.h).
// Errors of matchers, inserters, rule functions and closing steps pass
// through. A driver call works on one document on the calling thread;
// domains and rules are only read.

#ifndef KAVERO_MATCHER_MATCH_DRIVER_H_
#define KAVERO_MATCHER_MATCH_DRIVER_H_

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "analysis/annotation.h"
#include "matcher/candidate_execution.h"
#include "matcher/rule_candidates.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;
class IAddConcept;

// Runs a candidate list over one sentence's list.
class IExecuteCandidates {
 public:
  virtual void operator()(RuleCandidateCollectionBase& candidates,
                          const AnnotationCollection& sentence) = 0;
  virtual ~IExecuteCandidates();
};

// Runs kind 0 lists as a plain collection and kind 1 lists as a priority
// group; lists of any other kind run nothing.
class ExecuteCandidates : public IExecuteCandidates, public ExecuteCandidatesBase {
 public:
  using ExecuteCandidatesBase::ExecuteCandidatesBase;
  void operator()(RuleCandidateCollectionBase& candidates,
                  const AnnotationCollection& sentence) override;
};

// The most passes over one sentence for one collection.
constexpr int kMaxSentencePasses = 19;

// An executor over the blackboard and domain that inserts through
// `inserter`.
std::shared_ptr<ExecuteCandidates> create_matcher(Blackboard& blackboard,
                                                  const std::shared_ptr<DomainFacade>& domain,
                                                  IAddConcept& inserter);

// Runs one collection over the blackboard's document, inserting through
// `inserter`; no closing steps. With the debug flag "insertion", announces
// the collection on standard output first. Returns true.
bool match_ids(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain,
               const RuleCollectionBase& collection, IAddConcept& inserter);

// Runs the domain's collections whose cluster `names` holds (every
// collection when it is empty) with the blackboard's own inserter, with
// the closing steps after the last collection of each cluster run and the
// namespace actions of "last" at the end. With the debug flag "insertion",
// announces every collection of the domain on standard output. Returns
// true.
bool match_ids(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain,
               const std::set<std::string>& names);

// Runs one collection over every sentence of the document; registers the
// collection with the blackboard's profiler first, when it has one and the
// collection holds rules.
void match_rules_on_document(const Blackboard& blackboard, const RuleCollectionBase& collection,
                             const AnnotationCollection& document, IExecuteCandidates& executor);

using SentenceFunction =
    std::function<void(Sentence*, RuleCandidateCollectionBase&, IExecuteCandidates&)>;

// Calls `function` for each sentence of the document with a new pool of the
// collection's rules: a RuleCandidateCollection for a collection of kind 0,
// a PriorityGroupRuleCandidateCollection for kind 1; nothing for any other
// kind.
void match_sentence(const AnnotationCollection& document, const RuleCollectionBase& collection,
                    IExecuteCandidates& executor, const SentenceFunction& function);

// The passes over one sentence: takes the pool's candidates and runs them,
// again while the sentence is marked changed (the mark is cleared after
// each pass), at most kMaxSentencePasses times.
void run_sentence(Sentence* sentence, RuleCandidateCollectionBase& pool,
                  IExecuteCandidates& executor);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_MATCH_DRIVER_H_
