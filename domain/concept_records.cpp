#include "domain/concept_records.h"

#include "base/string_util.h"

namespace zel {
namespace kavero {

KavFunctionPlaceHolder::KavFunctionPlaceHolder(
    const std::string& name,
    const std::vector<std::pair<std::string, std::string>>& pairs)
    : name(name), attributes(convert_attributes(pairs)) {}

Attributes convert_attributes(
    const std::vector<std::pair<std::string, std::string>>& pairs) {
  Attributes list;
  for (const auto& [key, text] : pairs) {
    list.add(key, zel::string::strip_quotes(text));
  }
  return list;
}

std::vector<std::pair<std::string, std::string>> convert_attributes(
    const Attributes& attributes) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(attributes.size());
  for (const Attribute& pair : attributes) {
    pairs.emplace_back(pair.first, to_string(pair.second));
  }
  return pairs;
}

}  // namespace kavero
}  // namespace zel
