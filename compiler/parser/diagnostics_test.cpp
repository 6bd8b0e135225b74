#include "compiler/parser/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/output_capture_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

constexpr std::uint64_t kAllCodes = ~std::uint64_t{0};

// A compilation of the source a.kav bound to the test's thread.
class DiagnosticsTest : public ::testing::Test {
 protected:
  DiagnosticsTest() : binding_(&blackboard_) { blackboard_.set_source_filename("a.kav"); }

  const std::vector<DiagnosticsInfo>& stored() { return results::sink("a.kav"); }

  Blackboard blackboard_;
  BlackboardBinding binding_;
};

TEST_F(DiagnosticsTest, CodesOutsideTheMaskAreDropped) {
  struct Case {
    std::uint64_t mask;
    std::int64_t code;
    bool kept;
  };
  const Case cases[] = {
      {0, 0x1, false},  // the mask before the driver sets it
      {0, 0x200, false},
      {0, 0, true},                     // code 0 is never dropped
      {~std::uint64_t{1}, 0x1, false},  // "ignore_codes" 1
      {~std::uint64_t{1}, 0x2, true},
      {~std::uint64_t{1}, 0, true},
      {~std::uint64_t{0x201}, 0x200, false},
      {kAllCodes, 0x800, true},
  };
  for (const Case& c : cases) {
    blackboard_.diagnostics->reset();
    blackboard_.error_code_mask = c.mask;
    EXPECT_EQ(compiler_warning("w", 1, 1, c.code), c.kept) << c.mask << " " << c.code;
    compiler_error("e", 1, 1, "", c.code);
    compiler_note("n", 1, 1, c.code);
    EXPECT_EQ(results::sinks().count("a.kav") ? stored().size() : 0u, c.kept ? 3u : 0u)
        << c.mask << " " << c.code;
  }
}

TEST_F(DiagnosticsTest, ErrorsAndNotesAreStoredWithCodeZeroWarningsWithTheirs) {
  blackboard_.error_code_mask = kAllCodes;
  compiler_error("bad", 3, 5, "", 0x200);
  compiler_warning("careful", 4, 1, 0x200);
  compiler_note("see", 5, 2, 0x400);
  compiler_error_marker("---^", -1, 5);
  ASSERT_EQ(stored().size(), 4u);
  const DiagnosticsInfo::MessageType types[] = {DiagnosticsInfo::error, DiagnosticsInfo::warning,
                                                DiagnosticsInfo::note,
                                                DiagnosticsInfo::error_marker};
  const unsigned codes[] = {0, 0x200, 0, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(stored()[i].type, types[i]);
    EXPECT_EQ(stored()[i].code, codes[i]);
  }
  EXPECT_EQ(stored()[0].line, 3);
  EXPECT_EQ(stored()[0].column, 5);
  EXPECT_EQ(stored()[3].line, -1);
  EXPECT_EQ(diagnostic_type_to_string(stored()[3]), "error_marker");
}

TEST_F(DiagnosticsTest, AStrictWarningIsAnErrorInStrictMode) {
  blackboard_.error_code_mask = 0;  // no ignore_codes value can silence it
  blackboard_.strict = true;
  compiler_strict_warning("lower case", 2, 3, 0x10);
  blackboard_.strict = false;
  blackboard_.error_code_mask = kAllCodes;
  compiler_strict_warning("lower case", 2, 3, 0x10);
  ASSERT_EQ(stored().size(), 2u);
  EXPECT_EQ(stored()[0].type, DiagnosticsInfo::error);
  EXPECT_EQ(stored()[0].code, 0u);
  EXPECT_EQ(stored()[1].type, DiagnosticsInfo::warning);
  EXPECT_EQ(stored()[1].code, 0x10u);
}

TEST_F(DiagnosticsTest, TextThatIsNotUtf8IsReplaced) {
  const std::string bad = "caf\xC3";
  compiler_error(bad, 1, 1, "", 0);
  compiler_error("message ", 1, 1, bad, 0);
  compiler_error("message ", 1, 1, "context", 0);
  compiler_note(bad, 1, 1, 0);
  ASSERT_EQ(stored().size(), 4u);
  EXPECT_EQ(stored()[0].message, invalid_utf8_replacement);
  EXPECT_EQ(stored()[1].message, "message " + invalid_utf8_replacement);
  EXPECT_EQ(stored()[2].message, "message context");
  EXPECT_EQ(stored()[3].message, invalid_utf8_replacement);
}

TEST_F(DiagnosticsTest, ConsoleEchoLines) {
  blackboard_.error_code_mask = kAllCodes;
  blackboard_.result_type = Blackboard::console;
  const std::string out = testing::capture_stdout([] {
    compiler_error("unknown name", 3, 5, "", 0x200);
    compiler_error_marker("... rule:{ x ...", -1, 5);
    compiler_warning("slow", 12, 40, 0x200);
    compiler_note("hint", -1, 0, 0);
    compiler_error_marker("-----^", -1, 5);
    application_error("No input given.");
    application_note("done");
  });
  // The markers stand under the message of the last other diagnostic:
  // "a.kav" + "3" + "5" + "error" + 4 colons is 16 bytes; after the note
  // "a.kav" + "-1" + "0" + "note" + 4 is 16 as well.
  EXPECT_EQ(out,
            "a.kav:3:5:error:unknown name\n"
            "                ... rule:{ x ...\n"
            "a.kav:12:40:warning:(0x200) slow\n"
            "a.kav:note:hint\n"
            "                -----^\n"
            ":error:No input given.\n"
            ":note:done\n");
}

