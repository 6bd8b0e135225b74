#include "compiler/backend/attribute_collection_map.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace ast {
namespace node {

// Failure messages show values in their stored form.
void PrintTo(const AttributeValue& value, std::ostream* os) {
  *os << boost::apply_visitor(attribute_to_json(), value).dump();
}
void PrintTo(const AssignCaptureGroup& group, std::ostream* os) { *os << group.identifier(); }

}  // namespace node
}  // namespace ast

namespace {

using ast::node::AssignCaptureGroup;
using nlohmann::json;

AssignCaptureGroup call(const std::string& uri, const AttributeList& pairs = {}) {
  AssignCaptureGroup group;
  group.uri_ = uri;
  group.attributes_ = pairs;
  return group;
}

std::string text_of(const AttributeCollectionMap& map) {
  std::ostringstream out;
  map.ostream(out);
  return out.str();
}

AttributeCollectionMap read(const std::string& text) {
  AttributeCollectionMap map;
  std::istringstream in(text);
  map.istream(in);
  return map;
}

// Every value kind, repeated keys and an annotation without attributes.
AttributeCollectionMap all_kinds() {
  AttributeCollectionMap map;
  map["Person"] = {
      {"scope", std::string("\"names\"")},
      {"trigger", call("kav::push_att", {{"to", "\"X\""}, {"to", "\"Y\""}})},
      {"trigger", call("Title")},
      {"attributes", AttributeList{{"kind", "\"human\""}, {"kind", "plain"}}},
      {"attributes", AttributeList{}},
      {"scope", std::string("last")},
  };
  map["City"] = {};
  return map;
}

TEST(AttributeCollectionMap, WritesEveryValueKindInItsTaggedForm) {
  EXPECT_EQ(text_of(AttributeCollectionMap()), "null");
  EXPECT_EQ(text_of(all_kinds()),
            R"({"City":null,"Person":[["scope","\"names\""],)"
            R"(["trigger",{"attributes":[["to","\"X\""],["to","\"Y\""]],)"
            R"("function":"kav::push_att","type":"AssignCaptureGroup"}],)"
            R"(["trigger",{"function":"Title","type":"AssignCaptureGroup"}],)"
            R"(["attributes",{"array":[["kind","\"human\""],["kind","plain"]],)"
            R"("type":"AttributeCollection"}],)"
            R"(["attributes",{"array":[],"type":"AttributeCollection"}],)"
            R"(["scope","last"]]})");
}

TEST(AttributeCollectionMap, RoundTripsEveryValueKindButCallLists) {
  const AttributeCollectionMap map = all_kinds();
  EXPECT_EQ(read(text_of(map)), map);
  EXPECT_TRUE(read("null").empty());
  EXPECT_TRUE(read("{}").empty());
}

TEST(AttributeCollectionMap, AListOfCallsComesBackAsOneAttributePerCall) {
  AttributeCollectionMap map;
  map["Person"] = {
      {"trigger", std::vector<AssignCaptureGroup>{call("kav::a", {{"x", "1"}}), call("kav::b")}},
      {"scope", std::string("s")},
  };
  const std::string text = text_of(map);
  EXPECT_EQ(text,
            R"({"Person":[["trigger",{"array":[)"
            R"({"attributes":[["x","1"]],"function":"kav::a","type":"AssignCaptureGroup"},)"
            R"({"function":"kav::b","type":"AssignCaptureGroup"}],)"
            R"("type":"vector<AssignCaptureGroup>"}],["scope","s"]]})");
  const AttributeCollectionMap back = read(text);
  const AnnotationAttributes expected = {
      {"trigger", call("kav::a", {{"x", "1"}})},
      {"trigger", call("kav::b")},
      {"scope", std::string("s")},
  };
  EXPECT_EQ(back.at("Person"), expected);
  for (const auto& [key, value] : back.at("Person")) {
    EXPECT_NE(value.which(), 2) << key;
  }
}

