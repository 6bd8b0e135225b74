#include "language/splitter_settings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

TEST(SplitterSettings, TheHeaderPrefixPatternIsTheStoredText) {
  EXPECT_EQ(get_header_prefix(),
            "(:?(:?[0-9]{1,2}[a-z]?[.)]){1,4}|(:?[a-z][1-9]?[.)]){1,4}|"
            "[XIVxiv]{1,5}[.)]|#{1,6})");
}

TEST(SplitterSettings, TheHeaderPrefixPatternMatchesWholeHeaderPrefixes) {
  const std::vector<std::string> prefixes = {
      "1.",   "12)",    "1a.",   "1.2.3.4.", "2)3.", "a)",  "b2.",
      "a.b.", "iv.",    "XII)",  "#",        "######",
      ":1.",  ":a)",  // a group may open with a colon
  };
  for (const std::string& prefix : prefixes) {
    EXPECT_TRUE(header_prefix_pattern.regex_match(prefix)) << prefix;
  }
  const std::vector<std::string> others = {
      "",    "1",  "123.", "1.2.3.4.5.", "A.", "a0.", "ab)",
      "ix",  "(1)", "#######", "# ", "1. ", "Dr.",
  };
  for (const std::string& other : others) {
    EXPECT_FALSE(header_prefix_pattern.regex_match(other)) << other;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
