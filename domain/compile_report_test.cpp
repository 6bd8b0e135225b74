#include "domain/compile_report.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace omr {
namespace compiler {
namespace {

// Diagnostics as the compiler writes them.
constexpr char kFailed[] =
    R"({"return":false,"sink":{)"
    R"("rules.kav":[{"code":0,"column":5,"line":3,"msg":"unknown token","type":"error"},)"
    R"({"code":0,"msg":"<x> ^","type":"error_marker"},)"
    R"({"code":4,"column":1,"line":10,"msg":"use an on statement","type":"warning"}],)"
    R"("app":[{"code":0,"msg":"No domain/input directory or input-files given.","type":"error"}],)"
    R"("Zeta.kav":[{"code":1024,"msg":"test passed","type":"note"}]}})";

TEST(DisplayReturnMessage, RendersEachDiagnosticAsOneLine) {
  struct Case {
    const char* name;
    const char* result;
    bool marker_layout;
    int code;
    std::string report;
  } const cases[] = {
      {"success", R"({"return":true,"sink":{"app":[{"code":0,"msg":"x","type":"error"}]}})",
       true, 0, ""},
      {"failure without sink", R"({"return":false})", true, -1, ""},
      {"failure with an empty sink", R"({"return":false,"sink":{}})", true, -1, ""},
      // Sources in byte order: upper case before lower case.
      {"marker layout", kFailed, true, -1,
       "Zeta.kav:test passed\n"
       "app:No domain/input directory or input-files given.\n"
       "rules.kav:3:5:\"error\" unknown token\n"
       "                   <x> ^\n"
       "rules.kav:10:1:\"warning\" use an on statement\n"},
      {"plain layout", kFailed, false, -1,
       "Zeta.kav:test passed\n"
       "app:No domain/input directory or input-files given.\n"
       "rules.kav:3:5:\"error\" unknown token\n"
       "rules.kav:<x> ^\n"
       "rules.kav:10:1:\"warning\" use an on statement\n"},
      // A marker with a position under the plain layout shows its type.
      {"marker with a position",
       R"({"return":false,"sink":{"a.kav":[{"code":0,"column":2,"line":1,"msg":"^",)"
       R"("type":"error_marker"}]}})",
       false, -1, "a.kav:1:2:\"error_marker\" ^\n"},
      {"six-byte name",
       R"({"return":false,"sink":{"x1.kav":[{"code":0,"msg":"^ here","type":"error_marker"}]}})",
       true, -1, "                ^ here\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    EXPECT_EQ(display_return_message(c.result, out, c.marker_layout), c.code) << c.name;
    EXPECT_EQ(out.str(), c.report) << c.name;
  }
  std::ostringstream out;
  EXPECT_EQ(display_return_message(nullptr, out, true), -1);
  EXPECT_EQ(out.str(), "");
}

TEST(DisplayReturnMessage, MalformedResultsRaiseAndKeepWhatWasWritten) {
  struct Case {
    const char* result;
    std::string written;
  } const cases[] = {
      {"not json", ""},
      {R"({"return":"false"})", ""},
      {R"({"sink":{}})", ""},
      {R"({"return":false,"sink":{"a":[{"msg":"one","type":"error"},"second"]}})", "a:one\n"},
      {R"({"return":false,"sink":{"a":[{"msg":1,"type":"error"}]}})", ""},
      {R"({"return":false,"sink":{"a":[{"msg":"m"}]}})", ""},
      {R"({"return":false,"sink":{"a":[{"line":1,"msg":"m","type":"error"}]}})", "a:1:"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    EXPECT_THROW(display_return_message(c.result, out, true), nlohmann::json::exception)
        << c.result;
    EXPECT_EQ(out.str(), c.written) << c.result;
  }
}

}  // namespace
}  // namespace compiler
}  // namespace omr
