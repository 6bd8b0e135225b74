#include "compiler/backend/id_info.h"

#include <exception>
#include <istream>
#include <ostream>

#include <nlohmann/json.hpp>

namespace zel {
namespace compiler {

bool operator==(const IdInfo& a, const IdInfo& b) { return a.id == b.id; }

std::ostream& operator<<(std::ostream& out, const IdInfo& info) { return out << info.id; }

std::ostream& operator<<(std::ostream& out, const Id2Info& map) {
  for (const auto& [name, info] : map) out << info << ":" << name << std::endl;
  return out;
}

void to_json(nlohmann::json& json, const IdInfo& info) { json = info.id; }

void from_json(const nlohmann::json& json, IdInfo& info) { info.id = json.get<uint64_t>(); }

void Id2Info::ostream(std::ostream& os) const {
  nlohmann::json json;
  to_json(json, *this);
  os << json;
}

void Id2Info::istream(std::istream& is) {
  nlohmann::json json;
  is >> json;
  Id2Info fresh;
  try {
    from_json(json, fresh);
  } catch (const std::exception&) {
    return;
  }
  swap(fresh);
}

void to_json(nlohmann::json& json, const Id2Info& map) {
  json = nlohmann::json::object();
  for (const auto& [name, info] : map) to_json(json[name], info);
}

void from_json(const nlohmann::json& json, Id2Info& map) {
  if (!json.is_object()) {
    throw nlohmann::json::type_error::create(
        302, std::string("type must be object, but is ") + json.type_name(), &json);
  }
  for (auto it = json.begin(); it != json.end(); ++it) {
    IdInfo info;
    from_json(it.value(), info);
    map.emplace(it.key(), info);
  }
}

}  // namespace compiler
}  // namespace zel
