#include "api/profiler.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "analysis/document_testutil.h"
#include "api/analyzer_handle.h"
#include "base/error_message_testutil.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "domain/domain.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "language/test_language_testutil.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {
namespace profiler {
namespace {

using json = nlohmann::json;
using zel::testing::message_of;

const char kEmptyReport[] =
    R"({"profile":{"matches":{"concept":{},"description":"results of rules that matches the same )"
    R"(data."},"rules":{"description":"timing/counts of the different rules,lexicons,api calls,)"
    R"(anaphora and conjecture.","files":{}}}})";

// A rule that is only its id.
class NamedRule : public RuleInterface {
 public:
  explicit NamedRule(std::string id) : id_(std::move(id)) {}
  const std::string& id() const override { return id_; }
  const std::string& attribute(const std::string&) const override { return id_; }
  bool is_candidate(const Sentence*) const override { return false; }
  std::shared_ptr<matcher::MatcherInterface> get_matcher() override { return nullptr; }
  std::shared_ptr<afst::AFst> bitset_fsm() const override { return nullptr; }

 private:
  std::string id_;
};

void write_twin(const std::filesystem::path& path, const compiler::StringStringMap& names) {
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(path);
  afst::serialization::create_cbf_table(db.get());
  afst::serialization::store_object(db.get(), "uniq_id_2_filename_map", names, "");
}

class ProfilerTest : public ::testing::Test {
 protected:
  ProfilerTest() : domain_("cities"), collection_("grammar", "grammar", kRuleCollectionId) {
    domain_.sqlite_filename = (folder_.path() / "cities.dom").string();
    collection_.rules = {std::make_shared<NamedRule>("rule_a"),
                         std::make_shared<NamedRule>("rule_b")};
  }

  json report() const { return json::parse(profiler_.report()); }
  // The locations reported under a file.
  json locations(const std::string& file) const {
    return report()["profile"]["rules"]["files"].at(file).at("locations");
  }

  zel::testing::ScratchFolder folder_;
  DomainFacade domain_;
  RuleCollectionBase collection_;
  Profiler profiler_;
};

TEST_F(ProfilerTest, InitRegistersTheRulesAndMergesTheTwinsFileNames) {
  // Without a twin the rules are registered and a warning says why their
  // files are not named; once per twin.
  zel::testing::RuntimeLog log;
  profiler_.start("rule_b");
  profiler_.init(&domain_, collection_);
  profiler_.init(&domain_, collection_);
  EXPECT_TRUE(profiler_.files.empty());
  const std::string warning = "WARNING [Profiler] no source file names for the rules of '" +
                              domain_.sqlite_filename + "': '" +
                              (folder_.path() / "cities.dom_inc").string() +
                              "' does not exist; its rules are reported under their file ids.";
  EXPECT_EQ(log.lines(), std::vector<std::string>{warning});

  compiler::StringStringMap names;
  names["F1"] = "/src/cities.kav";
  names["F2"] = "/src/streets.kav";
  write_twin(folder_.path() / "cities.dom_inc", names);
  profiler_.files["F1"] = "/kept.kav";
  profiler_.init(&domain_, collection_);
  profiler_.init(nullptr, collection_);
  EXPECT_EQ(profiler_.files, (std::map<std::string, std::string>{{"F1", "/kept.kav"},
                                                                  {"F2", "/src/streets.kav"}}));
  ASSERT_EQ(profiler_.timings.size(), 2u);
  EXPECT_EQ(profiler_.timings.at("rule_a").name, "rule_a");
  EXPECT_EQ(profiler_.timings.at("rule_a").count, 0u);
  // A unit already started keeps its count.
  EXPECT_EQ(profiler_.timings.at("rule_b").count, 1u);
}

TEST_F(ProfilerTest, StartCountsRunsAndStopAddsTheirTime) {
  for (int run = 0; run < 3; ++run) {
    profiler_.start("lexicon:cities.dom");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    profiler_.stop("lexicon:cities.dom");
  }
  const Info& info = profiler_.timings.at("lexicon:cities.dom");
  EXPECT_EQ(info.count, 3u);
  EXPECT_GE(info.total, 3e6);
  // A unit never started is not made by stop.
  profiler_.stop("rule_x");
  EXPECT_EQ(profiler_.timings.count("rule_x"), 0u);
  profiler_.clear();
  EXPECT_TRUE(profiler_.timings.empty());
}

