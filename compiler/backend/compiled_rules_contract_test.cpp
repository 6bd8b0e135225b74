// Rules compiled from source by the result store, loaded from the domain
// file by the runtime's domain loader (clusters, namespaces and chains from
// the record names, the matcher kind from "rt", the top-level ids from
// "tlb") and matched over sentences analysed with the test language
// "english". Each case states what its rules mean as the dump of the
// matched document.
//
// KAVERO_OPTIMIZATION_LEVEL is read once when the library loads: with 0
// every rule runs on the general matcher, otherwise rules of type 2 run on
// the forward matcher. The table runs in this process and again in two
// child processes with the levels 0 and 3; both must give the same dumps.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/document_testutil.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "domain/domain_facade.h"
#include "domain/domain_loader.h"
#include "language/test_language_testutil.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/forward_rule_facade.h"
#include "matcher/make_rule.h"
#include "matcher/match_driver.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace compiler {
namespace {

// A rule source compiled into a domain file "d.dom" and loaded as the
// runtime loads it.
class CompiledDomain {
 public:
  explicit CompiledDomain(const std::string& source) {
    ParseResult parsed = parse_kavero_source(compilation.blackboard, source, "c.kav", nullptr);
    for (const std::string& text : collect_formatted_errors(parsed.sinks)) errors += text + "\n";
    if (!parsed.ok) return;
    {
      auto store = compilation.store();
      store->open("/rules/c.kav");
      store->collect(parsed.root);
      store->close("/rules/c.kav");
      store->finalize();
    }
    compilation.close_database();
    domain = std::make_shared<kavero::DomainFacade>("d");
    if (!kavero::load_domain(*domain, {compilation.folder.str()}, "d")) domain.reset();
  }

  // The document of the text after every collection of the domain ran.
  std::string run(const std::string& text) const {
    zel::testing::AnalysedDocument document(zel::testing::test_language_folder(), text);
    kavero::Blackboard& blackboard = document.blackboard();
    blackboard.set_current_domain(domain);
    kavero::encode_stream(blackboard, domain);
    kavero::match_ids(blackboard, domain, {});
    return zel::testing::dump(document.sentences(),
                            zel::testing::kDumpAttributes | zel::testing::kDumpFlags);
  }

  // Every loaded rule of type 2 runs on the forward matcher unless the
  // optimisation level is 0; every other rule on the general matcher.
  // Returns the number of type-2 rules.
  int check_matcher_kinds() const {
    int forward = 0;
    for (const auto& entry : domain->rule_collections) {
      for (const auto& rule : entry.second.rules) {
        const bool type2 = rule->attribute("rt") == "2";
        forward += type2;
        const bool on_forward =
            dynamic_cast<kavero::matcher::forward::RuleFacade*>(rule.get()) != nullptr;
        EXPECT_EQ(on_forward, type2 && kavero::KAVERO_OPTIMIZATION_LEVEL != 0) << rule->id();
        if (!on_forward) {
          EXPECT_NE(dynamic_cast<kavero::matcher::afst::RuleFacade*>(rule.get()), nullptr)
              << rule->id();
        }
      }
    }
    return forward;
  }