TEST(AttributeCollectionMap, ReadsItemsAndElementsOfEveryShape) {
  struct Case {
    std::string text;
    AttributeCollectionMap expected;
  };
  AttributeCollectionMap array_items;
  array_items["0"] = {{"k", std::string("a")}};
  array_items["1"] = {};
  AttributeCollectionMap object_elements;
  // The member values of an object are taken in key order; their names do
  // not matter.
  object_elements["P"] = {{"k1", std::string("first")}, {"k2", std::string("second")}};
  AttributeCollectionMap dropped;
  dropped["P"] = {{"kept", std::string("yes")}};
  AttributeCollectionMap nested;
  nested["P"] = {{"k", std::string("a")}, {"k", call("f")}, {"k", std::string("b")}};
  AttributeCollectionMap first_wins;
  first_wins["P"] = {{"k", std::string("1")}};

  const Case cases[] = {
      {R"([[["k","a"]], null])", array_items},
      {R"({"P":{"z":["k2","second"],"a":["k1","first"]}})", object_elements},
      // Values that are no text and carry no known tag are dropped silently,
      // as are elements too short to hold a key and a value.
      {R"({"P":[["n",1],["b",true],["z",null],["o",{"type":"Other"}],["u",{"x":1}],)"
       R"(["g",{"type":"vector<AssignCaptureGroup>"}],["c",{"type":"AttributeCollection"}],)"
       R"([],["only key"],["kept","yes","extra"]]})",
       dropped},
      // An array value: each element as if stored on its own.
      {R"({"P":[["k",["a",{"function":"f","type":"AssignCaptureGroup"},[["b"]]]]]})", nested},
      // Only the first value of the text is read.
      {R"({"P":[["k","1"]]} {"Q":null})", first_wins},
  };
  for (const Case& c : cases) {
    const std::string out = zel::testing::capture_stdout([&] {
      EXPECT_EQ(read(c.text), c.expected) << c.text;
    });
    EXPECT_EQ(out, "") << c.text;
  }
}

TEST(AttributeCollectionMap, AValueOfAnotherShapeLeavesTheMapAndSaysSo) {
  const char* texts[] = {
      R"({"P":["scope","x"]})",                                         // element not an array
      R"({"P":[[1,"x"]]})",                                             // key not a text
      R"({"P":[["t",{"type":"AssignCaptureGroup"}]]})",                 // call without name
      R"({"P":[["t",{"function":7,"type":"AssignCaptureGroup"}]]})",    // name not a text
      R"({"P":[["t",{"attributes":[["a"]],"function":"f","type":"AssignCaptureGroup"}]]})",
      R"({"P":[["a",{"array":{"k":"v"},"type":"AttributeCollection"}]]})",
      R"("text")",
  };
  for (const char* text : texts) {
    AttributeCollectionMap map;
    map["kept"] = {{"k", std::string("v")}};
    const AttributeCollectionMap before = map;
    const std::string out = zel::testing::capture_stdout([&] {
      std::istringstream in(text);
      map.istream(in);
    });
    EXPECT_EQ(out.rfind("Invalid json stream AttributeCollectionMap[json.exception.", 0), 0u)
        << text << ": " << out;
    EXPECT_EQ(out.back(), '\n') << text;
    EXPECT_EQ(map, before) << text;
  }
  AttributeCollectionMap map;
  std::istringstream broken("[[");
  EXPECT_THROW(map.istream(broken), json::parse_error);
}

TEST(AttributeCollectionMap, TextThatIsNotUtf8IsNeverStored) {
  zel::testing::ScratchFolder folder;
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder.path() / "x.dom");
  afst::serialization::create_cbf_table(db.get());
  AttributeCollectionMap map;
  map["P"] = {{"k", call("f", {{"v", "\xff"}})}};
  EXPECT_THROW(afst::serialization::store_object(db.get(), "uniq_concept_definitions", map, ""),
               json::type_error);
  EXPECT_FALSE(afst::serialization::has_binary_data(db.get(), "uniq_concept_definitions"));
}

TEST(AttributeCollectionMap, RoundTripsThroughADatabaseRecord) {
  zel::testing::ScratchFolder folder;
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder.path() / "x.dom");
  afst::serialization::create_cbf_table(db.get());
  afst::serialization::store_object(db.get(), "uniq_concept_definitions", all_kinds(), "");
  EXPECT_EQ(afst::serialization::get_object<AttributeCollectionMap>(db.get(),
                                                                    "uniq_concept_definitions"),
            all_kinds());

  afst::serialization::store_object(db.get(), "empty", AttributeCollectionMap(), "");
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db.get(), "empty");
  EXPECT_EQ(std::string(record.second.begin(), record.second.end()), "null");
  EXPECT_TRUE(afst::serialization::get_object<AttributeCollectionMap>(db.get(), "empty").empty());
}

