#include "matcher/conjecture.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "domain/lexicon_lookup.h"
#include "language/runtime_log_testutil.h"

namespace zel {
namespace kavero {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using zel::testing::build_document;
using zel::testing::dump;
using zel::testing::RuntimeLog;

// A document (see build_document) on a blackboard with a conjecture
// collector; rules are played by calls of the collector over token ranges.
class ConjectureTest : public ::testing::Test {
 protected:
  void document(const std::string& text) {
    blackboard_ = zel::testing::make_blackboard();
    zel::testing::load_document(*blackboard_, build_document(text));
    blackboard_->conjector = create_conjecture_collector(*blackboard_);
  }

  // The tokens of the document, in order.
  std::vector<Token*> tokens() const {
    std::vector<Token*> result;
    for (Annotation* s : *blackboard_->annotations) {
      for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
        if (Token* t = annotation_cast<Token>(a)) result.push_back(t);
      }
    }
    return result;
  }

  // The collector's insertion over `count` tokens from token `first`.
  Concept* record(size_t first, size_t count, const std::string& uri,
                  const std::string& attributes = "") {
    const std::vector<Token*> all = tokens();
    return (*blackboard_->conjector)(all.at(first), all.at(first + count - 1)->next, uri,
                                     attributes, nullptr, "rule");
  }

  conjecture::Conjector& collector() { return *blackboard_->conjector; }

  std::vector<std::string> keys() const {
    std::vector<std::string> result;
    for (const auto& entry : blackboard_->conjector->entries) result.push_back(entry.first);
    return result;
  }

  std::string concepts() const {
    return dump(*blackboard_->annotations, zel::testing::kDumpAttributes);
  }

  std::unique_ptr<Blackboard> blackboard_;
};

TEST_F(ConjectureTest, ATextIsSpreadAsWholeTokensWithTheSameCase) {
  document(
      "I love New York .\n"
      "new york and New Yorker\n"
      "New\\ Yo rk or New York !");
  RuntimeLog log;
  record(2, 2, "City", "@state=\"NY\"");
  apply_conjecture(*blackboard_);
  EXPECT_THAT(log.lines(), ElementsAre("TRACE [CONJECTURE]:      --  New York=City@l:state:NY;",
                                       "TRACE [CONJECTURE]:      -- store: s:state:NY;",
                                       "TRACE [CONJECTURE]:      -- concept:New York=City@s:state:NY;",
                                       "TRACE [CONJECTURE]: adding: New York=City s:state:NY;",
                                       "TRACE [CONJECTURE]: inplace: City7:s:state:NY;",
                                       "TRACE [CONJECTURE]: inplace: City55:s:state:NY;"));
  EXPECT_EQ(concepts(),
            "[Sentence I love [City{|state=NY} New York ]City . ]Sentence $\n"
            "[Sentence new york and New Yorker ]Sentence $\n"
            "[Sentence New Yo rk or [City{|state=NY} New York ]City ! ]Sentence $");
  // Copies share the recorded concept's store.
  std::vector<Concept*> cities;
  for (Annotation* s : *blackboard_->annotations) {
    for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
      Concept* c = annotation_cast<Concept>(a);
      if (c != nullptr && c->uri == "City") cities.push_back(c);
    }
  }
  ASSERT_EQ(cities.size(), 2u);
  EXPECT_EQ(cities[0]->attributes.store, cities[1]->attributes.store);
  EXPECT_EQ(cities[0]->attributes.store, collector().entries.at("New York")->attributes.store);
}

TEST_F(ConjectureTest, KeysLoseTheTenCleanedCharacters) {
  EXPECT_EQ(conjecture::make_key("(a){b}:c.d[e]f*g+h-i/j?k|l$m^n,o"), "abcdefgh-i/j?k|l$m^n,o");

  document("In St. Louis and St Louis , not St . Louis");
  record(1, 2, "City");
  EXPECT_THAT(keys(), ElementsAre("St Louis"));
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence In [City{|} St. Louis ]City and [City{|} St Louis ]City , not St . Louis "
            "]Sentence $");
}

