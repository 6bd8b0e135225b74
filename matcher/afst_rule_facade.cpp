#include "matcher/afst_rule_facade.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "core-afst/serialization.h"
#include "matcher/afst_matcher.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {

std::optional<std::vector<uint32_t>> parse_top_level_ids(const std::string& text) {
  // A fault anywhere leaves the rule without a list; the list only lets the
  // matcher skip positions, so nothing is lost but speed.
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  auto tlb = json.find("tlb");
  if (tlb == json.end() || !tlb->is_array() || tlb->empty()) return std::nullopt;
  if (tlb->size() == 1 && (*tlb)[0].is_number_unsigned() && (*tlb)[0].get<uint64_t>() == ANYTK) {
    return std::nullopt;
  }
  std::vector<uint32_t> ids;
  for (const nlohmann::json& element : *tlb) {
    if (!element.is_number_unsigned()) return std::nullopt;
    const uint64_t value = element.get<uint64_t>();
    if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    ids.push_back(static_cast<uint32_t>(value));
  }
  return ids;
}

RuleFacade::RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
                       const AttributeList& attributes)
    : RuleBaseFacade(1, db, name, attributes),
      network_(make_rule_network(db.get(), name,
                                 ::zel::afst::serialization::get_fsm(db, name))),
      top_level_ids_(parse_top_level_ids(bitset_attributes())) {}

RuleFacade::~RuleFacade() = default;

std::shared_ptr<MatcherInterface> RuleFacade::get_matcher() { return make_matcher(this); }

bool RuleFacade::contains_top_level_id(const unsigned& id) const {
  return top_level_ids_ &&
         std::find(top_level_ids_->begin(), top_level_ids_->end(), id) != top_level_ids_->end();
}

}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