TEST_F(ProfilerTest, RuleIdsAndLocationsTakenApart) {
  profiler_.files = {{"F1", "/src/cities.kav"}, {"my__lx.kav_7", "/src/my__lx.kav"}};
  struct Case {
    const char* id;
    const char* file;
    int64_t line;
    const char* rest;
  } const cases[] = {
      {"rule_grammar_$DAZ:F1__l012_rule:city", "/src/cities.kav", 12, "rule:city"},
      {"rule_a_b_$DAZ:F9__l3_$GRUUID:g_rule:x", "F9", 3, "$GRUUID:g_rule:x"},
      // A file name that holds "__l" does not end the file id.
      {"rule_$DAZ:my__lx.kav_7__l004_rule:y", "/src/my__lx.kav", 4, "rule:y"},
      // Names that do not parse: the whole name, line 0.
      {"lexicon:/d/cities.dom", "lexicon:/d/cities.dom", 0, ""},
      {"rule_$DAZ:F1__lx_rule:z", "rule_$DAZ:F1__lx_rule:z", 0, ""},
      {"rule_$DAZ:F1__l99999999999999999999_r", "rule_$DAZ:F1__l99999999999999999999_r", 0, ""},
      {"", "", 0, ""},
  };
  for (const Case& c : cases) {
    const ParseRuleIDType parsed = profiler_.parse_rule_id(c.id);
    EXPECT_EQ(parsed.file, c.file) << c.id;
    EXPECT_EQ(parsed.line, c.line) << c.id;
    EXPECT_EQ(parsed.rest, c.rest) << c.id;
  }
  const Case locations[] = {
      {"F1:12", "/src/cities.kav", 12, ""},
      {"F9:12", "F9:12", 0, ""},
      {"F1:twelve", "F1:twelve", 0, ""},
      {"F1:", "F1:", 0, ""},
      {"F1", "F1", 0, ""},
      {"x:F1:3", "x:F1:3", 0, ""},
      {"file://src/cities.kav:3", "file://src/cities.kav:3", 0, ""},
  };
  for (const Case& c : locations) {
    const ParseRuleIDType parsed = profiler_.resolve_filename(c.id);
    EXPECT_EQ(parsed.file, c.file) << c.id;
    EXPECT_EQ(parsed.line, c.line) << c.id;
    EXPECT_EQ(parsed.rest, "") << c.id;
  }
}

TEST_F(ProfilerTest, NothingRanGivesTheDescriptionsOnly) {
  EXPECT_EQ(profiler_.report(), kEmptyReport);
  EXPECT_EQ(profiler_.report_text, kEmptyReport);
}

