// A rule run by the transducer-walking matcher: any rule transducer.
//
// Besides the rule network it keeps the rule's top-level ids, the labels one
// of which the first step of every match carries, read from the bitset
// record's attribute text {"tlb":[...]}. With them the matcher skips start
// positions without walking the network; a rule without them may start
// anywhere.

#ifndef KAVERO_MATCHER_AFST_RULE_FACADE_H_
#define KAVERO_MATCHER_AFST_RULE_FACADE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {

class RuleFacade : public RuleBaseFacade {
 public:
  // Reads both records of the rule; a missing or unreadable one raises
  // zel::Exception naming it.
  RuleFacade(std::shared_ptr<sqlite3> db, const std::string& name,
             const AttributeList& attributes);
  ~RuleFacade() override;

  // A new afst matcher (afst_matcher.h) over the rule network.
  std::shared_ptr<MatcherInterface> get_matcher() override;

  bool has_top_level_id() const { return top_level_ids_.has_value(); }
  // Linear search; false without a list.
  bool contains_top_level_id(const unsigned& id) const;

  const std::shared_ptr<::zel::afst::AFst>& network() const { return network_; }
  const std::optional<std::vector<uint32_t>>& top_level_ids() const { return top_level_ids_; }

 private:
  std::shared_ptr<::zel::afst::AFst> network_;
  std::optional<std::vector<uint32_t>> top_level_ids_;
};

// The top-level ids of a bitset attribute text: none when the text is no
// JSON object with a member "tlb" holding an array of unsigned 32-bit
// numbers, when that array is empty, or when it holds the any-token label
// alone.
std::optional<std::vector<uint32_t>> parse_top_level_ids(const std::string& text);

}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_AFST_RULE_FACADE_H_
