#include "compiler/driver/compile_driver.h"

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/exception.h"
#include "base/fatal_exception.h"
#include "base/options.h"

namespace zel {
namespace compiler {
namespace {

TEST(BuildDomain, SaysThatCompilingIsNotAvailableYet) {
  EXPECT_THROW(build_domain_(convert_string_to_api_options("{}")), Exception);
  EXPECT_EQ(testing::message_of([] { build_domain_(convert_string_to_api_options("{}")); }),
            "Compiling rule sources is not available yet.");
}

// What escapes the compile run reaches the caller as a fatal error, which
// the C interface reports as a runtime error (code 3), not as a library
// error (code 1).
TEST(BuildDomain, AnEscapingErrorBecomesFatal) {
  try {
    build_domain(R"({"domains":"/tmp"})");
    FAIL() << "no exception";
  } catch (const Exception&) {
    FAIL() << "raised as a library error";
  } catch (const FatalException& e) {
    EXPECT_STREQ(e.what(), "Compiling rule sources is not available yet.");
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
