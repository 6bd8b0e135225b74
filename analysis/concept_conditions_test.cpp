#include "analysis/concept_conditions.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_fixture_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "domain/concept_records.h"
#include "domain/domain_facade.h"
#include "language/runtime_log_testutil.h"
#include "matcher/memento_store.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

using testing::dump;
using testing::find_concept;
using testing::find_token;
using testing::kDumpAttributes;
using testing::kDumpFlags;

using AfterInsertion = testing::ConceptFixture;

TEST_F(AfterInsertion, ThePartOfSpeechFilter) {
  struct Case {
    const char* attributes;
    const char* first;
    const char* last;
    bool passes;
  };
  const std::vector<Case> cases = {
      {"@pos=Prop", "Paris", "Paris", true},
      {"@pos=Prop", "city", "city", false},
      // The sequence holds the parts of speech up to their first "-".
      {"@pos=Prop-Std", "Paris", "Paris", false},
      {"@pos=/Det(Prop)+/", "the", "Paris", true},
      {"@pos=/Prop/", "the", "Paris", false},
      {"@pos=/D[a-z]+Prop/", "the", "Paris", true},
      {"@pos=Det Prop", "the", "Paris", true},
      {"@pos=Nn;pos=Prop", "Paris", "Paris", true},
      {"@pos=Nn;pos=Adj", "Paris", "Paris", false},
      // A token without readings adds nothing.
      {"@pos=Nn", "bare", "city", true},
      {"", "city", "city", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.attributes) + " over " + c.first + ".." + c.last);
    load("the/Det Paris/Prop-Std bare city/Nn-Sg");
    Concept* place = add("Place", c.first, c.last, c.attributes);
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(!place->deleted(), c.passes);
    EXPECT_FALSE(place->has_attribute("pos"));
  }
}

TEST_F(AfterInsertion, AFailedPartOfSpeechFilterEndsTheInsertion) {
  load("the/Det Paris/Prop-Std");
  domain()->concept_definitions["Place"].functions.emplace_back(
      "Marker", std::vector<std::pair<std::string, std::string>>{});
  add("Place", "Paris", "Paris", "@pos=Nn;_condition=k=v");
  // Neither the definition nor the condition ran.
  EXPECT_EQ(dumped(),
            "[Sentence the [Place{_condition=k=v}!deleted Paris ]Place,Sentence $");
}

TEST_F(AfterInsertion, AnInvalidPartOfSpeechPatternIsRaised) {
  load("the/Det Paris/Prop-Std");
  Token* paris = find_token(*document.sentences, "Paris");
  EXPECT_ANY_THROW((*blackboard->collector)(paris, paris->next, "Place",
                                            "@pos=/Prop(/", nullptr, "r"));
}

TEST_F(AfterInsertion, InheritingFromTheSameNameInside) {
  load("t1 t2 t3 t4 t5");
  add("Person", "t3", "t3", "@gender=f;_rule=inner;name=Ann");
  add("Person", "t4", "t4", "@gender=m");
  Concept* outer = add("Person", "t2", "t4", "@inherit=true");
  ASSERT_NE(outer, nullptr);
  // The concept nearest the end wins a key; "_" keys stay where they are.
  EXPECT_EQ(dump(*document.sentences, kDumpAttributes),
            "[Sentence t1 [Person{gender=m;name=Ann} t2 [Person{_rule=inner;"
            "gender=f;name=Ann} t3 ]Person [Person{gender=m} t4 ]Person,Person "
            "t5 ]Sentence $");
}

TEST_F(AfterInsertion, InheritingFromANamedConceptInside) {
  struct Case {
    const char* inherit;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"City[2]", "name=Lyon;zip=69"},
      {"City[2].name", "name=Lyon"},
      {"City[1].zip", "zip=75"},
      {"City[3]", ""},
      {"City[0]", ""},
      {"Town[1]", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inherit);
    load("t1 t2 t3 t4 t5");
    add("City", "t2", "t2", "@name=Paris;zip=75;_rule=a");
    add("City", "t3", "t3", "@name=Lyon;zip=69");
    Concept* dead = add("City", "t4", "t4", "@name=Nice");
    dead->flags.set(kDeleted);
    Concept* region = add("Region", "t2", "t4", std::string("@inherit=") + c.inherit);
    std::string own;
    for (const Attribute& pair : region->attributes.own) {
      if (!own.empty()) own += ';';
      own += pair.first + '=' + to_string(pair.second);
    }
    EXPECT_EQ(own, c.expected);
  }
}

