// Anaphora: linking a referring expression to an earlier concept of the
// document.
//
// The rules of a domain's "anaphora" cluster mark each referring expression
// with the queued rule function "kav::anaphora"; the function concept (the
// anaphor) carries the rule's attributes:
//
//   "scope"      from:to, the sentences to search relative to the
//                anaphor's sentence ("-1:0": the one before and its own)
//   "concept"    the URI a candidate must have
//   "except"     URIs separated by ':' whose joint occurrence near the end
//                of the scope blocks everything before it
//   "required"   name:value, once per condition, that a candidate must hold
//   "relevancy"  name:value:weight, once per rule, scoring candidates
//
// Handler only records the call in the document's Store. After the last
// collection of the cluster the match driver calls apply(), which takes the
// recorded calls in the order of their anaphors, collects for each anaphor
// the earlier concepts of the scope that qualify, keeps the best one and
// inserts a concept of its URI over the referring expression, sharing the
// candidate's attributes and carrying its canonical form.
//
// The store only grows: every apply() resolves every call recorded on the
// document so far, so later domains resolve earlier calls again (the
// inserter settles repeated insertions). The recorded calls point into the
// document; before a domain run deletes concepts it drops the calls and
// candidates that point at them (forget_concepts_to_delete).

#ifndef KAVERO_MATCHER_ANAPHORA_H_
#define KAVERO_MATCHER_ANAPHORA_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

class Blackboard;
class Concept;

namespace anaphora {

struct CandidateInfo {
  // Not owned.
  Concept* anaphor;
  Concept* candidate;
  double relevancy;
};

// The per-document record, owned by the blackboard.
class Store {
 public:
  // The candidates of the anaphors being resolved.
  std::vector<CandidateInfo> candidates;
  // Every recorded call, in the order recorded.
  std::vector<runtime::Context> referents;
};

// The handler of "kav::anaphora": records the call. Returns
// "return : true ".
struct Handler {
  std::string operator()(const runtime::Context& context) const;
};

// By the begin offset of the anaphor.
struct SortReferents {
  bool operator()(const runtime::Context& a, const runtime::Context& b) const;
};

// By the anaphor's begin offset, then by relevancy, highest first.
struct SortCandidates {
  bool operator()(const CandidateInfo& a, const CandidateInfo& b) const;
};

// The blackboard's store, made empty on first use.
Store& get_store(Blackboard& blackboard);

// Resolves every call recorded on the document so far, anaphor by anaphor.
// The errors of mark_candidate propagate; the store keeps what it holds.
void apply(Blackboard* blackboard);

// Appends to the store's candidates the concepts of the call's scope that
// the anaphor may refer to: not deleted, of the URI of "concept", not
// before the blocking pattern of "except", meeting every "required"
// condition, beginning before the anaphor. False when the scope holds no
// text. Raises zel::Exception "Anaphora attribute scope is not valid." for
// a scope that is not two parts, and std::invalid_argument or
// std::out_of_range ("stoi") for a part that is no int.
bool mark_candidate(const runtime::Context& context);

// (valid, relevancy): invalid when a "required" condition fails (the
// candidate lacks the attribute, or its first value differs ignoring case);
// otherwise the "relevancy" rules score it: each value of the named
// attribute that differs costs 0.1, the first equal one adds the weight and
// ends the scoring.
std::pair<bool, double> calculate_relevancy(Concept* anaphor,
                                            Concept* candidate);

// Removes, keeping the order of the rest, the candidates whose own list
// holds a value other than the one the first candidate's anaphor requires
// (compared byte for byte; a candidate without the attribute stays).
void filter_invalid_required_attributes(std::vector<CandidateInfo>& candidates);
// Removes the candidates whose "_ana" is "no_referent".
void filter_no_referent_attributes(std::vector<CandidateInfo>& candidates);

// Resolves the store's candidates: filters them, keeps the best one per
// anaphor (highest relevancy; on a tie the one of the later sentence, and
// in one sentence the one that begins first) and inserts it over its
// anaphor through the blackboard's inserter with the rule name "anaphora".
void apply_cluster(Blackboard* blackboard);

// Whether `b` begins with `a`, ignoring case (C upper-casing); true for an
// empty `a`.
bool compare_is(const std::string& a, const std::string& b);

// Drops the recorded calls whose anaphor, and the candidates whose anaphor
// or candidate, is marked to be deleted (flag to_delete), and forgets a
// recorded scope so marked: the domain run calls it before it deletes
// those concepts, so that no later apply() reads them. Everything else is
// kept for the domains that follow.
void forget_concepts_to_delete(Blackboard& blackboard);

}  // namespace anaphora
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ANAPHORA_H_
