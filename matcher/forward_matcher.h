// The matcher of single-path rules: it walks the rule's steps, flattened
// once when the rule loads (forward_states.h), in order over a range of a
// sentence, instead of searching the transducer.
//
// One attempt starts at one position and applies the steps one after the
// other at the current position; the first step that fails ends the
// attempt. The steps are those of the afst matcher (afst_matcher.h) for the
// labels a single-path rule holds: tokens, any-tokens, token properties,
// whole concepts with attribute conditions, capture begins and ends,
// markers and gaps. Other labels (patterns inside concepts, negations) are
// reported on standard output as "invalid id_type: " with the kind, and fail
// the attempt: such rules run on the afst matcher.
//
// The results are those of the afst matcher for the same rule: a gap tries
// the rest of the steps from each position after it, in order, and keeps the
// first position from which they match, as the afst matcher's search does.
// Unlike the afst matcher, the limit on the number of results (read from
// KAVERO_MAX_RESULTS when the library loads) only ends the attempt that
// reached it: every start position is still tried, so every match of a
// sentence is recorded.
//
// A matcher belongs to one thread; its rule must outlive it.

#ifndef KAVERO_MATCHER_FORWARD_MATCHER_H_
#define KAVERO_MATCHER_FORWARD_MATCHER_H_

#include <cstddef>
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
#include "matcher/forward_states.h"
#include "matcher/matcher_interface.h"
#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {

class RuleFacade;

template <class Stack, class FI, class Logger>
class Matcher : public MatcherInterface {
 public:
  using Input = ::zel::afst::InputState<FI>;

  // A matcher of the rule over its network and its full list of steps; the
  // rule must outlive it.
  Matcher(const RuleFacade* rule, const ::zel::afst::AFst& network,
          const std::vector<State>& steps);
  ~Matcher() override;

  void match_location(FI begin, FI end, bool anchored) override;
  void match(FI begin, FI end) override;
  const std::string& input_symbol(int id) const override;
  MatchResults& matches() override { return matches_; }
  void clear() override;

  // Applies step i of the list at the current position of `input`; true
  // means go on with step i + 1. A gap applies the remaining steps itself
  // and then moves i to the last step.
  bool check_idx(size_t& i, const State& step, Input& input);

  // Whether each state of the transducer is final, by state id.
  const std::vector<bool>& final_flags() const { return final_flags_; }

 private:
  // Applies the steps from i on; true when every one of them went on.
  bool walk(size_t i, Input& input);
  bool is_start(const Annotation* a) const;
  void collect(unsigned label, FI position);

  const fst::StdVectorFst* fst_;
  const std::vector<std::string>* input_symbols_;
  std::vector<bool> final_flags_;
  Stack path_;
  const RuleFacade* rule_;
  MatchResults matches_;
  bool anchored_ = true;
  const State* steps_;
  size_t step_count_;
  const Concept* current_concept_ = nullptr;
  // The parsed ATT conditions and their compiled patterns.
  AttributeConditions conditions_;
};

using Path = ::zel::afst::StateStack<fst::StdArc, FilteredIterator, unsigned int>;
using ForwardMatcher = Matcher<Path, FilteredIterator, ::zel::log::inline_logger::CodeNotThere>;

// A new matcher over the rule's network and full list. A rule that is not
// run by this matcher raises zel::Exception.
std::shared_ptr<MatcherInterface> make_matcher(const RuleInterface* rule);

// The result limit of this matcher, read once when the library loads.
int32_t result_limit();

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_FORWARD_MATCHER_H_
