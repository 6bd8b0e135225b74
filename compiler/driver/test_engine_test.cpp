#include "compiler/driver/test_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/client_annotation.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "language/test_language_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace compiler {
namespace {

using nlohmann::json;

std::string morvik() { return zel::testing::test_language_folder().string(); }

// A Blackboard whose options are set without opening anything.
std::unique_ptr<Blackboard> unopened(const json& options) {
  auto blackboard = std::make_unique<Blackboard>();
  blackboard->options = std::make_shared<Options>(options.dump().c_str());
  return blackboard;
}

// A compilation of the test language, with its engine.
std::unique_ptr<Blackboard> with_engine() {
  return std::make_unique<Blackboard>(
      std::make_shared<Options>(json{{"language", "english"}, {"morvik", morvik()}}.dump().c_str()));
}

TEST(MakeAnalyzer, OwnEngineAndTestOptions) {
  struct Case {
    const char* language;
    const char* analysed;
  };
  for (const Case& c : {Case{"english", "english"}, Case{"generic", "english"}}) {
    auto blackboard = unopened({{"language", c.language}, {"morvik", morvik()}});
    omr::analyzer::Analyzer analyzer = make_analyzer(*blackboard);
    EXPECT_EQ(analyzer.options, (omr::common::OptionMap{{"annotation_filter", "__compiler__"},
                                                        {"dbg", "rule_info"},
                                                        {"initial_lower_casing", "false"},
                                                        {"language", c.analysed}}))
        << c.language;
    // The test engine reads the compilation's resource folder.
    EXPECT_EQ(analyzer.engine.options,
              (omr::common::OptionMap{{"language", "auto"}, {"morvik", morvik()}}));
    const omr::analyzer::Results results = analyzer("The dog runs.", {});
    EXPECT_FALSE(results.parse_results(false)->empty());
    EXPECT_EQ(results.language(), c.analysed);
  }
}

TEST(MakeAnalyzer, IsSeparateFromTheCompilationsEngine) {
  auto blackboard = with_engine();
  const omr::analyzer::Analyzer analyzer = make_analyzer(*blackboard);
  EXPECT_NE(analyzer.engine.handle(), blackboard->engine->handle());
  // Only the analyzer's client object holds the test engine's handle.
  EXPECT_EQ(analyzer.engine.handle()->ref_count, 1u);
}

TEST(MakeAnalyzer, AnEmptyLanguageMakesNoAnalyzer) {
  auto blackboard = unopened({{"morvik", morvik()}});
  EXPECT_THROW(make_analyzer(*blackboard), std::exception);
}

// The source the records stand for (file id "road"):
//   lexicon:  New York -> City
//   grammar:  _[Trip to _[Place City]_ ]_        line 4
const char kRoadDomain[] =
    "concept City Place Trip\n"
    "capture City Place Trip\n"
    "token 1 literal=to\n"
    "lexicon literal\n"
    "  New York:[City]\n"
    "rule text=rule:trip ns=grammar src=road_ line=4 debug=road\n"
    "  path CAPBEG:Trip TK:1 CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:Trip\n";

std::vector<std::string> concepts_with_rules(const omr::common::AnnotationList& document) {
  std::vector<std::string> found;
  for (const omr::common::Annotation* sentence : document) {
    if (sentence->kind != omr::common::Annotation::kSentence) continue;
    for (const omr::common::Annotation* item :
         static_cast<const omr::common::Sentence*>(sentence)->annotations) {
      if (item->kind != omr::common::Annotation::kConcept) continue;
      const auto* concept_item = static_cast<const omr::common::Concept*>(item);
      std::string text = concept_item->uri;
      for (const auto& attribute : concept_item->attributes) {
        if (attribute.first == "_rule") text += " _rule=" + attribute.second;
      }
      found.push_back(text);
    }
  }
  return found;
}

TEST(TestDomains, TheBuiltDomainRunsLastAndItsRulesAreNamed) {
  zel::testing::ScratchFolder folder;
  const std::string road = folder.str("road.dom");
  kavero::testing::write_compiled_domain(kRoadDomain, road);
  const std::string named = folder.str("named.dom");
  kavero::testing::write_compiled_domain("concept Other\n", named);

  auto blackboard = with_engine();
  blackboard->domain_file = road;
  blackboard->test_domains = {named};
  const std::vector<omr::domain::Domain> domains = make_test_domain_collection(*blackboard);
  EXPECT_EQ(blackboard->test_domains, (std::vector<std::string>{named, road}));
  ASSERT_EQ(domains.size(), 2u);
  EXPECT_EQ(domains[0].options,
            (omr::common::OptionMap{{"annotation_filter", ".*"}, {"name", named}}));
  EXPECT_EQ(domains[1].options,
            (omr::common::OptionMap{{"annotation_filter", ".*"}, {"name", road}}));
  EXPECT_EQ(domains[1].engine.handle(), blackboard->engine->handle());

  // With the test analyzer every concept a rule inserted names its rule.
  omr::analyzer::Analyzer analyzer = make_analyzer(*blackboard);
  omr::analyzer::Results results = analyzer("Anna flew to New York.", {});
  for (omr::domain::Domain domain : domains) results = domain(results);
  EXPECT_EQ(concepts_with_rules(*results.parse_results(false)),
            (std::vector<std::string>{"Sentence", "Trip _rule=road:4", "Place _rule=road:4", "City"}));
}

TEST(TestDomains, WithoutEngineThereAreNone) {
  auto blackboard = unopened({});
  blackboard->domain_file = "/x/built.dom";
  EXPECT_TRUE(make_test_domain_collection(*blackboard).empty());
  EXPECT_EQ(blackboard->test_domains, std::vector<std::string>{"/x/built.dom"});
  EXPECT_EQ(make_available_concept(*blackboard, {}), std::set<std::string>{"Sentence"});
}

class AvailableConcepts : public ::testing::Test {
 protected:
  AvailableConcepts() : blackboard(with_engine()) {}

