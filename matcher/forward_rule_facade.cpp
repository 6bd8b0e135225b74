#include "matcher/forward_rule_facade.h"

#include <sstream>
#include <utility>

#include "base/exception.h"
#include "core-afst/serialization.h"
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

uint32_t first_step_label(const std::string& name, const CollectedStates& states) {
  if (states.short_list.empty()) {
    std::ostringstream message;
    message << "The compiled rule record \"" << name
            << "\" has no step that consumes input; the forward matcher cannot run it.";
    throw zel::Exception(message);
  }
  return static_cast<uint32_t>(states.short_list.front().arc.ilabel);
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
      top_level_id_(first_step_label(name, states_)) {}

RuleFacade::~RuleFacade() = default;

std::shared_ptr<MatcherInterface> RuleFacade::get_matcher() {
  std::ostringstream message;
  message << "The forward matcher of rule \"" << id() << "\" is not available yet.";
  throw zel::Exception(message);
}

bool RuleFacade::has_top_level_id() const { return top_level_id_ != ANYTK; }

bool RuleFacade::contains_top_level_id(const unsigned& id) const {
  if (top_level_id_ == ANYTK) return (id & 0x20000000u) == 0;
  return id == top_level_id_;
}

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
