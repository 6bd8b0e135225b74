// The matcher that walks a rule transducer over a range of a sentence.
//
// It searches depth first with an explicit path of steps (state, arc
// cursor, the input position the step restores when it is popped, and the
// label it records), tries every arc of every state it reaches in the
// transducer's arc order, and records every path that enters a final state
// through a marker or a capture end. Results therefore come in the
// depth-first order of their paths, whatever their lengths.
//
// Patterns inside a concept (CNCPT_BEG ... CNCPT_END) and negated patterns
// (NEGATION) are searched by short-lived sub-matchers of the same class.
// A successful concept pattern leaves its chosen path in the sub-match
// store that a matcher shares with its sub-matchers, and the outer path
// refers to it by a SUBMATCH_REF step; collecting a result expands such
// references at any depth, so results never point into the store.
//
// Work is bounded: one search from a pushed step gives up after 10000
// iterations (keeping the results recorded so far), and a call stops once
// the number of results has reached the limit read from KAVERO_MAX_RESULTS
// when the library loads (result_limits.h).
//
// A matcher belongs to one thread; its rule must outlive it.

#ifndef KAVERO_MATCHER_AFST_MATCHER_H_
#define KAVERO_MATCHER_AFST_MATCHER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <fst/arc.h>

#include "analysis/annotation.h"
#include "base/inline_logger.h"
#include "core-afst/afst.h"
#include "core-afst/state_stack.h"
#include "matcher/attribute_conditions.h"
#include "matcher/matcher_interface.h"
#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {

class RuleFacade;

template <class Stack, class FI, class Logger>
class Matcher
    : public MatcherInterface,
      public ::zel::afst::IntrusiveMatcherPointers<Matcher<Stack, FI, Logger>, Stack,
                                                   ::zel::afst::InputState<FI>> {
 public:
  using Base = ::zel::afst::IntrusiveMatcherPointers<Matcher, Stack, ::zel::afst::InputState<FI>>;
  using Input = ::zel::afst::InputState<FI>;
  using Arc = fst::StdArc;
  using Step = typename Stack::Item;
  // A path as saved at a concept pattern's end: its steps, bottom first.
  using SavedPath = std::vector<Step>;

  // A matcher of the rule over its network; the rule must outlive it.
  Matcher(const RuleFacade* rule, const ::zel::afst::AFst& network);
  ~Matcher() override;

  void match_location(FI begin, FI end, bool anchored) override;
  void match(FI begin, FI end) override;
  const std::string& input_symbol(int id) const override;
  MatchResults& matches() override { return matches_; }
  void clear() override;

  // The search loop, run on the path after one step has been pushed: it
  // returns once that step has been popped, the path has been emptied (the
  // result limit) or 10000 iterations have passed (then the whole path is
  // emptied). A step whose input position is the range end takes its
  // parent with it when popped: nothing can follow it in the range.
  void sub_matcher(Input& input) override;

  // One step: tries `arc` of the top step's `state` at the current position.
  void check(const int& state, const Arc& arc, Input& input);

  // Records one match ending with `label` at `position`.
  void collect_results(const unsigned int& label, FI position);

 private:
  // A sub-matcher of `parent`: same rule and tables, shared sub-match store
  // and condition caches, its own path and results; `anchored` clear.
  struct SubMatcherOf {};
  Matcher(SubMatcherOf, const Matcher& parent);

  bool concept_sub_match(const Arc& arc, const Concept* c, FI first_concept, Input& input);
  bool negation_found(const Arc& body, FI position, const Input& input);
  void append_steps(const SavedPath& steps, size_t refs_below, MatchResult& result) const;
  void reset_call(FI end);

  const RuleFacade* rule_;
  const ::zel::afst::AFst* network_;
  const Concept* current_concept_ = nullptr;
  MatchResults matches_;
  bool anchored_ = true;
  bool scan_stacked_concepts_ = true;
  std::shared_ptr<std::vector<SavedPath>> sub_matches_;
  std::vector<SavedPath> concept_end_paths_;
  unsigned concept_end_state_ = 0;
  FI range_end_{};
  // Set when a KAV_NEGATION_END step is reached: the negated pattern was
  // found, also when it ends exactly at the range end.
  bool negation_end_reached_ = false;
  // The parsed ATT conditions and their compiled patterns, shared with the
  // sub-matchers.
  std::shared_ptr<AttributeConditions> conditions_;
};

using Path = ::zel::afst::StateStack<fst::StdArc, FilteredIterator, unsigned int>;
using AfstMatcher = Matcher<Path, FilteredIterator, ::zel::log::inline_logger::CodeNotThere>;

// A new matcher over the rule's network, with both flags set and empty
// stores. A rule that is not run by this matcher raises zel::Exception.
std::shared_ptr<MatcherInterface> make_matcher(const RuleInterface* rule);

// The result limit of this matcher, read once when the library loads.
int32_t result_limit();

}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_AFST_MATCHER_H_
