#include "analysis/filter.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {
namespace {

TEST(RegexFilter, MatchesWholeTexts) {
  struct Case {
    const char* pattern;
    const char* text;
    bool passes;
  };
  const Case cases[] = {
      {"Person|City", "City", true},
      {"Person|City", "Person", true},
      {"Person|City", "CityName", false},
      {"Person|City", "MyCity", false},
      {"", "", true},
      {"", "x", false},
      {"[A-C]ity", "Bity", true},
      {"[A-C]ity", "Dity", false},
      {"Per.*", "Person", true},
      {"per.*", "Person", false},
  };
  for (const Case& c : cases) {
    RegexFilter filter(c.pattern);
    EXPECT_EQ(filter(std::string(c.text)), c.passes)
        << c.pattern << " on " << c.text;
    EXPECT_EQ(filter.pattern(), c.pattern);
  }
}

TEST(RegexFilter, AnnotationTests) {
  RegexFilter filter("Person|City");
  Concept person(0, 3, "Person");
  Concept company(0, 3, "Company");
  Token token(0, 6, "Person");
  EXPECT_TRUE(filter(&person));
  EXPECT_TRUE(filter.check(&person));
  person.flags.set(kDeleted);
  EXPECT_FALSE(filter(&person));
  EXPECT_TRUE(filter.check(&person));
  EXPECT_FALSE(filter(&company));
  EXPECT_FALSE(filter.check(&company));
  EXPECT_FALSE(filter(&token));
  EXPECT_FALSE(filter.check(&token));
  EXPECT_FALSE(filter(static_cast<const Annotation*>(nullptr)));
}

TEST(RegexFilter, BadPatternsThrow) {
  for (const char* bad : {"(", "[z-a]", "a]"}) {
    EXPECT_ANY_THROW(RegexFilter filter(bad)) << bad;
  }
}

TEST(RegexFilter, UsableAsTextPredicateAndThroughTheBase) {
  std::function<bool(const std::string&)> by_value = RegexFilter("City");
  EXPECT_TRUE(by_value("City"));
  EXPECT_FALSE(by_value("Town"));
  std::shared_ptr<BaseFilter> shared = std::make_shared<RegexFilter>("Town");
  EXPECT_TRUE((*shared)(std::string("Town")));
}

TEST(LiteralFilter, ComparesBytes) {
  LiteralFilter filter("Prop-Std");
  EXPECT_TRUE(filter("Prop-Std"));
  EXPECT_FALSE(filter("Prop-Std "));
  EXPECT_FALSE(filter("prop-std"));
  EXPECT_FALSE(filter("Prop"));
  EXPECT_TRUE(LiteralFilter("")(""));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
