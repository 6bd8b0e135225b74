#include "compiler/driver/compile_driver.h"

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/exception.h"

namespace zel {
namespace compiler {
namespace {

TEST(BuildDomain, SaysThatCompilingIsNotAvailableYet) {
  EXPECT_THROW(build_domain(R"({"domains":"/tmp"})"), Exception);
  EXPECT_EQ(testing::message_of([] { build_domain("{}"); }),
            "Compiling rule sources is not available yet.");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
