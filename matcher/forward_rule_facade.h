// A rule run by the forward matcher: a single path, flattened into steps
// when it loads (forward_states.h).
//
// Its one top-level id is the label of the first step that consumes
// something: the first entry of the short list, passing over gaps ("..")
// and markers in front of it as the compiler's list of top-level ids does,
// so that the rule starts where the afst matcher starts it. The any-token
// label there means the rule may start at any token and never at a concept,
// unless a gap comes first (the gap may then begin at a concept, as it does
// on the afst matcher).

#ifndef KAVERO_MATCHER_FORWARD_RULE_FACADE_H_
#define KAVERO_MATCHER_FORWARD_RULE_FACADE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "matcher/forward_states.h"
#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {

class RuleFacade : public RuleBaseFacade {
 public:
  // Reads both records of the rule; a missing or unreadable one raises
  // zel::Exception naming it, as do a transducer that is not a single path
  // numbered in path order and a path without a consuming step other than
  // gaps and markers (make_rule gives such rules to the afst matcher
  // instead).
  RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
             const AttributeList& attributes);
  // The same with the rule network already read and flattened.
  RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
             const AttributeList& attributes, std::shared_ptr<::zel::afst::AFst> network,
             CollectedStates states);
  ~RuleFacade() override;

 private:
  RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
             const AttributeList& attributes, std::shared_ptr<::zel::afst::AFst> network);

 public:

  // A new forward matcher (forward_matcher.h) over the rule's full list.
  std::shared_ptr<MatcherInterface> get_matcher() override;

  bool has_top_level_id() const;
  // With the any-token label: whether bit 29 (a concept id) of `id` is
  // clear; otherwise whether `id` is the top-level id.
  bool contains_top_level_id(const unsigned& id) const;

  uint32_t top_level_id() const { return top_level_id_; }
  // Whether a gap comes before the first consuming step.
  bool starts_with_gap() const { return starts_with_gap_; }
  const std::shared_ptr<::zel::afst::AFst>& network() const { return network_; }
  const std::vector<State>& short_list() const { return states_.short_list; }
  const std::vector<State>& full_list() const { return states_.full_list; }

 private:
  std::shared_ptr<::zel::afst::AFst> network_;
  CollectedStates states_;
  uint32_t top_level_id_;
  bool starts_with_gap_;
};

// Why the forward matcher cannot run a rule of these steps, or the empty
// text when it can (see RuleFacade's constructor).
std::string forward_refusal(const ::zel::afst::AFst& network, const CollectedStates& states);

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_FORWARD_RULE_FACADE_H_
