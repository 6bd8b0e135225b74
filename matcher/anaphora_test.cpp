#include "matcher/anaphora.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "base/error_message_testutil.h"
#include "base/exception.h"
#include "matcher/rule_functions.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace anaphora {
namespace {

using zel::testing::message_of;

// A built document on a blackboard; its "kav::anaphora" concepts are
// called as the rules call them: queued, then run with the queue.
class Anaphora : public ::testing::Test {
 protected:
  void load(const std::string& spec) {
    blackboard = testing::make_blackboard();
    document = testing::build_document(spec);
    testing::load_document(*blackboard, document);
  }

  std::vector<Concept*> anaphors() {
    std::vector<Concept*> found;
    for (int n = 1;; ++n) {
      Concept* c = testing::find_concept(*document.sentences, "kav::anaphora", n);
      if (c == nullptr) return found;
      found.push_back(c);
    }
  }

  void record() {
    for (Concept* anaphor : anaphors()) {
      apply_function(*blackboard, runtime::Context(blackboard.get(), anaphor));
    }
    apply_delayed_functions(*blackboard);
  }

  // Records the calls, resolves them and gives the "id" of the concept
  // inserted over the n-th anaphor (the one that got a "canonical"); empty
  // when none was.
  std::string resolve(const std::string& spec, int n = 1) {
    load(spec);
    record();
    apply(blackboard.get());
    return chosen(n);
  }

  std::string chosen(int n = 1) {
    Concept* anaphor = anaphors().at(n - 1);
    for (Annotation* a = anaphor->prev; a != nullptr && a != anaphor->end_annotation;
         a = a->next) {
      Concept* c = annotation_cast<Concept>(a);
      if (c != nullptr && c != anaphor && c->begin == anaphor->begin && c->end == anaphor->end &&
          c->has_attribute("canonical")) {
        return c->get_attribute("id");
      }
    }
    return "";
  }

