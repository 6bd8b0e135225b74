#include "compiler/backend/id_collection.h"

#include <exception>
#include <iostream>

#include <nlohmann/json.hpp>

namespace zel {
namespace compiler {

void IDCollection::ostream(std::ostream& os) const {
  nlohmann::json json;
  to_json(json, *this);
  os << json;
}

void IDCollection::istream(std::istream& is) {
  nlohmann::json json;
  is >> json;
  IDCollection fresh;
  try {
    from_json(json, fresh);
  } catch (const std::exception& e) {
    std::cout << "Invalid json stream IDCollection" << e.what() << std::endl;
    return;
  }
  swap(fresh);
  text.clear();
}

void to_json(nlohmann::json& json, const IDCollection& ids) {
  json = nlohmann::json::array();
  for (uint32_t id : ids) json.push_back(id);
}

void from_json(const nlohmann::json& json, IDCollection& ids) {
  if (!json.is_array()) {
    throw nlohmann::json::type_error::create(
        302, std::string("type must be array, but is ") + json.type_name(), &json);
  }
  for (const nlohmann::json& element : json) ids.push_back(element.get<uint32_t>());
}

}  // namespace compiler
}  // namespace zel
