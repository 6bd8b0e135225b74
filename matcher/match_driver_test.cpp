#include "matcher/match_driver.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "base/error_message_testutil.h"
#include "base/output_capture_testutil.h"
#include "domain/domain_facade.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/anaphora.h"
#include "matcher/domain_run_testutil.h"
#include "matcher/stream_encoding.h"
#include "matcher/rule_clusters.h"

namespace zel {
namespace kavero {
namespace {

using testing::DomainRun;
using zel::testing::message_of;

// Two grammar collections and one of no cluster. Old is removed after the
// grammar rules, Tmp after all rules.
//   namespace grammar:       Old: ( 'a' )   Tmp: ( 'b' )
//   namespace grammar.late:  New: ( Old )
//   namespace people:        P: ( 'c' )
//   on Old :{ scope = grammar };  on Tmp :{ scope = last };
const char* const kClusters =
    "concept Old New Tmp P\n"
    "definition Old\n  text scope grammar\n"
    "definition Tmp\n  text scope last\n"
    "token 1 literal=a\n"
    "token 2 literal=b\n"
    "token 3 literal=c\n"
    "rule text=rule:old ns=grammar line=1\n"
    "  path CAPBEG:Old TK:1 CAPEND:Old\n  bitset path TK:1\n"
    "rule text=rule:tmp ns=grammar line=2\n"
    "  path CAPBEG:Tmp TK:2 CAPEND:Tmp\n  bitset path TK:2\n"
    "rule text=rule:new ns=grammar,late line=3\n"
    "  path CAPBEG:New CNCPT:Old CAPEND:New\n  bitset path CNCPT:Old\n"
    "rule text=rule:p ns=people line=4\n"
    "  path CAPBEG:P TK:3 CAPEND:P\n  bitset path TK:3\n";

TEST(MatchDriver, NamesChooseClustersAndClosingStepsFollowTheLastCollectionOfACluster) {
  struct Case {
    std::set<std::string> names;
    const char* dump;
  };
  // New needs Old, so Old is removed only after the second grammar
  // collection; Tmp goes at the very end, whatever ran.
  const std::vector<Case> cases = {
      {{},
       "[Sentence [New [Old!deleted a ]New,Old [Tmp!deleted b ]Tmp [P c ]P,Sentence $"},
      {{"grammar"}, "[Sentence [New [Old!deleted a ]New,Old [Tmp!deleted b ]Tmp c ]Sentence $"},
      {{"unnamed"}, "[Sentence a b [P c ]P,Sentence $"},
      {{"people"}, "[Sentence a b c ]Sentence $"},
  };
  DomainRun run(kClusters);
  for (const Case& c : cases) {
    run.load("a b c");
    EXPECT_TRUE(match_ids(*run.blackboard, run.domain, c.names));
    EXPECT_EQ(run.dump(), c.dump) << c.names.size();
  }
}

TEST(MatchDriver, OneCollectionWithAnInserterRunsNoClosingSteps) {
  DomainRun run(kClusters);
  run.load("a b c");
  // The instance pass would run after "instances" in the other form.
  run.domain->flags |= DomainFacade::kInstances;
  for (const char* name : {"grammar", "grammar_late", "instances"}) {
    EXPECT_TRUE(match_ids(*run.blackboard, run.domain, run.collection(name),
                          *run.blackboard->collector));
  }
  EXPECT_EQ(run.dump(), "[Sentence [New [Old a ]New,Old [Tmp b ]Tmp c ]Sentence $");
}

TEST(MatchDriver, InsertionDebugOutputAnnouncesEachCollection) {
  DomainRun run(kClusters);
  run.load("a", "{}", R"({"dbg": "insertion"})");
  const std::string one = zel::testing::capture_stdout([&] {
    match_ids(*run.blackboard, run.domain, run.collection("grammar"), *run.blackboard->collector);
  });
  std::string dashes37;
  for (int i = 0; i < 37; ++i) dashes37 += " -";
  EXPECT_EQ(one.substr(0, one.find('\n', one.find('\n') + 1) + 1),
            "Cluster: grammar:grammar\n" + dashes37 + " \n");
  run.load("a", "{}", R"({"dbg": "insertion"})");
  const std::string all = zel::testing::capture_stdout(
      [&] { match_ids(*run.blackboard, run.domain, std::set<std::string>{"none"}); });
  std::string dashes27;
  for (int i = 0; i < 27; ++i) dashes27 += " -";
  std::string expected;
  for (const char* entry : {"grammar:grammar", "grammar:grammar_late", "instances:instances",
                            "unknown_things:unknown_things", "unnamed:people"}) {
    expected += std::string("Cluster: d:") + entry + "\n" + dashes27 + "\n";
  }
  EXPECT_EQ(all, expected);
}

// A needs 'x', B needs A: B can only run in a later pass than A.
//   A: ( 'x' )   B: ( A )
std::string chained(const std::string& group_of_a, const std::string& group_of_b) {
  return "concept A B\n"
         "token 1 literal=x\n"
         "rule text=rule:a ns=grammar line=1" + group_of_a + "\n"
         "  path CAPBEG:A TK:1 CAPEND:A\n  bitset path TK:1\n"
         "rule text=rule:b ns=grammar line=2" + group_of_b + "\n"
         "  path CAPBEG:B CNCPT:A CAPEND:B\n  bitset path CNCPT:A\n";
}

TEST(MatchDriver, APlainCollectionRunsAgainWhileRulesAddConceptsAPriorityGroupOnce) {
  struct Case {
    const char* what;
    std::string domain;
    const char* dump;
  };
  const std::vector<Case> cases = {
      {"plain: B in the second pass", chained("", ""),
       "[Sentence [B [A x ]B,A,Sentence $\n[Sentence y ]Sentence $"},
      {"priority group: B is no candidate in the only pass",
       chained(" group=g-1", " group=g-2"), "[Sentence [A x ]A,Sentence $\n[Sentence y ]Sentence $"},
  };
  for (const Case& c : cases) {
    DomainRun run(c.domain);
    run.load("x\ny");
    match_ids(*run.blackboard, run.domain, {});
    EXPECT_EQ(run.dump(), c.dump) << c.what;
  }
}

TEST(MatchDriver, ASentenceGetsAtMostNineteenPasses) {
  // C1: ( 'x' ), and C(k): ( C(k-1) ) for k from 2 to 22: every pass adds
  // the next concept.
  std::string text = "concept";
  for (int k = 1; k <= 22; ++k) text += " C" + std::to_string(k);
  text += "\ntoken 1 literal=x\n"
          "rule text=rule:c1 ns=grammar\n  path CAPBEG:C1 TK:1 CAPEND:C1\n  bitset path TK:1\n";
  for (int k = 2; k <= 22; ++k) {
    const std::string c = "C" + std::to_string(k);
    const std::string before = "C" + std::to_string(k - 1);
    text += "rule text=rule:c" + std::to_string(k) + " ns=grammar line=" + std::to_string(k) +
            "\n  path CAPBEG:" + c + " CNCPT:" + before + " CAPEND:" + c +
            "\n  bitset path CNCPT:" + before + "\n";
  }
  DomainRun run(text);
  run.load("x");
  match_ids(*run.blackboard, run.domain, {});
  EXPECT_NE(zel::testing::find_concept(*run.document.sentences, "C19"), nullptr);
  EXPECT_EQ(zel::testing::find_concept(*run.document.sentences, "C20"), nullptr);
}

TEST(MatchDriver, RunSentenceStopsWhenNothingChangedOrAfterNineteenPasses) {
  // An executor that counts its calls and marks the sentence changed in
  // the first `changes` of them.
  struct Counting : IExecuteCandidates {
    void operator()(RuleCandidateCollectionBase&, const AnnotationCollection&) override {
      if (++calls <= changes) sentence->changed = true;
    }
    Sentence* sentence = nullptr;
    int changes = 0;
    int calls = 0;
  };
  struct Case {
    bool changed_at_start;
    int changes;
    int passes;
  };
  for (const Case& c : std::vector<Case>{{false, 0, 1}, {true, 0, 2}, {false, 3, 4},
                                         {true, 100, 19}, {false, 18, 19}}) {
    Sentence sentence(0, 1);
    sentence.changed = c.changed_at_start;
    Counting executor;
    executor.sentence = &sentence;
    executor.changes = c.changes;
    RuleCandidateCollection pool;
    run_sentence(&sentence, pool, executor);
    EXPECT_EQ(executor.calls, c.passes) << c.changed_at_start << " " << c.changes;
    EXPECT_FALSE(sentence.changed);
  }
}

// The closing steps of "anaphora" and "instances": the anaphora pass makes
// the document's anaphora store, the instance pass links tracked concepts.
//   namespace anaphora: Ref: ( 'x' )
const char* const kAnaphora =
    "concept Ref\n"
    "token 1 literal=x\n"
    "rule text=rule:ref ns=anaphora\n  path CAPBEG:Ref TK:1 CAPEND:Ref\n  bitset path TK:1\n";

TEST(MatchDriver, AnaphoraRunsWhenTheDomainAndTheDocumentAllowIt) {
  struct Case {
    bool domain_flag;
    const char* document_options;
    bool runs;
  };
  const std::vector<Case> cases = {
      {true, "{}", true},
      {true, R"({"anaphora": true})", true},
      {true, R"({"anaphora": false})", false},
      {false, "{}", false},
  };
  for (const Case& c : cases) {
    DomainRun run(kAnaphora);
    ASSERT_NE(run.domain->flags & DomainFacade::kAnaphora, 0u);
    if (!c.domain_flag) run.domain->flags &= ~DomainFacade::kAnaphora;
    run.load("x", c.document_options);
    EXPECT_TRUE(match_ids(*run.blackboard, run.domain, {}));
    EXPECT_EQ(run.blackboard->anaphora_store != nullptr, c.runs)
        << c.domain_flag << " " << c.document_options;
  }
}

// The anaphora cluster's rule records its call, and the pass after the
// cluster resolves it: Bob, the male person, over Ann.
//   namespace anaphora: kav::anaphora: ( 'he' )
//                         @scope="-1:0";concept="Person";relevancy="gender:male:1"
TEST(MatchDriver, TheAnaphoraPassResolvesTheCallsOfTheClustersRules) {
  DomainRun run(
      "concept kav::anaphora Person\n"
      "token 1 literal=he\n"
      "rule text=rule:he ns=anaphora\n"
      "  path CAPBEG:kav::anaphora TK:1 CAPEND:kav::anaphora "
      "@scope=\"-1:0\";concept=\"Person\";relevancy=\"gender:male:1\"\n"
      "  bitset path TK:1\n");
  run.load("[Person{gender=female} Ann] and [Person{gender=male} Bob] came\nthen he left");
  EXPECT_TRUE(match_ids(*run.blackboard, run.domain, {}));
  EXPECT_EQ(run.dump(),
            "[Sentence [Person{gender=female} Ann ]Person and [Person{gender=male} Bob ]Person "
            "came ]Sentence $\n"
            "[Sentence then [Person{canonical=Bob;gender=male} "
            "[kav::anaphora{concept=Person;relevancy=gender:male:1;scope=-1:0} he "
            "]Person,kav::anaphora left ]Sentence $");
  ASSERT_NE(run.blackboard->anaphora_store, nullptr);
  EXPECT_EQ(run.blackboard->anaphora_store->referents.size(), 1u);
}

TEST(MatchDriver, TheInstancePassRunsWhenTheDomainAsksForIt) {
  for (bool flag : {false, true}) {
    DomainRun run(kAnaphora);
    run.domain->flags &= ~DomainFacade::kAnaphora;
    if (flag) run.domain->flags |= DomainFacade::kInstances;
    run.load("[Ref x]", R"({"instances": "Ref"})");
    EXPECT_TRUE(match_ids(*run.blackboard, run.domain, {}));
    Concept* ref = zel::testing::find_concept(*run.document.sentences, "Ref");
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->instance_index.has_value(), flag);
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

// A whole run: a text analysed with the test language, encoded for a
// domain of two clusters, and matched.
//   namespace grammar:     Bank: ( <bank> ) @kind="money"
//   namespace grammar.pg:  priority group "who":
//                            Visit: ( Person: ( Prop ) <visit> )
//                            Person: ( Prop )
//   namespace entities:    Location: ( 'in' $name: ( Prop ) )
TEST(MatchDriverEndToEnd, AnAnalysedTextGetsTheConceptsOfTheDomainsRules) {
  DomainRun run(
      "concept Bank Visit Person Location $name\n"
      "token 1 stem=bank\n"
      "token 2 pos=Prop-Std\n"
      "token 3 literal=in\n"
      "token 4 stem=visit\n"
      "rule text=rule:bank ns=grammar line=1\n"
      "  path CAPBEG:Bank TK:1 CAPEND:Bank @kind=\"money\"\n  bitset path TK:1\n"
      "rule text=rule:visit ns=grammar,pg group=who-1 line=2\n"
      "  path CAPBEG:Visit CAPBEG:Person TK:2 CAPEND:Person TK:4 CAPEND:Visit\n"
      "  bitset path TK:2 TK:4\n"
      "rule text=rule:person ns=grammar,pg group=who-2 line=3\n"
      "  path CAPBEG:Person TK:2 CAPEND:Person\n  bitset path TK:2\n"
      "rule text=rule:location ns=entities line=4\n"
      "  path CAPBEG:Location TK:3 CAPBEG:$name TK:2 CAPEND:$name CAPEND:Location\n"
      "  bitset path TK:3 TK:2\n");
  zel::testing::AnalysedDocument document(
      zel::testing::test_language_folder(),
      "Alice visited the big bank in Berlin. Bob saw banks in London.");
  Blackboard& blackboard = document.blackboard();
  blackboard.set_current_domain(run.domain);
  encode_stream(blackboard, run.domain);
  EXPECT_TRUE(match_ids(blackboard, run.domain, {}));
  // Alice: the group's first rule wins, and the walk resumes after its
  // match; Bob: the first rule is no candidate there.
  EXPECT_EQ(zel::testing::dump(document.sentences(), zel::testing::kDumpAttributes),
            "[Sentence [Visit [Person Alice ]Person visited ]Visit the big "
            "[Bank{kind=money} bank ]Bank [Location in [$name [Person Berlin "
            "]$name,Person,Location . ]Sentence $\n"
            "[Sentence [Person Bob ]Person saw [Bank{kind=money} banks ]Bank "
            "[Location in [$name [Person London ]$name,Person,Location . ]Sentence $");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