  std::unique_ptr<Blackboard> blackboard;
  testing::TestDocument document;
};

TEST_F(Anaphora, TheHandlerRecordsQueuedCalls) {
  load("[Person{id=1} John] came\n[kav::anaphora{scope=-1:0;concept=Person} he] left");
  Concept* anaphor = anaphors().at(0);
  apply_function(*blackboard, runtime::Context(blackboard.get(), anaphor));
  EXPECT_EQ(blackboard->anaphora_store, nullptr);
  ASSERT_EQ(blackboard->delayed_functions.size(), 1u);
  EXPECT_EQ(blackboard->delayed_functions[0].first(blackboard->delayed_functions[0].second),
            "return : true ");
  ASSERT_NE(blackboard->anaphora_store, nullptr);
  ASSERT_EQ(get_store(*blackboard).referents.size(), 1u);
  const runtime::Context& recorded = get_store(*blackboard).referents[0];
  EXPECT_EQ(recorded.concept_annotation, anaphor);
  EXPECT_EQ(recorded.name, "kav::anaphora");
  ASSERT_NE(recorded.sentence, nullptr);
  EXPECT_EQ(recorded.sentence->sentence, testing::sentence_at(*document.sentences, 1));
}

TEST_F(Anaphora, ChoiceOfTheCandidate) {
  struct Case {
    const char* what;
    const char* spec;
    const char* id;
  } const cases[] = {
      {"a single candidate is not filtered by required values; relevancy ignores their case",
       "[Person{id=1;gender=Male} John] came\n"
       "[kav::anaphora{scope=-1:0;concept=Person;required=gender:male} he] left",
       "1"},
      {"of two candidates, the one whose required value differs in case is removed",
       "[Person{id=1;gender=Male} John] met [Person{id=2;gender=male} Bob]\n"
       "[kav::anaphora{scope=-1:0;concept=Person;required=gender:male} he] left",
       "2"},
      {"a required attribute missing leaves no candidate",
       "[Person{id=1} John] came\n"
       "[kav::anaphora{scope=-1:0;concept=Person;required=gender:male} he] left",
       ""},
      {"no_referent is never chosen, also alone",
       "[Person{id=1;_ana=no_referent} John] came\n"
       "[kav::anaphora{scope=-1:0;concept=Person} he] left",
       ""},
      {"no_referent leaves the other",
       "[Person{id=1} John] met [Person{id=2;_ana=no_referent} Bob]\n"
       "[kav::anaphora{scope=-1:0;concept=Person} he] left",
       "1"},
      {"relevancy 1.0 wins over 0.5",
       "[Person{id=1;size=b} John] met [Person{id=2;kind=a} Bob]\n"
       "[kav::anaphora{scope=-1:0;concept=Person;relevancy=kind:a:1.0;relevancy=size:b:0.5} he] "
       "left",
       "2"},
      {"equal relevancy: the later sentence wins",
       "[Person{id=1} John] came\n[Person{id=2} Bob] came\n"
       "[kav::anaphora{scope=-2:0;concept=Person} he] left",
       "2"},
      {"equal relevancy in one sentence: the one that begins first wins",
       "[Person{id=1} John] met [Person{id=2} Bob]\n"
       "[kav::anaphora{scope=-1:0;concept=Person} he] left",
       "1"},
      {"a candidate at the anaphor's offset or after it is never taken",
       "John came\n[kav::anaphora{scope=-1:0;concept=Person} [Person{id=1} he]] met "
       "[Person{id=2} Bob]",
       ""},
      {"scope 0:0 searches the anaphor's own sentence before it",
       "[Person{id=1} John] came\n[Person{id=2} Bob] met [kav::anaphora{scope=0:0;concept=Person} "
       "him]",
       "2"},
      {"scope 0:0 does not reach the sentence before",
       "[Person{id=1} John] came\nthen [kav::anaphora{scope=0:0;concept=Person} he] left",
       ""},
      {"a scope without text",
       "[Person{id=1} John] came\nthen [kav::anaphora{scope=0:-1;concept=Person} he] left",
       ""},
      {"without except the more relevant earlier candidate wins",
       "[Person{id=1;kind=a} John] [Org X] came\n"
       "[Person{id=2} Bob] met [kav::anaphora{scope=-1:0;concept=Person;relevancy=kind:a:1} him]",
       "1"},
      {"except in the sentence before: only candidates of the last sentence",
       "[Person{id=1;kind=a} John] [Org X] came\n"
       "[Person{id=2} Bob] met "
       "[kav::anaphora{scope=-1:0;concept=Person;relevancy=kind:a:1;except=Org} him]",
       "2"},
      {"except in the last sentence: no candidates",
       "[Person{id=1} John] came\n"
       "[Person{id=2} Bob] [Org X] [kav::anaphora{scope=-1:0;concept=Person;except=Org} he]",
       ""},
      {"a pattern of two URIs blocks only when both occur",
       "[Person{id=1} John] came\n"
       "[Person{id=2} Bob] [Org X] [kav::anaphora{scope=-1:0;concept=Person;except=Org:Loc} he]",
       "2"},
      {"a pattern of two URIs together",
       "[Person{id=1} John] came\n"
       "[Person{id=2} Bob] [Org [Loc X]] [kav::anaphora{scope=-1:0;concept=Person;except=Org:Loc} "
       "he]",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(resolve(c.spec), c.id);
  }
}

TEST_F(Anaphora, TheInsertedConceptTakesTheCandidatesAttributes) {
  load("[Person{id=1;gender=male} John] came\n"
       "[kav::anaphora{scope=-1:0;concept=Person;relevancy=gender:male:1} he] left");
  Concept* john = testing::find_concept(*document.sentences, "Person");
  // The candidate shares a store (as instances do) and has no canonical
  // form: the one added lands in the store, so every sharer shows it.
  john->attributes.store = std::make_shared<Attributes>();
  john->attributes.store->add("family", "Smith");
  Concept sharer(0, 4, "Person");
  sharer.attributes.store = john->attributes.store;
  record();
  apply(blackboard.get());
  EXPECT_EQ(testing::dump(*document.sentences, testing::kDumpAttributes),
            "[Sentence [Person{gender=male;id=1|canonical=John;family=Smith} John ]Person came "
            "]Sentence $\n"
            "[Sentence [Person{gender=male;id=1|canonical=John;family=Smith} "
            "[kav::anaphora{concept=Person;relevancy=gender:male:1;scope=-1:0} he "
            "]Person,kav::anaphora left ]Sentence $");
  EXPECT_EQ(sharer.get_attribute("canonical"), "John");
}

TEST(Relevancy, CalculateRelevancy) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> anaphor;
    std::vector<std::pair<const char*, const char*>> candidate;
    bool valid;
    double relevancy;
  } const cases[] = {
      {"the wanted value first", {{"relevancy", "gender:male:0.7"}},
       {{"gender", "male"}, {"gender", "female"}}, true, 0.7},
      {"another value first", {{"relevancy", "gender:male:0.7"}},
       {{"gender", "female"}, {"gender", "male"}}, true, 0.6},
      {"male, whatever the number",
       {{"relevancy", "gender:male:0.7"}, {"relevancy", "number:singular:0.5"}},
       {{"gender", "male"}, {"number", "plural"}}, true, 0.7},
      {"female singular",
       {{"relevancy", "gender:male:0.7"}, {"relevancy", "number:singular:0.5"}},
       {{"gender", "female"}, {"number", "singular"}}, true, 0.4},
      {"no attribute of the name", {{"relevancy", "gender:male:0.7"}}, {}, true, 0},
      {"a weight that is no number counts 0", {{"relevancy", "gender:male:heavy"}},
       {{"gender", "male"}}, true, 0},
      {"a required value ignoring case", {{"required", "gender:MALE"}},
       {{"gender", "male"}}, true, 0},
      {"a required value that differs", {{"required", "gender:male"}},
       {{"gender", "female"}}, false, 0},
      {"a required attribute missing", {{"required", "gender:male"}}, {}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Concept anaphor(10, 12, "kav::anaphora");
    for (const auto& pair : c.anaphor) anaphor.attributes.own.push_back({pair.first, std::string(pair.second)});
    Concept candidate(0, 4, "Person");
    for (const auto& pair : c.candidate) candidate.attributes.own.push_back({pair.first, std::string(pair.second)});
    const std::pair<bool, double> result = calculate_relevancy(&anaphor, &candidate);
    EXPECT_EQ(result.first, c.valid);
    EXPECT_NEAR(result.second, c.relevancy, 1e-9);
  }
}

TEST_F(Anaphora, ScopeErrors) {
  struct Case {
    const char* scope;
    const char* message;
  } const cases[] = {
      {"", "Anaphora attribute scope is not valid."},
      {"1", "Anaphora attribute scope is not valid."},
      {"-1:0:1", "Anaphora attribute scope is not valid."},
      {"one:0", "stoi"},
      {"0:99999999999", "stoi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scope);
    load(std::string("[Person John] came [kav::anaphora{concept=Person;scope=") + c.scope +
         "} he]");
    record();
    EXPECT_EQ(message_of([&] { apply(blackboard.get()); }), c.message);
    // What was recorded stays.
    EXPECT_EQ(get_store(*blackboard).referents.size(), 1u);
  }
  load("[Person John] came [kav::anaphora{concept=Person;scope=one:0} he]");
  record();
  EXPECT_THROW(apply(blackboard.get()), std::invalid_argument);
  load("[Person John] came [kav::anaphora{concept=Person;scope=0:99999999999} he]");
  record();
  EXPECT_THROW(apply(blackboard.get()), std::out_of_range);
}

TEST_F(Anaphora, ApplyWithoutCallsResolvesTheCandidatesLeft) {
  load("[Person{id=1} John] came [kav::anaphora{scope=0:0;concept=Person} he]");
  Concept* anaphor = anaphors().at(0);
  Concept* john = testing::find_concept(*document.sentences, "Person");
  get_store(*blackboard).candidates.push_back(CandidateInfo{anaphor, john, 0});
  apply(blackboard.get());
  EXPECT_EQ(chosen(), "1");
}

TEST_F(Anaphora, LaterPassesResolveEarlierCallsAgain) {
  load("[Person{id=1} John] came\n[kav::anaphora{scope=-1:0;concept=Person} he] left\n"
       "[Person{id=2} Bob] came\n[kav::anaphora{scope=-1:0;concept=Person} he] left");
  record();
  apply(blackboard.get());
  EXPECT_EQ(chosen(1), "1");
  EXPECT_EQ(chosen(2), "2");
  const std::string once = testing::dump(*document.sentences, testing::kDumpAttributes);
  apply(blackboard.get());
  EXPECT_EQ(testing::dump(*document.sentences, testing::kDumpAttributes), once);
}

TEST_F(Anaphora, ConceptsToBeDeletedAreForgotten) {
  load("[Person{id=1} John] came\n[kav::anaphora{scope=-1:0;concept=Person} he] left\n"
       "[$Person{id=2} Bob] came\n[kav::anaphora{scope=-1:0;concept=$Person} he] left");
  record();
  Store& store = get_store(*blackboard);
  Concept* first = anaphors().at(0);
  Concept* second = anaphors().at(1);
  Concept* bob = testing::find_concept(*document.sentences, "$Person");
  store.candidates = {CandidateInfo{first, testing::find_concept(*document.sentences, "Person"), 0},
                      CandidateInfo{second, bob, 0}};
  store.referents[0].scope = bob;
  bob->flags.set(kToDelete);
  second->flags.set(kToDelete);
  forget_concepts_to_delete(*blackboard);
  ASSERT_EQ(store.referents.size(), 1u);
  EXPECT_EQ(store.referents[0].concept_annotation, first);
  EXPECT_EQ(store.referents[0].scope, nullptr);
  ASSERT_EQ(store.candidates.size(), 1u);
  EXPECT_EQ(store.candidates[0].anaphor, first);
}

TEST(CompareIs, PrefixIgnoringCase) {
  struct Case {
    const char* a;
    const char* b;
    bool result;
  } const cases[] = {
      {"", "anything", true}, {"ab", "ABC", true}, {"AB", "abc", true},
      {"abc", "ab", false},   {"b", "abc", false}, {"", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare_is(c.a, c.b), c.result) << c.a << " " << c.b;
  }
}

}  // namespace
}  // namespace anaphora
}  // namespace kavero
}  // namespace zel
