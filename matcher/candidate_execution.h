// Candidate execution: running a sentence's candidate rules, choosing among
// a rule's matches, and inserting the chosen captures as concepts.
//
// For one sentence and one pass the match driver (match_driver.h) hands
// over the candidate rules of a collection. Each rule's matcher runs over
// the sentence; every match becomes a list of capture items (the captures
// whose end lies after their begin, outer ones first, each with the
// attribute text of the marker after its end); matches of the rule that
// start at the same offset compete and the losers are pruned; the rest are
// inserted through an IAddConcept, and after each rule the queued rule
// functions run.
//
// A plain collection runs every candidate over the whole sentence, each
// seeing what the ones before it inserted. A priority group walks the
// sentence position by position: at each position the first rule, in
// collection order, that matches there wins, and the walk goes on where
// its first kept match ends.
//
// Pruning two matches A (earlier in the rule's results) and B with the
// same start: more items win; with as many items, the first pair of items
// that differ decides: of two items over the same span, the one ending on
// an end annotation is kept, else the later match; when one item covers
// the other, the covering match wins, unless its capture asks for
// "match=\"shortest\"", which makes the covered one win. The outcome does
// not depend on the order in which the matcher found the matches.
//
// An executor belongs to one collection run on one thread.

#ifndef KAVERO_MATCHER_CANDIDATE_EXECUTION_H_
#define KAVERO_MATCHER_CANDIDATE_EXECUTION_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "matcher/matcher_interface.h"
#include "matcher/rule_candidates.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;
class IAddConcept;
class RuleInterface;

namespace profiler {
class ProfilerInterface;
}  // namespace profiler

namespace optimisation {

// One capture of one match.
struct Item {
  // The capture index: the capture label's low 24 bits.
  unsigned index;
  // Where the capture begins, and the annotation after its end.
  const Annotation* begin;
  const Annotation* end;
  // The attribute text of the marker after the capture's end; may be empty.
  std::string attributes;
  // The attributes contain "match=\"shortest\"".
  bool shortest;
};

using Match = std::vector<Item>;

// The items of one result of the matcher, in path order: for every capture
// begin, the first end of the same capture at or after it, when the end's
// annotation starts at a greater offset than the begin's. The marker
// label right after the end gives the attributes (its symbol text).
Match make_items(const matcher::MatchResult& result, const matcher::MatcherInterface& matcher);

// The items of every result of the matcher that has some, in result order.
std::vector<Match> make_matches(const matcher::MatcherInterface& matcher);

// Removes the matches that lose against another match with the same start
// offset (see the header comment); the others keep their order.
void prune(std::vector<Match>& matches);

}  // namespace optimisation

// The rules announced by the debug flag "rule_trigger", process-wide.
extern std::atomic<uint32_t> global_debug_rule_counter;

class ExecuteCandidatesBase {
 public:
  // Reads the blackboard's debug flags "rule_trigger" and "rule_info" (or
  // "rule_info_short") and takes its profiler.
  ExecuteCandidatesBase(Blackboard& blackboard, std::shared_ptr<DomainFacade> domain,
                        IAddConcept& inserter);
  virtual ~ExecuteCandidatesBase();

  // Runs each candidate over the whole sentence list, in order.
  void dispatch_match_type(const RuleCandidateCollection& candidates,
                           const AnnotationCollection& sentence);
  // Walks the sentence list; at each position the first candidate that
  // matches there inserts its kept matches.
  void dispatch_match_type(const PriorityGroupRuleCandidateCollection& candidates,
                           const AnnotationCollection& sentence);

  // Inserts the items of each match in order, each under the innermost
  // concept inserted before it for the same match that reaches its begin.
  // An item the inserter refuses ends its match unless it has a parent.
  // With rule information on and a rule attribute "debug_info", every item
  // gets the attribute "_rule" with the rule's printable name.
  void insert_optimized_results(const std::vector<optimisation::Match>& matches,
                                RuleInterface* rule);

 protected:
  Blackboard& blackboard_;
  std::shared_ptr<DomainFacade> domain_;
  IAddConcept& inserter_;
  bool rule_trigger_;
  bool rule_info_;
  profiler::ProfilerInterface* profiler_;
  // The concepts inserted so far for the match being inserted.
  std::vector<Concept*> parents_;

 private:
  // Builds, prunes and inserts the matcher's results for the rule, then
  // runs the queued functions. Returns the kept matches.
  std::vector<optimisation::Match> insert_results(matcher::MatcherInterface& matcher,
                                                  RuleInterface* rule);
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_CANDIDATE_EXECUTION_H_
