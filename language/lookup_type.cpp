#include "language/lookup_type.h"

namespace zel {
namespace kavero {
namespace core {

const std::map<std::string, uint64_t>& lookup_types() {
  static const std::map<std::string, uint64_t> types = {
      {"not_set", kLookupNotSet},
      {"plain", kLookupPlain},
      {"compound", kLookupCompound},
      {"compound_v2", kLookupCompoundV2},
      {"compound_v3", kLookupCompoundV3},
      {"compound_numbers", kLookupCompoundNumbers},
      {"cleaner", kLookupCleaner},
      {"guesser", kLookupGuesser},
      {"endings", kLookupEndings},
      {"tag", kLookupTag},
      {"icu", kLookupIcu},
  };
  return types;
}

uint64_t get_lookup_type(const std::string& name) {
  const auto& types = lookup_types();
  auto it = types.find(name);
  return it == types.end() ? kLookupNotSet : it->second;
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
