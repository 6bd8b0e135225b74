// What the result store writes, read by the runtime: the token encoder run
// by the runtime's stream encoding over a sentence analysed with the test
// language, and the concept records read by the domain loader's readers.

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "compiler/backend/id_numbering.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/rule_source_testutil.h"
#include "compiler/parser/rule_printer.h"
#include "core-afst/serialization.h"
#include "domain/concept_records.h"
#include "domain/domain_facade.h"
#include "domain/encoder_facade.h"
#include "language/test_language_testutil.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/forward_rule_facade.h"
#include "matcher/make_rule.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace compiler {
namespace {

namespace ser = afst::serialization;
using ast::node::RuleToken;
using testing::Compilation;
using ::testing::ElementsAre;
using ::testing::Pair;

// Per sentence its tokens with their ids ("man:3,4"), "|" and the sentence's
// candidate ids in hexadecimal.
std::string ids(const kavero::AnnotationCollection& document) {
  std::ostringstream out;
  for (const kavero::Annotation* s = document.head; s != nullptr; s = s->next) {
    const auto* sentence = kavero::annotation_cast<kavero::Sentence>(s);
    if (sentence == nullptr) continue;
    if (s != document.head) out << "\n";
    for (const kavero::Annotation* a = sentence->annotations.head; a != nullptr; a = a->next) {
      if (const auto* token = kavero::annotation_cast<kavero::Token>(a)) {
        out << token->literal << ":";
        for (size_t i = 0; i < token->encodings.size(); ++i) {
          out << (i ? "," : "") << token->encodings[i];
        }
        out << " ";
      }
    }
    out << "|";
    for (uint32_t id : sentence->ids) out << " " << std::hex << id << std::dec;
  }
  return out.str();
}

// The ids the runtime gives the sentence's tokens with the encoder stored
// in the domain file.
std::string encode(const std::string& dom, const std::string& text) {
  auto domain = std::make_shared<kavero::DomainFacade>("d");
  domain->token_encoder =
      std::make_unique<kavero::EncoderFacade>(ser::open_file_read(dom), "token_encoder");
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(), text);
  EXPECT_TRUE(kavero::encode_stream(document.blackboard(), domain));
  return ids(document.sentences());
}

template <class Fill>
RuleToken token(Fill fill) {
  RuleToken t;
  fill(t);
  return t;
}

constexpr char kText[] = "The old man walks in London. Zorblax runs.";
// The readings: The/Det-Def old/Adj man/Nn-Sg walks/V-Pres-3-Sg:walk in/Prep
// London/Prop-Std; Zorblax/Prop-Std runs/V-Pres-3-Sg:run.

TEST(CompiledEncoder, EveryTokenGetsTheIdsOfThePatternsItFits) {
  Compilation compilation;
  {
    auto store = compilation.store();
    // Ids follow the order of registration.
    const std::vector<RuleToken> tokens = {
        testing::literal("London"),                                         // 1
        token([](RuleToken& t) { t.stem = "walk"; }),                       // 2
        token([](RuleToken& t) { t.pos = "Nn"; }),                          // 3 root
        token([](RuleToken& t) { t.pos = "Nn-Sg"; }),                       // 4 pattern
        token([](RuleToken& t) {                                            // 5
          t.pos = "Det";
          t.literal = "The";
        }),
        token([](RuleToken& t) { t.length = ast::node::TokenLength(3, boost::none); }),  // 6
        token([](RuleToken& t) { t.length = ast::node::TokenLength(4, 7); }),            // 7
        token([](RuleToken& t) {                                            // 8
          t.stem = "man";
          t.pos = "Nn";
        }),
        token([](RuleToken& t) { t.components = {"run"}; }),                // 9 c-text
        token([](RuleToken& t) { t.head = "man"; }),                        // 10 h-text
        token([](RuleToken& t) { t.head = "walk"; }),                       // 11 h-text
        token([](RuleToken& t) { t.literal = "(L|Z)(.)*"; }),               // 12 pattern
        token([](RuleToken& t) { t.pos = "V-Pres-3-Sg"; }),                 // 13
        token([](RuleToken& t) { t.pos = "V"; }),                           // 14 root
        RuleToken(),                                                        // 15 any
    };
    for (size_t i = 0; i < tokens.size(); ++i) EXPECT_EQ(store->add_token(tokens[i]), i + 1);
    store->finalize();
  }
  compilation.close_database();
  EXPECT_EQ(encode(compilation.dom(), kText),
            "The:5,6 old:6 man:3,4,6,8,10 walks:2,7,11,13,14 in: London:1,7,12 .: | "
            "10000001 10000002 10000003 10000004 10000005 10000006 10000007 10000008 1000000a "
            "1000000b 1000000c 1000000d 1000000e\n"
            "Zorblax:7,12 runs:7,9,13,14 .: | 10000007 10000009 1000000c 1000000d 1000000e");
}

// A second build adds its tokens beside those of the first, whose encoder it
// read back: the runtime finds both.
TEST(CompiledEncoder, AnIncrementalBuildKeepsTheEarlierPatterns) {
  Compilation compilation;
  {
    auto store = compilation.store();
    store->add_token(testing::literal("London"));
    store->finalize();
  }
  compilation.open_database(false, 1700000000);
  {
    auto store = compilation.store();
    EXPECT_EQ(store->add_token(testing::literal("London")), 1u);  // no second entry
    EXPECT_EQ(store->add_token(token([](RuleToken& t) { t.stem = "run"; })), 2u);
    store->finalize();
  }
  compilation.close_database();
  EXPECT_EQ(encode(compilation.dom(), kText),
            "The: old: man: walks: in: London:1 .: | 10000001\nZorblax: runs:2 .: | 10000002");
}