  testing::Compilation compilation;
  std::string errors;
  std::shared_ptr<kavero::DomainFacade> domain;
};

struct MatchCase {
  const char* what;
  const char* source;
  const char* text;
  const char* dump;
};

const MatchCase kCases[] = {
    {"a plain sequence of literals",
     R"(rule:{ <"old"> <"man"> } = Elder;)",
     "The old man walks.",
     "[Sentence The [Elder old man ]Elder walks . ]Sentence $"},
    {"stems, parts of speech and a length",
     R"(rule:{ <'walk'> <"in"> <Prop> } = Walk; rule:{ <length(5)> } = Five;)",
     "The old man walks in London.",
     "[Sentence The old man [Walk [Five walks ]Five in London ]Walk . ]Sentence $"},
    {"a named capture and attributes on the assignment",
     R"(rule:{ <"in"> { <Prop> } = Place@(kind="city") } = Location;)",
     "He walks in London.",
     "[Sentence He walks [Location in [Place{kind=city} London ]Place,Location . ]Sentence $"},
    {"a concept found by a rule of the grammar namespace",
     R"(namespace grammar { rule:{ <Prop> } = Person; } rule:{ <"in"> Person } = Location;)",
     "He walks in London.",
     "[Sentence He walks [Location in [Person London ]Person,Location . ]Sentence $"},
    {"a concept with an inner pattern and anchors",
     R"(namespace grammar { rule:{ <"the"> <"old"> <"man"> } = Who; }
        rule:{ Who[<"old">] } = Inner; rule:{ Who[^<"the">] } = First;
        rule:{ Who[<"old">^] } = Last;)",
     "the old man walks.",
     "[Sentence [Inner [First [Who the old man ]Inner,First,Who walks . ]Sentence $"},
    {"optional and repeated tokens",
     R"(rule:{ <"old">? <"man"> } = Aa; rule:{ <"big">+ <"dog"> } = Bb;
        rule:{ <"x">{1,2} <"y"> } = Cc;)",
     "The man. An old man. Big big big dog. X x x y.",
     "[Sentence The [Aa man ]Aa . ]Sentence $\n"
     "[Sentence An [Aa old man ]Aa . ]Sentence $\n"
     "[Sentence Big [Bb big big dog ]Bb . ]Sentence $\n"
     "[Sentence X [Cc x x y ]Cc . ]Sentence $"},
    {"alternatives and an optional group",
     R"(rule:{ (<"old"> | <"big">) <"man"> } = Aa; rule:{ (<"very">)? <"tall"> } = Bb;)",
     "The big man. A very tall man. A tall man.",
     "[Sentence The [Aa big man ]Aa . ]Sentence $\n"
     "[Sentence A [Bb very tall ]Bb man . ]Sentence $\n"
     "[Sentence A [Bb tall ]Bb man . ]Sentence $"},
    {"a negation",
     R"(rule:{ <"the"> !(<"old">) <> <"man"> } = Aa;)",
     "See the old man. See the young man.",
     "[Sentence See the old man . ]Sentence $\n"
     "[Sentence See [Aa the young man ]Aa . ]Sentence $"},
    {"a gap searched past its first chance",
     R"(rule:{ <"w"> .. <"x"> <"y"> } = Aa;)",
     "w x z x y.",
     "[Sentence [Aa w x z x y ]Aa . ]Sentence $"},
    {"a gap takes the nearest place from which the rest matches",
     R"(rule:{ { <"w"> .. <"x"> } = Inner <"y"> } = Aa; rule:{ <"p"> .. <"q"> } = Bb;)",
     "w x z x y p q q.",
     "[Sentence [Aa [Inner w x z x ]Inner y ]Aa [Bb p q ]Bb q . ]Sentence $"},
    {"gaps before a concept and inside a capture",
     R"(namespace grammar { rule:{ <Prop> } = Person; }
        rule:{ <"saw"> .. Person { <"in"> .. <"London"> } = Where } = Bb;)",
     "Bob saw the old Alice in big London.",
     "[Sentence [Person Bob ]Person [Bb saw the old [Person Alice ]Person [Where in big "
     "[Person London ]Person,Where,Bb . ]Sentence $"},
    {"an ellipsis and a shortest gap",
     R"(rule:{ <"a"> ... <"c"> } = Aa; rule:{ { <"b"> .? <"d"> } = Ss } = Bb;)",
     "A a x c. B b c d b d.",
     "[Sentence A [Aa a x c ]Aa . ]Sentence $\n"
     "[Sentence B [Bb [Ss{match=shortest}!shorted_match b c d ]Ss,Bb "
     "[Bb [Ss{match=shortest}!shorted_match b d ]Ss,Bb . ]Sentence $"},
    {"unordered groups",
     R"(rule:{ (<"red"> % <"car">) } = Aa; rule:{ (<"blue"> %% <"bike">) } = Bb;)",
     "My car red. The blue old bike.",
     "[Sentence My [Aa car red ]Aa . ]Sentence $\n"
     "[Sentence The [Bb blue old bike ]Bb . ]Sentence $"},
    {"the shortest and the longest unordered forms",
     R"(rule:{ (<"red"> %% <"car">) } = Aa; rule:{ (<"blue"> %%% <"car">) } = Bb;)",
     "The red car car. The car blue old blue.",
     "[Sentence The [Aa red car ]Aa car . ]Sentence $\n"
     "[Sentence The [Bb car blue old blue ]Bb . ]Sentence $"},
    // The clusters case of the match driver's tests, whose records are
    // written by hand there: Old is removed after the grammar rules, Tmp
    // after all rules.
    {"grammar collections and a scope",
     R"(namespace grammar {
          rule:{ <"a"> } = Old; rule:{ <"b"> } = Tmp;
          namespace late { rule:{ Old } = New; }
        }
        namespace people { rule:{ <"c"> } = Pp; }
        on Old :{ scope="grammar" };
        on Tmp :{ scope="last" };)",
     "We a b c.",
     "[Sentence We [New [Old!deleted a ]New,Old [Tmp!deleted b ]Tmp [Pp c ]Pp . ]Sentence $"},
    // Gap cases of the forward matcher's tests, whose records are written
    // by hand there.
    {"two gaps, the shortest gap and a sentence without a place",
     R"(rule:{ <"w"> .. <"x"> <"x"> .. <"y"> } = Two; rule:{ <"v"> .. <"x"> } = Short;
        rule:{ <"u"> .. <"x"> <"y"> } = None;)",
     "Now w x z x x y. Now v z x y x. Now u x z x z.",
     "[Sentence Now [Two w x z x x y ]Two . ]Sentence $\n"
     "[Sentence Now [Short v z x ]Short y x . ]Sentence $\n"
     "[Sentence Now u x z x z . ]Sentence $"},
    {"a capture that ends with a gap",
     R"(rule:{ { <"w"> .. } = In <"y"> } = Out;)",
     "Now w x z y.",
     "[Sentence Now [Out [In w x z ]In y ]Out . ]Sentence $"},
    // Cases of the general matcher's tests, whose records are written by
    // hand there.
    {"a stacked concept found after the first one of its place",
     R"(namespace grammar { rule:{ <Prop> } = Cc; rule:{ <Prop> } = Dd; }
        rule:{ <"met"> { Dd } = Xx } = Yy;)",
     "We met Alice.",
     "[Sentence{header=true} We [Yy met [Xx [Dd [Cc Alice ]Xx,Dd,Cc,Yy . ]Sentence $"},
    {"nested concept patterns",
     R"(namespace grammar { rule:{ <"a"> } = Ya; rule:{ Ya <"b"> } = Xb; }
        rule:{ Xb[ Ya[ { <"a"> } = In ] <> ] } = Out;)",
     "We a b c.",
     "[Sentence We [Out [Xb [In [Ya a ]In,Ya b ]Out,Xb c . ]Sentence $"},
    {"a negation after a token inside a capture",
     R"(rule:{ { <"a"> !(<"b">) } = In <> } = Out;)",
     "We a c d. We a b d.",
     "[Sentence We [Out [In a ]In c ]Out d . ]Sentence $\n"
     "[Sentence We a b d . ]Sentence $"},
    {"attribute conditions on a concept",
     R"(namespace grammar { rule:{ <Prop> } = Org@(kind="firm"); }
        rule:{ Org@(kind="firm") } = Firm; rule:{ Org@(kind="shop") } = Shop;)",
     "We met Acme.",
     "[Sentence{header=true} We met [Firm [Org{kind=firm} Acme ]Firm,Org . ]Sentence $"},
    {"any token",
     R"(rule:{ <"the"> <> <"man"> } = Aa;)",
     "the old man.",
     "[Sentence [Aa the old man ]Aa . ]Sentence $"},
    {"a literal of several words, optional as a whole",
     R"(rule:{ <"New York">? <"city"> } = Aa;)",
     "We saw New York city. We saw York city.",
     // Three capitalised words of four make the analyser take the first
     // sentence for a header.
     "[Sentence{header=true} We saw [Aa New York city ]Aa . ]Sentence $\n"
     "[Sentence We saw York [Aa city ]Aa . ]Sentence $"},
    {"a chain inside a namespace: its first matching rule wins",
     R"(namespace grammar { namespace pg { chain [
          rule:{ { <Prop> } = Person <'visit'> } = Visit;
          rule:{ <Prop> } = Person;
        ] } })",
     "Alice visited Berlin.",
     "[Sentence [Visit [Person Alice ]Person visited ]Visit [Person Berlin ]Person . ]Sentence $"},
    // The end-to-end case of the match driver's tests, whose records are
    // written by hand there.
    {"the match driver's analysed text",
     R"(namespace grammar {
          rule:{ <'bank'> } = Bank@(kind="money");
          namespace pg { chain [
            rule:{ { <Prop-Std> } = Person <'visit'> } = Visit;
            rule:{ <Prop-Std> } = Person;
          ] }
        }
        namespace entities { rule:{ <"in"> { <Prop-Std> } = Name } = Location; })",
     "Alice visited the big bank in Berlin. Bob saw banks in London.",
     "[Sentence [Visit [Person Alice ]Person visited ]Visit the big "
     "[Bank{kind=money} bank ]Bank [Location in [Name [Person Berlin "
     "]Name,Person,Location . ]Sentence $\n"
     "[Sentence [Person Bob ]Person saw [Bank{kind=money} banks ]Bank "
     "[Location in [Name [Person London ]Name,Person,Location . ]Sentence $"},
};