TEST_F(DiagnosticsTest, AMarkerWithNoDiagnosticBeforeItMeasuresItself) {
  blackboard_.result_type = Blackboard::console;
  const std::string out = testing::capture_stdout([] { compiler_error_marker("^", -1, 12); });
  // "a.kav" + "-1" + "12" + "unknown" + 4.
  EXPECT_EQ(out, std::string(20, ' ') + "^\n");
}

TEST_F(DiagnosticsTest, JsonResultTypeEchoesNothing) {
  const std::string out = testing::capture_stdout([] {
    compiler_error("x", 1, 1, "", 0);
    application_error("y");
  });
  EXPECT_EQ(out, "");
}

TEST_F(DiagnosticsTest, ApplicationDiagnosticsGoToTheAppSink) {
  application_error("No input given.");
  application_note("note");
  const auto& app = results::sink("app");
  ASSERT_EQ(app.size(), 2u);
  EXPECT_EQ(app[0].type, DiagnosticsInfo::error);
  EXPECT_EQ(app[0].line, -1);
  EXPECT_EQ(app[0].column, 0);
  EXPECT_EQ(app[1].type, DiagnosticsInfo::note);
  EXPECT_EQ(results::sinks().count("a.kav"), 0u);
}

TEST(DiagnosticsText, StreamAndFormattedForms) {
  const DiagnosticsInfo positioned(DiagnosticsInfo::error, 12, 5, "bad", 0);
  const DiagnosticsInfo unpositioned(DiagnosticsInfo::note, -1, 0, "note", 0);
  std::ostringstream out;
  out << positioned << "|" << unpositioned;
  EXPECT_EQ(out.str(), "(12,5): bad|note");

  const DiagnosticsMap sinks = {{"b.kav", {positioned}}, {"a.kav", {unpositioned, positioned}}};
  EXPECT_EQ(
      collect_formatted_errors(sinks),
      (std::vector<std::string>{"             note", "a.kav(12,5): bad", "b.kav(12,5): bad"}));
}

TEST(DiagnosticsCatalogue, KeepsTheFirstMessageOfAName) {
  Diagnostics catalogue;
  catalogue.add("qr_rule", "first");
  catalogue.add("qr_rule", "second");
  ASSERT_NE(catalogue["qr_rule"], nullptr);
  EXPECT_EQ(*catalogue["qr_rule"], "first");
  EXPECT_EQ(catalogue["other"], nullptr);

  std::string err = testing::capture_stderr([&] {
    EXPECT_TRUE(check_entry(catalogue.messages(), "other", "x"));
    EXPECT_TRUE(check_entry(catalogue.messages(), "qr_rule", "first"));
  });
  EXPECT_EQ(err, "");
  err = testing::capture_stderr(
      [&] { EXPECT_FALSE(check_entry(catalogue.messages(), "qr_rule", "second")); });
  EXPECT_EQ(err,
            "grammar error: [qr_rule] already in the error messages with another message: "
            "[second] and [first]");
}

TEST(DiagnosticsUnbound, RecordingWithoutABlackboardIsALogicError) {
  BlackboardBinding unbound(nullptr);
  EXPECT_THROW(compiler_error("x", 1, 1, "", 0), std::logic_error);
  EXPECT_THROW(compiler_warning("x", 1, 1, 0), std::logic_error);
  EXPECT_THROW(compiler_note("x", 1, 1, 0), std::logic_error);
  EXPECT_THROW(compiler_error_marker("x", -1, 1), std::logic_error);
  EXPECT_THROW(compiler_strict_warning("x", 1, 1, 0), std::logic_error);
  EXPECT_THROW(application_error("x"), std::logic_error);
  EXPECT_THROW(results::has_errors(), std::logic_error);
}

TEST(DiagnosticsThreads, WorkersRecordIntoOneStoreWithoutLoss) {
  Blackboard blackboard;
  blackboard.error_code_mask = kAllCodes;
  blackboard.set_source_filename("lexicons.kav");
  constexpr int kThreads = 8;
  constexpr int kEach = 1000;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&blackboard, t] {
      BlackboardBinding binding(&blackboard);
      for (int i = 0; i < kEach; ++i) {
        const std::string message = "worker " + std::to_string(t) + " entry " + std::to_string(i);
        if (i % 2 == 0) {
          compiler_warning(message, t, i, 0x80);
        } else {
          compiler_error(message, t, i, "", 0);
        }
      }
    });
  }
  for (std::thread& worker : workers) worker.join();

  BlackboardBinding binding(&blackboard);
  const auto& list = results::sink("lexicons.kav");
  ASSERT_EQ(list.size(), static_cast<std::size_t>(kThreads * kEach));
  std::set<std::string> seen;
  for (const DiagnosticsInfo& info : list) {
    // Each record is whole: its fields belong to one report.
    const std::string expected =
        "worker " + std::to_string(info.line) + " entry " + std::to_string(info.column);
    EXPECT_EQ(info.message, expected);
    EXPECT_EQ(info.type, info.column % 2 == 0 ? DiagnosticsInfo::warning : DiagnosticsInfo::error);
    seen.insert(info.message);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEach));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