TEST(CompiledConceptRecords, TheRuntimeReadsIdsNamesScopesAndCalls) {
  Compilation compilation;
  {
    auto store = compilation.store();
    // Person = { City "in" {"x"}=$tmp }
    ast::node::Rule rule = testing::rule(
        "Person", {testing::concept_ref("City"), testing::literal("in"),
                   testing::capture("$tmp", {testing::literal("x")})});
    collect_ids(*store, rule);
    assign_ids(*store, rule);
    ast::node::AnnotationDefinition person;
    person.names = "Person";
    person.attributes = {
        {"scope", ast::node::AttributeValue(std::string("names"))},
        {"trigger", ast::node::AttributeValue(testing::call("kav::push_att", {{"to", "\"X\""}}))},
        {"attributes", ast::node::AttributeValue(AttributeList{{"kind", "\"human\""}})}};
    store->add_concept_definition(person);
    ast::node::AnnotationDefinition city;
    city.names = "City, Town";
    city.attributes = {{"scope", ast::node::AttributeValue(std::string("names"))}};
    store->add_concept_definition(city);
    store->finalize();
  }
  compilation.close_database();
  auto db = ser::open_file_read(compilation.dom());
  EXPECT_EQ(kavero::core::load_sdk_version(db), "3.1.1");
  EXPECT_THAT(kavero::core::load_concept_groups_pairs(db, true),
              ElementsAre(Pair(1, "Person"), Pair(2, "City"), Pair(3, "$tmp"), Pair(4, "names")));
  EXPECT_THAT(kavero::core::load_concept_groups_pairs(db, false),
              ElementsAre(Pair(1, "Person"), Pair(2, "City"), Pair(4, "names")));
  EXPECT_THAT(kavero::core::load_capture_groups_pairs(db, true),
              ElementsAre(Pair(1, "Person"), Pair(2, "$tmp"), Pair(3, "names")));
  EXPECT_THAT(kavero::core::get_dom_db_annotations(db), ElementsAre("Person", "names"));

  auto definitions = kavero::core::load_concept_definitions(db);
  ASSERT_EQ(definitions.count("Person"), 1u);
  const kavero::ConceptDefinition& p = definitions.at("Person");
  ASSERT_EQ(p.functions.size(), 1u);
  EXPECT_EQ(p.functions[0].name, "kav::push_att");
  EXPECT_THAT(kavero::convert_attributes(p.functions[0].attributes),
              ElementsAre(Pair("to", "X")));
  const auto scopes = kavero::core::dispatch_concept_definitions(definitions);
  ASSERT_EQ(scopes.count("names"), 1u);
  EXPECT_THAT(scopes.at("names").names, ElementsAre("City", "Person", "Town"));
  EXPECT_THAT(kavero::convert_attributes(definitions.at("Person").attributes),
              ElementsAre(Pair("kind", "human")));
}


// The records of a rule read by the runtime's rule loader: the matcher kind
// from "rt", the top-level ids from "tlb", and the candidate test over the
// bitset transducer.
TEST(CompiledRuleRecords, TheRuntimeLoadsTheRuleAndItsPreTest) {
  Compilation compilation;
  auto store = compilation.store();
  store->open("/data/rules/r.kav");
  const auto record_of = [&](const std::string& source) {
    ast::node::Rule rule = testing::parsed_rule(compilation, *store, source);
    store->add_rule(rule);
    return "rule_$DAZ:0_r.kav__l001_" + make_id(rule);
  };
  const auto load = [&](const std::string& name) {
    const auto& db = store->database->domain_db();
    return kavero::make_rule(db, name, ser::get_fsm_attr(db, name).first);
  };
  // Tokens: a 1, b 2, c 3.
  const std::string plain = record_of(R"(rule:{ <"a"> <"b"> } = Xx;)");
  const std::string gap = record_of(R"(rule:{ <"a"> .. <"b"> <"c">? } = Xx;)");
  const std::string optional = record_of(R"(rule:{ <"c">? <"b"> } = Xx;)");

  kavero::Sentence a_b(0, 3), a_only(0, 1), b_only(0, 1);
  a_b.ids = {0x10000001u, 0x10000002u};
  a_only.ids = {0x10000001u};
  b_only.ids = {0x10000002u};

  const auto plain_rule = load(plain);
  if (kavero::KAVERO_OPTIMIZATION_LEVEL != 0) {
    EXPECT_NE(dynamic_cast<kavero::matcher::forward::RuleFacade*>(plain_rule.get()), nullptr);
  }
  EXPECT_TRUE(plain_rule->is_candidate(&a_b));
  EXPECT_FALSE(plain_rule->is_candidate(&a_only));

  const auto gap_rule = load(gap);
  const auto* facade = dynamic_cast<kavero::matcher::afst::RuleFacade*>(gap_rule.get());
  ASSERT_NE(facade, nullptr);
  EXPECT_EQ(facade->top_level_ids(), (std::optional<std::vector<uint32_t>>{{0x10000001u}}));
  EXPECT_TRUE(gap_rule->is_candidate(&a_b));
  EXPECT_FALSE(gap_rule->is_candidate(&b_only));

  // A leading optional token: a match may start on "c" or on "b".
  const auto optional_rule = load(optional);
  facade = dynamic_cast<kavero::matcher::afst::RuleFacade*>(optional_rule.get());
  ASSERT_NE(facade, nullptr);
  EXPECT_TRUE(facade->contains_top_level_id(0x10000002u));
  EXPECT_TRUE(facade->contains_top_level_id(0x10000003u));
  EXPECT_TRUE(optional_rule->is_candidate(&b_only));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
