#include "matcher/afst_matcher.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/document_testutil.h"
#include "base/exception.h"
#include "base/output_capture_testutil.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/match_dump_testutil.h"
#include "matcher/rule_labels.h"

// Rules are written by the compiled-domain writer as the compiler would
// write them (the rule source each stands for is given beside it), over a
// one-sentence document whose rule-input ids are pushed by hand. Results
// are dumped as "LABEL@annotation" per entry, results separated by " | ".

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {
namespace {

using FI = FilteredIterator;
using testing::ScratchDomain;

std::string name_of(const Annotation* a) { return testing::annotation_name(a); }
std::string dump(MatcherInterface& m) { return testing::dump_matches(m); }

// A domain and a one-sentence document. `ids` pushes rule-input ids by
// hand: "lit" to every token with that literal, "[URI" to every concept
// of that URI.
class RuleRun {
 public:
  RuleRun(const std::string& rules, const std::string& sentence,
          const std::map<std::string, unsigned>& ids)
      : domain_(rules), document_(zel::testing::build_document(sentence)) {
    for (Annotation* a : list()) {
      if (Token* t = annotation_cast<Token>(a)) {
        auto id = ids.find(t->literal);
        if (id != ids.end()) t->push(id->second);
      } else if (Concept* c = annotation_cast<Concept>(a)) {
        auto id = ids.find("[" + c->uri);
        if (id != ids.end()) c->push(id->second);
      }
    }
  }

  AnnotationCollection& list() { return zel::testing::sentence_at(*document_.sentences, 0)->annotations; }

  std::shared_ptr<MatcherInterface> matcher(size_t rule = 0) {
    rules_.push_back(std::make_unique<RuleFacade>(domain_.db(), domain_.rule(rule), AttributeList{}));
    return rules_.back()->get_matcher();
  }

  // The n-th annotation of the sentence with that name (name_of); "-" is
  // the end of the list.
  FI at(const std::string& name, int n = 1) {
    if (name == "-") return end();
    for (Annotation* a : list()) {
      if (name_of(a) == name && --n == 0) return filtered(AnnotationIterator(a), list().end());
    }
    throw std::invalid_argument("no annotation " + name);
  }
  FI begin() { return filtered(list().begin(), list().end()); }
  FI end() { return filtered(list().end(), list().end()); }

  // The results of `match` over [from, to) of a fresh matcher of the rule.
  std::string match(size_t rule = 0, const std::string& from = "", const std::string& to = "-") {
    auto m = matcher(rule);
    m->match(from.empty() ? begin() : at(from), at(to));
    return dump(*m);
  }

 private:
  ScratchDomain domain_;
  zel::testing::TestDocument document_;
  std::vector<std::unique_ptr<RuleFacade>> rules_;
};

TEST(AfstMatcher, NothingToSearch) {
  // X: ( 'a' );  and the same rule without a start state
  RuleRun run(
      "rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=s\n  arc 0 1 TK:1\n  final 1\n  start none\n",
      "[X a] b", {{"a", 1}});
  EXPECT_EQ(run.match(0), "CAPBEG1@a CAPEND1@]X");
  EXPECT_EQ(run.match(1), "");
  auto m = run.matcher(0);
  m->match(run.at("a"), run.at("a"));
  m->match_location(run.at("a"), run.at("a"), true);
  m->match_location(run.at("]X"), run.end(), false);
  EXPECT_EQ(dump(*m), "");
  m->match_location(run.at("a"), run.end(), true);
  EXPECT_EQ(dump(*m), "CAPBEG1@a CAPEND1@]X");
}

TEST(AfstMatcher, OnlyMarkersAndCaptureEndsReportAFinalState) {
  // Final states entered through each kind of arc after the token 'a'.
  RuleRun run(
      "rule text=tk\n  path CAPBEG:1 TK:1\n"
      "rule text=cncpt\n  path CAPBEG:1 CNCPT:1\n"
      "rule text=capbeg\n  path TK:1 CAPBEG:1\n"
      "rule text=capend\n  path CAPBEG:1 TK:1 CAPEND:1\n"
      "rule text=marker\n  path CAPBEG:1 TK:1 CAPEND:1 @kind=a\n"
      "rule text=short\n  path CAPBEG:1 TK:1 @ab\n"
      "rule text=other\n  path CAPBEG:1 TK:1 SYM:xabc\n",
      "[X a] b", {{"a", 1}, {"[X", 1}});
  EXPECT_EQ(run.match(0), "");
  EXPECT_EQ(run.match(1), "");
  EXPECT_EQ(run.match(2), "");
  EXPECT_EQ(run.match(3), "CAPBEG1@a CAPEND1@]X");
  EXPECT_EQ(run.match(4), "CAPBEG1@a CAPEND1@]X @kind=a@]X");
  EXPECT_EQ(run.match(5), "");
  EXPECT_EQ(run.match(6), "");
}

TEST(AfstMatcher, MatchesComeInDepthFirstOrder) {
  // X: 'a' ( 'b' )?  with the longer alternative's arc first, then last.
  const std::string longer_first =
      "  arc 0 1 CAPBEG:1\n  arc 1 2 TK:1\n  arc 2 3 TK:2\n  arc 3 4 CAPEND:1\n"
      "  arc 2 4 CAPEND:2\n  final 4\n";
  const std::string shorter_first =
      "  arc 0 1 CAPBEG:1\n  arc 1 2 TK:1\n  arc 2 4 CAPEND:2\n  arc 2 3 TK:2\n"
      "  arc 3 4 CAPEND:1\n  final 4\n";
  RuleRun run("rule text=l\n" + longer_first + "rule text=s\n" + shorter_first, "a b a",
              {{"a", 1}, {"b", 2}});
  EXPECT_EQ(run.match(0), "CAPBEG1@a CAPEND1@a | CAPBEG1@a CAPEND2@b | CAPBEG1@a CAPEND2@]Sentence");
  EXPECT_EQ(run.match(1), "CAPBEG1@a CAPEND2@b | CAPBEG1@a CAPEND1@a | CAPBEG1@a CAPEND2@]Sentence");
}

TEST(AfstMatcher, ResultsAccumulateUntilClear) {
  RuleRun run("rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n", "a b", {{"a", 1}});
  auto m = run.matcher();
  m->match(run.begin(), run.end());
  m->match(run.begin(), run.end());
  EXPECT_EQ(dump(*m), "CAPBEG1@a CAPEND1@b | CAPBEG1@a CAPEND1@b");
  m->clear();
  EXPECT_EQ(dump(*m), "");
  m->match(run.begin(), run.end());
  EXPECT_EQ(dump(*m), "CAPBEG1@a CAPEND1@b");
  EXPECT_EQ(m->input_symbol(0), "eps");
  EXPECT_THROW(m->input_symbol(1000), std::out_of_range);
}

TEST(AfstMatcher, AnchoredTokenStepMustMatchTheCurrentAnnotation) {
  RuleRun run("rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n", "[X a] b", {{"a", 1}});
  auto m = run.matcher();
  m->match_location(run.at("[X"), run.end(), true);
  EXPECT_EQ(dump(*m), "");
  m->match_location(run.at("[X"), run.end(), false);
  EXPECT_EQ(dump(*m), "CAPBEG1@[X CAPEND1@]X");
}

TEST(AfstMatcher, ConceptStepTakesTheConceptWhole) {
  // X: ( [C] ) 'b';  over the whole sentence and over a range that ends
  // inside the concept.
  RuleRun run(
      "rule text=r\n  path CAPBEG:1 CNCPT:1 CAPEND:1\n"
      "rule text=s\n  path CAPBEG:1 CNCPT:1 CAPEND:1 TK:2 CAPEND:2\n",
      "[C a b] b c", {{"[C", 1}, {"b", 2}});
  EXPECT_EQ(run.match(0), "CAPBEG1@[C CAPEND1@]C");
  EXPECT_EQ(run.match(1), "CAPBEG1@[C CAPEND1@]C CAPEND2@c");
  // Without its end annotation in the range the step still goes on, at the
  // range end.
  EXPECT_EQ(run.match(0, "", "b"), "CAPBEG1@[C CAPEND1@b");
  EXPECT_EQ(run.match(1, "", "b"), "");
}

TEST(AfstMatcher, StackedConceptsAreScannedAfterTheFirstStep) {
  // 'a' ( [D] ): D shares its start with C and comes second.
  RuleRun run("rule text=r\n  path TK:1 CAPBEG:1 CNCPT:2 CAPEND:1\n",
              "a [C [D b]] c", {{"a", 1}, {"[C", 1}, {"[D", 2}});
  EXPECT_EQ(run.match(), "CAPBEG1@[C CAPEND1@]D,C");
}

// X: [C ( 'a' ANY{0,2} ) ANY{0,2} ]C, the inner alternatives written so
// that the capture of one token reaches the concept's end first; the start
// state also has a whole-concept arc.
const char* kInnerPaths =
    "rule text=r\n"
    "  arc 0 1 CNCPT_BEG:1\n"
    "  arc 0 30 CNCPT:1\n  arc 30 31 CAPEND:3\n  final 31\n"
    "  arc 1 2 CAPBEG:1\n  arc 2 3 TK:1\n"
    "  arc 3 4 CAPEND:1\n  arc 4 5 ANYTK\n  arc 5 6 ANYTK\n  arc 6 20 CNCPT_END:1\n"
    "  arc 3 7 ANYTK\n  arc 7 8 CAPEND:1\n  arc 8 9 ANYTK\n  arc 9 20 CNCPT_END:1\n"
    "  arc 3 10 ANYTK\n  arc 10 11 ANYTK\n  arc 11 12 CAPEND:1\n  arc 12 20 CNCPT_END:1\n"
    "  arc 20 21 CAPEND:2\n  final 21\n";

TEST(AfstMatcher, ConceptPatternKeepsThePathWithTheMostCapturedTokens) {
  RuleRun run(kInnerPaths, "[C a b c] d", {{"[C", 1}, {"a", 1}});
  EXPECT_EQ(run.match(), "CAPBEG1@[C CAPEND1@]C CAPEND2@]C");
}

TEST(AfstMatcher, ConceptPatternThatFailsLetsTheStateTryItsOtherArcs) {
  // The inner pattern needs 'a' first.
  RuleRun run(kInnerPaths, "[C b b c] d", {{"[C", 1}, {"a", 1}});
  EXPECT_EQ(run.match(), "CAPEND3@]C");
}

TEST(AfstMatcher, NestedConceptPatternsAreExpandedIntoTheResult) {
  // [X [Y ( 'a' ) ]Y ANY ]X ()
  RuleRun run(
      "rule text=r\n  path CNCPT_BEG:1 CNCPT_BEG:2 CAPBEG:1 TK:1 CAPEND:1 CNCPT_END:2 ANYTK "
      "CNCPT_END:1 CAPEND:2\n",
      "[X [Y a] b] c", {{"[X", 1}, {"[Y", 2}, {"a", 1}});
  // The inner pattern starts at the first concept of the position, [X.
  EXPECT_EQ(run.match(), "CAPBEG1@[X CAPEND1@]Y CAPEND2@]X");
}

// ( 'a' !('b') ) with the negated pattern between NEGATION and its end.
const char* kNegation =
    "rule text=r\n"
    "  arc 0 1 CAPBEG:1\n  arc 1 2 TK:1\n  arc 2 3 NEGATION\n"
    "  arc 3 4 NEGATION_BODY\n  arc 4 5 TK:2\n  arc 5 6 KAV_NEGATION_END\n"
    "  arc 3 7 NEGATION_NEXT\n  arc 7 8 CAPEND:1\n  final 8\n";

TEST(AfstMatcher, NegatedPatternForbidsTheMatch) {
  struct Case {
    const char* sentence;
    const char* to;
    const char* results;
  };
  const std::vector<Case> cases = {
      {"a c d", "-", "CAPBEG1@a CAPEND1@c"},
      {"a b d", "-", ""},
      // The negated pattern ends exactly at the range end: still found.
      {"a b d", "d", ""},
      // At the range end, or on the sentence's end, the step never goes on.
      {"a c d", "c", ""},
      {"a", "-", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sentence) + " to " + c.to);
    RuleRun run(kNegation, c.sentence, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(run.match(0, "", c.to), c.results);
  }
}

TEST(AfstMatcher, ShortMatchTakesTheShortestGap) {
  // ( 'a' ... 'b' )
  RuleRun run("rule text=r\n  path CAPBEG:1 TK:1 SHRTMATCH TK:2 CAPEND:1\n", "a x b y b z",
              {{"a", 1}, {"b", 2}});
  EXPECT_EQ(run.match(), "CAPBEG1@a CAPEND1@y");
}

TEST(AfstMatcher, PropertyOfTheTokenOrOfOneReading) {
  // ( 'a' +past )
  const std::string rule = "rule text=r\n  path CAPBEG:1 TK:1 PROP+past CAPEND:1\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a/V+pres|V+past b", "CAPBEG1@a CAPEND1@b"},
      {"a{past} b", "CAPBEG1@a CAPEND1@b"},
      {"a/V+pres b{past}", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    RuleRun run(rule, c.first, {{"a", 1}});
    EXPECT_EQ(run.match(), c.second);
  }
}

TEST(AfstMatcher, AttributeConditionsOnTheConceptMatchedLast) {
  // ( [Org] @CONDITION )
  const std::vector<std::pair<std::string, bool>> cases = {
      {R"(@kind="firm")", true},
      {R"(@kind="shop")", false},
      {R"(@kind=/f.*/)", true},
      {R"(@kind="firm";size="big")", false},
      // On the canonical text, else on the text with the document's spacing.
      {R"(@_contains="ACM")", true},
      {R"(@_contains="Inc.")", true},
      {R"(@_contains=/Acme$/)", false},
      {R"(@_contains=/In.\./)", true},
      {R"(@_contains="nope")", false},
      // The whole canonical text.
      {R"(@_match=/AC.*/)", true},
      {R"(@_match=/AC/)", false},
      {R"(@_match=/Acme.*/)", false},
      {R"(@_match="ACME")", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    RuleRun run("rule text=r\n  path CAPBEG:1 CNCPT:1 ATT" + c.first + " CAPEND:1\n",
                "[Org{kind=firm;canonical=ACME} Acme Inc.] x", {{"[Org", 1}});
    EXPECT_EQ(run.match(), c.second ? "CAPBEG1@[Org CAPEND1@]Org" : "");
  }
}

TEST(AfstMatcher, QuotedContainsIsPlainText) {
  // A quoted value is the text itself: "Inc." does not match "Incx", and
  // "C++" is no broken pattern.
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {R"(@_contains="Inc.")", "Acme Incx", false},
      {R"(@_contains=/Inc./)", "Acme Incx", true},
      {R"(@_contains="C++")", "C++ Co", true},
      {R"(@_contains="C++")", "C Co", false},
      {R"(@_match="C++ Co")", "C++ Co", true},
  };
  for (const auto& [condition, text, holds] : cases) {
    SCOPED_TRACE(condition + " on " + text);
    RuleRun run("rule text=r\n  path CAPBEG:1 CNCPT:1 ATT" + condition + " CAPEND:1\n",
                "[Org " + text + "]", {{"[Org", 1}});
    EXPECT_EQ(run.match(), holds ? "CAPBEG1@[Org CAPEND1@]Org,Sentence" : "");
  }
}

TEST(AfstMatcher, IterationBudgetKeepsEarlierMatches) {
  // ( 'a' ) with a cycle of empty arcs after the token, and a second
  // capture end that the cut search never reaches.
  const std::string head = "  arc 0 1 CAPBEG:1\n  arc 1 2 TK:1\n  arc 2 3 CAPEND:1\n  final 3\n";
  RuleRun run(
      "rule text=cycle\n" + head + "  arc 2 4 CAPBEG:2\n  arc 4 4 CAPBEG:2\n  arc 2 5 CAPEND:3\n  final 5\n" +
          "rule text=plain\n" + head + "  arc 2 5 CAPEND:3\n  final 5\n",
      "a a", {{"a", 1}});
  EXPECT_EQ(run.match(0), "CAPBEG1@a CAPEND1@a | CAPBEG1@a CAPEND1@]Sentence");
  EXPECT_EQ(run.match(1),
            "CAPBEG1@a CAPEND1@a | CAPBEG1@a CAPEND3@a | CAPBEG1@a CAPEND1@]Sentence | "
            "CAPBEG1@a CAPEND3@]Sentence");
}

TEST(AfstMatcher, UnknownLabelKindIsReportedAndSkipped) {
  RuleRun run("rule text=r\n  arc 0 1 RAW:0xd0000001\n  arc 0 1 CAPBEG:1\n  arc 1 2 TK:1\n"
              "  arc 2 3 CAPEND:1\n  final 3\n  tlb TK:1\n",
              "a", {{"a", 1}});
  std::string results;
  const std::string output = zel::testing::capture_stdout([&] { results = run.match(); });
  EXPECT_EQ(results, "CAPBEG1@a CAPEND1@]Sentence");
  EXPECT_EQ(output, "invalid id_type: d0000000\n");
}

TEST(AfstMatcher, TopLevelIdsSkipStartPositions) {
  // The rule can only start at 'a' or at a C concept; with ANY first it
  // starts anywhere.
  RuleRun run(
      "rule text=r\n  path CAPBEG:1 ANYTK CAPEND:1\n  tlb TK:1 CNCPT:1\n"
      "rule text=s\n  path CAPBEG:1 ANYTK CAPEND:1\n",
      "a b [C c]", {{"a", 1}, {"[C", 1}});
  EXPECT_EQ(run.match(0), "CAPBEG1@a CAPEND1@b");
  EXPECT_EQ(run.match(1), "CAPBEG1@a CAPEND1@b | CAPBEG1@b CAPEND1@[C | CAPBEG1@c CAPEND1@]C,Sentence");
}

TEST(AfstMatcher, MakeMatcherRefusesOtherRules) {
  EXPECT_THROW(make_matcher(nullptr), zel::Exception);
}

// The limit is read once when the library loads, so these tests answer for
// the value the process started with; CTest runs them again with
// KAVERO_MAX_RESULTS set to 1 and to 0.
int32_t limit_from_environment() {
  const char* value = std::getenv("KAVERO_MAX_RESULTS");
  return value == nullptr ? 100 : static_cast<int32_t>(std::strtol(value, nullptr, 10));
}

TEST(AfstMatcherLimit, IsTheEnvironmentsAtLoad) {
  EXPECT_EQ(result_limit(), limit_from_environment());
}

TEST(AfstMatcherLimit, StopsTheCallOnceReached) {
  RuleRun run(
      "rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n  tlb TK:1\n"
      "rule text=s\n  path CAPBEG:1 TK:1 CAPEND:1\n",
      "a a a", {{"a", 1}});
  const int32_t limit = result_limit();
  const size_t per_call = limit == 0 ? 1 : limit < 0 ? 3 : std::min<size_t>(3, static_cast<size_t>(limit));
  auto m = run.matcher(0);
  m->match(run.begin(), run.end());
  EXPECT_EQ(m->matches().size(), per_call);
  // Once the limit is reached, a further call adds at most one result.
  m->match(run.begin(), run.end());
  EXPECT_EQ(m->matches().size(), limit >= 0 && limit <= 3 ? per_call + 1 : 2 * per_call);
}

TEST(AfstMatcherLimit, ZeroTriesOnlyTheFirstStartThatPassesThePreTest) {
  // With top-level ids 'b' is skipped and 'a' is tried; without, 'b' is
  // the first start.
  RuleRun run(
      "rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n  tlb TK:1\n"
      "rule text=s\n  path CAPBEG:1 TK:1 CAPEND:1\n",
      "b a", {{"a", 1}});
  EXPECT_EQ(run.match(0), "CAPBEG1@a CAPEND1@]Sentence");
  EXPECT_EQ(run.match(1), result_limit() == 0 ? "" : "CAPBEG1@a CAPEND1@]Sentence");
}

}  // namespace
}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
