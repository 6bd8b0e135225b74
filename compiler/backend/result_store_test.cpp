#include "compiler/backend/result_store.h"

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/exception.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"
#include "compiler/parser/rule_printer.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

namespace ser = afst::serialization;
using ::testing::ElementsAre;
using testing::Compilation;
using testing::literal;
using testing::record_data;
using testing::record_names;

void put(const std::shared_ptr<sqlite3>& db, const std::string& name, const std::string& data) {
  ser::store_binary_data(db.get(), name, "", data.data(), data.size());
}

std::string map_text(const Id2Info& map) {
  std::ostringstream out;
  out << map;
  return out.str();
}

TEST(ResultStore, ABuildWithoutSourcesWritesTheFiveTablesAndNoEncoder) {
  Compilation compilation;
  auto store = compilation.store();
  store->finalize();
  EXPECT_THAT(record_names(compilation.dom()),
              ElementsAre("_BUSY_", "sdk_version", "uniq_capture_map", "uniq_concept_definitions",
                          "uniq_concept_map", "uniq_token_map"));
  EXPECT_EQ(record_data(compilation.dom(), "uniq_token_map"), "{}");
  EXPECT_EQ(record_data(compilation.dom(), "uniq_concept_map"), "{}");
  EXPECT_EQ(record_data(compilation.dom(), "uniq_capture_map"), "{}");
  EXPECT_EQ(record_data(compilation.dom(), "uniq_concept_definitions"), "null");
  EXPECT_THAT(record_names(compilation.twin()), ElementsAre("uniq_id_2_filename_map"));
  EXPECT_EQ(record_data(compilation.twin(), "uniq_id_2_filename_map"), "null");
  store.reset();
  compilation.close_database();
  // A full build leaves no busy marker behind.
  EXPECT_EQ(record_data(compilation.dom(), "_BUSY_"), "(none)");
  EXPECT_EQ(record_data(compilation.dom(), "sdk_version"), "3.1.1");
}

TEST(ResultStore, SourcesAreNumberedInTheOrderTheyAreFirstOpened) {
  Compilation compilation;
  auto store = compilation.store();
  store->open("/data/rules/first.kav");
  EXPECT_EQ(store->source_key, "0_first.kav_");
  store->close("/data/rules/first.kav");
  EXPECT_EQ(store->source_key, "");
  store->open("/data/other/");
  EXPECT_EQ(store->source_key, "1__");
  store->open("/data/rules/people.kav");
  EXPECT_EQ(store->source_key, "2_people.kav_");
  EXPECT_EQ(store->source_file, "/data/rules/people.kav");
  EXPECT_EQ(store->debug_id, "data/rules/people.kav");
  store->open("/data/rules/first.kav");
  EXPECT_EQ(store->source_key, "0_first.kav_");
  for (int i = 3; i < 17; ++i) store->open("/s/" + std::to_string(i) + ".kav");
  EXPECT_EQ(store->source_key, "10_16.kav_");  // hexadecimal
  EXPECT_EQ(store->id_to_filename.at("2_people.kav"), "/data/rules/people.kav");
  EXPECT_EQ(store->id_to_filename.at("data/rules/people.kav"), "/data/rules/people.kav");
  EXPECT_EQ(store->id_to_filename.at("1_"), "/data/other/");
}

