#include "compiler/backend/attribute_collection_map.h"

#include <exception>
#include <iostream>

#include <boost/variant/apply_visitor.hpp>

namespace zel {
namespace compiler {

namespace {

using ast::node::AssignCaptureGroup;
using nlohmann::json;

constexpr char kTypeKey[] = "type";
constexpr char kArrayKey[] = "array";
constexpr char kFunctionKey[] = "function";
constexpr char kAttributesKey[] = "attributes";
constexpr char kGroupTag[] = "AssignCaptureGroup";
constexpr char kGroupListTag[] = "vector<AssignCaptureGroup>";
constexpr char kCollectionTag[] = "AttributeCollection";

json pairs_to_json(const AttributeList& pairs) {
  json array = json::array();
  for (const auto& [key, value] : pairs) array.push_back(json::array({key, value}));
  return array;
}

// An array of arrays whose first two elements are strings; further
// elements are ignored. Any other shape raises the JSON library's error.
AttributeList pairs_from_json(const json& array) {
  if (!array.is_array()) {
    throw json::type_error::create(
        302, std::string("type must be array, but is ") + array.type_name(), &array);
  }
  AttributeList pairs;
  for (const json& element : array) {
    pairs.emplace_back(element.at(0).get<std::string>(), element.at(1).get<std::string>());
  }
  return pairs;
}

// The tag of a stored object value; empty when it has none.
std::string tag_of(const json& object) {
  auto found = object.find(kTypeKey);
  if (found == object.end() || !found->is_string()) return std::string();
  return found->get<std::string>();
}

// Calls `function(key, value)` for each item of a top-level value, the way
// the stored maps take them: an object's members, an array's elements under
// their decimal index, nothing for null, anything else under the empty key.
template <class Function>
void for_each_item(const json& value, Function&& function) {
  if (value.is_null()) return;
  if (value.is_object()) {
    for (auto it = value.begin(); it != value.end(); ++it) function(it.key(), it.value());
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i) function(std::to_string(i), value[i]);
  } else {
    function(std::string(), value);
  }
}

}  // namespace

void AttributeCollectionMap::ostream(std::ostream& os) const {
  json value;
  to_json(value, *this);
  os << value;
}

void AttributeCollectionMap::istream(std::istream& is) {
  json value;
  is >> value;
  AttributeCollectionMap fresh;
  try {
    from_json(value, fresh);
  } catch (const std::exception& e) {
    std::cout << "Invalid json stream AttributeCollectionMap" << e.what() << std::endl;
    return;
  }
  swap(fresh);
}

void to_json(json& value, const AttributeCollectionMap& map) {
  value = nullptr;
  for (const auto& [name, attributes] : map) {
    json& member = value[name];
    for (const auto& [key, attribute] : attributes) {
      member.push_back(json::array({key, boost::apply_visitor(attribute_to_json(), attribute)}));
    }
  }
}

void from_json(const json& value, AttributeCollectionMap& map) {
  for_each_item(value, [&](const std::string& name, const json& item) {
    AnnotationAttributes attributes;
    auto add_element = [&](const json& element) {
      if (!element.is_array()) {
        throw json::type_error::create(
            302, std::string("type must be array, but is ") + element.type_name(), &element);
      }
      // The compiler always writes both; an element without them is taken
      // as empty rather than failing the whole map.
      if (element.size() < 2) return;
      add_attribute_object(element[0].get<std::string>(), element[1], attributes);
    };
    if (item.is_object() || item.is_array()) {
      for (const json& element : item) add_element(element);
    } else if (!item.is_null()) {
      add_element(item);
    }
    map.emplace(name, std::move(attributes));
  });
}

void add_attribute_object(const std::string& key, const json& value, AnnotationAttributes& list) {
  if (value.is_string()) {
    list.emplace_back(key, value.get<std::string>());
  } else if (value.is_object()) {
    const std::string tag = tag_of(value);
    if (tag == kGroupTag) {
      AssignCaptureGroup group;
      compiler::from_json(value, group);
      list.emplace_back(key, std::move(group));
    } else if (tag == kGroupListTag) {
      auto found = value.find(kArrayKey);
      if (found == value.end()) return;
      // One attribute per call: the list itself is never rebuilt.
      for (const json& element : *found) add_attribute_object(key, element, list);
    } else if (tag == kCollectionTag) {
      if (value.find(kArrayKey) == value.end()) return;
      AttributeList pairs;
      compiler::from_json(value, pairs);
      list.emplace_back(key, std::move(pairs));
    }
  } else if (value.is_array()) {
    for (const json& element : value) add_attribute_object(key, element, list);
  }
}

json attribute_to_json::operator()(const std::string& text) const { return text; }

json attribute_to_json::operator()(const AssignCaptureGroup& group) const {
  json value;
  compiler::to_json(value, group);
  return value;
}

json attribute_to_json::operator()(const std::vector<AssignCaptureGroup>& groups) const {
  json value = json::object();
  for (const AssignCaptureGroup& group : groups) value[kArrayKey].push_back((*this)(group));
  value[kTypeKey] = kGroupListTag;
  return value;
}

json attribute_to_json::operator()(const AttributeList& pairs) const {
  json value;
  compiler::to_json(value, pairs);
  return value;
}

std::string attribute_to_string::operator()(const std::string& text) const { return text; }

std::string attribute_to_string::operator()(const AssignCaptureGroup&) const {
  return "zel::compiler::ast::node::AssignCaptureGroup";
}

std::string attribute_to_string::operator()(const std::vector<AssignCaptureGroup>&) const {
  return "<T>";
}

std::string attribute_to_string::operator()(const AttributeList&) const { return "<T>"; }

std::string to_variant_string(const AttributeValue& value) {
  return boost::apply_visitor(attribute_to_string(), value);
}

void to_json(json& value, const AssignCaptureGroup& group) {
  value = json::object();
  if (!group.attributes().empty()) value[kAttributesKey] = pairs_to_json(group.attributes());
  value[kFunctionKey] = group.uri();
  value[kTypeKey] = kGroupTag;
}

void from_json(const json& value, AssignCaptureGroup& group) {
  if (tag_of(value) != kGroupTag) return;
  group.uri_ = value.at(kFunctionKey).get<std::string>();
  auto found = value.find(kAttributesKey);
  if (found != value.end()) group.attributes_ = pairs_from_json(*found);
}

void to_json(json& value, const AttributeList& pairs) {
  value = json::object();
  value[kArrayKey] = pairs_to_json(pairs);
  value[kTypeKey] = kCollectionTag;
}

void from_json(const json& value, AttributeList& pairs) {
  if (tag_of(value) != kCollectionTag) return;
  pairs = pairs_from_json(value.at(kArrayKey));
}

void to_json(json& value, const AttributeValue& attribute) {
  value = to_variant_string(attribute);
}

void from_json(const json& value, AttributeValue& attribute) {
  attribute = value.get<std::string>();
}

}  // namespace compiler

namespace compiler {
namespace ast {
namespace node {

void to_json(nlohmann::json& value, const AssignCaptureGroup& group) {
  value = nlohmann::json::array({group.uri(), pairs_to_json(group.attributes())});
}

void from_json(const nlohmann::json& value, AssignCaptureGroup& group) {
  if (value.is_array() && value.empty()) return;
  group.uri_ = value.at(0).get<std::string>();
  if (value.size() > 1) group.attributes_ = pairs_from_json(value.at(1));
}

}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel
