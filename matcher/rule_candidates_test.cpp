#include "matcher/rule_candidates.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "matcher/candidate_index.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/make_rule.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {
namespace {

using testing::ScratchDomain;

constexpr uint32_t tk(uint32_t id) { return 0x10000000u | id; }
constexpr uint32_t cncpt(uint32_t id) { return 0x20000000u | id; }

// Rules whose bitset transducers cover the forms the index must get
// right; the rule transducers are not consulted.
const char* const kRules =
    "rule text=always\n  path TK:1\n"
    "rule text=one\n  path TK:1\n  bitset path TK:1\n"
    "rule text=two\n  path TK:1\n  bitset path TK:1 TK:2\n"
    "rule text=concept\n  path TK:1\n  bitset path CNCPT:3\n"
    "rule text=branches\n  path TK:1\n"
    "  bitset arc 0 1 TK:2\n  bitset arc 0 2 TK:4\n  bitset arc 0 1 TK:4\n"
    "  bitset arc 1 3 TK:5\n  bitset arc 2 3 TK:1\n  bitset final 3\n"
    "rule text=never\n  path TK:1\n  bitset arc 0 1 TK:1\n  bitset final 1\n"
    "  bitset start none\n"
    "rule text=again\n  path TK:1\n  bitset path TK:1\n";

class RuleCandidatesTest : public ::testing::Test {
 protected:
  RuleCandidatesTest() : domain_(kRules), collection_("grammar", "grammar", kRuleCollectionId) {
    for (size_t i = 0; i < 7; ++i) {
      collection_.rules.push_back(make_rule(domain_.db(), domain_.rule(i), domain_.attributes(i)));
    }
  }

  // The rule texts of a candidate list, blank-separated.
  static std::string names(const RuleCandidateCollectionBase& list) {
    std::string out;
    for (const RuleInterface* rule : list) {
      if (!out.empty()) out += " ";
      out += rule->id().substr(rule->id().rfind('_') + 1);
    }
    return out;
  }

  // A pool that lists every rule of the collection, as the driver's pool
  // would hold them without the index.
  template <class Pool>
  Pool listed() {
    Pool pool;
    for (const auto& rule : collection_.rules) pool.push_back(rule.get());
    return pool;
  }

  ScratchDomain domain_;
  RuleCollectionBase collection_;
};

// The candidate lists of pass after pass, the sentence's ids growing
// between passes as concepts are added: the pool over the index gives
// exactly the lists of the pool that tests every rule it holds.
TEST_F(RuleCandidatesTest, TheIndexedPoolChoosesExactlyWhatTestingEveryRuleChooses) {
  struct Case {
    const char* what;
    std::vector<std::set<uint32_t>> passes;
    std::vector<std::string> plain;  // candidates per pass, kind 0
    std::string group;               // first pass, kind 1; later passes none
  };
  const std::vector<Case> cases = {
      {"no ids", {{}, {}}, {"always", ""}, "always"},
      {"one id, then the second of a path",
       {{tk(1)}, {tk(1), tk(2)}, {tk(1), tk(2)}},
       {"always one again", "two", ""},
       "always one again"},
      {"a branch through a shared state",
       {{tk(4)}, {tk(4), tk(1)}, {tk(4), tk(1), cncpt(3)}},
       {"always", "one branches again", "concept"},
       "always"},
      {"the other branch, and the kind bits count",
       {{cncpt(1), tk(2), tk(5)}, {cncpt(1), tk(2), tk(5), tk(3)}},
       {"always branches", ""},
       "always branches"},
  };
  for (const Case& c : cases) {
    RuleCandidateCollection indexed(collection_);
    auto plain = listed<RuleCandidateCollection>();
    Sentence sentence(0, 10);
    for (size_t pass = 0; pass < c.passes.size(); ++pass) {
      sentence.ids = c.passes[pass];
      const RuleCandidateCollectionBase from_index = indexed.get_candidates(&sentence);
      const RuleCandidateCollectionBase from_list = plain.get_candidates(&sentence);
      EXPECT_EQ(from_index.kind, 0u);
      EXPECT_EQ(names(from_index), c.plain[pass]) << c.what << ", pass " << pass;
      EXPECT_EQ(names(from_list), c.plain[pass]) << c.what << ", pass " << pass;
    }
    PriorityGroupRuleCandidateCollection group(collection_);
    auto group_listed = listed<PriorityGroupRuleCandidateCollection>();
    for (size_t pass = 0; pass < c.passes.size(); ++pass) {
      sentence.ids = c.passes[pass];
      const RuleCandidateCollectionBase from_index = group.get_candidates(&sentence);
      const RuleCandidateCollectionBase from_list = group_listed.get_candidates(&sentence);
      EXPECT_EQ(from_index.kind, 1u);
      const std::string expected = pass == 0 ? c.group : "";
      EXPECT_EQ(names(from_index), expected) << c.what << ", group pass " << pass;
      EXPECT_EQ(names(from_list), expected) << c.what << ", group pass " << pass;
    }
  }
}

TEST_F(RuleCandidatesTest, IndexedRulesComeBeforeListedOnesAndRemoveTakesTheFirstOfAnId) {
  RuleCandidateCollection pool(collection_);
  pool.push_back(collection_.rules[1].get());  // "one" once more, listed
  auto gone = std::make_shared<RuleCandidateCollectionBase>();
  gone->push_back(collection_.rules[1].get());
  gone->push_back(collection_.rules[0].get());
  pool.remove(gone);
  Sentence sentence(0, 10);
  sentence.ids = {tk(1)};
  EXPECT_EQ(names(pool.get_candidates(&sentence)), "again one");
  EXPECT_TRUE(pool.empty());
}

TEST_F(RuleCandidatesTest, TheCollectionKeepsItsIndexUntilItsRulesChange) {
  const std::shared_ptr<const CandidateIndex> first = collection_.candidate_index();
  EXPECT_EQ(collection_.candidate_index(), first);
  // A copy holds the same rules, so the index still serves it.
  const RuleCollectionBase copy = collection_;
  EXPECT_EQ(copy.candidate_index(), first);
  collection_.rules.pop_back();
  const std::shared_ptr<const CandidateIndex> second = collection_.candidate_index();
  EXPECT_NE(second, first);
  EXPECT_EQ(second->size(), 6u);
  Sentence sentence(0, 10);
  sentence.ids = {tk(1)};
  EXPECT_EQ(names(RuleCandidateCollection(collection_).get_candidates(&sentence)), "always one");
}

TEST(RuleCandidateLists, NewListsFollowTheSourceKind) {
  struct Case {
    uint32_t kind;
    uint32_t new_kind;
    bool v1_made;
  };
  for (const Case& c : std::vector<Case>{{0, 0, true}, {1, 1, true}, {5, 0, false}}) {
    RuleCandidateCollectionBase source(c.kind);
    EXPECT_EQ(make_new_collection(source).kind, c.new_kind) << c.kind;
    const std::shared_ptr<RuleCandidateCollectionBase> v1 = make_new_collection_v1(source);
    ASSERT_EQ(v1 != nullptr, c.v1_made) << c.kind;
    if (v1 != nullptr) {
      EXPECT_EQ(v1->kind, c.kind);
      EXPECT_TRUE(v1->empty());
    }
  }
  // The base takes no candidates.
  RuleCandidateCollectionBase base(1);
  Sentence sentence(0, 1);
  EXPECT_EQ(base.get_candidates(&sentence).kind, 0u);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
