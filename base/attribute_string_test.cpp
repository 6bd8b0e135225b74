#include "base/attribute_string.h"

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zel {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(AttributeString, ReadsPairsInOrder) {
  EXPECT_THAT(string2attributes("a=1;b=x=y;;c"), ElementsAre(Pair("a", "1"), Pair("b", "x=y")));
  EXPECT_THAT(string2attributes(""), ElementsAre());
  EXPECT_THAT(string2attributes("=v"), ElementsAre(Pair("", "v")));
  EXPECT_THAT(string2attributes("k="), ElementsAre(Pair("k", "")));
  EXPECT_THAT(string2attributes(";k=1;k=2;"), ElementsAre(Pair("k", "1"), Pair("k", "2")));
  EXPECT_THAT(string2attributes(" a = 1 "), ElementsAre(Pair(" a ", " 1 ")));
}

TEST(AttributeString, ReadsFromAPointerAndALength) {
  const char bytes[] = "a=1;b=2;c=3";
  EXPECT_THAT(string2attributes(bytes, 7), ElementsAre(Pair("a", "1"), Pair("b", "2")));
  EXPECT_THAT(string2attributes(nullptr, 0), ElementsAre());
}

TEST(AttributeString, GetAttributeFindsTheFirstPair) {
  const AttributeList list = string2attributes("k=1;k=2;e=");
  EXPECT_EQ(get_attribute(list, "k"), "1");
  EXPECT_EQ(get_attribute(list, "e"), "");
  const std::string& missing = get_attribute(list, "none");
  EXPECT_EQ(missing, "");
  EXPECT_EQ(&missing, &get_attribute(AttributeList(), "other"));
}

TEST(AttributeString, PrintsAndReadsBack) {
  const AttributeList list = {{"a", "1"}, {"b", "2"}, {"a", "x=y"}};
  std::ostringstream os;
  os << list;
  EXPECT_EQ(os.str(), "a=1;b=2;a=x=y");
  EXPECT_EQ(string2attributes(os.str()), list);

  std::ostringstream empty;
  empty << AttributeList();
  EXPECT_EQ(empty.str(), "");

  std::ostringstream one;
  one << list.front();
  EXPECT_EQ(one.str(), "a=1");
}

}  // namespace
}  // namespace zel
