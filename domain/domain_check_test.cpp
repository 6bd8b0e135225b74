#include "domain/domain_check.h"

#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>


namespace zel {
namespace kavero {
namespace {

using ::testing::HasSubstr;

// The lines of the report are tested with the renderer.
TEST(CheckDomainFile, AFailedCompilationReplacesTheReport) {
  std::string report = "earlier";
  EXPECT_EQ(check_domain_file(R"({"domains":"/nowhere","morvik":"/r"})", report), -1);
  EXPECT_THAT(report, HasSubstr("Domain directory or config file [/nowhere] does not exists"));

  report = "earlier";
  std::stringstream options;
  options << R"({"domains":"/nowhere"})";
  EXPECT_EQ(check_domain_file(options, report), -1);
  EXPECT_THAT(report, HasSubstr("Domain directory or config file [/nowhere] does not exists"));
}

TEST(CheckDomainFile, AnEscapingErrorLeavesTheReportUntouched) {
  std::string report = "earlier";
  EXPECT_ANY_THROW(check_domain_file(R"({"kav_base64":5,"output_file":"/nowhere/d.dom"})", report));
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
