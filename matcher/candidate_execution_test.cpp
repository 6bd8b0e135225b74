#include "matcher/candidate_execution.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "api/profiler.h"
#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"
#include "domain/domain_loader.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/domain_run_testutil.h"
#include "matcher/rule_labels.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace kavero {
namespace {

using optimisation::Item;
using optimisation::Match;
using zel::testing::build_document;

// How the tests name annotations: a token by its literal, "]X" the end
// annotation closing X first, "$" the end of the stream.
std::string name_of(const Annotation* a) {
  if (a == nullptr) return "-";
  if (const auto* token = annotation_cast<Token>(a)) return token->literal;
  if (const auto* c = annotation_cast<Concept>(a)) return "[" + c->uri;
  if (const auto* end = annotation_cast<EndAnnotation>(a)) {
    return "]" + static_cast<const Concept*>(end->concepts.front())->uri;
  }
  return "$";
}

// The annotation of one sentence list with that name.
const Annotation* find(const AnnotationCollection& list, const std::string& name) {
  for (const Annotation* a = list.head; a != nullptr; a = a->next) {
    if (name_of(a) == name) return a;
  }
  ADD_FAILURE() << "no annotation " << name;
  return nullptr;
}

// "index:begin-end", "*" when shortest, "{attributes}" when there are some.
std::string dump_item(const Item& item) {
  std::string out = std::to_string(item.index) + ":" + name_of(item.begin) + "-" +
                    name_of(item.end) + (item.shortest ? "*" : "");
  if (!item.attributes.empty()) out += "{" + item.attributes + "}";
  return out;
}
std::string dump_matches(const std::vector<Match>& matches) {
  std::string out;
  for (const Match& match : matches) {
    if (!out.empty()) out += " | ";
    for (size_t i = 0; i < match.size(); ++i) out += (i ? " " : "") + dump_item(match[i]);
  }
  return out;
}

// A matcher whose results the test writes.
class ScriptedMatcher : public matcher::MatcherInterface {
 public:
  void match_location(FI, FI, bool) override {}
  void match(FI, FI) override {}
  const std::string& input_symbol(int id) const override { return symbols.at(id); }
  matcher::MatchResults& matches() override { return results; }
  void clear() override { results.clear(); }

  std::vector<std::string> symbols = {"eps", "@kind=\"x\"", "@match=\"shortest\""};
  matcher::MatchResults results;
};

// One sentence, "a b c d e", for items to point into.
class ItemsTest : public ::testing::Test {
 protected:
  ItemsTest() : document_(build_document("a b c d e")) {}

  const AnnotationCollection& list() const {
    return static_cast<const Sentence*>(document_.sentences->head)->annotations;
  }
  const Annotation* at(const std::string& name) const { return find(list(), name); }

  // A result from "LABEL@annotation" words: B1 and E1 for capture 1's begin
  // and end, M1 for the plain label 1 (a marker).
  matcher::MatchResult result(const std::string& text) const {
    matcher::MatchResult out;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      const size_t at_sign = word.find('@');
      const unsigned index = static_cast<unsigned>(std::stoul(word.substr(1, at_sign - 1)));
      const unsigned kind =
          word[0] == 'B' ? matcher::CAPBEG : word[0] == 'E' ? matcher::CAPEND : matcher::LABLE;
      out.emplace_back(at(word.substr(at_sign + 1)), kind | index);
    }
    return out;
  }

  zel::testing::TestDocument document_;
};