TEST(CompiledRules, MatchWhatTheyMean) {
  int type2 = 0;
  for (const MatchCase& c : kCases) {
    CompiledDomain compiled(c.source);
    ASSERT_TRUE(compiled.errors.empty()) << c.what << "\n" << compiled.errors;
    ASSERT_NE(compiled.domain, nullptr) << c.what;
    type2 += compiled.check_matcher_kinds();
    EXPECT_EQ(compiled.run(c.text), c.dump) << c.what;
  }
  // The forward matcher has its share of the table.
  EXPECT_GT(type2, 0);
}

// A gap keeps a rule on the forward matcher; the table above shows that
// both matchers give the same matches for it.
TEST(CompiledRules, AGapRuleIsForTheForwardMatcher) {
  CompiledDomain compiled(R"(rule:{ <"w"> .. <"x"> <"y"> } = Aa;)");
  ASSERT_NE(compiled.domain, nullptr) << compiled.errors;
  EXPECT_EQ(compiled.check_matcher_kinds(), 1);
}

// The path of the running test binary.
std::string own_binary() {
  std::vector<char> path(4096);
  const ssize_t size = readlink("/proc/self/exe", path.data(), path.size() - 1);
  return size > 0 ? std::string(path.data(), static_cast<size_t>(size)) : std::string();
}

// Runs the table in a child process started with the optimisation level.
int table_in_child(const char* level) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("KAVERO_OPTIMIZATION_LEVEL", level, 1);
    const std::string binary = own_binary();
    execl(binary.c_str(), binary.c_str(), "--gtest_filter=CompiledRules.MatchWhatTheyMean",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CompiledRulesAtBothLevels, GiveTheSameMatchesOnBothMatchers) {
  EXPECT_EQ(table_in_child("0"), 0);
  EXPECT_EQ(table_in_child("3"), 0);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
