#include "matcher/forward_matcher.h"

#include <cstdlib>
#include <functional>
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
#include "matcher/forward_rule_facade.h"
#include "matcher/match_dump_testutil.h"
#include "matcher/rule_labels.h"

// Rules are single paths written by the compiled-domain writer as the
// compiler writes rules it marks for the forward matcher (the rule source
// each stands for is given beside it), over a one-sentence document whose
// rule-input ids are pushed by hand. Results are dumped as
// "LABEL@annotation" per entry, results separated by " | ".

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {
namespace {

using FI = FilteredIterator;
using testing::annotation_name;
using testing::dump_matches;
using testing::ScratchDomain;

// A domain of forward rules and a one-sentence document. `ids` pushes
// rule-input ids by hand: "lit" to every token with that literal, "[URI"
// to every concept of that URI.
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

  AnnotationCollection& list() {
    return zel::testing::sentence_at(*document_.sentences, 0)->annotations;
  }

  std::shared_ptr<MatcherInterface> matcher(size_t rule = 0) {
    rules_.push_back(std::make_unique<RuleFacade>(domain_.db(), domain_.rule(rule), AttributeList{}));
    return rules_.back()->get_matcher();
  }

  // The n-th annotation of the sentence with that name; "-" is the end of
  // the list.
  FI at(const std::string& name, int n = 1) {
    if (name == "-") return end();
    for (Annotation* a : list()) {
      if (annotation_name(a) == name && --n == 0) return filtered(AnnotationIterator(a), list().end());
    }
    throw std::invalid_argument("no annotation " + name);
  }
  FI begin() { return filtered(list().begin(), list().end()); }
  FI end() { return filtered(list().end(), list().end()); }

  // The results of `match` over the whole sentence of a fresh matcher.
  std::string match(size_t rule = 0) {
    auto m = matcher(rule);
    m->match(begin(), end());
    return dump_matches(*m);
  }

  // The results of `match_location` from `from` to `to` of a fresh matcher.
  std::string match_location(size_t rule, const std::string& from, bool anchored,
                             const std::string& to = "-") {
    auto m = matcher(rule);
    m->match_location(at(from), at(to), anchored);
    return dump_matches(*m);
  }

 private:
  ScratchDomain domain_;
  zel::testing::TestDocument document_;
  std::vector<std::unique_ptr<RuleFacade>> rules_;
};

TEST(ForwardMatcher, StartsOnlyWhereTheFirstConsumingStepCanMatch) {
  struct Case {
    const char* name;
    const char* path;
    const char* sentence;
    const char* results;
  };
  const std::vector<Case> cases = {
      // X: ( _ );  every token starts, the concept does not
      {"any token", "CAPBEG:1 ANYTK CAPEND:1", "a [C b] c",
       "CAPBEG1@a CAPEND1@[C | CAPBEG1@b CAPEND1@]C | CAPBEG1@c CAPEND1@]Sentence"},
      // X: ( [D] );  only D starts, not C stacked before it
      {"concept", "CAPBEG:1 CNCPT:2 CAPEND:1", "a [C [D b]] c", "CAPBEG1@[D CAPEND1@]D,C"},
      // X: ( 'a' );
      {"token", "CAPBEG:1 TK:1 CAPEND:1", "[C a] a",
       "CAPBEG1@a CAPEND1@]C | CAPBEG1@a CAPEND1@]Sentence"},
      // X: ( ( ) @kind=x 'a' );  a marker consumes nothing
      {"marker", "CAPBEG:1 CAPBEG:2 CAPEND:2 @kind=x TK:1 CAPEND:1", "a a",
       "CAPBEG1@a CAPBEG2@a CAPEND2@a @kind=x@a CAPEND1@a | "
       "CAPBEG1@a CAPBEG2@a CAPEND2@a @kind=x@a CAPEND1@]Sentence"},
      // X: ( .. 'b' );  starts where 'b' can, as on the afst matcher
      {"gap before a token", "CAPBEG:1 SHRTMATCH TK:2 CAPEND:1", "a b c b",
       "CAPBEG1@b CAPEND1@c | CAPBEG1@b CAPEND1@]Sentence"},
      // X: ( ( .. ) @kind=x 'b' );
      {"gap and marker before a token", "CAPBEG:1 CAPBEG:2 SHRTMATCH CAPEND:2 @kind=x TK:2 CAPEND:1",
       "a b", "CAPBEG1@b CAPBEG2@b CAPEND2@b @kind=x@b CAPEND1@]Sentence"},
      // X: ( .. _ 'b' );  the gap may begin anywhere, at concepts too
      {"gap before any token", "CAPBEG:1 SHRTMATCH ANYTK TK:2 CAPEND:1", "[C a] b",
       "CAPBEG1@[Sentence CAPEND1@]Sentence | CAPBEG1@[C CAPEND1@]Sentence | "
       "CAPBEG1@a CAPEND1@]Sentence"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RuleRun run(std::string("rule text=r rt=2\n  path ") + c.path + "\n", c.sentence,
                {{"a", 1}, {"b", 2}, {"[C", 1}, {"[D", 2}});
    EXPECT_EQ(run.match(), c.results);
  }
}

TEST(ForwardMatcher, GapKeepsTheFirstPositionFromWhichTheRestMatches) {
  struct Case {
    const char* name;
    const char* path;
    const char* sentence;
    const char* results;
  };
  const std::vector<Case> cases = {
      // X: ( 'w' .. 'x' 'y' );  the first x is followed by z, the second by y
      {"rest after the next step", "CAPBEG:1 TK:1 SHRTMATCH TK:2 TK:3 CAPEND:1", "w x z x y",
       "CAPBEG1@w CAPEND1@]Sentence"},
      // X: ( 'w' .. 'x' );  the shortest gap
      {"shortest", "CAPBEG:1 TK:1 SHRTMATCH TK:2 CAPEND:1", "w z x y x",
       "CAPBEG1@w CAPEND1@y"},
      // X: ( ( 'w' .. ) 'y' );  the inner capture ends where the gap does,
      // at the first position from which 'y' is the next token
      {"capture end after the gap", "CAPBEG:1 CAPBEG:2 TK:1 SHRTMATCH CAPEND:2 TK:3 CAPEND:1",
       "w [C x] y", "CAPBEG1@w CAPBEG2@w CAPEND2@y CAPEND1@]Sentence"},
      // X: ( 'w' .. 'x' .. 'y' );  the second gap fails after the first x
      {"two gaps", "CAPBEG:1 TK:1 SHRTMATCH TK:2 TK:2 SHRTMATCH TK:3 CAPEND:1",
       "w x z x x y", "CAPBEG1@w CAPEND1@]Sentence"},
      {"no position", "CAPBEG:1 TK:1 SHRTMATCH TK:2 TK:3 CAPEND:1", "w x z x z", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RuleRun run(std::string("rule text=r rt=2\n  path ") + c.path + "\n", c.sentence,
                {{"w", 1}, {"x", 2}, {"y", 3}});
    EXPECT_EQ(run.match(), c.results);
  }
}

TEST(ForwardMatcher, ConceptStepTriesEveryStackedConceptAndStaysInTheRange) {
  // X: ( [D] );
  RuleRun run("rule text=r rt=2\n  path CAPBEG:1 CNCPT:2 CAPEND:1\n", "[C [D a b]] b c",
              {{"[C", 1}, {"[D", 2}});
  // From C, D stacked after it is tried too; the capture begins at C.
  EXPECT_EQ(run.match_location(0, "[C", true), "CAPBEG1@[C CAPEND1@]D,C");
  EXPECT_EQ(run.match_location(0, "[D", false), "CAPBEG1@[D CAPEND1@]D,C");
  // A range that ends inside the concept: the step fails (the afst matcher
  // goes on at the range end).
  EXPECT_EQ(run.match_location(0, "[C", true, "b"), "");
  EXPECT_EQ(run.match_location(0, "a", true), "");
}

TEST(ForwardMatcher, AnchoredTokenStepMustMatchTheCurrentAnnotation) {
  RuleRun run("rule text=r rt=2\n  path CAPBEG:1 TK:1 CAPEND:1\n", "[X a] b", {{"a", 1}});
  EXPECT_EQ(run.match_location(0, "[X", true), "");
  EXPECT_EQ(run.match_location(0, "[X", false), "CAPBEG1@[X CAPEND1@]X");
  // Only tokens and concepts begin an attempt.
  EXPECT_EQ(run.match_location(0, "]X", false), "");
}

TEST(ForwardMatcher, ConditionsOnTheConceptAndTheToken) {
  struct Case {
    const char* path;
    const char* sentence;
    bool matches;
  };
  const std::vector<Case> cases = {
      // X: ( [Org @kind="firm"] );
      {"CAPBEG:1 CNCPT:1 ATT@kind=\"firm\" CAPEND:1", "[Org{kind=firm} acme] x", true},
      {"CAPBEG:1 CNCPT:1 ATT@kind=\"shop\" CAPEND:1", "[Org{kind=firm} acme] x", false},
      {"CAPBEG:1 CNCPT:1 ATT@_contains=\"cm\" CAPEND:1", "[Org acme] x", true},
      // X: ( 'a' +past );  on the token or on one of its readings
      {"CAPBEG:1 TK:1 PROP+past CAPEND:1", "a/V+pres|V+past b", true},
      {"CAPBEG:1 TK:1 PROP+past CAPEND:1", "a{past} b", true},
      {"CAPBEG:1 TK:1 PROP+past CAPEND:1", "a/V+pres b{past}", false},
      // A condition first (never written by the compiler) has no concept or
      // token to test: it fails without reading the empty path.
      {"ATT@kind=\"firm\" TK:1 CAPEND:1", "a", false},
      {"PROP+past TK:1 CAPEND:1", "a{past}", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " over " + c.sentence);
    RuleRun run(std::string("rule text=r rt=2\n  path ") + c.path + "\n", c.sentence,
                {{"[Org", 1}, {"a", 1}});
    EXPECT_EQ(run.match() != "", c.matches) << run.match();
  }
}

TEST(ForwardMatcher, UnsupportedStepIsReportedAndFailsTheAttempt) {
  // X: [C ( 'a' ) ]C;  and X: 'b' [C ( 'a' ) ]C;  concept patterns, which
  // only the afst matcher runs
  RuleRun run(
      "rule text=r rt=2\n  path CAPBEG:1 CNCPT_BEG:1 TK:1 CNCPT_END:1 CAPEND:1\n"
      "rule text=s rt=2\n  path CAPBEG:1 TK:2 CNCPT_BEG:1 TK:1 CNCPT_END:1 CAPEND:1\n",
      "b [C a]", {{"[C", 1}, {"a", 1}, {"b", 2}});
  struct Case {
    const char* name;
    std::function<std::string()> run;
    const char* output;
  };
  const std::vector<Case> cases = {
      {"first step", [&] { return run.match_location(0, "[C", true); }, "invalid id_type: 30000000\n"},
      {"after a token", [&] { return run.match(1); }, "invalid id_type: 30000000\n"},
      // An attempt that fails before the step never reaches it.
      {"not reached", [&] { return run.match_location(1, "[C", true); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string results = "x";
    const std::string output = zel::testing::capture_stdout([&] { results = c.run(); });
    EXPECT_EQ(results, "");
    EXPECT_EQ(output, c.output);
  }
}

TEST(ForwardMatcher, ResultsAccumulateUntilClear) {
  RuleRun run("rule text=r rt=2\n  path CAPBEG:1 TK:1 CAPEND:1 @kind=x\n", "a b", {{"a", 1}});
  auto m = run.matcher();
  m->match(run.begin(), run.end());
  m->match(run.begin(), run.end());
  EXPECT_EQ(dump_matches(*m), "CAPBEG1@a CAPEND1@b @kind=x@b | CAPBEG1@a CAPEND1@b @kind=x@b");
  m->clear();
  EXPECT_EQ(dump_matches(*m), "");
  m->match_location(run.at("a"), run.end(), true);
  EXPECT_EQ(dump_matches(*m), "CAPBEG1@a CAPEND1@b @kind=x@b");
  EXPECT_EQ(m->input_symbol(0), "eps");
  EXPECT_THROW(m->input_symbol(1000), std::out_of_range);
}

TEST(ForwardMatcher, FinalFlagsComeFromTheFinalWeights) {
  RuleRun run("rule text=r rt=2\n  path CAPBEG:1 TK:1 CAPEND:1\n", "a", {});
  auto m = run.matcher();
  EXPECT_EQ(static_cast<ForwardMatcher&>(*m).final_flags(),
            (std::vector<bool>{false, false, false, true}));
}

TEST(ForwardMatcher, MakeMatcherRefusesOtherRules) {
  ScratchDomain d("rule text=r\n  path CAPBEG:1 TK:1 CAPEND:1\n");
  afst::RuleFacade rule(d.db(), d.rule(0), {});
  EXPECT_THROW(make_matcher(&rule), zel::Exception);
  EXPECT_THROW(make_matcher(nullptr), zel::Exception);
}

// The limit is read once when the library loads, so these tests answer for
// the value the process started with; CTest runs them again with
// KAVERO_MAX_RESULTS set to 1 and to 0.
TEST(ForwardMatcherLimit, IsTheEnvironmentsAtLoad) {
  const char* value = std::getenv("KAVERO_MAX_RESULTS");
  EXPECT_EQ(result_limit(), value == nullptr ? 100 : static_cast<int32_t>(std::strtol(value, nullptr, 10)));
}

TEST(ForwardMatcherLimit, EveryMatchIsStillRecorded) {
  // X: ( 'a' .. 'b' );  the limit ends only the attempt that reaches it
  RuleRun run("rule text=r rt=2\n  path CAPBEG:1 TK:1 SHRTMATCH TK:2 CAPEND:1\n", "a a a b",
              {{"a", 1}, {"b", 2}});
  auto m = run.matcher();
  m->match(run.begin(), run.end());
  EXPECT_EQ(dump_matches(*m),
            "CAPBEG1@a CAPEND1@]Sentence | CAPBEG1@a CAPEND1@]Sentence | "
            "CAPBEG1@a CAPEND1@]Sentence");
  m->match(run.begin(), run.end());
  EXPECT_EQ(m->matches().size(), 6u);
}

}  // namespace
}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
