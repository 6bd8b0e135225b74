#include "compiler/backend/id_numbering.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/unicode.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

namespace ser = afst::serialization;
using ast::node::RuleToken;
using testing::capture;
using testing::Compilation;
using testing::concept_ref;
using testing::literal;
using testing::rule;

// An encoder label made readable: the marker's name, then the rest of the
// label; after the root and length markers the code points as numbers.
std::string readable(const std::string& label) {
  static const char* const kNames[] = {"id:", "lit", "stem", "pos", "+", "c", "h", "/", "root:", "len:"};
  std::string out;
  auto it = label.begin();
  bool numbers = false;
  while (it != label.end()) {
    const uint32_t code = string::unicode::next(it, label.end());
    if (code >= 0xEF00 && code <= 0xEF09) {
      out += kNames[code - 0xEF00];
      numbers = code == 0xEF08 || code == 0xEF09;
    } else if (numbers) {
      out += (out.back() == ':' ? "" : ",") + std::to_string(code);
    } else {
      out += string::from_uint(code);
    }
  }
  return out;
}

// The input label sequences of a transducer's paths (without epsilons),
// each label readable.
void walk(const ser::Transducer& encoder, int state, const std::string& path,
          std::set<std::string>& paths, int depth) {
  if (depth > 40) return;
  if (encoder.Final(state) != fst::TropicalWeight::Zero()) paths.insert(path);
  for (fst::ArcIterator<ser::Transducer> arcs(encoder, state); !arcs.Done(); arcs.Next()) {
    const auto& arc = arcs.Value();
    std::string next = path;
    if (arc.ilabel != 0) {
      next += (path.empty() ? "" : " ") + readable(encoder.InputSymbols()->Find(arc.ilabel));
    }
    walk(encoder, arc.nextstate, next, paths, depth + 1);
  }
}

std::set<std::string> encoder_paths(const ser::Transducer& encoder) {
  std::set<std::string> paths;
  if (encoder.Start() != fst::kNoStateId) walk(encoder, encoder.Start(), "", paths, 0);
  return paths;
}

// The paths of the encoder the store would write.
std::set<std::string> encoder_paths(Compilation& compilation, ResultStore& store) {
  const auto& roots = store.token_encoder->roots();
  if (roots.empty() || roots.front()->children.empty()) return {};
  ser::store_fsm(store.token_encoder, compilation.blackboard.domain_database->domain_db(),
                 "probe", std::string());
  return encoder_paths(*ser::get_fsm(compilation.blackboard.domain_database->domain_db(), "probe"));
}

RuleToken token_with(void (*fill)(RuleToken&)) {
  RuleToken token;
  fill(token);
  return token;
}

TEST(IdNumbering, FirstIdsAreOneAndEachMapCountsItsOwnKeys) {
  Compilation compilation;
  auto store = compilation.store();
  EXPECT_EQ(store->add_token(literal("New")), 1u);
  EXPECT_EQ(store->add_concept(concept_ref("City")), 1u);
  EXPECT_EQ(store->add_capture(capture("Person")), 2u);  // the concept map's second name
  EXPECT_EQ(store->capture_ids.at("Person").id, 1u);
  EXPECT_EQ(store->add_token(literal("York")), 2u);
  EXPECT_EQ(store->add_concept(concept_ref("Person")), 2u);
}

TEST(IdNumbering, ATokenWrittenTwiceGetsOneIdAndOneEncoderEntry) {
  Compilation compilation;
  auto store = compilation.store();
  RuleToken first = literal("New");
  first.properties = {"cap"};
  RuleToken again = first;
  again.closure = "?";  // the closure is no part of the pattern
  EXPECT_EQ(store->add_token(first), 1u);
  EXPECT_EQ(store->add_token(again), 1u);
  EXPECT_EQ(store->token_ids.size(), 1u);
  EXPECT_THAT(encoder_paths(compilation, *store),
              ::testing::ElementsAre("lit N e w / +cap id:1"));
}

// Heads and lone properties are part of a token's key: tokens that differ in
// them never share an id or an encoder entry.
TEST(IdNumbering, HeadsAndLonePropertiesKeepTokensApart) {
  Compilation compilation;
  auto store = compilation.store();
  RuleToken car;
  car.head = "car";
  RuleToken house;
  house.head = "house";
  RuleToken pos;
  pos.pos = "Xy";
  RuleToken property;
  property.properties = {"Xy"};
  EXPECT_EQ(store->add_token(car), 1u);
  EXPECT_EQ(store->add_token(house), 2u);
  EXPECT_EQ(store->add_token(pos), 3u);
  EXPECT_EQ(store->add_token(property), 4u);
  EXPECT_THAT(encoder_paths(compilation, *store),
              ::testing::UnorderedElementsAre("h c a r / id:1", "h h o u s e / id:2",
                                              "pos X y / id:3", "+Xy id:4"));
}

