#include "analysis/concept_insertion.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_fixture_testutil.h"
#include "analysis/document_testutil.h"
#include "api/profiler.h"
#include "base/output_capture_testutil.h"
#include "domain/domain_facade.h"
#include "matcher/memento_store.h"

namespace zel {
namespace kavero {
namespace {

using testing::dump;
using testing::find_concept;
using testing::find_token;
using testing::kDumpAttributes;
using testing::kDumpFlags;

// Token offsets: t1 0-2, t2 3-5, t3 6-8, t4 9-11, t5 12-14, t6 15-17.
constexpr char kSentence[] = "t1 t2 t3 t4 t5 t6";

class Insertion : public testing::ConceptFixture {
 protected:
  using ConceptFixture::load;
  void load() { load(kSentence); }
};

struct Step {
  std::string uri;
  std::string first;
  std::string last;
  std::string attributes;
  bool inserted;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  const char* expected;
  const char* analyzer_options = "{}";
};

TEST_F(Insertion, PlacementOverlapAndShortestMatches) {
  const std::vector<Case> cases = {
      {"a new concept stands before its first token, closed after its last",
       {{"City", "t2", "t3", "@a=1", true}},
       "[Sentence t1 [City{a=1} t2 t3 ]City t4 t5 t6 ]Sentence $"},
      {"the same name over the same range is an update that adds attributes",
       {{"City", "t2", "t3", "@a=1", true}, {"City", "t2", "t3", "@b=2", true}},
       "[Sentence t1 [City{a=1;b=2} t2 t3 ]City t4 t5 t6 ]Sentence $"},
      {"an earlier, longer concept of the name wins by default",
       {{"Person", "t2", "t4", "", true}, {"Person", "t3", "t4", "", false}},
       "[Sentence t1 [Person t2 t3 t4 ]Person t5 t6 ]Sentence $"},
      {"under shortest the later one wins and the earlier one is deleted",
       {{"Person", "t2", "t4", "", true},
        {"Person", "t3", "t4", "@match=shortest", true}},
       "[Sentence t1 [Person!deleted t2 [Person{match=shortest}!shorted_match "
       "t3 t4 ]Person,Person t5 t6 ]Sentence $"},
      {"a same-name concept that overlaps the range is refused",
       {{"Person", "t2", "t3", "", true}, {"Person", "t3", "t5", "", false}},
       "[Sentence t1 [Person t2 t3 ]Person t4 t5 t6 ]Sentence $"},
      {"a longer same-name concept at the same token makes the new one "
       "ignored",
       {{"Person", "t2", "t4", "", true},
        {"Person", "t2", "t3", "", false},
        {"Person", "t2", "t3", "@match=shortest", false}},
       "[Sentence t1 [Person t2 t3 t4 ]Person t5 t6 ]Sentence $"},
      {"an outer concept inserted after an inner one stands before it",
       {{"City", "t2", "t2", "", true}, {"Organization", "t2", "t4", "", true}},
       "[Sentence t1 [Organization [City t2 ]City t3 t4 ]Organization t5 t6 "
       "]Sentence $"},
      {"an inner concept inserted after an outer one stands after it",
       {{"Organization", "t2", "t4", "", true}, {"City", "t2", "t2", "", true}},
       "[Sentence t1 [Organization [City t2 ]City t3 t4 ]Organization t5 t6 "
       "]Sentence $"},
      {"concepts ending together share one end annotation, later begin first",
       {{"Person", "t2", "t3", "", true}, {"Name", "t3", "t3", "", true}},
       "[Sentence t1 [Person t2 [Name t3 ]Name,Person t4 t5 t6 ]Sentence $"},
      {"a concept ending at the last token shares the sentence's end",
       {{"City", "t5", "t6", "", true}},
       "[Sentence t1 t2 t3 t4 [City t5 t6 ]City,Sentence $"},
      {"a longer concept of the name marks the shorter one inside deleted",
       {{"City", "t3", "t3", "", true}, {"City", "t2", "t4", "", true}},
       "[Sentence t1 [City t2 [City!deleted t3 ]City t4 ]City t5 t6 "
       "]Sentence $"},
      {"a longer concept at the same token replaces the shorter one",
       {{"City", "t2", "t2", "", true}, {"City", "t2", "t4", "", true}},
       "[Sentence t1 [City [City!deleted t2 ]City t3 t4 ]City t5 t6 "
       "]Sentence $"},
      {"a shortest match inside that begins later deletes the outer one",
       {{"City", "t3", "t3", "@match=shortest", true},
        {"City", "t2", "t4", "", true}},
       "[Sentence t1 [City!deleted t2 [City{match=shortest}!shorted_match t3 "
       "]City t4 ]City t5 t6 ]Sentence $"},
      {"a shortest match inside at the same token is deleted like any other",
       {{"City", "t2", "t2", "@match=shortest", true},
        {"City", "t2", "t4", "", true}},
       "[Sentence t1 [City [City{match=shortest}!deleted,shorted_match t2 ]City "
       "t3 t4 ]City t5 t6 ]Sentence $"},
      {"a concept between concepts of other names keeps the longer-first "
       "order",
       {{"A", "t2", "t4", "", true},
        {"C", "t2", "t2", "", true},
        {"B", "t2", "t3", "", true}},
       "[Sentence t1 [A [B [C t2 ]C t3 ]B t4 ]A t5 t6 ]Sentence $"},
      {"with the debug flag overlap an overlapping concept is inserted",
       {{"Person", "t2", "t3", "", true}, {"Person", "t3", "t5", "", true}},
       "[Sentence t1 [Person t2 [Person t3 ]Person t4 t5 ]Person t6 ]Sentence $",
       R"({"dbg": "overlap"})"},
      {"the text form turns every part before a plus into a canonical",
       {{"Ann+Bob+City", "t2", "t3", "", true}, {"+Town", "t5", "t5", "", true}},
       "[Sentence t1 [City{canonical=Ann;canonical=Bob} t2 t3 ]City t4 "
       "[Town{canonical=} t5 ]Town t6 ]Sentence $"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(kSentence, c.analyzer_options);
    testing::capture_stdout([&] {
      for (const Step& step : c.steps) {
        Concept* result = add(step.uri, step.first, step.last, step.attributes);
        EXPECT_EQ(result != nullptr, step.inserted)
            << step.uri << " " << step.first << ".." << step.last;
      }
    });
    EXPECT_EQ(dumped(), c.expected);
  }
}

TEST_F(Insertion, AnUpdateReturnsTheSameConceptAndRevivesAConceptMarkedDeleted) {
  load();
  Concept* city = add("City", "t2", "t3", "@a=1");
  city->flags.set(kDeleted);
  EXPECT_EQ(add("City", "t2", "t3", "@a=1"), city);
  EXPECT_FALSE(city->deleted());
  EXPECT_EQ(dumped(), "[Sentence t1 [City{a=1} t2 t3 ]City t4 t5 t6 ]Sentence $");
}

TEST_F(Insertion, AConceptARuleRemovedIsNeverRevived) {
  load();
  Concept* city = add("City", "t2", "t3");
  // What the deleting rule functions leave.
  city->flags.set(kDeleted);
  city->flags.set(kFiltered);
  city->flags.reset(kDeleted);
  EXPECT_EQ(add("City", "t2", "t3", "@b=2"), nullptr);
  EXPECT_EQ(dumped(),
            "[Sentence t1 [City!deleted,filtered t2 t3 ]City t4 t5 t6 ]Sentence $");
}

TEST_F(Insertion, AnOverlapIsReportedWithTheDebugFlag) {
  load(kSentence, R"({"dbg": "overlap"})");
  add("Person", "t2", "t3");
  const std::string output =
      testing::capture_stdout([&] { add("Person", "t3", "t5"); });
  EXPECT_EQ(output, "! we have a overlapping issue. for 6 14 Person\n");
}

TEST_F(Insertion, ConceptsAskingForShortestMatchesKeepTheirMark) {
  load();
  Concept* outer = add("Person", "t2", "t4");
  Concept* inner = add("Person", "t3", "t4", "@match=shortest");
  EXPECT_TRUE(outer->flags.test(kDeleted));
  EXPECT_TRUE(inner->flags.test(kShortedMatch));
  EXPECT_FALSE(inner->deleted());
}

TEST_F(Insertion, AConceptInsertedWithItsParentOverTheSameRangeFollowsIt) {
  load();
  Concept* person = add("Person", "t2", "t3");
  Concept* name = add("Name", "t2", "t3", "", person);
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(has_parent(name, person));
  EXPECT_EQ(dumped(),
            "[Sentence t1 [Person [Name t2 t3 ]Name,Person t4 t5 t6 ]Sentence $");

  load();
  add("Person", "t2", "t3");
  add("Name", "t2", "t3");
  EXPECT_EQ(dumped(),
            "[Sentence t1 [Name [Person t2 t3 ]Name,Person t4 t5 t6 ]Sentence $");
}

TEST_F(Insertion, ConceptsOfNamesThatMustNotSpanALineBreak) {
  load();
  domain()->no_crlf_names = {"Address"};
  // The document's blank between t2 and t3 becomes a line feed, and the one
  // between t4 and t5 a carriage return.
  blackboard->text[5] = '\n';
  blackboard->text[11] = '\r';
  EXPECT_EQ(add("Address", "t2", "t3"), nullptr);
  EXPECT_NE(add("City", "t2", "t3"), nullptr);
  EXPECT_NE(add("Address", "t4", "t5"), nullptr);
  EXPECT_EQ(dumped(),
            "[Sentence t1 [City t2 t3 ]City [Address t4 t5 ]Address t6 "
            "]Sentence $");
  // Without the document text nothing can be told of line breaks.
  blackboard->text.clear();
  EXPECT_NE(add("Address", "t2", "t3"), nullptr);
}

TEST_F(Insertion, TheCurrentDomainGivesRuleInputIdsAndTheDomainAttribute) {
  load(kSentence, R"({"dbg": "rule_info"})");
  domain("/srv/domains/geo/main/rules")->concept_ids = {{"City", 7}};
  Sentence* sentence = testing::sentence_at(*document.sentences, 0);
  sentence->changed = false;
  Concept* city = add("City", "t2", "t2");
  EXPECT_EQ(city->encoding, 7u);
  EXPECT_EQ(sentence->ids.count(7u | Sentence::kConceptIdBit), 1u);
  EXPECT_TRUE(sentence->changed);
  EXPECT_EQ(city->get_attribute("_domain"), "geo/main/rules");

  sentence->changed = false;
  Concept* town = add("Town", "t3", "t3");
  EXPECT_EQ(town->encoding, 0u);
  EXPECT_FALSE(sentence->changed);
}

TEST_F(Insertion, TheInsertionTraceNamesEveryDecision) {
  load(kSentence, R"({"dbg": "insertion"})");
  std::string output = testing::capture_stdout([&] { add("City", "t2", "t3", "@a=1"); });
  EXPECT_EQ(output, "add concept:City:3:8@a=1; [t2 t3]\n - add new:City\n");
  output = testing::capture_stdout([&] { add("City", "t2", "t3"); });
  EXPECT_EQ(output, "add concept:City:3:8 [t2 t3]\n  - update:City@l:a:1;\n");
  output = testing::capture_stdout([&] { add("City", "t2", "t2"); });
  EXPECT_EQ(output, "add concept:City:3:5 [t2]\n - ignore:City\n");
}

TEST_F(Insertion, AMatchThatTakesInAnEndAnnotationClosesThere) {
  // Matches may run over the end annotations of the concepts they contain:
  // the concept then joins the end annotation before the annotation after
  // the match, whether that is a token or a concept.
  load("t1 t2 [Name t3] t4 [City t5] t6");
  Token* t2 = find_token(*document.sentences, "t2");
  Token* t4 = find_token(*document.sentences, "t4");
  Concept* city = find_concept(*document.sentences, "City");
  ASSERT_EQ(t4->prev->kind, kEndAnnotationKind);
  EXPECT_NE((*blackboard->collector)(t2, t4, "Person", "", nullptr, "r"), nullptr);
  EXPECT_NE((*blackboard->collector)(t4, city, "Place", "", nullptr, "r"), nullptr);
  EXPECT_EQ(testing::list_faults(*document.sentences), "");
  EXPECT_EQ(dump(*document.sentences),
            "[Sentence t1 [Person t2 [Name t3 ]Name,Person [Place t4 ]Place "
            "[City t5 ]City t6 ]Sentence $");
  // A match that begins at an end annotation begins at what follows it.
  Token* t3 = find_token(*document.sentences, "t3");
  EXPECT_NE((*blackboard->collector)(t3->next, city, "Tail", "", nullptr, "r"),
            nullptr);
  EXPECT_EQ(dump(*document.sentences),
            "[Sentence t1 [Person t2 [Name t3 ]Name,Person [Tail [Place t4 "
            "]Tail,Place [City t5 ]City t6 ]Sentence $");
}

TEST_F(Insertion, AFunctionConceptRunsWhenInsertedAndMovesFirstWhenMatchedAgain) {
  load();
  Concept* function = add("kav::set_memento", "t2", "t2", "@topic=sport");
  ASSERT_NE(blackboard->memento_store, nullptr);
  EXPECT_TRUE(blackboard->memento_store->has("topic", "sport", 3));
  add("City", "t2", "t2");
  EXPECT_EQ(dump(*document.sentences),
            "[Sentence t1 [City [kav::set_memento t2 ]City,kav::set_memento t3 "
            "t4 t5 t6 ]Sentence $");
  Sentence* sentence = testing::sentence_at(*document.sentences, 0);
  sentence->changed = false;
  EXPECT_EQ(add("kav::set_memento", "t2", "t2", "@lang=en"), function);
  EXPECT_TRUE(blackboard->memento_store->has("lang", "en", 3));
  EXPECT_TRUE(sentence->changed);
  EXPECT_EQ(dump(*document.sentences),
            "[Sentence t1 [kav::set_memento [City t2 ]City,kav::set_memento t3 "
            "t4 t5 t6 ]Sentence $");
}

TEST_F(Insertion, ASecondSentenceIsFoundByTheMatchOffset) {
  load("a1 a2\nb1 b2 b3");
  EXPECT_NE(add("City", "b2", "b3"), nullptr);
  EXPECT_EQ(dump(*document.sentences),
            "[Sentence a1 a2 ]Sentence $\n"
            "[Sentence b1 [City b2 b3 ]City,Sentence $");
}

TEST_F(Insertion, TheProfilingInserterReportsEveryInsertedConcept) {
  blackboard = testing::make_blackboard(R"({"profiler": "true"})");
  document = testing::build_document(kSentence);
  testing::load_document(*blackboard, document);
  ASSERT_NE(dynamic_cast<AddConceptToCollectionProfiler*>(blackboard->collector.get()),
            nullptr);
  add("City", "t2", "t3", "@_rule=r.kav:3");
  add("City", "t3", "t3");  // refused: nothing to report
  const profiler::Profiler& profiler = *blackboard->profiler;
  ASSERT_EQ(profiler.timings.count("rule_1"), 1u);
  EXPECT_EQ(profiler.timings.at("rule_1").hits.at("City"), 1u);
  const auto& rules = profiler.matches.at("City").at("t2 t3");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules.begin()->rule, "r.kav:3");

  load();
  EXPECT_EQ(dynamic_cast<AddConceptToCollectionProfiler*>(blackboard->collector.get()),
            nullptr);
}

TEST(FilterConceptName, DifferentAttributeSetsGiveDifferentNames) {
  Attributes none;
  EXPECT_EQ(filter_concept_name(none), "kav::filter0");
  std::vector<std::string> names;
  const std::vector<std::vector<std::pair<std::string, std::string>>> sets = {
      {{"concept", "Person"}},
      {{"concept", "City"}},
      {{"concept", "Person"}, {"gender", "m"}},
      {{"concept", "Person"}, {"gender", "f"}},
      {{"concept", "Person"}, {"gender", "f"}, {"age", "9"}},
      {{"concept", "/P.*/"}},
      {{"name", "Person"}},
  };
  for (const auto& set : sets) {
    Attributes list;
    for (const auto& [key, value] : set) list.push_back(Attribute(key, value));
    names.push_back(filter_concept_name(list));
  }
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      EXPECT_NE(names[i], names[j]) << i << " " << j;
    }
  }
  // The order a rule writes its attributes in does not matter.
  Attributes reversed;
  reversed.push_back(Attribute("gender", std::string("f")));
  reversed.push_back(Attribute("concept", std::string("Person")));
  EXPECT_EQ(filter_concept_name(reversed), names[3]);
}

TEST(ConceptRelations, ParentsAreKeptOnceInOrder) {
  Concept child(0, 1, "A");
  Concept p1(0, 1, "P1");
  Concept p2(0, 1, "P2");
  EXPECT_FALSE(has_parent(&child, &p1));
  add_parent(&child, nullptr);
  add_parent(&child, &child);
  EXPECT_EQ(child.parents, nullptr);
  add_parent(&child, &p1);
  add_parent(&child, &p2);
  add_parent(&child, &p1);
  EXPECT_EQ(*child.parents, (std::vector<Concept*>{&p1, &p2}));
  remove_parent(&child, &p1);
  EXPECT_EQ(*child.parents, (std::vector<Concept*>{&p2}));
  EXPECT_FALSE(has_parent(&child, nullptr));
}

TEST(ConceptRelations, TheTopLevelCaptureGroupIsAtMostFiveParentsUp) {
  std::vector<std::unique_ptr<Concept>> chain;
  for (int i = 0; i < 8; ++i) {
    chain.push_back(std::make_unique<Concept>(0, 1, "C" + std::to_string(i)));
    if (i > 0) add_parent(chain[i - 1].get(), chain[i].get());
  }
  EXPECT_EQ(get_top_level_capture_group(nullptr), nullptr);
  EXPECT_EQ(get_top_level_capture_group(chain[7].get()), chain[7].get());
  EXPECT_EQ(get_top_level_capture_group(chain[4].get()), chain[7].get());
  EXPECT_EQ(get_top_level_capture_group(chain[0].get()), chain[5].get());
}

TEST_F(Insertion, MarkingContainedConceptsFollowsParentsAndNames) {
  load("t1 [City [Street t2 [City t3] ] ] t4");
  Concept* outer = find_concept(*document.sentences, "City");
  Concept* street = find_concept(*document.sentences, "Street");
  add_parent(street, outer);
  EXPECT_TRUE(mark_childeren_as_deleted(outer, kFiltered));
  EXPECT_EQ(dumped(),
            "[Sentence t1 [City [Street!filtered t2 [City!filtered t3 "
            "]City,Street,City t4 ]Sentence $");
  EXPECT_THROW(mark_childeren_as_deleted(outer, 6), std::out_of_range);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
