#include "compiler/backend/string_string_map.h"

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/output_capture_testutil.h"
#include "core-afst/serialization.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace compiler {
namespace {

using Entries = std::map<std::string, std::string>;

std::string text_of(const StringStringMap& map) {
  std::ostringstream out;
  map.ostream(out);
  return out.str();
}

StringStringMap read(const std::string& text) {
  StringStringMap map;
  std::istringstream in(text);
  map.istream(in);
  return map;
}

TEST(StringStringMap, WritesAnObjectOfStringsOrNull) {
  StringStringMap map;
  EXPECT_EQ(text_of(map), "null");
  map["f2"] = "/src/b.kav";
  map["f1"] = "/src/\"a\".kav";
  map["é"] = "ü";
  EXPECT_EQ(text_of(map), R"({"f1":"/src/\"a\".kav","f2":"/src/b.kav","é":"ü"})");
  EXPECT_EQ(read(text_of(map)), map);
}

TEST(StringStringMap, ReadsEveryKindOfValue) {
  struct Case {
    std::string text;
    Entries entries;
  } const cases[] = {
      {R"({"a": "1", "b": "2"})", {{"a", "1"}, {"b", "2"}}},
      {R"(["x", "y"])", {{"0", "x"}, {"1", "y"}}},
      {"null", {}},
      {R"("alone")", {{"", "alone"}}},
      // Only the first value is read.
      {R"({"a": "1"} {"b": "2"})", {{"a", "1"}}},
  };
  for (const Case& c : cases) {
    const StringStringMap map = read(c.text);
    EXPECT_EQ(static_cast<const Entries&>(map), c.entries) << c.text;
  }
}

TEST(StringStringMap, AValueThatIsNoTextLeavesTheMapAsItWas) {
  StringStringMap map;
  map["kept"] = "yes";
  const std::string out = testing::capture_stdout([&] {
    std::istringstream in(R"({"a": "1", "b": 2})");
    map.istream(in);
  });
  EXPECT_EQ(static_cast<const Entries&>(map), (Entries{{"kept", "yes"}}));
  EXPECT_EQ(out.rfind("Invalid json stream StringStringMap[json.exception.type_error.302]", 0),
            0u)
      << out;

  std::istringstream broken("{\"a\":");
  EXPECT_THROW(map.istream(broken), nlohmann::json::parse_error);
  EXPECT_EQ(static_cast<const Entries&>(map), (Entries{{"kept", "yes"}}));
}

TEST(StringStringMap, RoundTripsThroughADatabaseRecord) {
  testing::ScratchFolder folder;
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder.path() / "x.dom_inc");
  afst::serialization::create_cbf_table(db.get());
  StringStringMap map;
  map["f1"] = "/src/a.kav";
  afst::serialization::store_object(db.get(), "uniq_id_2_filename_map", map, "");
  EXPECT_EQ(afst::serialization::get_object<StringStringMap>(db.get(), "uniq_id_2_filename_map"),
            map);
  EXPECT_TRUE(afst::serialization::get_object<StringStringMap>(db.get(), "missing").empty());
}

}  // namespace
}  // namespace compiler
}  // namespace zel
