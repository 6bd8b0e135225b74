#include "language/postagger.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <fst/vector-fst.h>

#include "analysis/annotation.h"
#include "analysis/document_testutil.h"
#include "base/exception.h"
#include "base/output_capture_testutil.h"
#include "core-afst/afst.h"
#include "language/postagger_text.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {
namespace disambiguation {
namespace {

using zel::testing::build_document;
using zel::testing::find_token;
using zel::testing::TestDocument;

std::shared_ptr<afst::AFst> network_of(const std::string& rules) {
  std::istringstream lines(rules);
  return std::make_shared<afst::AFst>(build_postagger(lines, "rules"));
}

std::shared_ptr<const Postagger> rules_of(const std::string& rules) {
  return std::make_shared<const Postagger>(network_of(rules));
}

// The token's readings as "pos=weight" joined by blanks.
std::string weights(const Token& token) {
  std::ostringstream out;
  for (const MorphData& reading : token.readings) {
    if (out.tellp() > 0) out << " ";
    out << reading.pos() << "=" << reading.weight;
  }
  return out.str();
}

// The sentence list of a token of the document.
const AnnotationCollection* list_of(const TestDocument& doc, const Token* token) {
  for (Annotation* a = doc.sentences->head; a != nullptr; a = a->next) {
    const Sentence* sentence = annotation_cast<Sentence>(a);
    for (Annotation* b = sentence->annotations.head; b != nullptr; b = b->next) {
      if (b == token) return &sentence->annotations;
    }
  }
  return nullptr;
}

// Weighs the readings of the token with that literal and lists them.
std::string weigh(const Postagger& rules, const TestDocument& doc,
                  const std::string& literal, int n = 1) {
  Token* token = find_token(*doc.sentences, literal, n);
  if (token == nullptr) throw std::invalid_argument("no token " + literal);
  Scorer scorer(rules);
  scorer.reset(list_of(doc, token));
  scorer(RawPtrIterator(token));
  return weights(*token);
}

struct WalkCase {
  const char* name;
  const char* rules;
  const char* document;
  const char* token;
  const char* weights;
};

TEST(PostaggerWalk, ScoresEachReadingByItsFirstAcceptedPath) {
  const WalkCase cases[] = {
      {"the whole part of speech spelled into a final state",
       "0 1 N\n1 2 n #2\n2\n", "dog/Nn|V", "dog", "Nn=2 V=1"},
      {"a final state before the text is spelled does not accept",
       "0 1 N #2\n1\n", "dog/Nn|V", "dog", "Nn=1 V=1"},
      {"spelling up to and including a hyphen accepts",
       "0 1 N\n1 2 n\n2 3 - #1.5\n3\n", "dog/Nn-Sg|V", "dog", "Nn-Sg=1.5 V=1"},
      {"a final state inside a part before the hyphen does not accept",
       "0 1 N\n1 2 n #1.5\n2\n", "dog/Nn-Sg|V", "dog", "Nn-Sg=1 V=1"},
      {"the scores along the path add up",
       "0 1 N #1\n1 2 n #0.25\n2\n", "dog/Nn|V", "dog", "Nn=1.25 V=1"},
      {"the first accepted path wins, not the best one",
       "0 1 N #1\n1 2 n\n2\n0 3 N #5\n3 4 n\n4\n", "dog/Nn|V", "dog", "Nn=1 V=1"},
      {"a score label without a number scores nothing",
       "0 1 N #\n1 2 n #x\n2\n", "dog/Nn@3|V", "dog", "Nn=0 V=1"},
      {"labels without a hash score nothing",
       "0 1 N 7\n1 2 n\n2\n", "dog/Nn@3|V", "dog", "Nn=0 V=1"},
      {"a character step compares whole code points",
       "0 1 \xC3\xA9 #2\n1\n", "e/\xC3\xA9|e", "e", "\xC3\xA9=2 e=1"},
      {"an empty step consumes nothing",
       "0 1 eps #1\n1 2 N\n2 3 n\n3\n", "dog/Nn|V", "dog", "Nn=1 V=1"},
      {"an empty step is a character step for a text that begins with its "
       "first character",
       "0 1 eps #3\n1\n", "x/e|Vb", "x", "e=3 Vb=1"},
      // Backtracking puts the text back where the state stood: after the
      // dead end behind the first "n", the second "n" is tried at the
      // second character again.
      {"after a dead end the other arcs are tried at the same position",
       "0 1 N\n1 2 n\n1 3 n #4\n3\n2 5 x\n", "dog/Nn|V", "dog", "Nn=4 V=1"},
      {"readings without an accepted path keep their weight",
       "0 1 Q #9\n1\n", "dog/Nn@0.5|V@2", "dog", "Nn=0.5 V=2"},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDocument doc = build_document(c.document);
    EXPECT_EQ(weigh(*rules_of(c.rules), doc, c.token), c.weights);
  }
}

TEST(PostaggerWalk, ContextStepsTestNeighbouringTokens) {
  // Nn after a determiner; the context arc carries the score.
  const std::string after_det = "0 1 N\n1 2 n\n2 3 -p1 #3\n3 4 D\n4 5 e\n5 6 t\n6\n";
  const WalkCase cases[] = {
      {"a part of speech one token back", after_det.c_str(), "the/Det dog/Nn|V",
       "dog", "Nn=3 V=1"},
      {"another part of speech one token back", after_det.c_str(),
       "it/Pron dog/Nn|V", "dog", "Nn=1 V=1"},
      {"any reading of the context token", after_det.c_str(),
       "the/Pron|Det dog/Nn|V", "dog", "Nn=3 V=1"},
      {"the context token's text must be spelled whole", after_det.c_str(),
       "the/Det-Def dog/Nn|V", "dog", "Nn=1 V=1"},
      {"before the first token of a sentence there is none", after_det.c_str(),
       "dog/Nn|V the/Det", "dog", "Nn=1 V=1"},
      {"no step back into the sentence before", after_det.c_str(),
       "the/Det\ndog/Nn|V", "dog", "Nn=1 V=1"},
      {"concepts are passed over backwards",
       after_det.c_str(), "the/Det [Animal dog/Nn|V]", "dog", "Nn=3 V=1"},
      {"two tokens back", "0 1 N\n1 2 n\n2 3 -p2 #3\n3 4 D\n4 5 e\n5 6 t\n6\n",
       "the/Det big/Adj dog/Nn|V", "dog", "Nn=3 V=1"},
      {"one annotation forward",
       "0 1 N\n1 2 n\n2 3 +p1 #2\n3 4 V\n4\n", "dog/Nn|V runs/V", "dog",
       "Nn=2 V=1"},
      {"forward from the last token lands on no token",
       "0 1 N\n1 2 n\n2 3 +p1 #2\n3 4 E\n4 5 n\n5 6 d\n6\n", "runs/V dog/Nn|V",
       "dog", "Nn=1 V=1"},
      {"a step of distance 0 tests the token itself",
       "0 1 V\n1 2 +p0 #2\n2 3 N\n3 4 n\n4\n", "dog/Nn|V", "dog", "Nn=1 V=2"},
      // Taken right after "N", with "n" still to spell: the rest of the
      // text need not be spelled.
      {"a context step in the middle of the text",
       "0 1 N\n1 2 -p1 #4\n2 3 D\n3 4 e\n4 5 t\n5\n", "the/Det dog/Nn|V", "dog",
       "Nn=4 V=1"},
      {"no context step right before a hyphen",
       "0 1 N\n1 2 n\n2 3 +p1 #4\n3 4 D\n4 5 e\n5 6 t\n6\n", "dog/Nn-Sg|V the/Det",
       "dog", "Nn-Sg=1 V=1"},
      {"the scores before, on and after the context step add up",
       "0 1 N #1\n1 2 n\n2 3 -p1 #2\n3 4 D\n4 5 e\n5 6 t #0.5\n6\n",
       "the/Det dog/Nn|V", "dog", "Nn=3.5 V=1"},
      {"a stem", "0 1 N\n1 2 n\n2 3 -s1 #2\n3 4 t\n4 5 h\n5 6 e\n6\n",
       "the/Det:the dog/Nn|V", "dog", "Nn=2 V=1"},
      {"another stem", "0 1 N\n1 2 n\n2 3 -s1 #2\n3 4 t\n4 5 h\n5 6 e\n6\n",
       "a/Det:a dog/Nn|V", "dog", "Nn=1 V=1"},
      {"a property of the context token", "0 1 N\n1 2 n\n2 3 -m1:init-cap #2\n3\n",
       "The{init-cap}/Det dog/Nn|V", "dog", "Nn=2 V=1"},
      {"a property of a reading of the context token",
       "0 1 N\n1 2 n\n2 3 -m1:def #2\n3\n", "the/Pron|Det+def dog/Nn|V", "dog",
       "Nn=2 V=1"},
      {"a property nobody holds", "0 1 N\n1 2 n\n2 3 -m1:def #2\n3\n",
       "the/Det+indef dog/Nn|V", "dog", "Nn=1 V=1"},
      {"the path goes on after a property step",
       "0 1 N\n1 2 n\n2 3 -m1:def #2\n3 4 -p1\n4 5 D\n5 6 e\n6 7 t #1\n7\n",
       "the/Det+def dog/Nn|V", "dog", "Nn=3 V=1"},
      {"a context kind that is none tests nothing",
       "0 1 N\n1 2 n\n2 3 -x1 #2\n3\n", "the/Det dog/Nn|V", "dog", "Nn=1 V=1"},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDocument doc = build_document(c.document);
    EXPECT_EQ(weigh(*rules_of(c.rules), doc, c.token), c.weights);
  }
}

TEST(PostaggerWalk, MarkupTokensAreNoContext) {
  auto rules = rules_of("0 1 N\n1 2 n\n2 3 -p1 #3\n3 4 D\n4 5 e\n5 6 t\n6\n");
  TestDocument doc = build_document("the/Det dog/Nn|V");
  find_token(*doc.sentences, "the")->flags |= token_flags::markup;
  EXPECT_EQ(weigh(*rules, doc, "dog"), "Nn=1 V=1");
}

TEST(PostaggerWalk, WithoutASentenceContextStepsFindNothing) {
  auto rules = rules_of("0 1 N\n1 2 -p1 #4\n2 3 D\n3 4 e\n4 5 t\n5\n");
  TestDocument doc = build_document("the/Det dog/Nn|V");
  Token* token = find_token(*doc.sentences, "dog");
  Scorer scorer(*rules);
  scorer(RawPtrIterator(token));
  EXPECT_EQ(weights(*token), "Nn=1 V=1");
}

TEST(PostaggerWalk, EmptyStepsAtTheEndOfTheText) {
  // Into a state that is not final: the walk goes on without reading past
  // the text, here to a context step.
  auto rules = rules_of(
      "0 1 N\n1 2 n\n2 3 eps\n3 4 -p1 #1\n4 5 D\n5 6 e\n6 7 t\n7\n");
  TestDocument doc = build_document("the/Det dog/Nn|V");
  EXPECT_EQ(weigh(*rules, doc, "dog"), "Nn=1 V=1");

  TestDocument alone = build_document("dog/Nn|V");
  EXPECT_EQ(weigh(*rules, alone, "dog"), "Nn=1 V=1");

  // Into a final state: a warning, and the path ends there.
  auto warned = rules_of("0 1 N\n1 2 n\n2 3 eps #5\n3\n");
  TestDocument again = build_document("dog/Nn|V");
  std::string scored;
  const std::string err = zel::testing::capture_stderr(
      [&] { scored = weigh(*warned, again, "dog"); });
  EXPECT_EQ(scored, "Nn=1 V=1");
  EXPECT_EQ(err, "Warning, Check the Postagger file for strange constructions.\n");
}

TEST(PostaggerWalk, EmptyStepsNextToTheLastCharacter) {
  const WalkCase cases[] = {
      {"into a final state with one character left",
       "0 1 N\n1 2 eps #2\n2\n", "dog/Nn|V", "dog", "Nn=2 V=1"},
      {"into a state that is not final with only a hyphen left",
       "0 1 N\n1 2 n\n2 3 eps #2\n", "dog/Nn-|V", "dog", "Nn-=2 V=1"},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDocument doc = build_document(c.document);
    EXPECT_EQ(weigh(*rules_of(c.rules), doc, c.token), c.weights);
  }
}

TEST(PostaggerWalk, CyclesThatConsumeNothingEnd) {
  // A loop of empty steps: the walk goes as deep as it may, then on.
  auto loop = rules_of("0 1 N\n1 1 eps\n1 2 n #1\n2\n");
  TestDocument doc = build_document("dog/Nn|V");
  EXPECT_EQ(weigh(*loop, doc, "dog"), "Nn=1 V=1");

  // A context step back into the same state, with no way out.
  auto context = rules_of("0 1 N\n1 1 -p1\n");
  TestDocument other = build_document("the/Det dog/Nn|V");
  EXPECT_EQ(weigh(*context, other, "dog"), "Nn=1 V=1");

  // Cycles that branch: the number of paths explodes and the walk is
  // stopped.
  for (const char* branching : {"0 1 N\n1 1 eps\n1 1 EPS\n", "0 1 N\n1 1 +p0\n"}) {
    SCOPED_TRACE(branching);
    TestDocument third = build_document("dog/Nn|V");
    EXPECT_THROW(weigh(*rules_of(branching), third, "dog"), zel::Exception);
  }
}

TEST(PostaggerWalk, ATransducerWithoutStartStateLeavesTheWeights) {
  auto empty = std::make_shared<fst::StdVectorFst>();
  fst::SymbolTable lower("lower");
  lower.AddSymbol("eps", 0);
  empty->SetInputSymbols(&lower);
  empty->SetOutputSymbols(&lower);
  Postagger rules(std::make_shared<afst::AFst>(empty));
  TestDocument doc = build_document("dog/Nn@2|V@3");
  EXPECT_EQ(weigh(rules, doc, "dog"), "Nn=2 V=3");
}

TEST(PostaggerWalk, InvalidUtf8InAReadingIsAnError) {
  auto rules = rules_of("0 1 N\n1\n");
  TestDocument doc = build_document("dog/Nn|V");
  Token* token = find_token(*doc.sentences, "dog");
  token->readings.front().set_pos("\xC3");
  Scorer scorer(*rules);
  EXPECT_THROW(scorer(RawPtrIterator(token)), utf8::exception);
}

TEST(PostaggerWalk, TheScorerIsReusedAcrossTokens) {
  auto rules = rules_of("0 1 N\n1 2 n\n2 3 -p1 #3\n3 4 D\n4 5 e\n5 6 t\n6\n");
  TestDocument doc = build_document("the/Det dog/Nn|V\nthe/Det cat/Nn|V");
  Scorer scorer(*rules);
  for (int n = 1; n <= 2; ++n) {
    Token* the = find_token(*doc.sentences, "the", n);
    scorer.reset(list_of(doc, the));
    Token* animal = annotation_cast<Token>(the->next);
    scorer(RawPtrIterator(animal));
    EXPECT_EQ(weights(*animal), "Nn=3 V=1");
  }
}

TEST(KeepBestReadings, DropsReadingsBelowTheBestAndKeepsTies) {
  struct Case {
    const char* document;
    const char* kept;
  } cases[] = {
      {"x/A@1|B@3|C@2", "B=3"},
      {"x/A@2|B@1|C@2", "A=2 C=2"},
      {"x/A@0.5|B@0.25", "A=0.5"},
      {"x/A", "A=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    TestDocument doc = build_document(c.document);
    Token* token = find_token(*doc.sentences, "x");
    keep_best_readings(*token);
    EXPECT_EQ(weights(*token), c.kept);
  }
}

TEST(KeepBestReadings, TheBestScoredReadingAndItsTiesSurviveAWalk) {
  auto rules = rules_of(
      "0 1 N\n1 2 n #2\n2\n1 3 v #2\n3\n0 4 V\n4 5 b #1\n5\n");
  TestDocument doc = build_document("x/Vb|Nn|Adj|Nv");
  Token* token = find_token(*doc.sentences, "x");
  Scorer scorer(*rules);
  scorer.reset(list_of(doc, token));
  scorer(RawPtrIterator(token));
  keep_best_readings(*token);
  EXPECT_EQ(weights(*token), "Nn=2 Nv=2");
}

// Rules are checked once, when made from the transducer.
TEST(PostaggerRules, MalformedLabelsAreRefused) {
  struct Case {
    const char* rules;
    const char* fault;  // empty: accepted
  } cases[] = {
      {"0 1 -p1\n1\n", ""},
      {"0 1 +s9\n1\n", ""},
      {"0 1 -m1:cap\n1\n", ""},
      {"0 1 -m1:\n1\n", ""},
      {"0 1 -x1\n1\n", ""},
      {"0 1 -pX\n1\n", "the distance of a context label must be a digit"},
      {"0 1 -m1\n1\n", "a property label must name a property"},
      {"0 1 \xFF\n1\n", "the first character of an input label must be valid UTF-8"},
      {"0 1 N #nan\n1\n", "a score must be a finite number"},
      {"0 1 N #1e999\n1\n", "a score must be a finite number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rules);
    auto network = network_of(c.rules);
    if (*c.fault == 0) {
      EXPECT_NO_THROW(Postagger rules(network));
      continue;
    }
    try {
      Postagger rules(network);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_THAT(e.what(), ::testing::HasSubstr(c.fault));
    }
  }
}

TEST(PostaggerRules, OnlyLabelsOnArcsAreChecked) {
  // "-m1" is in the table but on no arc reachable from the start state.
  EXPECT_NO_THROW(rules_of("0 1 N\n1\n2 3 -m1\n"));
}

TEST(PostaggerRules, LabelIdsOutsideTheTablesAreRefused) {
  for (bool input_side : {true, false}) {
    SCOPED_TRACE(input_side ? "input" : "output");
    auto network = std::make_shared<fst::StdVectorFst>();
    fst::SymbolTable table("lower");
    table.AddSymbol("eps", 0);
    table.AddSymbol("N", 1);
    network->AddState();
    network->AddState();
    network->SetStart(0);
    network->SetFinal(1, fst::TropicalWeight::One());
    network->AddArc(0, fst::StdArc(input_side ? 7 : 1, input_side ? 1 : 7,
                                   fst::TropicalWeight::One(), 1));
    network->SetInputSymbols(&table);
    network->SetOutputSymbols(&table);
    EXPECT_THROW(Postagger(std::make_shared<afst::AFst>(network)), std::invalid_argument);
  }
  EXPECT_THROW(Postagger(nullptr), std::invalid_argument);
}

TEST(PostaggerText, ReadsArcsInLineOrderAndRefusesOtherLines) {
  std::istringstream lines("# comment\n\n3 4 a #1\n3 5 b\n4\n");
  auto network = build_postagger(lines, "rules");
  EXPECT_EQ(network->Start(), 3);
  ASSERT_EQ(network->NumArcs(3), 2u);
  fst::ArcIterator<fst::StdVectorFst> arcs(*network, 3);
  EXPECT_EQ(network->InputSymbols()->Find(arcs.Value().ilabel), "a");
  EXPECT_EQ(network->OutputSymbols()->Find(arcs.Value().olabel), "#1");
  arcs.Next();
  EXPECT_EQ(network->InputSymbols()->Find(arcs.Value().ilabel), "b");
  EXPECT_EQ(arcs.Value().olabel, 0);
  EXPECT_NE(network->Final(4), fst::TropicalWeight::Zero());
  EXPECT_EQ(network->Final(5), fst::TropicalWeight::Zero());

  for (const char* bad : {"0 1\n", "a 1 N\n", "0 1 N eps x\n", "-1 2 N\n"}) {
    SCOPED_TRACE(bad);
    std::istringstream text(bad);
    EXPECT_THROW(build_postagger(text, "rules"), std::runtime_error);
  }
}

}  // namespace
}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel
