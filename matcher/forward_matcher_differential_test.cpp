// The forward matcher against the afst matcher.
//
// Which of the two runs a single-path rule is a matter of the optimisation
// switch, so both must give the same results for every rule the compiler
// may hand to the forward matcher: tokens (with properties), any-tokens,
// whole concepts (with attribute conditions), captures with and without
// markers, adjacency and gaps, no capture right after a gap. Random rules of
// that shape are written twice, once for each matcher, and run over random
// sentences with tokens holding several ids, stacked concepts of one span,
// nested concepts and deleted concepts: `match` over the whole sentence and
// an anchored `match_location` at every position must give the same
// results, entry by entry. The generator is seeded, so a failure comes back
// on every run; its message holds the rule and the sentence.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/document_testutil.h"
#include "matcher/afst_matcher.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/forward_matcher.h"
#include "matcher/forward_rule_facade.h"
#include "matcher/match_dump_testutil.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace {

using FI = FilteredIterator;

constexpr uint32_t kSeed = 20261211;
constexpr int kRules = 700;
constexpr int kSentencesPerRule = 6;
// Concept URIs and their rule-input ids; "Z" has none.
const char* const kConcepts[] = {"A", "B", "Z"};
constexpr unsigned kTokenIds = 3;
constexpr unsigned kConceptIds = 2;

class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  // 0 .. n-1.
  unsigned below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(engine_); }
  bool chance(unsigned percent) { return below(100) < percent; }

 private:
  std::mt19937 engine_;
};

// A rule as the compiled-domain writer's path items, and the compiler's
// top-level label for the afst record.
struct RuleText {
  std::vector<std::string> items;
  std::string top_level;
};

class RuleGenerator {
 public:
  explicit RuleGenerator(Random& random) : random_(random) {}

  RuleText make() {
    for (;;) {
      RuleText rule;
      items_ = &rule.items;
      top_level_ = &rule.top_level;
      after_gap_ = false;
      consumes_ = false;
      next_capture_ = 2;
      rule.items.push_back("CAPBEG:1");
      elements(1 + random_.below(4), 0);
      rule.items.push_back("CAPEND:1");
      marker();
      if (consumes_) return rule;
    }
  }

 private:
  void elements(unsigned count, int depth) {
    for (unsigned n = 0; n < count; ++n) element(depth);
  }

  void element(int depth) {
    const unsigned pick = random_.below(100);
    if (pick < 35) {
      token();
    } else if (pick < 60) {
      concept_reference();
    } else if (pick < 80) {
      items_->push_back("SHRTMATCH");
      after_gap_ = true;
    } else if (depth < 2 && !after_gap_) {
      // A capture right after a gap would make the rule one for the afst
      // matcher only.
      const std::string id = std::to_string(next_capture_++);
      items_->push_back("CAPBEG:" + id);
      elements(1 + random_.below(3), depth + 1);
      items_->push_back("CAPEND:" + id);
      marker();
    } else {
      token();
    }
  }

  void token() {
    consumes_ = true;
    after_gap_ = false;
    if (random_.chance(20)) {
      first("ANYTK");
      return;
    }
    first("TK:" + std::to_string(1 + random_.below(kTokenIds)));
    // Properties in sorted order, as the compiler writes them.
    if (random_.chance(25)) items_->push_back("PROP+cap");
    if (random_.chance(25)) items_->push_back("PROP+past");
  }

  void concept_reference() {
    consumes_ = true;
    after_gap_ = false;
    first("CNCPT:" + std::to_string(1 + random_.below(kConceptIds)));
    static const char* const kConditions[] = {"ATT@k=\"v\"", "ATT@k=\"w\"", "ATT@k=/v.*/",
                                              "ATT@_contains=\"t1\""};
    if (random_.chance(35)) items_->push_back(kConditions[random_.below(4)]);
  }

  void marker() {
    static const char* const kMarkers[] = {"@kind=x", "@match=\"shortest\"", "@m"};
    const unsigned pick = random_.below(10);
    if (pick < 2) items_->push_back(kMarkers[0]);
    else if (pick < 4) items_->push_back(kMarkers[1]);
    else if (pick < 5) items_->push_back(kMarkers[2]);
  }

  // Records the first consuming step as the top-level label.
  void first(const std::string& item) {
    items_->push_back(item);
    if (top_level_->empty()) *top_level_ = item;
  }

  Random& random_;
  std::vector<std::string>* items_ = nullptr;
  std::string* top_level_ = nullptr;
  bool after_gap_ = false;
  bool consumes_ = false;
  unsigned next_capture_ = 2;
};

// A sentence in the document helper's text form, with the rule-input ids
// of its tokens and the concepts to delete.
struct SentenceText {
  std::string text;
  std::vector<std::vector<unsigned>> token_ids;  // by token number
  std::vector<size_t> deleted;                   // concept numbers, document order, "Sentence" is 0
  size_t concepts = 0;

  std::string compact() const {
    std::ostringstream out;
    out << text << "  ids:";
    for (size_t t = 0; t < token_ids.size(); ++t) {
      if (token_ids[t].empty()) continue;
      out << " t" << t << "=";
      for (size_t k = 0; k < token_ids[t].size(); ++k) out << (k ? "," : "") << token_ids[t][k];
    }
    out << "  deleted concepts (1 is the first after Sentence):";
    for (size_t c : deleted) out << " " << c;
    return out.str();
  }
};

class SentenceGenerator {
 public:
  explicit SentenceGenerator(Random& random) : random_(random) {}

