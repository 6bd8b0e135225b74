#include "base/inline_logger.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace log {
namespace inline_logger {
namespace {

TEST(PrintVariable, WritesTheKnownTypesOnly) {
  struct Case {
    boost::any value;
    const char* expected;
  } const cases[] = {
      {std::string("text"), "text"},
      {static_cast<const char*>("c text"), "c text"},
      {-12, "-12"},
      {18446744073709551615UL, "18446744073709551615"},
      {4294967295U, "4294967295"},
      {boost::any(), ""},
      {2.5, ""},
      {true, ""},
      {static_cast<long>(7), ""},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    print_variable(out, c.value);
    EXPECT_EQ(out.str(), c.expected) << c.expected;
    EXPECT_TRUE(out.good());
  }
}

TEST(PrintVariable, ANullCTextSetsTheBadBit) {
  std::ostringstream out;
  print_variable(out, static_cast<const char*>(nullptr));
  EXPECT_TRUE(out.bad());
  EXPECT_EQ(out.str(), "");
}

TEST(BaseLogger, AssigningAddsOrReplaces) {
  BaseLogger record;
  EXPECT_FALSE(record.has("a"));
  record["a"] = 1;
  record["a"] = std::string("two");
  record["b"];
  ASSERT_EQ(record.variables().size(), 2u);
  EXPECT_EQ(boost::any_cast<std::string>(record["a"]), "two");
  EXPECT_TRUE(record["b"].empty());
}

}  // namespace
}  // namespace inline_logger
}  // namespace log
}  // namespace zel
