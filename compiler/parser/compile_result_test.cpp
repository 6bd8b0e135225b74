#include "compiler/parser/compile_result.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"
#include "domain/compile_report.h"

namespace zel {
namespace compiler {
namespace {

class CompileResultTest : public ::testing::Test {
 protected:
  CompileResultTest() : binding_(&blackboard_) { blackboard_.error_code_mask = ~std::uint64_t{0}; }

  const char* report() { return results::to_string(blackboard_); }

  Blackboard blackboard_;
  BlackboardBinding binding_;
};

TEST_F(CompileResultTest, AnEmptyStoreReportsSuccess) {
  EXPECT_EQ(std::string(report()), R"({"return":true,"sink":{}})");
  EXPECT_FALSE(results::has_errors());
  EXPECT_EQ(results::count_errors(), 0u);
}

TEST_F(CompileResultTest, OneSyntaxErrorWithItsMarkers) {
  blackboard_.set_source_filename("a.kav");
  compiler_error("Missing ';'", 3, 5, "", 0);
  compiler_error_marker("... x ...", -1, 5);
  compiler_error_marker("----^", -1, 5);
  EXPECT_EQ(std::string(report()),
            R"({"return":false,"sink":{"a.kav":[)"
            R"({"code":0,"column":5,"line":3,"msg":"Missing ';'","type":"error"},)"
            R"({"code":0,"msg":"... x ...","type":"error_marker"},)"
            R"({"code":0,"msg":"----^","type":"error_marker"}]}})");
  EXPECT_EQ(results::count_errors(), 1u);
}

TEST_F(CompileResultTest, VerdictAndCodes) {
  blackboard_.set_source_filename("a.kav");
  compiler_warning("slow", 1, 2, 0x2);
  compiler_note("hint", 1, 2, 0x400);
  EXPECT_EQ(std::string(report()),
            R"({"return":true,"sink":{"a.kav":[)"
            R"({"code":2,"column":2,"line":1,"msg":"slow","type":"warning"},)"
            R"({"code":0,"column":2,"line":1,"msg":"hint","type":"note"}]}})");

  blackboard_.diagnostics->reset();
  application_error("No input given.");
  EXPECT_EQ(
      std::string(report()),
      R"({"return":false,"sink":{"app":[{"code":0,"msg":"No input given.","type":"error"}]}})");
}

TEST_F(CompileResultTest, SinksComeInByteOrderAndAResetStartsAfresh) {
  for (const char* name : {"b.kav", "B.kav", "a.kav"}) {
    blackboard_.set_source_filename(name);
    compiler_error("e", 1, 1, "", 0x200);
  }
  const nlohmann::json sinks = nlohmann::json::parse(report()).at("sink");
  std::string order;
  for (auto it = sinks.begin(); it != sinks.end(); ++it) order += it.key() + " ";
  EXPECT_EQ(order, "B.kav a.kav b.kav ");
  EXPECT_EQ(sinks.at("a.kav")[0].at("code"), 0);  // errors are stored with code 0

  blackboard_.diagnostics->reset();
  blackboard_.set_source_filename("c.kav");
  compiler_warning("w", 1, 1, 0x1);
  EXPECT_EQ(
      std::string(report()),
      R"({"return":true,"sink":{"c.kav":[{"code":1,"column":1,"line":1,"msg":"w","type":"warning"}]}})");
}

// Source names and markers are not checked when recorded; the report still
// has to be written.
TEST_F(CompileResultTest, TextThatIsNotUtf8IsWrittenAsTheReplacement) {
  blackboard_.set_source_filename("bad\xFF.kav");
  compiler_error("e", 1, 1, "", 0);
  compiler_error_marker("... \xC3 ...", -1, 1);
  blackboard_.set_source_filename("other\xFE.kav");
  compiler_error("f", 2, 1, "", 0);
  std::string text;
  ASSERT_NO_THROW(text = report());
  const nlohmann::json sinks = nlohmann::json::parse(text).at("sink");
  ASSERT_EQ(sinks.size(), 1u);
  const nlohmann::json& list = sinks.at(invalid_utf8_replacement);
  ASSERT_EQ(list.size(), 3u);  // both sources' diagnostics are kept
  EXPECT_EQ(list[1].at("msg"), invalid_utf8_replacement);
  EXPECT_EQ(list[2].at("msg"), "f");
}

TEST_F(CompileResultTest, TheBufferBelongsToTheThread) {
  blackboard_.set_source_filename("a.kav");
  compiler_error("e", 1, 1, "", 0);
  const char* mine = report();
  const std::string kept = mine;
  std::thread([this] {
    Blackboard other;
    results::to_string(other);
    results::ApiErrorInfo().reset();
  }).join();
  EXPECT_EQ(std::string(mine), kept);
}

// The runtime reads the report back when it compiles a missing domain.
TEST_F(CompileResultTest, TheRuntimeRendersTheReport) {
  blackboard_.set_source_filename("rules.kav");
  compiler_error("unknown", 3, 5, "", 0);
  compiler_error_marker("here ^", -1, 5);
  application_error("No input given.");
  std::ostringstream out;
  EXPECT_EQ(omr::compiler::display_return_message(report(), out, true), -1);
  EXPECT_EQ(out.str(),
            "app:No input given.\n"
            "rules.kav:3:5:\"error\" unknown\n"
            "                   here ^\n");

  blackboard_.diagnostics->reset();
  compiler_warning("w", 1, 1, 0x2);
  std::ostringstream none;
  EXPECT_EQ(omr::compiler::display_return_message(report(), none, true), 0);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