TEST(IdNumbering, ACaptureAndAReferenceOfOneNameCarryOneIdInTheRule) {
  Compilation compilation;
  auto store = compilation.store();
  store->add_concept(concept_ref("City"));
  // X = { {"a"}=Person Person "a" }
  ast::node::Rule r = rule("X", {capture("Person", {literal("a")}), concept_ref("Person"),
                                 literal("a")});
  collect_ids(*store, r);
  assign_ids(*store, r);
  const auto& inner = boost::get<ast::node::RuleCapture>(r.capture.nodes[0]);
  const auto& reference = boost::get<ast::node::RuleConcept>(r.capture.nodes[1]);
  EXPECT_EQ(r.capture.id, 2u);
  EXPECT_EQ(inner.id, 3u);
  EXPECT_EQ(reference.id, 3u);
  EXPECT_EQ(boost::get<RuleToken>(inner.nodes[0]).id, 1u);
  EXPECT_EQ(boost::get<RuleToken>(r.capture.nodes[2]).id, 1u);
  std::ostringstream concepts, captures;
  concepts << store->concept_ids;
  captures << store->capture_ids;
  EXPECT_EQ(concepts.str(), "1:City\n3:Person\n2:X\n");
  EXPECT_EQ(captures.str(), "2:Person\n1:X\n");
}

TEST(IdNumbering, BuiltinFunctionNamesAreNotRegistered) {
  Compilation compilation;
  auto store = compilation.store();
  EXPECT_EQ(store->add_capture(std::string("kav::filter")), std::numeric_limits<uint64_t>::max());
  EXPECT_TRUE(store->capture_ids.empty());
  EXPECT_TRUE(store->concept_ids.empty());
  EXPECT_EQ(store->add_capture(std::string("plugin::m::f")), 1u);
  EXPECT_EQ(store->capture_ids.count("plugin::m::f"), 1u);
}

TEST(IdNumbering, AnAnyTokenGetsAnIdAndNoEncoderEntry) {
  Compilation compilation;
  auto store = compilation.store();
  EXPECT_EQ(store->add_token(RuleToken()), 1u);
  EXPECT_EQ(store->token_ids.size(), 1u);
  EXPECT_TRUE(encoder_paths(compilation, *store).empty());
  store->finalize();
  compilation.close_database();
  EXPECT_EQ(testing::record_data(compilation.dom(), "token_encoder"), "(none)");
}

TEST(IdNumbering, UnregisteredKeysHaveNoId) {
  Compilation compilation;
  auto store = compilation.store();
  EXPECT_EQ(zel::testing::message_of([&] { store->get_id(concept_ref("Nowhere")); }),
            "No concept id was given to 'Nowhere'.");
}

// Every item kind gives its labels, in the fixed order whatever the source's.
TEST(TokenEncoderEntry, LabelsOfEveryItemKind) {
  struct Case {
    const char* name;
    void (*fill)(RuleToken&);
    const char* path;
  };
  const Case cases[] = {
      {"root part of speech", [](RuleToken& t) { t.pos = "Nn"; }, "root:32 id:7"},
      {"first and last roots", [](RuleToken& t) { t.pos = "Adj"; }, "root:1 id:7"},
      {"other part of speech", [](RuleToken& t) { t.pos = "Nn-Sg"; }, "pos N n - S g / id:7"},
      {"length(2)", [](RuleToken& t) { t.length = ast::node::TokenLength(2, boost::none); },
       "len:2 id:7"},
      {"length(2,4)", [](RuleToken& t) { t.length = ast::node::TokenLength(2, 4); }, "len:2,4 id:7"},
      {"literal New with one property",
       [](RuleToken& t) {
         t.properties = {"cap"};
         t.literal = "New";
       },
       "lit N e w / +cap id:7"},
      {"everything",
       [](RuleToken& t) {
         t.components = {"b", "a"};
         t.head = "h";
         t.properties = {"z", "y"};
         t.pos = "V";
         t.stem = "s";
         t.literal = "l";
         t.length = ast::node::TokenLength(1, 9);
       },
       "len:1,9 lit l / stem s / root:4096 +y +z h h / c a / c b / id:7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Compilation compilation;
    auto store = compilation.store();
    add_token_encoder_entry(store->token_encoder, 7, token_with(c.fill));
    EXPECT_THAT(encoder_paths(compilation, *store), ::testing::ElementsAre(c.path));
  }
}

TEST(TokenEncoderEntry, PatternsGoThroughTheFormattedTextSyntax) {
  Compilation compilation;
  auto store = compilation.store();
  add_token_encoder_entry(store->token_encoder, 3, literal("(a|b)c"));
  EXPECT_THAT(encoder_paths(compilation, *store),
              ::testing::UnorderedElementsAre("lit a c / id:3", "lit b c / id:3"));
  EXPECT_EQ(zel::testing::message_of(
                [&] { add_token_encoder_entry(store->token_encoder, 4, literal("[ab")); }),
            "missing braket ]");
}

TEST(Collector, StreamsCapturesAndGroups) {
  collect_concept_and_captures::Collector collector;
  std::ostringstream empty;
  collect_concept_and_captures::stream_it(empty, collector);
  EXPECT_EQ(empty.str(), "captures=;groups=;");

  ast::node::RuleCapture body = capture("X", {capture("A", {concept_ref("B", {literal("x")})}),
                                              capture("C"), concept_ref("D")});
  boost::get<ast::node::RuleCapture>(body.nodes[0]).id = 12;
  boost::get<ast::node::RuleConcept>(
      boost::get<ast::node::RuleCapture>(body.nodes[0]).nodes[0]).id = 5;
  boost::get<ast::node::RuleCapture>(body.nodes[1]).id = 3;
  boost::get<ast::node::RuleConcept>(body.nodes[2]).id = 5;
  for (const auto& node : body.nodes) collector.visit(node);
  std::ostringstream out;
  collect_concept_and_captures::stream_it(out, collector);
  EXPECT_EQ(out.str(), "captures=3,12;groups=5;");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