  SentenceText make() {
    SentenceText s;
    sentence_ = &s;
    const unsigned count = 3 + random_.below(6);
    for (unsigned n = 0; n < count; ++n) {
      if (n > 0) s.text += " ";
      item(0);
    }
    for (size_t c = 1; c <= s.concepts; ++c) {
      if (random_.chance(15)) s.deleted.push_back(c);
    }
    return s;
  }

 private:
  void item(int depth) {
    if (depth < 3 && random_.chance(30)) {
      concept_bracket(depth);
    } else {
      token();
    }
  }

  void concept_bracket(int depth) {
    SentenceText& s = *sentence_;
    ++s.concepts;
    s.text += std::string("[") + kConcepts[random_.below(3)];
    if (random_.chance(50)) s.text += random_.chance(50) ? "{k=v}" : "{k=w}";
    s.text += " ";
    if (random_.chance(25)) {
      // Stacked: a second concept over the same span.
      concept_bracket(depth + 1);
    } else {
      const unsigned count = 1 + random_.below(3);
      for (unsigned n = 0; n < count; ++n) {
        if (n > 0) s.text += " ";
        item(depth + 1);
      }
    }
    s.text += "]";
  }

  void token() {
    SentenceText& s = *sentence_;
    s.text += "t" + std::to_string(s.token_ids.size());
    if (random_.chance(25)) s.text += "{cap}";
    if (random_.chance(25)) s.text += "/V+past";
    std::vector<unsigned> ids;
    const unsigned count = random_.below(3);
    for (unsigned n = 0; n < count; ++n) ids.push_back(1 + random_.below(kTokenIds));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    s.token_ids.push_back(ids);
  }

  Random& random_;
  SentenceText* sentence_ = nullptr;
};

std::string path_text(const RuleText& rule) {
  std::string out;
  for (const std::string& item : rule.items) out += (out.empty() ? "" : " ") + item;
  return out;
}

// The document of a sentence with its ids pushed and its concepts deleted.
class SentenceRun {
 public:
  explicit SentenceRun(const SentenceText& s) : document_(zel::testing::build_document(s.text)) {
    size_t token = 0;
    size_t concept_number = 0;
    for (Annotation* a : list()) {
      if (Token* t = annotation_cast<Token>(a)) {
        for (unsigned id : s.token_ids.at(token)) t->push(id);
        ++token;
      } else if (Concept* c = annotation_cast<Concept>(a)) {
        for (unsigned id = 1; id <= kConceptIds; ++id) {
          if (c->uri == kConcepts[id - 1]) c->push(id);
        }
        if (std::find(s.deleted.begin(), s.deleted.end(), concept_number) != s.deleted.end()) {
          c->flags.set(kDeleted);
        }
        ++concept_number;
      }
    }
  }

  AnnotationCollection& list() {
    return zel::testing::sentence_at(*document_.sentences, 0)->annotations;
  }
  FI begin() { return filtered(list().begin(), list().end()); }
  FI end() { return filtered(list().end(), list().end()); }

 private:
  zel::testing::TestDocument document_;
};

bool below_limit(const MatchResults& results) {
  const int32_t limit = afst::result_limit();
  return limit < 0 || results.size() < static_cast<size_t>(limit);
}

TEST(ForwardMatcherDifferential, GivesTheResultsOfTheAfstMatcher) {
  Random random(kSeed);
  RuleGenerator rules(random);
  std::vector<RuleText> texts;
  std::string domain;
  for (int r = 0; r < kRules; ++r) {
    texts.push_back(rules.make());
    const std::string path = path_text(texts.back());
    domain += "rule text=f" + std::to_string(r) + " rt=2\n  path " + path + "\n";
    domain += "rule text=a" + std::to_string(r) + " rt=1\n  path " + path + "\n";
    // The compiler's top-level ids; an any-token first gives none.
    if (texts.back().top_level != "ANYTK") domain += "  tlb " + texts.back().top_level + "\n";
  }
  testing::ScratchDomain d(domain);

  SentenceGenerator sentences(random);
  int failures = 0;
  for (int r = 0; r < kRules && failures < 5; ++r) {
    forward::RuleFacade forward_rule(d.db(), d.rule(2 * r), {});
    afst::RuleFacade afst_rule(d.db(), d.rule(2 * r + 1), {});
    auto forward = forward_rule.get_matcher();
    auto afst = afst_rule.get_matcher();
    for (int n = 0; n < kSentencesPerRule && failures < 5; ++n) {
      const SentenceText sentence = sentences.make();
      SentenceRun run(sentence);
      auto differ = [&](const std::string& call) {
        if (!below_limit(afst->matches())) return;
        if (forward->matches() == afst->matches()) return;
        ++failures;
        ADD_FAILURE() << call << " differs\n  rule:     " << path_text(texts[r])
                      << "\n  sentence: " << sentence.compact()
                      << "\n  forward:  " << testing::dump_matches(*forward)
                      << "\n  afst:     " << testing::dump_matches(*afst);
      };
      forward->clear();
      afst->clear();
      forward->match(run.begin(), run.end());
      afst->match(run.begin(), run.end());
      differ("match");
      int position = 0;
      for (FI x = run.begin(); x != run.end(); ++x, ++position) {
        forward->clear();
        afst->clear();
        forward->match_location(x, run.end(), true);
        afst->match_location(x, run.end(), true);
        differ("match_location at " + std::to_string(position) + " (" +
               testing::annotation_name(x.base().get()) + ")");
      }
    }
  }
}

}  // namespace
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
