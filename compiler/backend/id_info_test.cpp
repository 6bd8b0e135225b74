#include "compiler/backend/id_info.h"

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

std::map<std::string, uint64_t> ids_of(const Id2Info& map) {
  std::map<std::string, uint64_t> ids;
  for (const auto& [name, info] : map) ids[name] = info.id;
  return ids;
}

std::string text_of(const Id2Info& map) {
  std::ostringstream out;
  map.ostream(out);
  return out.str();
}

TEST(Id2Info, WritesAnObjectOfIdsInNameOrder) {
  Id2Info map;
  EXPECT_EQ(text_of(map), "{}");
  map["Person"].id = 7;
  map["$tmp"].id = 1;
  map["City"].id = 4294967296u;  // ids are 64-bit
  map["Stadt\xc3\xa9"].id = 2;
  EXPECT_EQ(text_of(map), "{\"$tmp\":1,\"City\":4294967296,\"Person\":7,\"Stadt\xc3\xa9\":2}");

  // A field width asks for an indented text, once.
  std::ostringstream wide;
  wide.width(2);
  Id2Info one;
  one["a"].id = 1;
  one.ostream(wide);
  EXPECT_EQ(wide.str(), "{\n  \"a\": 1\n}");
  EXPECT_EQ(wide.width(), 0);
}

TEST(Id2Info, ReadsTheFirstValueOnly) {
  Id2Info map;
  std::istringstream in(R"({"b": 2, "a": 1} trailing)");
  map.istream(in);
  EXPECT_EQ(ids_of(map), (std::map<std::string, uint64_t>{{"a", 1}, {"b", 2}}));
}

TEST(Id2Info, AWronglyShapedValueLeavesTheMapSilently) {
  for (const char* text : {R"(["a", "b"])", R"({"a": 1, "b": "2"})", "\"a\"", "null"}) {
    Id2Info map;
    map["kept"].id = 3;
    const std::string out = zel::testing::capture_stdout([&] {
      std::istringstream in(text);
      map.istream(in);
    });
    EXPECT_EQ(out, "") << text;
    EXPECT_EQ(ids_of(map), (std::map<std::string, uint64_t>{{"kept", 3}})) << text;
  }
  Id2Info map;
  std::istringstream broken("{\"a\":");
  EXPECT_THROW(map.istream(broken), nlohmann::json::parse_error);
}

TEST(Id2Info, RoundTripsThroughADatabaseRecord) {
  zel::testing::ScratchFolder folder;
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder.path() / "x.dom");
  afst::serialization::create_cbf_table(db.get());

  Id2Info empty;
  afst::serialization::store_object(db.get(), "uniq_capture_map", empty, "ignored");
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db.get(), "uniq_capture_map");
  EXPECT_EQ(record.first, "");
  EXPECT_EQ(std::string(record.second.begin(), record.second.end()), "{}");
  EXPECT_TRUE(afst::serialization::get_object<Id2Info>(db.get(), "uniq_capture_map").empty());

  Id2Info map;
  map["Person"].id = 1;
  map["City"].id = 2;
  afst::serialization::store_object(db.get(), "uniq_concept_map", map, "");
  EXPECT_EQ(afst::serialization::get_object<Id2Info>(db.get(), "uniq_concept_map"), map);
  EXPECT_TRUE(afst::serialization::get_object<Id2Info>(db.get(), "missing").empty());

  // A record of another shape reads as an empty map.
  const std::string array = R"(["Person"])";
  afst::serialization::store_binary_data(db.get(), "uniq_token_map", "", array.data(),
                                         array.size());
  EXPECT_TRUE(afst::serialization::get_object<Id2Info>(db.get(), "uniq_token_map").empty());
}

}  // namespace
}  // namespace compiler
}  // namespace zel
