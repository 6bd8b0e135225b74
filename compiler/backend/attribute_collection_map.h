// The concept definitions of a compiled domain: for each annotation name,
// the attributes that its on statements give it (texts, rule-function
// calls, lists of calls and attribute lists), merged over all sources and
// stored as the record "uniq_concept_definitions" of the domain database
// (afst::serialization::store_object and get_object). The compiler reads
// it back when a build starts; the runtime reads it when it loads a domain
// and hands the definitions to every concept it creates.
//
// Text form: a JSON object with one member per annotation name, written
// compactly with the names in ascending byte order; an empty map is
// "null". A member's value is an array with one [key, value] element per
// attribute, in order (null for an annotation without attributes), the
// value in the form of attribute_to_json:
//
//   {"Person":[["scope","names"],
//              ["trigger",{"attributes":[["to","\"X\""]],
//                          "function":"kav::push_att",
//                          "type":"AssignCaptureGroup"}],
//              ["attributes",{"array":[["kind","\"human\""]],
//                             "type":"AttributeCollection"}]]}
//
// A list of calls is written as {"array":[call, ...],
// "type":"vector<AssignCaptureGroup>"}, and read back as one attribute per
// call under the same key.

#ifndef KAVERO_COMPILER_BACKEND_ATTRIBUTE_COLLECTION_MAP_H_
#define KAVERO_COMPILER_BACKEND_ATTRIBUTE_COLLECTION_MAP_H_

#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <boost/variant/static_visitor.hpp>
#include <nlohmann/json.hpp>

#include "base/attribute_string.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

using AttributeValue = ast::node::AttributeValue;
// The attributes of one annotation: (key, value) pairs in order; a key may
// occur more than once.
using AnnotationAttributes = std::vector<std::pair<std::string, AttributeValue>>;

class AttributeCollectionMap : public std::map<std::string, AnnotationAttributes> {
 public:
  // Writes the text form (indented by the stream's field width when it has
  // one, which is then reset). A text that is not valid UTF-8 raises the
  // JSON library's type error (store_object then stores nothing).
  void ostream(std::ostream& os) const;
  // Reads one JSON value from the stream (what follows it is not examined)
  // and replaces the content with it, as from_json reads it. Invalid JSON
  // raises the JSON library's parse error; a value from_json refuses leaves
  // the map as it was and writes "Invalid json stream
  // AttributeCollectionMap" and the error's text on standard output.
  void istream(std::istream& is);
};

// The text form's value (see above); null for an empty map.
void to_json(nlohmann::json& json, const AttributeCollectionMap& map);

// Adds one annotation per item of the value, the items taken as a
// StringStringMap takes them: an object's members by name, an array's
// elements under their decimal index, nothing for null, any other value
// under the empty key. An item's attributes are read from its elements
// (an object's member values in key order, an array's elements, nothing for
// null, the value itself otherwise): each must be an array (else the JSON
// library's type error) whose first element, a string, is the key and whose
// second element goes to add_attribute_object; an element with fewer than
// two elements adds nothing. An annotation already in the map keeps its
// attributes.
void from_json(const nlohmann::json& json, AttributeCollectionMap& map);

// Appends what one stored attribute value yields under `key`:
//   a string: one text (index 0);
//   an object tagged "AssignCaptureGroup": one call (index 1);
//   an object tagged "vector<AssignCaptureGroup>": each element of its
//     "array", in order, as if stored on its own (so a list of calls comes
//     back as one call per attribute);
//   an object tagged "AttributeCollection": one attribute list (index 3);
//   an array: each element, in order, as if stored on its own;
//   anything else (null, a boolean, a number, another or no tag, a list
//     without "array"): nothing.
void add_attribute_object(const std::string& key, const nlohmann::json& value,
                          AnnotationAttributes& list);

// The stored form of a value:
//   0 the text;
//   1 {"attributes": [[key, value], ...] (left out when there are none),
//      "function": uri, "type": "AssignCaptureGroup"};
//   2 {"array": [calls in form 1] (left out when there are none),
//      "type": "vector<AssignCaptureGroup>"};
//   3 {"array": [[key, value], ...], "type": "AttributeCollection"}.
struct attribute_to_json : boost::static_visitor<nlohmann::json> {
  nlohmann::json operator()(const std::string& text) const;
  nlohmann::json operator()(const ast::node::AssignCaptureGroup& group) const;
  nlohmann::json operator()(const std::vector<ast::node::AssignCaptureGroup>& groups) const;
  nlohmann::json operator()(const AttributeList& pairs) const;
};

// The name of a value: the text itself for a text,
// "zel::compiler::ast::node::AssignCaptureGroup" for a call, "<T>" for the
// two lists.
struct attribute_to_string : boost::static_visitor<std::string> {
  std::string operator()(const std::string& text) const;
  std::string operator()(const ast::node::AssignCaptureGroup& group) const;
  std::string operator()(const std::vector<ast::node::AssignCaptureGroup>& groups) const;
  std::string operator()(const AttributeList& pairs) const;
};

// The same name as attribute_to_string.
std::string to_variant_string(const AttributeValue& value);

// A call in its tagged form (form 1 above).
void to_json(nlohmann::json& json, const ast::node::AssignCaptureGroup& group);
// Reads the tagged form when "type" is "AssignCaptureGroup" (else the group
// is left as it is): "function" must be a string and becomes the uri; an
// "attributes" member replaces the pairs (an array of arrays whose first
// two elements are strings).
void from_json(const nlohmann::json& json, ast::node::AssignCaptureGroup& group);

// An attribute list in its tagged form (form 3 above).
void to_json(nlohmann::json& json, const AttributeList& pairs);
// Replaces the pairs by "array" when "type" is "AttributeCollection" (else
// the list is left as it is).
void from_json(const nlohmann::json& json, AttributeList& pairs);

// A value as its name (to_variant_string); the contents of calls and lists
// are lost.
void to_json(nlohmann::json& json, const AttributeValue& value);
// Only a string is accepted (else the JSON library's type error); the value
// becomes that text.
void from_json(const nlohmann::json& json, AttributeValue& value);

}  // namespace compiler

namespace compiler {
namespace ast {
namespace node {

// A call as a two-element array: [uri, [[key, value], ...]], the pairs
// present even when empty. This is the form JSON values take for a call
// (found by argument-dependent lookup); the tagged form must be asked for
// as zel::compiler::to_json.
void to_json(nlohmann::json& json, const AssignCaptureGroup& group);
// Element 0 must be a string, the uri; element 1 replaces the pairs.
// Missing elements leave their fields as they are.
void from_json(const nlohmann::json& json, AssignCaptureGroup& group);

}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ATTRIBUTE_COLLECTION_MAP_H_