TEST_F(ProfilerTest, UnitsAreReportedUnderTheirFiles) {
  profiler_.files = {{"F1", "/src/cities.kav"}};
  RuleCollectionBase rules("grammar", "grammar", kRuleCollectionId);
  rules.rules = {std::make_shared<NamedRule>("rule_grammar_$DAZ:F1__l002_rule:never"),
                 std::make_shared<NamedRule>("rule_grammar_$DAZ:F1__l007_rule:twice")};
  profiler_.init(nullptr, rules);
  for (int run = 0; run < 2; ++run) {
    profiler_.start("rule_grammar_$DAZ:F1__l007_rule:twice");
    profiler_.stop("rule_grammar_$DAZ:F1__l007_rule:twice");
  }
  // Made by its first start, not by init.
  for (int run = 0; run < 3; ++run) profiler_.start("rule_$DAZ:F9__l5_rule:unmapped");
  profiler_.start("lexicon:/d/cities.dom");
  profiler_.timings.at("rule_grammar_$DAZ:F1__l007_rule:twice").total = 50;
  profiler_.timings.at("rule_$DAZ:F9__l5_rule:unmapped").total = 20;
  profiler_.timings.at("lexicon:/d/cities.dom").total = 10;

  const zel::testing::TestDocument document =
      zel::testing::build_document("[City Paris ] [$tmp Oslo ]");
  profiler_.hit("rule_grammar_$DAZ:F1__l007_rule:twice",
                zel::testing::find_concept(*document.sentences, "City"));
  profiler_.hit("rule_grammar_$DAZ:F1__l007_rule:twice",
                zel::testing::find_concept(*document.sentences, "City"));
  // Names beginning with "$" are not counted.
  profiler_.hit("rule_grammar_$DAZ:F1__l007_rule:twice",
                zel::testing::find_concept(*document.sentences, "$tmp"));

  const json files = report()["profile"]["rules"]["files"];
  EXPECT_EQ(files.size(), 3u);
  // In ascending order of time: the rule never started, with 0 time, first.
  EXPECT_EQ(files.at("/src/cities.kav").dump(),
            R"({"locations":[{"hits":{},"line":2,"nanosec":0.0,"triggered":0},)"
            R"({"hits":{"City":{"cnt":2}},"line":7,"nanosec":50.0,"triggered":2}]})");
  EXPECT_EQ(files.at("F9").dump(),
            R"({"locations":[{"hits":{},"line":5,"nanosec":20.0,"triggered":3}]})");
  EXPECT_EQ(files.at("lexicon:/d/cities.dom").dump(),
            R"({"locations":[{"hits":{},"line":0,"nanosec":10.0,"triggered":1}]})");
  // One rule for a text: nothing under "matches".
  EXPECT_EQ(report()["profile"]["matches"]["concept"], json::object());
  EXPECT_EQ(profiler_.matches.count("$tmp"), 0u);
}

TEST_F(ProfilerTest, TextsOfTwoRulesAreListedUnderMatches) {
  profiler_.files = {{"F1", "/src/cities.kav"}};
  const zel::testing::TestDocument document = zel::testing::build_document(
      "[City{_rule=F1:3} [City{_rule=F1:9} New York ] ] [City{_rule=F1:3} Paris ] "
      "[Town{_rule=F1:3;_rule=F2:4} Paris ]");
  const kavero::AnnotationCollection& sentences = *document.sentences;
  for (int n = 1; n <= 3; ++n) {
    profiler_.hit("rule_x", zel::testing::find_concept(sentences, "City", n));
  }
  profiler_.hit("rule_x", zel::testing::find_concept(sentences, "Town"));
  EXPECT_EQ(report()["profile"]["matches"]["concept"].dump(),
            R"({"City":{"New York":{"rules":[{"file":"/src/cities.kav","line":3},)"
            R"({"file":"/src/cities.kav","line":9}]}},)"
            R"("Town":{"Paris":{"rules":[{"file":"/src/cities.kav","line":3},)"
            R"({"file":"F2:4","line":0}]}}})");
  // Each report is built anew from everything recorded.
  profiler_.clear();
  EXPECT_EQ(report()["profile"]["rules"]["files"], json::object());
  EXPECT_EQ(report()["profile"]["matches"]["concept"].size(), 2u);
}

TEST_F(ProfilerTest, AFailingReportKeepsThePreviousText) {
  profiler_.start("rule_a");
  const std::string before = profiler_.report();
  // A unit name that is no UTF-8 cannot be written as JSON.
  profiler_.start("lexicon:\xC3");
  const std::string message = message_of([&] { profiler_.report(); });
  EXPECT_EQ(message.rfind("Exception: profiler: report [json.exception.type_error.316]", 0), 0u)
      << message;
  EXPECT_THROW(profiler_.report(), std::runtime_error);
  EXPECT_EQ(profiler_.report_text, before);
}