  // A domain with its concepts and description.
  std::string write(const std::string& name, const std::string& concepts, const json& info) {
    const std::string dom = folder.str(name + ".dom");
    kavero::testing::write_compiled_domain(
        "dom_info " + info.dump() + "\ncapture " + concepts + "\n", dom);
    return dom;
  }
  std::vector<omr::domain::Domain> load(const std::vector<std::string>& names) {
    std::vector<omr::domain::Domain> domains;
    for (const std::string& name : names) {
      domains.push_back(omr::domain::wrapper_zel_api_load_domain(*blackboard->engine, name, {}));
    }
    return domains;
  }

  zel::testing::ScratchFolder folder;
  std::unique_ptr<Blackboard> blackboard;
};

TEST_F(AvailableConcepts, DefinedImportedAndOfDependencies) {
  // a and b depend on each other; c shares b; b imports Imported.
  const std::string b_name = folder.str("b.dom");
  const std::string a = write("a", "A1 A2", {{"dependencies", {b_name}}});
  const std::string b = write("b", "B1", {{"dependencies", {a}}, {"imports", {"Imported"}}});
  const std::string c = write("c", "C1", {{"dependencies", {b}}});
  ASSERT_EQ(b, b_name);

  EXPECT_EQ(make_available_concept(*blackboard, load({c, a})),
            (std::set<std::string>{"Sentence", "A1", "A2", "B1", "C1", "Imported"}));

  // Each domain file is described once: a file already visited adds nothing.
  std::set<std::string> visited = {b};
  std::set<std::string> available;
  add_available(*blackboard, load({a}).front(), visited, available);
  EXPECT_EQ(available, (std::set<std::string>{"A1", "A2"}));
  EXPECT_EQ(visited, (std::set<std::string>{a, b}));
  add_available(*blackboard, load({a}).front(), visited, available);
  EXPECT_EQ(available, (std::set<std::string>{"A1", "A2"}));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