TEST_F(ItemsTest, EachCaptureWithAnExtentBecomesAnItemOuterFirst) {
  struct Case {
    const char* result;
    const char* items;
  };
  const std::vector<Case> cases = {
      {"B1@a E1@c", "1:a-c"},
      {"B1@a E1@c M1@c", "1:a-c{@kind=\"x\"}"},
      {"B1@a E1@c M2@c", "1:a-c*{@match=\"shortest\"}"},
      // Outer captures come first; the marker belongs to the capture it
      // follows.
      {"B1@a B2@b E2@c M1@c E1@d", "1:a-d 2:b-c{@kind=\"x\"}"},
      {"B1@a B2@b E2@c E1@d M1@d", "1:a-d{@kind=\"x\"} 2:b-c"},
      // The first end of the same capture closes it.
      {"B1@a E1@b E1@d", "1:a-b"},
      // An empty or reversed capture, or one never closed, makes no item.
      {"B1@b E1@b", ""},
      {"B1@c E1@b", ""},
      {"B1@a E2@c", ""},
      {"B1@b E1@b B2@b E2@c", "2:b-c"},
      // The label that completed the match is reported again last.
      {"B1@a E1@c E1@c", "1:a-c"},
  };
  ScriptedMatcher m;
  for (const Case& c : cases) {
    EXPECT_EQ(dump_matches({optimisation::make_items(result(c.result), m)}), c.items) << c.result;
  }
}

TEST_F(ItemsTest, ResultsWithoutItemsAreDropped) {
  ScriptedMatcher m;
  m.results = {result("B1@b E1@b"), result("B1@a E1@b"), result("B2@c E2@e")};
  EXPECT_EQ(dump_matches(optimisation::make_matches(m)), "1:a-b | 2:c-e");
}

// Pruning. Every case is run in every order of its matches: which matches
// survive never depends on the order the matcher found them in.
TEST_F(ItemsTest, PruningKeepsTheSameSurvivorsInEveryOrder) {
  struct Case {
    const char* what;
    std::vector<const char*> matches;  // items "index:begin-end", "*" shortest
    std::set<std::string> survivors;   // dumped matches
  };
  const std::vector<Case> cases = {
      {"the longer of two matches", {"1:a-b", "1:a-c"}, {"1:a-c"}},
      {"the shorter when the capture asks for it", {"1:a-b*", "1:a-c*"}, {"1:a-b*"}},
      {"the covering one of three, one shortest", {"1:a-b", "1:a-d", "1:a-c*"}, {"1:a-d"}},
      {"three items against two", {"1:a-d 2:a-b", "1:a-d 2:a-b 3:c-d"}, {"1:a-d 2:a-b 3:c-d"}},
      {"three items against two twice",
       {"1:a-d 2:a-b 3:c-d", "1:a-c 2:a-b", "1:a-e 2:b-c"},
       {"1:a-d 2:a-b 3:c-d"}},
      {"crossing second items", {"1:a-e 2:b-d", "1:a-e 2:c-e"}, {"1:a-e 2:b-d", "1:a-e 2:c-e"}},
      {"a later crossing pair does not decide once an earlier pair did",
       {"1:a-c 2:b-d", "1:a-d 2:c-e"},
       {"1:a-d 2:c-e"}},
      {"different starts never compete", {"1:a-b", "1:b-e"}, {"1:a-b", "1:b-e"}},
      {"different captures do not compete", {"1:a-c", "2:a-b"}, {"1:a-c", "2:a-b"}},
      {"different captures, and a third the first covers",
       {"1:a-d", "2:a-b", "1:a-c"},
       {"1:a-d", "2:a-b"}},
  };
  // A match from blank-separated items.
  auto parse = [this](const std::string& text) {
    Match match;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      const size_t colon = word.find(':');
      const size_t dash = word.find('-');
      const bool shortest = word.back() == '*';
      const std::string end =
          word.substr(dash + 1, word.size() - dash - 1 - (shortest ? 1 : 0));
      match.push_back(Item{static_cast<unsigned>(std::stoul(word.substr(0, colon))),
                           at(word.substr(colon + 1, dash - colon - 1)), at(end),
                           shortest ? "@match=\"shortest\"" : "", shortest});
    }
    return match;
  };
  for (const Case& c : cases) {
    std::vector<size_t> order(c.matches.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    do {
      std::vector<Match> matches;
      std::string written;
      for (size_t i : order) {
        matches.push_back(parse(c.matches[i]));
        written += std::string(written.empty() ? "" : " | ") + c.matches[i];
      }
      optimisation::prune(matches);
      std::set<std::string> survivors;
      for (const Match& match : matches) {
        std::string text;
        for (const Item& item : match) {
          text += (text.empty() ? "" : " ") + std::to_string(item.index) + ":" +
                  name_of(item.begin) + "-" + name_of(item.end) + (item.shortest ? "*" : "");
        }
        survivors.insert(text);
      }
      EXPECT_EQ(survivors, c.survivors) << c.what << ": " << written;
    } while (std::next_permutation(order.begin(), order.end()));
  }
}

