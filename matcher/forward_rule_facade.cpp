#include "matcher/forward_rule_facade.h"

#include <sstream>
#include <utility>

#include "base/exception.h"
#include "core-afst/serialization.h"
#include "matcher/forward_matcher.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

std::shared_ptr<::zel::afst::AFst> read_network(const std::shared_ptr<sqlite3>& db,
                                                const std::string& name) {
  return make_rule_network(db.get(), name, ::zel::afst::serialization::get_fsm(db, name));
}

// The first entry of the short list that is neither a gap nor a marker
// (markers consume nothing); null when there is none.
const State* first_step(const CollectedStates& states) {
  for (const State& step : states.short_list) {
    if (step.type != SHRTMATCH && label_kind(step.type) != LABLE) return &step;
  }
  return nullptr;
}

bool gap_before(const State* first, const CollectedStates& states) {
  for (const State& step : states.short_list) {
    if (&step == first) return false;
    if (step.type == SHRTMATCH) return true;
  }
  return false;
}

const State& checked_first_step(const std::string& name, const ::zel::afst::AFst& network,
                                const CollectedStates& states) {
  const std::string refusal = forward_refusal(network, states);
  if (!refusal.empty()) {
    std::ostringstream message;
    message << "The compiled rule record \"" << name << "\" " << refusal
            << "; the forward matcher cannot run it.";
    throw zel::Exception(message);
  }
  return *first_step(states);
}

}  // namespace

RuleFacade::RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
                       const AttributeList& attributes)
    : RuleFacade(db, name, attributes, read_network(db, name)) {}

RuleFacade::RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
                       const AttributeList& attributes,
                       std::shared_ptr<::zel::afst::AFst> network)
    : RuleFacade(db, name, attributes, network, collect_states(network->transducer())) {}

RuleFacade::RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
                       const AttributeList& attributes,
                       std::shared_ptr<::zel::afst::AFst> network, CollectedStates states)
    : RuleBaseFacade(2, db, name, attributes),
      network_(std::move(network)),
      states_(std::move(states)),
      top_level_id_(static_cast<uint32_t>(checked_first_step(name, *network_, states_).arc.ilabel)),
      starts_with_gap_(gap_before(first_step(states_), states_)) {}

RuleFacade::~RuleFacade() = default;

std::shared_ptr<MatcherInterface> RuleFacade::get_matcher() { return make_matcher(this); }

bool RuleFacade::has_top_level_id() const { return top_level_id_ != ANYTK; }

bool RuleFacade::contains_top_level_id(const unsigned& id) const {
  if (top_level_id_ == ANYTK) return (id & 0x20000000u) == 0;
  return id == top_level_id_;
}

std::string forward_refusal(const ::zel::afst::AFst& network, const CollectedStates& states) {
  if (!is_path_in_state_order(network.fst())) {
    return "is not a single path whose states are numbered in path order";
  }
  if (first_step(states) == nullptr) return "has no step that consumes input other than gaps and markers";
  return std::string();
}

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
