#include "analysis/lookup_cache.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

using Answer = std::vector<std::string>;

TEST(LookupCache, KeepsTheFirstAnswer) {
  LookupCache cache;
  core::ILookupCache& view = cache;
  EXPECT_EQ(view.lookup("dogs"), nullptr);
  view.add("dogs", Answer{"dog+Nn-Pl"});
  view.add("dogs", Answer{"dogs+V-Pres-3-Sg"});
  const Answer* found = view.lookup("dogs");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, Answer{"dog+Nn-Pl"});
  EXPECT_EQ(view.lookup("Dogs"), nullptr);
  EXPECT_EQ(view.lookup("dog"), nullptr);
}

TEST(LookupCache, AnswersStayPutWhileOthersAreAdded) {
  LookupCache cache;
  cache.add("w0", Answer{"a0"});
  const Answer* first = cache.lookup("w0");
  for (int i = 1; i < 200; ++i) {
    cache.add("w" + std::to_string(i), Answer{"a" + std::to_string(i)});
  }
  EXPECT_EQ(cache.lookup("w0"), first);
  EXPECT_EQ(*first, Answer{"a0"});
  EXPECT_EQ(*cache.lookup("w199"), Answer{"a199"});
}

TEST(LookupCache, ClearForgetsEveryWord) {
  LookupCache cache;
  cache.add("a", Answer{"1"});
  cache.add("b", Answer{"2"});
  cache.clear();
  EXPECT_EQ(cache.lookup("a"), nullptr);
  EXPECT_EQ(cache.lookup("b"), nullptr);
  cache.add("a", Answer{"3"});
  EXPECT_EQ(*cache.lookup("a"), Answer{"3"});
}

}  // namespace
}  // namespace kavero
}  // namespace zel