TEST_F(AfterInsertion, AnInheritValueThatDoesNotParseIsLoggedAndSkipped) {
  load("t1 t2 t3");
  add("City", "t2", "t2", "@name=Paris");
  testing::RuntimeLog log;
  Concept* region = add("Region", "t2", "t3", "@inherit=City;keep=1");
  EXPECT_EQ(dump(*document.sentences, kDumpAttributes),
            "[Sentence t1 [Region{keep=1} [City{name=Paris} t2 ]City t3 "
            "]Region,Sentence $");
  EXPECT_FALSE(region->deleted());
  EXPECT_TRUE(log.has("DEBUG", "Could not parse inherit attribute, check your rules"));
}

TEST_F(AfterInsertion, ConditionsAreTestedAgainstTheMementos) {
  struct Case {
    const char* attributes;
    bool store;
    bool holds;
  };
  const std::vector<Case> cases = {
      {"@_condition=topic=sport", false, false},
      {"@_condition=topic=sport", true, true},
      {"@_condition=topic=art", true, false},
      {"@_condition=topic=sport;_condition=lang=en", true, true},
      {"@_condition=topic=sport;_condition=lang=fr", true, false},
      // A value without "=" cannot be tested.
      {"@_condition=topic", true, false},
      // The text after the first "=" is taken whole.
      {"@_condition=code=a=b", true, true},
      {"", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    load("t1 t2 t3");
    if (c.store) {
      blackboard->memento_store = std::make_shared<MementoStore>();
      blackboard->memento_store->add("topic", "sport", 0);
      blackboard->memento_store->add("lang", "en", 0);
      blackboard->memento_store->add("code", "a=b", 0);
    }
    Concept* match = add("Match", "t2", "t3", c.attributes);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(!match->deleted(), c.holds);
    if (c.attributes[0] != '\0') {
      EXPECT_TRUE(match->has_attribute("_condition"));
    }
  }
}

TEST_F(AfterInsertion, ADefinitionAddsAttributesAndInsertsFurtherConcepts) {
  load("t1 t2 t3 t4");
  auto facade = domain();
  ConceptDefinition& city = facade->concept_definitions["City"];
  city.attributes.add("kind", "place");
  city.functions.emplace_back(
      "Place", std::vector<std::pair<std::string, std::string>>{
                   {"level", "\"2\""}});
  // A definition of the further concept is applied in its turn.
  facade->concept_definitions["Place"].functions.emplace_back(
      "Location", std::vector<std::pair<std::string, std::string>>{});
  Concept* inserted = add("City", "t2", "t3", "@name=Paris");
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(dumped(),
            "[Sentence t1 [Location [Place{level=2} [City{kind=place;name=Paris} "
            "t2 t3 ]Location,Place,City t4 ]Sentence $");

  // Inserting the same concept again updates it and applies no definition.
  EXPECT_EQ(add("City", "t2", "t3"), inserted);
  EXPECT_EQ(dumped(),
            "[Sentence t1 [Location [Place{level=2} [City{kind=place;name=Paris} "
            "t2 t3 ]Location,Place,City t4 ]Sentence $");
}

TEST_F(AfterInsertion, ADefinitionQueuesPushAttWithItsArgumentsAndSkipsInherit) {
  load("t1 t2 t3");
  auto facade = domain();
  ConceptDefinition& city = facade->concept_definitions["City"];
  city.functions.emplace_back(
      "kav::inherit", std::vector<std::pair<std::string, std::string>>{
                          {"from", "Town"}});
  city.functions.emplace_back(
      "kav::push_att", std::vector<std::pair<std::string, std::string>>{
                           {"from", "City"}, {"to", "Region"}});
  Concept* inserted = add("City", "t2", "t2");
  ASSERT_EQ(blackboard->delayed_functions.size(), 1u);
  const runtime::Context& queued = blackboard->delayed_functions[0].second;
  EXPECT_EQ(queued.name, "kav::push_att");
  EXPECT_EQ(queued.concept_annotation, inserted);
  ASSERT_TRUE(queued.arguments.has_value());
  EXPECT_EQ(*queued.arguments,
            (runtime::Context::Arguments{{"from", "City"}, {"to", "Region"}}));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