// The rule sources the records stand for (file "/rules/road.kav", file id
// "road"; the second rule comes from "other", which the twin does not name):
//   lexicon:  New York -> City
//   grammar:  _[Trip to _[$dest _[Place City]_ ]_ ]_        line 4
//   grammar:  _[Visit to _[Place City]_ ]_                   line 9 (other)
const char kProfiledDomain[] =
    "dom_info {\"concepts\":[\"City\",\"Place\",\"Trip\",\"Visit\"]}\n"
    "concept City Place Trip Visit $dest\n"
    "capture City Place Trip Visit $dest\n"
    "token 1 literal=to\n"
    "lexicon literal\n"
    "  New York:[City]\n"
    "rule text=rule:trip ns=grammar src=road_ line=4 debug=road\n"
    "  path CAPBEG:Trip TK:1 CAPBEG:$dest CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:$dest "
    "CAPEND:Trip\n"
    "rule text=rule:visit ns=grammar src=other_ line=9 debug=other\n"
    "  path CAPBEG:Visit TK:1 CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:Visit\n";

// A document analysed with the profiler on, as a host asks for it, and a
// fixture domain run over it.
TEST(ProfilerOverADomainRun, ReportsRulesLexiconsAndTheirFiles) {
  zel::testing::ScratchFolder folder;
  const std::filesystem::path dom = folder.path() / "road.dom";
  kavero::testing::write_compiled_domain(kProfiledDomain, dom);
  compiler::StringStringMap names;
  names["road"] = "/rules/road.kav";
  write_twin(folder.path() / "road.dom_inc", names);

  const std::filesystem::path morvik = zel::testing::test_language_folder();
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      json{{"root_path", morvik.parent_path().string()}, {"morvik", morvik.string()}}.dump()));
  const Domain domain(engine, dom.string().c_str(), convert_string_to_api_options("{}"));
  std::shared_ptr<IOptions> analyzer_options =
      convert_string_to_api_options(R"({"language":"english","dbg":"rule_info_short"})");
  auto* analyzer =
      new api::Analyzer(engine, engine->get_language_module(analyzer_options), analyzer_options);
  const std::string text = "Anna flew to New York.";
  {
    Blackboard blackboard(analyzer, convert_string_to_api_options(R"({"profiler":true})"),
                          text.data(), text.size());
    blackboard.analyzer->generate(blackboard, text.data(), text.size());
    ASSERT_NE(blackboard.profiler, nullptr);
    domain.process(blackboard);

    const json report = json::parse(blackboard.profiler->report());
    const json& files = report["profile"]["rules"]["files"];
    // The rule of the named file, under its name, with its line; "$dest"
    // is not counted.
    ASSERT_TRUE(files.contains("/rules/road.kav")) << files.dump();
    const json& trip = files["/rules/road.kav"]["locations"];
    ASSERT_EQ(trip.size(), 1u);
    EXPECT_EQ(trip[0]["line"], 4);
    EXPECT_EQ(trip[0]["triggered"], 1);
    EXPECT_EQ(trip[0]["hits"].dump(), R"({"Place":{"cnt":1},"Trip":{"cnt":1}})");
    // The rule of the file the twin does not name, under its file id.
    ASSERT_TRUE(files.contains("other")) << files.dump();
    EXPECT_EQ(files["other"]["locations"][0]["line"], 9);
    EXPECT_EQ(files["other"]["locations"][0]["triggered"], 1);
    EXPECT_EQ(files["other"]["locations"][0]["hits"].dump(),
              R"({"Place":{"cnt":1},"Visit":{"cnt":1}})");
    // The lexicon lookup, under its unit name.
    const std::string lexicon = "lexicon:" + dom.string();
    ASSERT_TRUE(files.contains(lexicon)) << files.dump();
    EXPECT_EQ(files[lexicon]["locations"][0]["line"], 0);
    EXPECT_EQ(files[lexicon]["locations"][0]["triggered"], 1);
    // Both rules made a Place over "New York": listed with their sources.
    EXPECT_EQ(report["profile"]["matches"]["concept"].dump(),
              R"({"Place":{"New York":{"rules":[{"file":"other:9","line":0},)"
              R"({"file":"/rules/road.kav","line":4}]}}})");
  }
  analyzer->dec_ref();
}

}  // namespace
}  // namespace profiler
}  // namespace kavero
}  // namespace zel