TEST(ResultStore, UpdateLexiconsOption) {
  struct Case {
    const char* options;
    std::vector<std::string> streams;
  };
  const Case cases[] = {
      {"{}",
       {"canonical", "component", "head", "lemma", "literal", "normalized_lemma",
        "normalized_literal", "normalized_stem", "stem"}},
      {R"({"update_lexicons":"none"})", {}},
      {R"({"update_lexicons":"literal;stem"})", {"literal", "stem"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Compilation compilation(c.options);
    auto store = compilation.store();
    EXPECT_EQ(std::vector<std::string>(store->update_lexicons.begin(), store->update_lexicons.end()),
              c.streams);
    EXPECT_EQ(store->lexicon_threads, 4u);
  }
}

TEST(ResultStore, WithoutADomainDatabaseThereIsNoStore) {
  Compilation compilation;
  EXPECT_EQ(zel::testing::message_of([&] { ResultStore store(compilation.blackboard); }),
            "The result store needs the build's domain database.");
}

// The next build reads back every table: numbering goes on, the encoder and
// the definitions are kept, and sources keep their numbers.
TEST(ResultStore, AnIncrementalBuildContinuesTheEarlierOne) {
  Compilation compilation;
  {
    auto store = compilation.store();
    store->open("/src/a.kav");
    store->open("/src/b.kav");
    store->open("/src/c.kav");
    store->add_token(literal("New"));
    store->add_capture(testing::capture("Person"));
    ast::node::AnnotationDefinition on;
    on.names = "Person";
    on.attributes = {{"scope", ast::node::AttributeValue(std::string("names"))}};
    store->add_concept_definition(on);
    store->finalize();
  }
  compilation.open_database(false, 1700000000);
  auto store = compilation.store();
  EXPECT_EQ(map_text(store->token_ids), "1:lNewl\n");
  EXPECT_EQ(map_text(store->concept_ids), "1:Person\n2:names\n");
  EXPECT_EQ(map_text(store->capture_ids), "1:Person\n2:names\n");
  EXPECT_EQ(store->concept_definitions.count("Person"), 1u);

  // b.kav keeps its number; a new source takes the lowest free one, 3.
  store->open("/src/b.kav");
  EXPECT_EQ(store->source_key, "1_b.kav_");
  store->open("/elsewhere/a.kav");
  EXPECT_EQ(store->source_key, "3_a.kav_");
  store->open("/src/c.kav");
  EXPECT_EQ(store->source_key, "2_c.kav_");

  EXPECT_EQ(store->add_token(literal("New")), 1u);
  EXPECT_EQ(store->add_token(literal("York")), 2u);
  EXPECT_EQ(store->add_concept(testing::concept_ref("City")), 3u);
  store->finalize();
  auto encoder = ser::get_fsm(compilation.blackboard.domain_database->domain_db(), "token_encoder");
  ASSERT_NE(encoder, nullptr);
  EXPECT_EQ(record_data(compilation.dom(), "uniq_token_map"), R"({"lNewl":1,"lYorkl":2})");
  EXPECT_EQ(record_data(compilation.twin(), "uniq_id_2_filename_map"),
            R"({"/elsewhere/a.kav":"/elsewhere/a.kav","/src/a.kav":"/src/a.kav",)"
            R"("/src/b.kav":"/src/b.kav","/src/c.kav":"/src/c.kav","0_a.kav":"/src/a.kav",)"
            R"("1_b.kav":"/src/b.kav","2_c.kav":"/src/c.kav","3_a.kav":"/elsewhere/a.kav"})");
}

TEST(ResultStore, AnIncrementalBuildWithoutNewTokensKeepsTheEncoder) {
  Compilation compilation;
  {
    auto store = compilation.store();
    store->add_token(literal("New"));
    store->finalize();
  }
  compilation.open_database(false, 1700000000);
  {
    auto store = compilation.store();
    store->finalize();
  }
  EXPECT_NE(record_data(compilation.dom(), "token_encoder"), "(none)");
  auto encoder = ser::get_fsm(compilation.blackboard.domain_database->domain_db(), "token_encoder");
  ASSERT_NE(encoder, nullptr);
  EXPECT_GT(encoder->NumStates(), 0);
}

// The rule records of the open source go, and only those: "_" and "%" in
// the key stand for themselves.
TEST(ResultStore, CollectDropsTheOldRulesOfItsSourceOnly) {
  Compilation compilation;
  auto store = compilation.store();
  const auto& db = compilation.blackboard.domain_database->domain_db();
  const std::vector<std::string> kept = {
      "rule_$DAZ:11_a.kav__l007_rule:X{lxl}",  "rule_$DAZ:1xa.kav__l007_rule:X{lxl}",
      "rule_$DAZ:1_a.kav_x_l007_rule:X{lxl}", "rule_$DAZ:0_a%kav__l001_rule:X{lxl}",
      "uniq_token_map"};
  const std::vector<std::string> dropped = {"rule_ns_$DAZ:1_a.kav__l007_rule:X{lxl}",
                                            "bitset_ns_$DAZ:1_a.kav__l007_rule:X{lxl}",
                                            "rule_$DAZ:1_a.kav__l012_G-1_rule:Y{lyl}"};
  for (const auto& name : kept) put(db, name, "x");
  for (const auto& name : dropped) put(db, name, "x");
  store->open("/s/zero.kav");
  store->open("/s/a.kav");
  ASSERT_EQ(store->source_key, "1_a.kav_");
  store->collect(ast::node::Root());
  for (const auto& name : kept) EXPECT_TRUE(ser::has_binary_data(db.get(), name)) << name;
  for (const auto& name : dropped) EXPECT_FALSE(ser::has_binary_data(db.get(), name)) << name;
}

TEST(ResultStore, AStoredTableThatDoesNotReadStopsTheBuild) {
  struct Case {
    const char* record;
    bool twin;
    const char* data;
    const char* message;
  };
  const Case cases[] = {
      {"uniq_token_map", false, "[1,2]",
       "The stored table \"uniq_token_map\" does not read: [json.exception.type_error.302] type "
       "must be object, but is array"},
      {"uniq_concept_map", false, R"({"a":"x"})",
       "The stored table \"uniq_concept_map\" does not read: [json.exception.type_error.302] type "
       "must be number, but is string"},
      {"uniq_id_2_filename_map", true, R"({"a":1})",
       "The stored table \"uniq_id_2_filename_map\" does not read: "
       "[json.exception.type_error.302] type must be string, but is number"},
      {"uniq_concept_definitions", false, R"({"A":[1]})",
       "The stored table \"uniq_concept_definitions\" does not read: "
       "[json.exception.type_error.302] type must be array, but is number"},
      {"token_encoder", false, "garbage", "The stored token encoder does not read."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    Compilation compilation;
    compilation.open_database(true);
    const auto& database = *compilation.blackboard.domain_database;
    put(c.twin ? database.twin_db() : database.domain_db(), c.record, c.data);
    EXPECT_EQ(zel::testing::message_of([&] { compilation.store(); }), c.message);
  }
  Compilation compilation;
  compilation.open_database(true);
  put(compilation.blackboard.domain_database->domain_db(), "uniq_capture_map", "not json");
  EXPECT_THROW(compilation.store(), nlohmann::json::parse_error);
}

TEST(ResultStore, TheStatementPassWalksNamespacesAndChains) {
  Compilation compilation;
  auto store = compilation.store();
  ast::node::AnnotationDefinition on;
  on.names = "Person";
  ast::node::PriorityGroup chain;
  chain.statements.push_back(on);
  ast::node::Namespace name_space;
  name_space.name = "people";
  name_space.statements.push_back(chain);
  ast::node::Root root;
  root.statements.push_back(name_space);
  root.statements.push_back(ast::node::Variable());
  root.statements.push_back(ast::node::StatementDecorator());
  root.statements.push_back(ast::node::Instance());
  store->open("/s/a.kav");
  store->collect(root);
  EXPECT_EQ(store->concept_definitions.count("Person"), 1u);
  EXPECT_TRUE(store->namespaces.empty());
  EXPECT_TRUE(store->group_id.empty());

  store->set_group_id();
  const std::string first = store->group_id;
  EXPECT_EQ(first.size(), 36u);
  store->set_group_id();
  EXPECT_NE(store->group_id, first);
}

TEST(ResultStore, TheFactoryMakesAResultStore) {
  Compilation compilation;
  compilation.open_database(true);
  auto builder = get_visitor_builder(compilation.blackboard);
  EXPECT_NE(dynamic_cast<ResultStore*>(builder.get()), nullptr);
  EXPECT_EQ(dynamic_cast<ResultStore&>(*builder).filename(), compilation.dom());
  EXPECT_EQ(dynamic_cast<ResultStore&>(*builder).timestamp(), -1);
}

}  // namespace
}  // namespace compiler
}  // namespace zel

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;
using testing::parsed_rule;

class RuleRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    store = compilation.store();
    store->open("/data/rules/people.kav");  // source key "0_people.kav_"
  }

  // The rule parsed from `source`, numbered and stored.
  ast::node::Rule add(const std::string& source) {
    ast::node::Rule rule = parsed_rule(compilation, *store, source);
    store->add_rule(rule);
    return rule;
  }

  std::vector<std::string> rule_records() const {
    std::vector<std::string> names;
    for (const std::string& name : testing::record_names(compilation.dom())) {
      if (name.rfind("rule_", 0) == 0 || name.rfind("bitset_", 0) == 0) names.push_back(name);
    }
    return names;
  }

  std::string attributes(const std::string& record) {
    return afst::serialization::get_fsm_attr(store->database->domain_db(), record).first;
  }

  Compilation compilation;
  std::unique_ptr<ResultStore> store;
};

TEST_F(RuleRecords, IdTextAndRuleAttributes) {
  const ast::node::Rule rule = add("\n\n\n\n\n\nrule:{ <\"a\"> { <\"b\"> } = Inner City } = Xx;");
  const std::string id = "$DAZ:0_people.kav__l007_" + make_id(rule);
  EXPECT_THAT(rule_records(), ElementsAre("bitset_" + id, "rule_" + id));
  const auto& inner = boost::get<ast::node::RuleCapture>(rule.capture.nodes[1]);
  const auto& city = boost::get<ast::node::RuleConcept>(rule.capture.nodes[2]);
  const std::set<uint32_t> captures{rule.capture.id, inner.id};
  std::ostringstream expected;
  expected << "captures=" << *captures.begin() << ',' << *captures.rbegin()
           << ";groups=" << city.id << ";;debug_info=data/rules/people.kav:7;rt=2";
  EXPECT_EQ(attributes("rule_" + id), expected.str());
  EXPECT_EQ(attributes("bitset_" + id), "{\"tlb\":[268435457]}");
}