TEST_F(ConjectureTest, KeysAreMatchedAsTheirOwnText) {
  // Document text never goes through the builder's escapes: a backslash
  // is a character like any other.
  document(
      "see a\\\\u0041 b\\\\x4 c\\\\\\\\ .\n"
      "aA a\\\\u0041 b\\\\x4 c\\\\\\\\");
  record(1, 1, "Code");
  record(2, 1, "Code");
  record(3, 1, "Code");
  EXPECT_THAT(keys(), ElementsAre("a\\u0041", "b\\x4", "c\\\\"));
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence see [Code{|} a\\u0041 ]Code [Code{|} b\\x4 ]Code [Code{|} c\\\\ ]Code . "
            "]Sentence $\n"
            "[Sentence aA [Code{|} a\\u0041 ]Code [Code{|} b\\x4 ]Code [Code{|} c\\\\ "
            "]Code,Sentence $");
}

TEST_F(ConjectureTest, IntermediateAndFunctionConceptsAreInsertedButNotRecorded) {
  document("Paris and Paris");
  for (const char* uri : {"$tmp", "kav::unknown_function", "::plugin::module::f"}) {
    EXPECT_NE(record(0, 1, uri), nullptr) << uri;
  }
  EXPECT_TRUE(collector().entries.empty());
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence [::plugin::module::f [kav::unknown_function [$tmp Paris "
            "]::plugin::module::f,kav::unknown_function,$tmp and Paris ]Sentence $");
}

TEST_F(ConjectureTest, EndingsAndReplacementsRecordMoreKeys) {
  struct Case {
    const char* text;
    size_t first, count;
    const char* attributes;
    std::vector<std::string> keys;
  } const cases[] = {
      {"Smith", 0, 1, "@_ending=\"s\"", {"Smith", "Smiths"}},
      {"Smith", 0, 1, "@_ending=\"s\";_ending=\"'s\"", {"Smith", "Smith's", "Smiths"}},
      {"Acme Inc", 0, 2, "@_replace=\"s/ Inc$//\"", {"Acme", "Acme Inc"}},
      {"Acme Inc", 0, 2, "@_replace=\"s/a/b\"", {"Acme Inc"}},
      {"Acme Inc", 0, 2, "@_replace=\"s/a/b/c/\"", {"Acme Inc"}},
  };
  for (const Case& c : cases) {
    document(c.text);
    record(c.first, c.count, "Name", c.attributes);
    EXPECT_EQ(keys(), c.keys) << c.attributes;
  }

  document("Smith met the Smiths . Acme Inc bought Acme");
  record(0, 1, "Person", "@_ending=\"s\"");
  record(5, 2, "Company", "@_replace=\"s/ Inc$//\"");
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence [Person{_ending=s|} Smith ]Person met the [Person{|} Smiths ]Person . "
            "[Company{_replace=s/ Inc$//|} Acme Inc ]Company bought [Company{|} Acme "
            "]Company,Sentence $");
}

TEST_F(ConjectureTest, TheFirstRecordingOfATextHolds) {
  document("Jordan met Jordan and Jordan");
  RuntimeLog log;
  record(0, 1, "Person", "@role=\"player\"");
  record(2, 1, "City", "@country=\"JO\"");
  EXPECT_EQ(collector().entries.at("Jordan")->uri, "Person");
  EXPECT_TRUE(log.has("TRACE", "[CONJECTURE]: ! Cannot merge types  : Jordan as Person and City"));
  // The same URI from another concept: refused too; the first attributes
  // stay.
  record(4, 1, "Person", "@role=\"coach\"");
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence [Person{|role=player} Jordan ]Person met [Person{|role=player} "
            "[City{country=JO} Jordan ]Person,City and [Person{|role=player} Jordan "
            "]Person,Sentence $");
}

TEST_F(ConjectureTest, TheSameConceptRecordingAgainAddsItsAttributes) {
  document("Paris");
  Concept* city = record(0, 1, "City", "@a=\"1\"");
  city->attributes.own.add("b", "2");
  EXPECT_TRUE(collector().add_entry(city, "City", "Paris"));
  EXPECT_EQ(concepts(), "[Sentence [City{b=2|a=1;b=2} Paris ]City,Sentence $");
}

TEST_F(ConjectureTest, DeletedTextsAreNotSpread) {
  document("Paris and Lyon , Paris and Lyon");
  Concept* paris = record(0, 1, "City");
  Concept* lyon = record(2, 1, "City");
  RuntimeLog log;
  delete_conjecture(*blackboard_, paris, "City");
  delete_conjecture(*blackboard_, lyon, "Town");
  EXPECT_THAT(log.lines(), Contains("TRACE [CONJECTURE]: remove:City:Paris"));
  EXPECT_TRUE(collector().entries.at("Paris")->deleted);
  EXPECT_FALSE(collector().entries.at("Lyon")->deleted);
  // A withdrawn text is never recorded again.
  EXPECT_FALSE(collector().add_entry(paris, "City", "Paris"));
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence [City{|} Paris ]City and [City{|} Lyon ]City , Paris and [City{|} Lyon "
            "]City,Sentence $");
  EXPECT_THAT(log.lines(), Contains("TRACE [CONJECTURE]: ignore: Paris=City "));

  delete_conjecture(*blackboard_, lyon, "City");
  const std::string before = concepts();
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(), before);
}