TEST_F(ItemsTest, OfTwoEqualMatchesTheOneEndingOnAnEndAnnotationIsKeptElseTheLater) {
  // "]Sentence" and "$" both start at the sentence's end.
  struct Case {
    const char* first_end;
    const char* second_end;
    const char* kept;  // "first" or "second"
  };
  const std::vector<Case> cases = {
      {"]Sentence", "$", "first"},
      {"$", "]Sentence", "second"},
      {"]Sentence", "]Sentence", "second"},
      {"e", "e", "second"},
  };
  for (const Case& c : cases) {
    std::vector<Match> matches = {{Item{1, at("a"), at(c.first_end), "@first", false}},
                                  {Item{1, at("a"), at(c.second_end), "@second", false}}};
    optimisation::prune(matches);
    ASSERT_EQ(matches.size(), 1u) << c.first_end << " " << c.second_end;
    EXPECT_EQ(matches[0][0].attributes, std::string("@") + c.kept)
        << c.first_end << " " << c.second_end;
  }
}

// A rule that only has an id and attributes.
class NamedRule : public RuleInterface {
 public:
  NamedRule(std::string id, std::map<std::string, std::string> attributes)
      : id_(std::move(id)), attributes_(std::move(attributes)) {}
  const std::string& id() const override { return id_; }
  const std::string& attribute(const std::string& key) const override {
    static const std::string kNone;
    auto found = attributes_.find(key);
    return found == attributes_.end() ? kNone : found->second;
  }
  bool is_candidate(const Sentence*) const override { return true; }
  std::shared_ptr<matcher::MatcherInterface> get_matcher() override { return nullptr; }
  std::shared_ptr<afst::AFst> bitset_fsm() const override { return nullptr; }

 private:
  std::string id_;
  std::map<std::string, std::string> attributes_;
};

// Records the inserter's calls as "URI[begin,end)^parent {attributes}" and
// answers with concepts of its own, or null for the URIs it refuses.
class RecordingInserter : public IAddConcept {
 public:
  Concept* operator()(RawPtrIterator, RawPtrIterator, const std::string&, const std::string&,
                      Concept*, const std::string&) override {
    ADD_FAILURE() << "the iterator form is not used";
    return nullptr;
  }
  Concept* operator()(const Annotation* begin, const Annotation* end, const std::string& uri,
                      const std::string& attributes, Concept* parent,
                      const std::string& rule) override {
    std::string call = uri + "[" + name_of(begin) + "," + name_of(end) + ")";
    if (parent != nullptr) call += "^" + parent->uri;
    if (!attributes.empty()) call += " " + attributes;
    EXPECT_EQ(rule, "rule_r");
    calls.push_back(call);
    if (refused.count(uri) != 0) return nullptr;
    // The concept ends where the last token before `end` ends.
    made.push_back(std::make_unique<Concept>(begin->begin, end->prev->end, uri));
    return made.back().get();
  }

  std::vector<std::string> calls;
  std::set<std::string> refused;
  std::vector<std::unique_ptr<Concept>> made;
};

class InsertionTest : public ::testing::Test {
 protected:
  void SetUp() override { load("{}"); }

  void load(const std::string& analyzer_options) {
    blackboard = zel::testing::make_blackboard("{}", analyzer_options);
    document = build_document("[X a b] c d e");
    zel::testing::load_document(*blackboard, document);
    domain->concept_names = {{1, "Pair"}, {2, "First"}, {3, "Second"}};
  }
  const AnnotationCollection& list() const {
    return static_cast<const Sentence*>(document.sentences->head)->annotations;
  }
  Item item(unsigned index, const std::string& begin, const std::string& end,
            const std::string& attributes = "") {
    return Item{index, find(list(), begin), find(list(), end), attributes, false};
  }
  std::string insert(const std::vector<Match>& matches, RuleInterface* rule = nullptr) {
    NamedRule plain("rule_r", {});
    ExecuteCandidatesBase executor(*blackboard, domain, inserter);
    executor.insert_optimized_results(matches, rule != nullptr ? rule : &plain);
    std::string out;
    for (const std::string& call : inserter.calls) out += (out.empty() ? "" : "; ") + call;
    inserter.calls.clear();
    return out;
  }

  std::unique_ptr<Blackboard> blackboard;
  zel::testing::TestDocument document;
  std::shared_ptr<DomainFacade> domain = std::make_shared<DomainFacade>("dom");
  RecordingInserter inserter;
};

TEST_F(InsertionTest, ItemsGoUnderTheInnermostConceptOfTheMatchThatReachesThem) {
  struct Case {
    const char* what;
    std::vector<std::vector<Item>> matches;
    std::set<std::string> refused;
    const char* calls;
  };
  // The list: [Sentence [X a b ]X c d e ]Sentence $.
  const std::vector<Case> cases = {
      {"nested items",
       {{item(1, "a", "c"), item(2, "a", "b"), item(3, "b", "]X")}},
       {},
       "Pair[a,c); First[a,b)^Pair; Second[b,]X)^Pair"},
      {"an item after the parent's end has none",
       {{item(2, "a", "b"), item(3, "c", "d")}},
       {},
       "First[a,b); Second[c,d)"},
      {"under a parent, a begin at an end annotation moves past it",
       {{item(1, "a", "e"), item(3, "]X", "e")}},
       {},
       "Pair[a,e); Second[c,e)^Pair"},
      {"a first item keeps its begin", {{item(3, "]X", "d")}}, {}, "Second[]X,d)"},
      {"a refused item without parent ends its match, not the next",
       {{item(1, "a", "c"), item(2, "a", "b")}, {item(3, "d", "e")}},
       {"Pair"},
       "Pair[a,c); Second[d,e)"},
      {"a refused item under a parent does not",
       {{item(1, "a", "e"), item(2, "a", "b"), item(3, "c", "d")}},
       {"First"},
       "Pair[a,e); First[a,b)^Pair; Second[c,d)^Pair"},
      {"a capture index without a concept name", {{item(9, "a", "b")}}, {}, "[a,b)"},
      {"attributes pass unchanged", {{item(2, "a", "b", "@kind=\"x\"")}}, {},
       "First[a,b) @kind=\"x\""},
  };
  for (const Case& c : cases) {
    inserter.refused = c.refused;
    EXPECT_EQ(insert(c.matches), c.calls) << c.what;
  }
}

TEST_F(InsertionTest, RuleInformationNamesTheRuleInEveryItem) {
  NamedRule located("rule_r", {{"debug_info", "src:3"}});
  NamedRule unlocated("rule_r", {});
  auto matches = [this] {
    return std::vector<Match>{{item(1, "a", "e"), item(2, "c", "d", "@kind=\"x\"")}};
  };
  EXPECT_EQ(insert(matches(), &located), "Pair[a,e); First[c,d)^Pair @kind=\"x\"");
  load(R"({"dbg": "rule_info"})");
  blackboard->file_names["src"] = "/k/rules.kav";
  EXPECT_EQ(insert(matches(), &located),
            "Pair[a,e) @_rule=\"file://k/rules.kav:3\"; "
            "First[c,d)^Pair @kind=\"x\";_rule=\"file://k/rules.kav:3\"");
  EXPECT_EQ(insert(matches(), &unlocated), "Pair[a,e); First[c,d)^Pair @kind=\"x\"");
}

