// The match driver (match_ids) running a domain over one encoded document,
// on one core.
//
// The domain is generated: N simple rules, each two or three token steps
// under one capture, in collections of about 40 rules over the clusters
// "grammar", "entities" and namespaces of no cluster, every seventh
// collection a priority group; the token encoder gives an id to every word
// the rules use. The document is about 10,000 tokens in sentences of 15 to
// 25 words of a vocabulary in which the rules' words are rare: a word is
// one of them with a chance of 3 in 100, and one sentence in ten holds the
// whole phrase of some rule, so rules do match. Every iteration runs on a
// fresh copy of the document, built, loaded and encoded outside the timed
// region.
//
// Every N runs twice: with the rules marked for the transducer matcher
// (rt=1) and for the forward matcher (rt=2).
//
// The series over N = 10, 100, 1,000 and 10,000 rules should cost close to
// the same time per token (rules that cannot match a sentence cost next to
// nothing), and with 1,000 rules the counter "tokens/s" should reach 1
// million, so that running a domain costs no more than analysing the text.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"
#include "domain/domain_loader.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/match_driver.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace kavero {
namespace {

class Random {
 public:
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t below(uint32_t n) { return next() % n; }

 private:
  uint64_t state_ = 20261211;
};

std::string rare_word(uint32_t n) { return "r" + std::to_string(n) + "x"; }
std::string common_word(uint32_t n) { return "w" + std::to_string(n); }

constexpr uint32_t kCommonWords = 400;
constexpr uint32_t kRulesPerCollection = 40;
constexpr size_t kDocumentTokens = 10000;

struct Workload {
  std::string domain_text;
  std::string document_text;
  size_t tokens = 0;
};

// `rt` is the rule type every rule is marked with: 1 the transducer
// matcher, 2 the forward matcher.
Workload make_workload(uint32_t rules, int rt) {
  Random random;
  Workload work;
  const uint32_t rare_words = 2 * rules + 10;
  const uint32_t collections = rules / kRulesPerCollection + 1;
  std::string concepts = "concept";
  for (uint32_t c = 0; c < collections; ++c) concepts += " K" + std::to_string(c);
  work.domain_text = concepts + "\n";
  for (uint32_t w = 0; w < rare_words; ++w) {
    work.domain_text += "token " + std::to_string(w + 1) + " literal=" + rare_word(w) + "\n";
  }
  std::vector<std::vector<uint32_t>> phrases;
  for (uint32_t r = 0; r < rules; ++r) {
    const uint32_t c = r * collections / rules;
    std::string ns;
    switch (c % 3) {
      case 0: ns = "grammar,g" + std::to_string(c); break;
      case 1: ns = "entities,e" + std::to_string(c); break;
      default: ns = "topic" + std::to_string(c); break;
    }
    std::vector<uint32_t> words(2 + random.below(2));
    for (uint32_t& w : words) w = random.below(rare_words);
    std::string steps;
    for (uint32_t w : words) steps += " TK:" + std::to_string(w + 1);
    const std::string capture = "K" + std::to_string(c);
    work.domain_text += "rule text=rule:r" + std::to_string(r) + " ns=" + ns;
    if (rt != 1) work.domain_text += " rt=" + std::to_string(rt);
    if (c % 7 == 6) work.domain_text += " group=pg" + std::to_string(c) + "-" + std::to_string(r);
    work.domain_text += "\n  path CAPBEG:" + capture + steps + " CAPEND:" + capture +
                        "\n  bitset path" + steps + "\n";
    phrases.push_back(words);
  }
  while (work.tokens < kDocumentTokens) {
    const uint32_t length = 15 + random.below(11);
    const bool with_phrase = random.below(10) == 0;
    const uint32_t phrase_at = random.below(length);
    std::string sentence;
    for (uint32_t i = 0; i < length; ++i) {
      if (with_phrase && i == phrase_at) {
        for (uint32_t w : phrases[random.below(rules)]) {
          sentence += rare_word(w) + " ";
          ++work.tokens;
        }
      }
      sentence += (random.below(100) < 3 ? rare_word(random.below(rare_words))
                                         : common_word(random.below(kCommonWords))) +
                  " ";
      ++work.tokens;
    }
    sentence.back() = '\n';
    work.document_text += sentence;
  }
  return work;
}

void BM_MatchIds(benchmark::State& state) {
  const Workload work =
      make_workload(static_cast<uint32_t>(state.range(0)), static_cast<int>(state.range(1)));
  zel::testing::ScratchFolder folder;
  testing::write_compiled_domain(work.domain_text, folder.path() / "d.dom");
  auto domain = std::make_shared<DomainFacade>("d");
  if (!load_domain(*domain, {folder.str()}, "d")) {
    state.SkipWithError("the domain was not loaded");
    return;
  }
  const std::set<std::string> all;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard();
    zel::testing::TestDocument document = zel::testing::build_document(work.document_text);
    zel::testing::load_document(*blackboard, document);
    blackboard->set_current_domain(domain);
    encode_stream(*blackboard, domain);
    state.ResumeTiming();
    match_ids(*blackboard, domain, all);
    state.PauseTiming();
    blackboard.reset();
    document = zel::testing::TestDocument();
    state.ResumeTiming();
  }
  state.counters["rules"] = static_cast<double>(state.range(0));
  state.counters["rt"] = static_cast<double>(state.range(1));
  state.counters["tokens"] = static_cast<double>(work.tokens);
  state.counters["tokens/s"] = benchmark::Counter(static_cast<double>(work.tokens),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MatchIds)
    ->ArgNames({"rules", "rt"})
    ->ArgsProduct({{10, 100, 1000, 10000}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavero
}  // namespace zel
