#include "analysis/lookup_cache.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

using Answer = std::vector<std::string>;

TEST(LookupCache, KeepsTheFirstAnswerOfEachLookup) {
  LookupCache cache;
  core::ILookupCache& view = cache;
  EXPECT_EQ(view.lookup(1, "dogs"), nullptr);
  view.add(1, "dogs", Answer{"dog+Nn-Pl"});
  view.add(1, "dogs", Answer{"dogs+V-Pres-3-Sg"});
  const Answer* found = view.lookup(1, "dogs");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, Answer{"dog+Nn-Pl"});
  EXPECT_EQ(view.lookup(1, "Dogs"), nullptr);
  EXPECT_EQ(view.lookup(1, "dog"), nullptr);
}

TEST(LookupCache, LookupsDoNotSeeEachOthersAnswers) {
  LookupCache cache;
  cache.add(1, "runs", Answer{"run+V-Pres-3-Sg"});
  EXPECT_EQ(cache.lookup(2, "runs"), nullptr);
  cache.add(2, "runs", Answer{"run+Nn-Pl"});
  EXPECT_EQ(*cache.lookup(1, "runs"), Answer{"run+V-Pres-3-Sg"});
  EXPECT_EQ(*cache.lookup(2, "runs"), Answer{"run+Nn-Pl"});
}

TEST(LookupCache, AnswersStayPutWhileOthersAreAdded) {
  LookupCache cache;
  cache.add(7, "w0", Answer{"a0"});
  const Answer* first = cache.lookup(7, "w0");
  for (int i = 1; i < 200; ++i) {
    cache.add(7 + i % 3, "w" + std::to_string(i), Answer{"a" + std::to_string(i)});
  }
  EXPECT_EQ(cache.lookup(7, "w0"), first);
  EXPECT_EQ(*first, Answer{"a0"});
  EXPECT_EQ(*cache.lookup(7 + 199 % 3, "w199"), Answer{"a199"});
}

TEST(LookupCache, ClearForgetsEveryWord) {
  LookupCache cache;
  cache.add(1, "a", Answer{"1"});
  cache.add(2, "b", Answer{"2"});
  cache.clear();
  EXPECT_EQ(cache.lookup(1, "a"), nullptr);
  EXPECT_EQ(cache.lookup(2, "b"), nullptr);
  cache.add(1, "a", Answer{"3"});
  EXPECT_EQ(*cache.lookup(1, "a"), Answer{"3"});
}

}  // namespace
}  // namespace kavero
}  // namespace zel
