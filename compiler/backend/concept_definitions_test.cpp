#include "compiler/backend/concept_definitions.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/logging.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/source_parser.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::AnnotationDefinition;
using ast::node::AttributeValue;
using testing::call;
using testing::Compilation;
using testing::record_data;

AnnotationDefinition on(const std::string& names,
                        std::vector<std::pair<std::string, AttributeValue>> attributes,
                        int line = 3) {
  AnnotationDefinition statement;
  statement.names = names;
  statement.attributes = std::move(attributes);
  statement.line = line;
  return statement;
}

// The diagnostics of the source as "type line: message".
std::vector<std::string> diagnostics(const std::string& source) {
  std::vector<std::string> lines;
  auto& store = results::sinks();
  auto found = store.find(source);
  if (found == store.end()) return lines;
  for (const DiagnosticsInfo& info : found->second) {
    lines.push_back(diagnostic_type_to_string(info) + " " + std::to_string(info.line) + ": " +
                    info.message);
  }
  return lines;
}

// The keys and value names of an entry, "key=name" joined by " ".
std::string entry(const ResultStore& store, const std::string& name) {
  std::string text;
  for (const auto& [key, value] : store.concept_definitions.at(name)) {
    text += (text.empty() ? "" : " ") + key + "=" +
            boost::apply_visitor(attribute_to_string(), value);
  }
  return text;
}

const AttributeValue kScopeS = std::string("S");
const AttributeValue kCollectionX = AttributeList{{"kind", "\"x\""}};
const AttributeValue kTriggerT = call("plugin::m::t");

class ConceptDefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override { compilation.blackboard.set_source_filename("a.kav"); }
  Compilation compilation;
};

TEST_F(ConceptDefinitionsTest, OneStatementForSeveralNamesGivesEachTheSameList) {
  auto store = compilation.store();
  store->add_concept_definition(on(" Ax , Bx,", {{"scope", kScopeS}, {"attributes", kCollectionX}}));
  EXPECT_EQ(store->concept_definitions.size(), 2u);
  EXPECT_TRUE(store->concept_definitions.at("Ax") == store->concept_definitions.at("Bx"));
  EXPECT_EQ(entry(*store, "Ax"), "scope=S attributes=<T>");
  EXPECT_THAT(diagnostics("a.kav"), ::testing::IsEmpty());
}

TEST_F(ConceptDefinitionsTest, BadNamesAreReportedAndStoredAllTheSame) {
  auto store = compilation.store();
  store->add_concept_definition(on("Big Cat, X,Xy", {{"scope", kScopeS}}, 9));
  const std::string message =
      "error 9: Invalid annotation name, spaces are not allowed in the uri name or should be "
      "bigger then 1 in the on statement. Did you forgot a ',' ? ";
  EXPECT_THAT(diagnostics("a.kav"), ::testing::ElementsAre(message, message));
  EXPECT_EQ(store->concept_definitions.count("Big Cat"), 1u);
  EXPECT_EQ(store->concept_definitions.count("X"), 1u);
  EXPECT_EQ(store->concept_definitions.count("Xy"), 1u);
}

TEST_F(ConceptDefinitionsTest, ARedefinitionAddsWhatIsNewAfterTheFirstSettings) {
  auto store = compilation.store();
  store->add_concept_definition(on("Ax", {{"scope", kScopeS}, {"attributes", kCollectionX}}, 3));
  store->add_concept_definition(on("Ax", {{"scope", kScopeS}, {"trigger", kTriggerT}}, 8));
  store->add_concept_definition(on("Ax", {{"attributes", kCollectionX}}, 12));
  EXPECT_EQ(entry(*store, "Ax"),
            "scope=S attributes=<T> trigger=zel::compiler::ast::node::AssignCaptureGroup");
  // Full builds warn of every redefinition.
  EXPECT_THAT(diagnostics("a.kav"),
              ::testing::ElementsAre(
                  "warning 8: Redefinition off on statement, Merging 'on Ax { ... }",
                  "warning 12: Redefinition off on statement, Merging 'on Ax { ... }"));
}

TEST_F(ConceptDefinitionsTest, IncrementalBuildsLogRedefinitionsOnly) {
  std::vector<std::string> logged;
  static std::vector<std::string>* sink = nullptr;
  sink = &logged;
  wlog::add_logger({wlog::kCompilerId, wlog::kLevelDebug, [](std::uint16_t level, const char* text) {
                      if (sink != nullptr) sink->push_back(std::to_string(level) + " " + text);
                    }});
  compilation.open_database(true);
  compilation.close_database();
  compilation.open_database(false, 1700000000);
  auto store = compilation.store();
  store->add_concept_definition(on("Ax", {{"scope", kScopeS}}));
  store->add_concept_definition(on("Ax", {{"trigger", kTriggerT}}));
  sink = nullptr;
  EXPECT_THAT(diagnostics("a.kav"), ::testing::IsEmpty());
  EXPECT_THAT(logged, ::testing::Contains(
                          "8 Redefinition off on statement, Merging 'on Ax { ... }"));
  EXPECT_EQ(entry(*store, "Ax"), "scope=S trigger=zel::compiler::ast::node::AssignCaptureGroup");
}

