#include "domain/domain_check.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"

namespace zel {
namespace kavero {
namespace {

// The lines of the report are tested with the renderer.
TEST(CheckDomainFile, AFailingCompilerLeavesTheReportUntouched) {
  std::string report = "earlier";
  EXPECT_EQ(testing::message_of([&] {
              check_domain_file(R"({"domains":"/nowhere","morvik":"/r"})", report);
            }),
            "Compiling rule sources is not available yet.");
  EXPECT_EQ(report, "earlier");

  std::stringstream options;
  options << R"({"domains":"/nowhere"})";
  EXPECT_EQ(testing::message_of([&] { check_domain_file(options, report); }),
            "Compiling rule sources is not available yet.");
  EXPECT_EQ(report, "earlier");
}

TEST(CheckDomainFile, TheReportChangesOnlyWhenTheCompilationFailed) {
  std::string report = "earlier";
  EXPECT_EQ(take_compile_result(R"({"return":true,"sink":{}})", report), 0);
  EXPECT_EQ(report, "earlier");
  EXPECT_EQ(take_compile_result(R"({"return":false})", report), -1);
  EXPECT_EQ(report, "");
  EXPECT_EQ(take_compile_result(
                R"({"return":false,"sink":{"a.kav":[{"msg":"^","type":"error_marker"}]}})",
                report),
            -1);
  EXPECT_EQ(report, "               ^\n");
  report = "earlier";
  EXPECT_THROW(take_compile_result("{", report), std::exception);
  EXPECT_EQ(report, "earlier");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