TEST(AttributeValue, NamesAndJsonFormsOfEachKind) {
  const AttributeValue text = std::string("\"quoted\"");
  const AttributeValue one = call("f", {{"a", "1"}});
  const AttributeValue many = std::vector<AssignCaptureGroup>{};
  const AttributeValue pairs = AttributeList{};
  EXPECT_EQ(to_variant_string(text), "\"quoted\"");
  EXPECT_EQ(to_variant_string(one), "zel::compiler::ast::node::AssignCaptureGroup");
  EXPECT_EQ(to_variant_string(many), "<T>");
  EXPECT_EQ(to_variant_string(pairs), "<T>");

  // The JSON value of an attribute value is its name: calls and lists lose
  // their content. Only a text reads back.
  json value;
  compiler::to_json(value, one);
  EXPECT_EQ(value, "zel::compiler::ast::node::AssignCaptureGroup");
  AttributeValue back = std::vector<AssignCaptureGroup>{call("g")};
  compiler::from_json(json("t"), back);
  EXPECT_EQ(back, AttributeValue(std::string("t")));
  EXPECT_THROW(compiler::from_json(json(1), back), json::type_error);

  // An empty list of calls is written without "array".
  EXPECT_EQ(boost::apply_visitor(attribute_to_json(), many).dump(),
            R"({"type":"vector<AssignCaptureGroup>"})");
}

TEST(AssignCaptureGroup, ArrayAndTaggedForms) {
  const AssignCaptureGroup group = call("City", {{"name", "\"Paris\""}});
  // The array form is the one JSON values take by themselves.
  const json array = group;
  EXPECT_EQ(array.dump(), R"(["City",[["name","\"Paris\""]]])");
  EXPECT_EQ(json(call("City")).dump(), R"(["City",[]])");
  EXPECT_EQ(array.get<AssignCaptureGroup>(), group);

  json tagged;
  compiler::to_json(tagged, group);
  EXPECT_EQ(tagged.dump(),
            R"({"attributes":[["name","\"Paris\""]],"function":"City","type":"AssignCaptureGroup"})");
  AssignCaptureGroup back = call("old", {{"x", "y"}});
  compiler::from_json(tagged, back);
  EXPECT_EQ(back, group);

  // Without "attributes" the pairs stay; another tag leaves the group alone.
  back = call("old", {{"x", "y"}});
  compiler::from_json(json::parse(R"({"function":"New","type":"AssignCaptureGroup"})"), back);
  EXPECT_EQ(back, call("New", {{"x", "y"}}));
  compiler::from_json(json::parse(R"({"function":"Other","type":"Something"})"), back);
  EXPECT_EQ(back, call("New", {{"x", "y"}}));

  // Further elements of a pair are ignored; a pair without a value is refused.
  EXPECT_EQ(json::parse(R"(["f",[["k","v","extra"]]])").get<AssignCaptureGroup>(),
            call("f", {{"k", "v"}}));
  EXPECT_THROW(json::parse(R"(["f",[["k"]]])").get<AssignCaptureGroup>(), json::exception);
  EXPECT_THROW(json::parse(R"([1,[]])").get<AssignCaptureGroup>(), json::type_error);
}

TEST(AttributeList, TaggedForm) {
  json value;
  compiler::to_json(value, AttributeList{{"a", "1"}, {"a", "2"}});
  EXPECT_EQ(value.dump(), R"({"array":[["a","1"],["a","2"]],"type":"AttributeCollection"})");
  AttributeList back{{"old", "x"}};
  compiler::from_json(value, back);
  EXPECT_EQ(back, (AttributeList{{"a", "1"}, {"a", "2"}}));
  compiler::from_json(json::parse(R"({"array":[],"type":"Other"})"), back);
  EXPECT_EQ(back, (AttributeList{{"a", "1"}, {"a", "2"}}));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