TEST_F(RuleRecords, TopLevelLabelsAndType) {
  const ast::node::Rule negated = add("rule:{ !(<\"a\">) <\"b\"> } = Xx;");
  const std::string negated_id = "$DAZ:0_people.kav__l001_" + make_id(negated);
  EXPECT_EQ(attributes("bitset_" + negated_id), "{\"tlb\":[]}");
  EXPECT_THAT(attributes("rule_" + negated_id), ::testing::EndsWith(";rt=1"));
  const ast::node::Rule any = add("\nrule:{ <> <\"b\"> } = Xx;");
  EXPECT_EQ(attributes("bitset_$DAZ:0_people.kav__l002_" + make_id(any)),
            "{\"tlb\":[2415919104]}");
  const ast::node::Rule choice = add("\n\nrule:{ (<\"a\"> | <\"c\">) <\"b\"> } = Xx;");
  const auto& group = boost::get<ast::node::RuleGroup>(choice.capture.nodes[0]);
  const uint32_t a = 0x10000000u | boost::get<ast::node::RuleToken>(group.nodes[0]).id;
  const uint32_t c = 0x10000000u | boost::get<ast::node::RuleToken>(group.nodes[2]).id;
  const std::string tlb = attributes("bitset_$DAZ:0_people.kav__l003_" + make_id(choice));
  EXPECT_TRUE(tlb == "{\"tlb\":[" + std::to_string(a) + "," + std::to_string(c) + "]}" ||
              tlb == "{\"tlb\":[" + std::to_string(c) + "," + std::to_string(a) + "]}")
      << tlb;
}

TEST_F(RuleRecords, NamespacesLongLinesAndRepeats) {
  store->push_namespace("aa");
  store->push_namespace("bb");
  ast::node::Rule rule = parsed_rule(compilation, *store, "rule:{ <\"a\"> } = Xx;");
  rule.line = 1234;
  store->add_rule(rule);
  // The same rule on the same line outside a chain is stored once.
  store->add_rule(rule);
  const std::string id = "aa_bb_$DAZ:0_people.kav__l1234_" + make_id(rule);
  EXPECT_THAT(rule_records(), ElementsAre("bitset_" + id, "rule_" + id));
  EXPECT_EQ(store->rule_ids.size(), 1u);
  EXPECT_EQ(store->rule_ids.at(id).id, 1u);
}

TEST_F(RuleRecords, IdenticalRulesInAChainGiveTwoPairs) {
  store->set_group_id();
  const ast::node::Rule rule = parsed_rule(compilation, *store, "rule:{ <\"a\"> } = Xx;");
  store->add_rule(rule);
  store->add_rule(rule);
  const std::vector<std::string> names = rule_records();
  ASSERT_EQ(names.size(), 4u);
  const std::string chain = "rule_$DAZ:0_people.kav__l001_$GRUUID:" + store->group_id + "-";
  EXPECT_EQ(names[2].rfind(chain, 0), 0u) << names[2];
  EXPECT_EQ(names[3].rfind(chain, 0), 0u) << names[3];
  EXPECT_NE(names[2], names[3]);
  EXPECT_EQ(store->rule_ids.size(), 2u);
}

TEST_F(RuleRecords, AnUnknownOperatorStoresNothing) {
  ast::node::Rule rule = parsed_rule(compilation, *store, "rule:{ <\"a\"> <\"b\"> } = Xx;");
  ast::node::RuleOperator op;
  op.type = static_cast<ast::node::RuleOperator::Type>(8);
  rule.capture.nodes.insert(rule.capture.nodes.begin() + 1, op);
  EXPECT_EQ(zel::testing::message_of([&] { store->add_rule(rule); }),
            "Rozoveved Parser: invalid operator.[8]");
  EXPECT_TRUE(rule_records().empty());
}

}  // namespace
}  // namespace compiler
}  // namespace zel
