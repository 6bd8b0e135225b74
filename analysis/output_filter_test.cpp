#include "analysis/output_filter.h"

#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

TEST(OutputFilter, EveryNamePassesUntilBuilt) {
  OutputFilter filter;
  EXPECT_TRUE(filter.has("Person"));
  EXPECT_TRUE(filter.has(""));
  filter.add("Person");
  EXPECT_TRUE(filter.has("City"));
}

TEST(OutputFilter, BuiltWithoutNamesPassesOnlyTheEmptyName) {
  OutputFilter filter;
  filter.build();
  EXPECT_TRUE(filter.has(""));
  EXPECT_FALSE(filter.has("Person"));
}

TEST(OutputFilter, MatchesWholeNames) {
  struct Case {
    std::vector<std::string> names;
    std::string name;
    bool passes;
  };
  const Case cases[] = {
      {{"City", "Person"}, "Person", true},
      {{"City", "Person"}, "City", true},
      {{"City", "Person"}, "PersonGiv", false},
      {{"City", "Person"}, "Sentence", false},
      {{"/Per.*/"}, "PersonGiv", true},
      {{"/Per.*/"}, "/PersonGiv/", false},
      {{"/Person", "City/"}, "Person", true},
      {{"/Person", "City/"}, "City", true},
      {{"/Person", "City/"}, "/Person", false},
      {{"Ci[sx]y"}, "Cisy", true},
      {{"Ci[sx]y"}, "City", false},
      {{"/"}, "/", true},
  };
  for (const Case& c : cases) {
    OutputFilter filter;
    for (const std::string& n : c.names) filter.add(n);
    filter.build();
    EXPECT_EQ(filter.has(c.name), c.passes)
        << c.name << " against " << c.names.front();
  }
}

TEST(OutputFilter, NamesAreASortedSet) {
  OutputFilter filter;
  for (const char* n : {"b", "a", "b", "Sentence"}) filter.add(n);
  std::vector<std::string> names(filter.begin(), filter.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Sentence", "a", "b"}));
}

TEST(OutputFilter, LaterNamesCountOnlyAfterTheNextBuild) {
  OutputFilter filter;
  filter.add("City");
  filter.build();
  filter.add("Person");
  EXPECT_FALSE(filter.has("Person"));
  EXPECT_EQ(std::distance(filter.begin(), filter.end()), 2);
  filter.build();
  EXPECT_TRUE(filter.has("Person"));
}

TEST(OutputFilter, AFailedBuildKeepsTheFilterBefore) {
  OutputFilter filter;
  filter.add("City");
  filter.build();
  filter.add("[z-a]");
  EXPECT_ANY_THROW(filter.build());
  EXPECT_TRUE(filter.has("City"));
  EXPECT_FALSE(filter.has("Town"));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
