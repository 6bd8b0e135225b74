#include "domain/concept_records.h"

#include <sstream>

#include <boost/variant/get.hpp>

#include "base/string_util.h"
#include "compiler/backend/attribute_collection_map.h"
#include "compiler/backend/id_info.h"
#include "core-afst/serialization.h"

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

namespace core {

namespace {

constexpr char kSdkVersionRecord[] = "sdk_version";
constexpr char kConceptMapRecord[] = "uniq_concept_map";
constexpr char kCaptureMapRecord[] = "uniq_capture_map";
constexpr char kDefinitionsRecord[] = "uniq_concept_definitions";
constexpr char kScopeKey[] = "scope";

bool is_internal(const std::string& name) { return !name.empty() && name[0] == '$'; }

std::map<unsigned, std::string> load_id_map(const std::shared_ptr<sqlite3>& db,
                                            const char* record, bool all) {
  const compiler::Id2Info names =
      afst::serialization::get_object<compiler::Id2Info>(db.get(), record);
  std::map<unsigned, std::string> ids;
  for (const auto& [name, info] : names) {
    if (!all && is_internal(name)) continue;
    ids.emplace(static_cast<unsigned>(info.id), name);
  }
  return ids;
}

}  // namespace

std::string load_sdk_version(const std::shared_ptr<sqlite3>& db) {
  if (!afst::serialization::has_binary_data(db.get(), kSdkVersionRecord)) return "";
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db.get(), kSdkVersionRecord);
  std::istringstream in(std::string(record.second.begin(), record.second.end()));
  std::string version;
  in >> version;
  return version;
}

std::map<unsigned, std::string> load_concept_groups_pairs(const std::shared_ptr<sqlite3>& db,
                                                          bool all) {
  return load_id_map(db, kConceptMapRecord, all);
}

std::map<unsigned, std::string> load_capture_groups_pairs(const std::shared_ptr<sqlite3>& db,
                                                          bool all) {
  return load_id_map(db, kCaptureMapRecord, all);
}

std::vector<std::string> get_dom_db_annotations(const std::shared_ptr<sqlite3>& db) {
  std::vector<std::string> names;
  if (!db) return names;
  for (const auto& [id, name] : load_capture_groups_pairs(db, true)) {
    if (!is_internal(name)) names.push_back(name);
  }
  return names;
}

std::map<std::string, ConceptDefinition> load_concept_definitions(
    const std::shared_ptr<sqlite3>& db) {
  const compiler::AttributeCollectionMap stored =
      afst::serialization::get_object<compiler::AttributeCollectionMap>(db.get(),
                                                                        kDefinitionsRecord);
  std::map<std::string, ConceptDefinition> definitions;
  for (const auto& [name, entries] : stored) {
    ConceptDefinition definition;
    for (const auto& [key, value] : entries) {
      if (const std::string* text = boost::get<std::string>(&value)) {
        definition.attributes.add(key, *text);
      } else if (const auto* call = boost::get<compiler::ast::node::AssignCaptureGroup>(&value)) {
        definition.functions.emplace_back(call->uri(), call->attributes());
      } else if (const auto* pairs = boost::get<AttributeList>(&value)) {
        for (const auto& [pair_key, pair_text] : *pairs) {
          definition.attributes.add(pair_key, zel::string::strip_quotes(pair_text));
        }
      }
      // A list of calls has no meaning for the runtime yet.
    }
    definitions.emplace(name, std::move(definition));
  }
  return definitions;
}

std::map<std::string, NamespaceAction> dispatch_concept_definitions(
    std::map<std::string, ConceptDefinition>& definitions) {
  std::map<std::string, NamespaceAction> actions;
  for (auto& [name, definition] : definitions) {
    for (const Attribute& attribute : definition.attributes) {
      if (attribute.first == kScopeKey) {
        actions[to_string(attribute.second)].names.insert(name);
      }
    }
    definition.attributes.remove_attributes(kScopeKey);
  }
  return actions;
}

std::map<std::string, unsigned> reverse_map(const std::map<unsigned, std::string>& ids) {
  std::map<std::string, unsigned> names;
  for (const auto& [id, name] : ids) names.emplace(name, id);
  return names;
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