// Rules of one collection run by the executor itself, over "x y y".
//   A: ( 'x' 'y' )   B: ( 'x' )   C: ( 'y' )   D: ( A )
const char* const kRules =
    "concept A B C D\n"
    "token 1 literal=x\n"
    "token 2 literal=y\n"
    "rule text=rule:A ns=grammar group=pg-1 line=1\n"
    "  path CAPBEG:A TK:1 TK:2 CAPEND:A\n  bitset path TK:1\n"
    "rule text=rule:B ns=grammar group=pg-2 line=2\n"
    "  path CAPBEG:B TK:1 CAPEND:B\n  bitset path TK:1\n"
    "rule text=rule:C ns=grammar group=pg-3 line=3\n"
    "  path CAPBEG:C TK:2 CAPEND:C\n  bitset path TK:2\n"
    "rule text=rule:D ns=grammar group=pg-4 line=4\n"
    "  path CAPBEG:D CNCPT:A CAPEND:D\n  bitset path TK:1\n";

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() : run(kRules) {}

  // The rules in that order (by their text) as a list of the class.
  template <class List>
  List rules(const std::string& names) {
    List list;
    for (char name : names) {
      for (const auto& rule : run.domain->rule_collections.front().second.rules) {
        if (rule->id().back() == name) list.push_back(rule.get());
      }
    }
    return list;
  }
  template <class List>
  std::string execute(const std::string& names, const std::string& document_options = "{}",
                      const std::string& analyzer_options = "{}") {
    run.load("x y y", document_options, analyzer_options);
    ExecuteCandidatesBase executor(*run.blackboard, run.domain, *run.blackboard->collector);
    const auto& sentence = static_cast<const Sentence*>(run.document.sentences->head)->annotations;
    executor.dispatch_match_type(rules<List>(names), sentence);
    return run.dump();
  }

  testing::DomainRun run;
};

TEST_F(DispatchTest, PlainRulesEachRunOverTheSentenceSeeingWhatTheOnesBeforeInserted) {
  EXPECT_EQ(execute<RuleCandidateCollection>("ABCD"),
            "[Sentence [D [A [B x ]B [C y ]C,D,A [C y ]C,Sentence $");
  EXPECT_EQ(execute<RuleCandidateCollection>("DABC"),
            "[Sentence [A [B x ]B [C y ]C,A [C y ]C,Sentence $");
}

TEST_F(DispatchTest, InAPriorityGroupTheFirstRuleMatchingAtAPositionWins) {
  // A wins at x over B; the walk resumes after A's match, at the second y.
  EXPECT_EQ(execute<PriorityGroupRuleCandidateCollection>("ABC"),
            "[Sentence [A x y ]A [C y ]C,Sentence $");
  EXPECT_EQ(execute<PriorityGroupRuleCandidateCollection>("BAC"),
            "[Sentence [B x ]B [C y ]C [C y ]C,Sentence $");
}

TEST_F(DispatchTest, EveryTryOfARuleIsTimed) {
  execute<PriorityGroupRuleCandidateCollection>("ABC", R"({"profiler": true})");
  const profiler::Profiler& profiler = *run.blackboard->profiler;
  // Positions: [Sentence, x (A wins), the second y (C wins), ]C, $.
  std::map<std::string, uint32_t> counts;
  for (const auto& [name, info] : profiler.timings) counts[name.substr(name.size() - 1)] = info.count;
  EXPECT_EQ(counts, (std::map<std::string, uint32_t>{{"A", 5}, {"B", 4}, {"C", 4}}));
}

TEST_F(DispatchTest, TheRuleTriggerFlagAnnouncesEveryRuleOfAPriorityGroup) {
  const uint32_t before = global_debug_rule_counter;
  const std::string out = zel::testing::capture_stdout([&] {
    execute<PriorityGroupRuleCandidateCollection>("BA", "{}", R"({"dbg": "rule_trigger"})");
  });
  const std::string line(54, '=');
  const auto& rules = run.domain->rule_collections.front().second.rules;
  EXPECT_EQ(out, line + "\nMATCH RULE:(" + std::to_string(before + 1) + "):" + rules[1]->id() +
                     "\n" + line + "\nMATCH RULE:(" + std::to_string(before + 2) +
                     "):" + rules[0]->id() + "\n");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
