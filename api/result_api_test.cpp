// The rule profile of a result, asked for through the C interface: a
// document analysed with "profiler" true and a compiled domain run over it.

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/kavero.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "language/test_language_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace api {
namespace {

using nlohmann::json;

struct Record : zel_exception {
  Record() { std::memset(static_cast<zel_exception*>(this), 0, sizeof(zel_exception)); }
  std::string text() const { return std::string(message, strnlen(message, sizeof message)); }
};

// The rule sources the records stand for (file "/rules/road.kav", file id
// "road"; the second rule comes from "other", which the twin does not name):
//   lexicon:  New York -> City
//   grammar:  _[Trip to _[Place City]_ ]_        line 4
//   grammar:  _[Visit to _[Place City]_ ]_       line 9 (other)
const char kProfiledDomain[] =
    "dom_info {\"concepts\":[\"City\",\"Place\",\"Trip\",\"Visit\"]}\n"
    "concept City Place Trip Visit\n"
    "capture City Place Trip Visit\n"
    "token 1 literal=to\n"
    "lexicon literal\n"
    "  New York:[City]\n"
    "rule text=rule:trip ns=grammar src=road_ line=4 debug=road\n"
    "  path CAPBEG:Trip TK:1 CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:Trip\n"
    "rule text=rule:visit ns=grammar src=other_ line=9 debug=other\n"
    "  path CAPBEG:Visit TK:1 CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:Visit\n";

TEST(ProfilingResult, RulesTriggeredAndHitsUnderResolvedFileNames) {
  zel::testing::ScratchFolder folder;
  const std::filesystem::path dom = folder.path() / "road.dom";
  kavero::testing::write_compiled_domain(kProfiledDomain, dom);
  compiler::StringStringMap names;
  names["road"] = "/rules/road.kav";
  {
    std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder.path() / "road.dom_inc");
    afst::serialization::create_cbf_table(db.get());
    afst::serialization::store_object(db.get(), "uniq_id_2_filename_map", names, "");
  }

  const std::filesystem::path morvik = zel::testing::test_language_folder();
  const std::string engine_options =
      json{{"root_path", morvik.parent_path().string()}, {"morvik", morvik.string()}}.dump();
  Record e;
  zel_object* engine = zel_api_get_engine(engine_options.c_str(), 0, &e);
  ASSERT_NE(engine, nullptr) << e.text();
  zel_object* analyzer =
      zel_api_get_analyzer(engine, R"({"language":"english","dbg":"rule_info_short"})", 0, &e);
  ASSERT_NE(analyzer, nullptr) << e.text();
  zel_object* domain = zel_api_load_domain(engine, dom.string().c_str(), nullptr, 0, &e);
  ASSERT_NE(domain, nullptr) << e.text();
  const std::string text = "Anna flew to New York.";
  zel_object* result =
      zel_api_analyze_document(analyzer, text.data(), text.size(), R"({"profiler":true})", 0, &e);
  ASSERT_NE(result, nullptr) << e.text();
  EXPECT_EQ(zel_api_domain_process(domain, result, &e), result) << e.text();

  size_t length = 0;
  const char* profile = zel_api_get_profiling_json_buffer(result, &length, &e);
  ASSERT_NE(profile, nullptr) << e.text();
  EXPECT_EQ(e.code, 0) << e.text();
  EXPECT_EQ(std::strlen(profile), length);
  const json report = json::parse(profile);
  const json& files = report["profile"]["rules"]["files"];
  ASSERT_TRUE(files.contains("/rules/road.kav")) << files.dump();
  const json& trip = files["/rules/road.kav"]["locations"];
  ASSERT_EQ(trip.size(), 1u);
  EXPECT_EQ(trip[0]["line"], 4);
  EXPECT_EQ(trip[0]["triggered"], 1);
  EXPECT_EQ(trip[0]["hits"].dump(), R"({"Place":{"cnt":1},"Trip":{"cnt":1}})");
  // The file the twin does not name stays under its file id.
  ASSERT_TRUE(files.contains("other")) << files.dump();
  EXPECT_EQ(files["other"]["locations"][0]["triggered"], 1);
  EXPECT_EQ(files["other"]["locations"][0]["hits"].dump(),
            R"({"Place":{"cnt":1},"Visit":{"cnt":1}})");

  for (zel_object* h : {result, domain, analyzer, engine}) zel_api_dec_ref(h, nullptr);
}

}  // namespace
}  // namespace api
}  // namespace zel