TEST_F(ConjectureTest, WithoutCollectorOrEntriesNothingHappens) {
  document("Paris");
  blackboard_->conjector.reset();
  Concept probe(0, 5, "City");
  delete_conjecture(*blackboard_, &probe, "City");
  apply_conjecture(*blackboard_);
  blackboard_->conjector = create_conjecture_collector(*blackboard_);
  delete_conjecture(*blackboard_, &probe, "City");
  apply_conjecture(*blackboard_);
  EXPECT_TRUE(collector().entries.empty());
  EXPECT_EQ(blackboard_->named_objects.count(kStreamCollectionName), 0u);
  EXPECT_EQ(concepts(), "[Sentence Paris ]Sentence $");
}

TEST_F(ConjectureTest, AKeyThatBeginsAnotherInsertsBoth) {
  document("New York City , New York , and New York City");
  record(0, 3, "City");
  record(4, 2, "State");
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence [City{|} [State{|} New York ]State City ]City , [State{|} New York ]State , "
            "and [City{|} [State{|} New York ]State City ]City,Sentence $");
}

TEST_F(ConjectureTest, AMatchRunningPastItsSentenceInsertsNothing) {
  document(
      "I love New\n"
      "York and New York");
  record(5, 2, "City");
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(),
            "[Sentence I love New ]Sentence $\n"
            "[Sentence York and [City{|} New York ]City,Sentence $");
}

TEST_F(ConjectureTest, TheLiteralStreamIsTakenFromTheLookupStreams) {
  document("Paris and Paris");
  record(0, 1, "City");
  // A literal stream already built for the document is used as it stands.
  annotation_stream_info& literal = (*get_stream_collection(*blackboard_))[literal_stream];
  literal = get_annotation_buffer(*blackboard_->annotations, literal_stream);
  literal.end_map.erase(15);
  apply_conjecture(*blackboard_);
  EXPECT_EQ(concepts(), "[Sentence [City{|} Paris ]City and Paris ]Sentence $");

  document("Paris and Paris");
  record(0, 1, "City");
  apply_conjecture(*blackboard_);
  EXPECT_EQ((*get_stream_collection(*blackboard_))[literal_stream].stream_type, literal_stream);
  EXPECT_EQ(concepts(), "[Sentence [City{|} Paris ]City and [City{|} Paris ]City,Sentence $");
}

TEST(AddToStream, WritesQuotedPairs) {
  Attributes pairs;
  pairs.add("a", "1");
  pairs.add("b", "2");
  std::ostringstream out;
  add_to_stream(out, pairs);
  EXPECT_EQ(out.str(), "@a=\"1\";b=\"2\"");
  std::ostringstream empty;
  add_to_stream(empty, Attributes());
  EXPECT_EQ(empty.str(), "@");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
