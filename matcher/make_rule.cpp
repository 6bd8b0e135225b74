#include "matcher/make_rule.h"

#include <cstdlib>
#include <utility>

#include "base/environment.h"
#include "core-afst/serialization.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/forward_rule_facade.h"

namespace zel {
namespace kavero {

const int32_t KAVERO_OPTIMIZATION_LEVEL =
    zel::system::get_environment_int("KAVERO_OPTIMIZATION_LEVEL", 1);

std::shared_ptr<RuleInterface> make_rule(std::shared_ptr<sqlite3> db, const std::string& name,
                                         const std::string& attributes) {
  const AttributeList pairs = zel::string2attributes(attributes);
  const std::string& type = zel::get_attribute(pairs, "rt");
  if (std::strtol(type.c_str(), nullptr, 10) == 2 && KAVERO_OPTIMIZATION_LEVEL != 0) {
    auto network =
        make_rule_network(db.get(), name, zel::afst::serialization::get_fsm(db, name));
    matcher::forward::CollectedStates states = matcher::forward::collect_states(network->transducer());
    // The forward matcher walks the collected steps in order, so it runs
    // only a single path numbered in path order that has a step to start
    // from; every other rule runs on the afst matcher.
    if (matcher::forward::forward_refusal(*network, states).empty()) {
      return std::make_shared<matcher::forward::RuleFacade>(db, name, pairs, std::move(network),
                                                            std::move(states));
    }
  }
  return std::make_shared<matcher::afst::RuleFacade>(db, name, pairs);
}

}  // namespace kavero
}  // namespace zel
