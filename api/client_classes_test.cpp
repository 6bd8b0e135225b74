// The client classes over the library's own C interface, with the test
// language and the demo domain.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/client_analyzer.h"
#include "api/client_domain.h"
#include "api/client_engine.h"
#include "api/client_exception.h"

namespace omr {
namespace {

using nlohmann::json;

const std::string kMorvik = std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik";

common::OptionMap engine_options() {
  return {{"root_path", std::string(KAVERO_BINARY_DIR) + "/testdata/language"},
          {"morvik", kMorvik}};
}

// The references a handle has (read by adding one and taking it away).
uint32_t references(zel_object* handle) {
  const uint32_t before = zel_api_add_ref(handle, nullptr);
  zel_api_dec_ref(handle, nullptr);
  return before;
}

// The concepts of a parsed document as "Uri@begin-end{name=value;...}", in
// document order.
std::vector<std::string> concepts_of(const common::AnnotationList& list) {
  std::vector<std::string> found;
  for (common::Annotation* item : list) {
    if (item->kind != common::Annotation::kSentence) continue;
    for (common::Annotation* inner : static_cast<common::Sentence*>(item)->annotations) {
      if (inner->kind != common::Annotation::kConcept) continue;
      auto* c = static_cast<common::Concept*>(inner);
      std::string text = c->uri + "@" + std::to_string(c->begin) + "-" + std::to_string(c->end);
      text += "{";
      for (size_t i = 0; i < c->attributes.size(); ++i) {
        text += (i > 0 ? ";" : "") + c->attributes[i].first + "=" + c->attributes[i].second;
      }
      found.push_back(text + "}");
    }
  }
  return found;
}

// The same read straight from the printed JSON: every value of an
// attribute as the reader gives it (a text as it is, anything else as JSON).
std::vector<std::string> concepts_printed(const std::string& printed) {
  std::vector<std::string> found;
  const json document = json::parse(printed);
  for (const json& sentence : document["sentences"]) {
    for (const json& item : sentence[3]) {
      if (item[0] != 2) continue;
      std::string text = item[3].get<std::string>() + "@" + item[1].dump() + "-" + item[2].dump();
      text += "{";
      bool first = true;
      for (const auto& [name, values] : item[4].items()) {
        for (const json& value : values) {
          text += (first ? "" : ";") + name + "=" +
                  (value.is_string() ? value.get<std::string>() : value.dump());
          first = false;
        }
      }
      found.push_back(text + "}");
    }
  }
  return found;
}

std::string printed_json(const analyzer::Results& results) {
  size_t length = 0;
  const char* text = zel_api_get_result_json_buffer(results.handle(), &length, nullptr);
  return std::string(text, length);
}

TEST(ClientClasses, AnalyseRunADomainAndReadTheConceptsBack) {
  const engine::Engine engine(engine_options());
  analyzer::Analyzer analyse(engine, {{"language", "english"}});
  domain::Domain demo = domain::wrapper_zel_api_load_domain(engine, "demo", {});

  analyzer::Results results = analyse("Alice visited London.", {{"id", "doc-1"}});
  ASSERT_NE(results.handle(), nullptr);
  const auto before = results.parse_results(true);
  EXPECT_EQ(results.language(), "english");
  EXPECT_TRUE(concepts_of(*before).empty());
  // The cached list is kept for the flag, replaced without it.
  EXPECT_EQ(results.parse_results(true), before);
  EXPECT_NE(results.parse_results(false), before);

  const analyzer::Results after = demo(results);
  EXPECT_EQ(after.handle(), results.handle());
  // The domain run dropped the parsed list: with the flag set it is read
  // anew and shows the domain's concepts.
  const auto parsed = results.parse_results(true);
  const std::vector<std::string> concepts = concepts_of(*parsed);
  EXPECT_EQ(concepts, (std::vector<std::string>{"Sentence@0-21{}", "Person@0-5{gender=female}",
                                                 "City@14-20{}"}));
  EXPECT_EQ(concepts_of(*after.parse_results(true)), concepts);

  // The printer and the reader agree on the whole document: concepts with
  // their attributes.
  EXPECT_EQ(concepts, concepts_printed(printed_json(results)));

  // The analyzer run again over the result.
  const analyzer::Results again = analyse(after);
  EXPECT_EQ(again.handle(), results.handle());
  EXPECT_FALSE(again.parse_results(true)->empty());
}

TEST(ClientClasses, CopiesRetainAndDestructionReleases) {
  const engine::Engine engine(engine_options());
  zel_object* handle = engine.handle();
  EXPECT_EQ(references(handle), 1u);
  {
    const engine::Engine copy(engine);
    EXPECT_EQ(copy.handle(), handle);
    EXPECT_EQ(references(handle), 2u);
    analyzer::Analyzer analyse(engine, {{"language", "english"}});
    // The analyzer's own copy of the engine.
    EXPECT_EQ(references(handle), 3u);
    analyzer::Results results = analyse("The dog runs.", {});
    EXPECT_EQ(references(results.handle()), 1u);
    // The analyzer's own and the result object's copy.
    EXPECT_EQ(references(analyse.handle()), 2u);
    {
      analyzer::Results second = results;
      EXPECT_EQ(references(results.handle()), 2u);
      second = analyzer::Results();
      EXPECT_EQ(references(results.handle()), 1u);
    }
    analyzer::Results moved = std::move(results);
    EXPECT_EQ(results.handle(), nullptr);
    EXPECT_EQ(references(moved.handle()), 1u);
  }
  EXPECT_EQ(references(handle), 1u);
}

TEST(ClientClasses, FailuresArriveAsExceptions) {
  const engine::Engine engine(engine_options());
  EXPECT_THROW(domain::wrapper_zel_api_load_domain(engine, "no-such-domain", {}),
               std::exception);
  EXPECT_THROW(analyzer::Analyzer(engine, {{"language", "klingon"}}), std::exception);
  EXPECT_THROW(engine::Engine({{"morvik", "/no/such/folder"}, {"root_path", "/no/such"}}),
               std::exception);
  // The interface's own text call gives an empty result.
  domain::Domain demo = domain::wrapper_zel_api_load_domain(engine, "demo", {});
  const analyzer::Results none = demo("text", {});
  EXPECT_EQ(none.handle(), nullptr);
  EXPECT_EQ(none.analyzer.handle(), nullptr);
  EXPECT_TRUE(none.parse_results(false)->empty());
}

}  // namespace
}  // namespace omr