TEST_F(ConceptDefinitionsTest, ASecondScopeStopsTheBuildAfterTheRedefinitionIsReported) {
  auto store = compilation.store();
  store->add_concept_definition(on("Ax", {{"scope", kScopeS}}));
  EXPECT_EQ(zel::testing::message_of([&] {
              store->add_concept_definition(on("Ax", {{"scope", AttributeValue(std::string("T"))}}, 5));
            }),
            "The  'on Ax {scope= ...} statement has multiple different scope definitions.");
  EXPECT_THAT(diagnostics("a.kav"),
              ::testing::ElementsAre("warning 5: Redefinition off on statement, Merging 'on Ax { ... }"));
}

TEST_F(ConceptDefinitionsTest, NamesUsedInsideDefinitionsBecomeCaptures) {
  auto store = compilation.store();
  const std::vector<ast::node::AssignCaptureGroup> list = {call("kav::push_att"),
                                                          call("plugin::m::b")};
  store->add_concept_definition(on("Person", {{"scope", AttributeValue(std::string("names"))},
                                             {"trigger", AttributeValue(call("kav::filter"))},
                                             {"trigger", AttributeValue(list)},
                                             {"trigger", kTriggerT},
                                             {"attributes", kCollectionX}}));
  add_concept_definition_to_capture_groups(store.get(), store->concept_definitions);
  std::ostringstream captures;
  captures << store->capture_ids;
  EXPECT_EQ(captures.str(), "1:names\n2:plugin::m::b\n3:plugin::m::t\n");
  EXPECT_EQ(store->concept_ids.size(), 3u);
  EXPECT_EQ(store->concept_ids.count("Person"), 0u);
}

// Builds over one domain pair in which each build visits some sources of
// a domain: the stored definitions follow every source's current on
// statements.
class DefinitionBuilds : public ::testing::Test {
 protected:
  using Sources = std::vector<std::pair<std::string, std::string>>;

  // One build pass over the sources (path, text); the first is full.
  void build(const Sources& sources) {
    compilation.open_database(first_, first_ ? -1 : 1700000000);
    first_ = false;
    auto store = compilation.store();
    for (const auto& [path, text] : sources) {
      ParseResult parsed = parse_kavero_source(compilation.blackboard, text, path, nullptr);
      ASSERT_TRUE(parsed.ok) << text;
      store->open(path);
      store->collect(parsed.root);
      store->close(path);
    }
    store->finalize();
    compilation.close_database();
  }

  // The stored definitions of the domain file, one "Name: key=value ..."
  // line per annotation.
  std::vector<std::string> stored() {
    auto db = afst::serialization::open_file_read(compilation.dom());
    const auto definitions =
        afst::serialization::get_object<AttributeCollectionMap>(db.get(), "uniq_concept_definitions");
    std::vector<std::string> lines;
    for (const auto& [name, settings] : definitions) {
      std::string line = name + ":";
      for (const auto& [key, value] : settings) line += " " + key + "=" + to_variant_string(value);
      lines.push_back(line);
    }
    return lines;
  }

  Compilation compilation;

 private:
  bool first_ = true;
};

TEST_F(DefinitionBuilds, ARebuiltSourceReplacesItsOwnSettings) {
  build({{"/s/a.kav", "on Person :{ scope=\"sentence\", triggers=kav::filter@(a=\"b\") };"},
         {"/s/b.kav", "on Person :{ attributes=@(k=\"1\") };\non City :{ scope=\"sentence\" };"},
         {"/s/c.kav", "rule:{ <'q'> } = Qq;"}});
  const std::string call = "zel::compiler::ast::node::AssignCaptureGroup";
  EXPECT_THAT(stored(), ::testing::ElementsAre(
                            "City: scope=sentence",
                            "Person: scope=sentence trigger=" + call + " attributes=<T>"));
  EXPECT_NE(record_data(compilation.twin(), "uniq_source_definitions/s/a.kav"), "(none)");
  EXPECT_EQ(record_data(compilation.twin(), "uniq_source_definitions/s/c.kav"), "(none)");

  // a.kav drops its trigger and changes its scope: no clash with its old
  // settings, the trigger is gone, b.kav's settings stay after a.kav's.
  build({{"/s/a.kav", "on Person :{ scope=\"paragraph\" };"}});
  EXPECT_THAT(stored(), ::testing::ElementsAre("City: scope=sentence",
                                               "Person: scope=paragraph attributes=<T>"));

  // b.kav alone: its settings still follow a.kav's.
  build({{"/s/b.kav", "on Person :{ attributes=@(k=\"2\") };"}});
  EXPECT_THAT(stored(), ::testing::ElementsAre("Person: scope=paragraph attributes=<T>"));

  // a.kav without on statements takes its settings away.
  build({{"/s/a.kav", "rule:{ <'q'> } = Qq;"}});
  EXPECT_THAT(stored(), ::testing::ElementsAre("Person: attributes=<T>"));
  EXPECT_EQ(record_data(compilation.twin(), "uniq_source_definitions/s/a.kav"), "(none)");
}

TEST_F(DefinitionBuilds, AnotherSourcesScopeStillStopsTheBuild) {
  build({{"/s/a.kav", "on Person :{ scope=\"sentence\" };"}});
  EXPECT_EQ(zel::testing::message_of(
                [&] { build({{"/s/b.kav", "on Person :{ scope=\"paragraph\" };"}}); }),
            "The  'on Person {scope= ...} statement has multiple different scope definitions.");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
