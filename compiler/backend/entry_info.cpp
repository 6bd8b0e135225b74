#include "compiler/backend/entry_info.h"

#include <nlohmann/json.hpp>

#include "compiler/backend/attribute_collection_map.h"

namespace zel {
namespace compiler {

void to_json(nlohmann::json& json, const EntryInfo& entry) {
  nlohmann::json capture;
  ast::node::to_json(capture, entry.capture);
  json = nlohmann::json::array({capture, entry.canonical, entry.numbered != 0});
}

void from_json(const nlohmann::json& json, EntryInfo& entry) {
  ast::node::from_json(json.at(0), entry.capture);
  entry.canonical = json.at(1).get<std::string>();
  entry.numbered = json.at(2).get<bool>() ? 1 : 0;
}

}  // namespace compiler
}  // namespace zel
