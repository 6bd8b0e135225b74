#include "compiler/backend/string_string_map.h"

#include <exception>
#include <iostream>

#include <nlohmann/json.hpp>

namespace zel {
namespace compiler {

void StringStringMap::ostream(std::ostream& os) const {
  nlohmann::json json;
  to_json(json, *this);
  os << json;
}

void StringStringMap::istream(std::istream& is) {
  nlohmann::json json;
  is >> json;
  StringStringMap fresh;
  try {
    from_json(json, fresh);
  } catch (const std::exception& e) {
    std::cout << "Invalid json stream StringStringMap" << e.what() << std::endl;
    return;
  }
  swap(fresh);
}

void to_json(nlohmann::json& json, const StringStringMap& map) {
  json = nullptr;
  for (const auto& [key, value] : map) json[key] = value;
}

void from_json(const nlohmann::json& json, StringStringMap& map) {
  if (json.is_null()) return;
  if (json.is_object()) {
    for (auto it = json.begin(); it != json.end(); ++it) {
      map.emplace(it.key(), it.value().get<std::string>());
    }
  } else if (json.is_array()) {
    for (std::size_t i = 0; i < json.size(); ++i) {
      map.emplace(std::to_string(i), json[i].get<std::string>());
    }
  } else {
    map.emplace(std::string(), json.get<std::string>());
  }
}

}  // namespace compiler
}  // namespace zel
