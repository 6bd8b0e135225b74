// Runs the kavero-analyze tool as a user would, over the test language.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/scratch_folder_testutil.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

const fs::path kTool = fs::path(KAVERO_BINARY_DIR) / "bin" / "kavero-analyze";
const fs::path kMorvik = fs::path(KAVERO_BINARY_DIR) / "testdata" / "language" / "morvik";

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the tool with the arguments (a shell text) and, when `input` is not
// null, that text on its standard input.
ToolRun run_tool(const testing::ScratchFolder& scratch, const std::string& arguments,
             const char* input = nullptr) {
  const fs::path in = scratch.write("stdin.txt", input ? input : "");
  const fs::path out = scratch.path() / "stdout.txt";
  const fs::path err = scratch.path() / "stderr.txt";
  const std::string command = "'" + kTool.string() + "' " + arguments + " < '" +
                              in.string() + "' > '" + out.string() + "' 2> '" +
                              err.string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testing::read_file(out),
          testing::read_file(err)};
}

TEST(KaveroAnalyze, PrintsTheAnalysedDocument) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const fs::path file = scratch.write("dog.txt", "The dog runs.");
  for (const std::string& source : {std::string("'") + file.string() + "'", std::string("-"),
                                    std::string()}) {
    SCOPED_TRACE(source);
    const ToolRun run = run_tool(scratch, morvik + " " + source, "The dog runs.");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Sentence:(0,13)\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("t(4,7) dog\n\tdog:Nn-Sg("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("t(8,12) runs\n\trun:V-Pres-3-Sg("), std::string::npos) << run.out;
    // The tagger keeps the verb.
    EXPECT_EQ(run.out.find("run:Nn-Pl"), std::string::npos) << run.out;
  }
  // Analyser options reach the analysis: without the tagger both readings stay.
  const ToolRun untagged = run_tool(scratch, morvik + " --options '{\"hmm\": \"false\"}'",
                                "The dog runs.");
  EXPECT_EQ(untagged.status, 0);
  EXPECT_NE(untagged.out.find("run:Nn-Pl"), std::string::npos) << untagged.out;
}

TEST(KaveroAnalyze, ErrorsAreOneLineAndAFailureStatus) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const fs::path bad_bytes = scratch.write("bad.txt", "The dog \xC3\x28 runs.");
  const fs::path cut = scratch.write("cut.txt", "The dog runs \xE2\x82");
  const fs::path surrogate = scratch.write("surrogate.txt", "A \xED\xA0\x80 dog.");
  // The first analysis may build the tokenizer cache, whose notice also goes
  // to standard error; build it before the error lines are compared.
  ASSERT_EQ(run_tool(scratch, morvik + " -", "The dog runs.").status, 0);
  struct Case {
    std::string arguments;
    int status;
    std::string error_start;  // the line starts so; exactly one line
  } const cases[] = {
      {morvik + " --language klingon -", 1,
       "kavero-analyze: unknown language \"klingon\": looked in " + kMorvik.string()},
      {morvik + " '" + (scratch.path() / "missing.txt").string() + "'", 1,
       "kavero-analyze: cannot read " + (scratch.path() / "missing.txt").string() +
           ": No such file or directory"},
      {morvik + " '" + scratch.path().string() + "'", 1, "kavero-analyze: cannot read "},
      {morvik + " '" + bad_bytes.string() + "'", 1, "kavero-analyze: Invalid utf8 character."},
      {morvik + " '" + cut.string() + "'", 1, "kavero-analyze: Invalid utf8 character."},
      {morvik + " '" + surrogate.string() + "'", 1, "kavero-analyze: Invalid utf8 character."},
      {"--morvik '" + (scratch.path() / "nowhere").string() + "' -", 1,
       "kavero-analyze: no resource folder "},
      {morvik + " --options '[1]' -", 1, "kavero-analyze: --options is not a JSON object"},
      {"-", 2, "kavero-analyze: --morvik is required"},
      {morvik + " --frobnicate", 2, "kavero-analyze: unknown option --frobnicate"},
      {morvik + " --split words", 2, "kavero-analyze: --split takes paragraphs, lines or none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = run_tool(scratch, c.arguments, "The dog runs.");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(c.error_start, 0), 0u) << run.err;
    if (c.status == 1) {
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
  }
}

TEST(KaveroAnalyze, AnUnknownLanguageNamesTheLanguagesThere) {
  testing::ScratchFolder scratch;
  const ToolRun run =
      run_tool(scratch, "--morvik '" + kMorvik.string() + "' --language klingon -", "A dog.");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("; languages found: english\n"), std::string::npos) << run.err;
}

TEST(KaveroAnalyze, HelpGoesToStandardOutput) {
  testing::ScratchFolder scratch;
  for (const char* flag : {"--help", "-h"}) {
    const ToolRun run = run_tool(scratch, flag);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("usage: kavero-analyze --morvik FOLDER", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("--split MODE"), std::string::npos) << run.out;
  }
}

// The sentence lines of a print, and an empty line for every empty line
// (the end of a document when the input is split).
std::string outline(const std::string& print) {
  std::string out;
  std::size_t begin = 0;
  while (begin < print.size()) {
    const std::size_t end = print.find('\n', begin);
    const std::string line = print.substr(begin, end - begin);
    if (line.empty() || line.rfind("Sentence:", 0) == 0) out += line + "|";
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  return out;
}

TEST(KaveroAnalyze, TheInputIsAStreamOfDocuments) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const char* const text = "The dog runs.\n\n \t\nA dog.\r\nIt runs.\n\n\n";
  struct Case {
    std::string split;
    std::string outline;  // offsets count from each document's start
  } const cases[] = {
      {"", "Sentence:(0,13)||Sentence:(0,6)|Sentence:(8,16)||"},
      {"--split paragraphs", "Sentence:(0,13)||Sentence:(0,6)|Sentence:(8,16)||"},
      {"--split lines", "Sentence:(0,13)||Sentence:(0,6)||Sentence:(0,8)||"},
      {"--split none", "Sentence:(0,13)|Sentence:(18,24)|Sentence:(26,34)|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.split);
    const ToolRun run = run_tool(scratch, morvik + " " + c.split + " -", text);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(outline(run.out), c.outline) << run.out;
  }
  // Documents before a faulty one are printed; the error ends the run.
  const ToolRun faulty = run_tool(scratch, morvik + " -", "The dog runs.\n\nA \xC3\x28 dog.\n\nA dog.\n");
  EXPECT_EQ(faulty.status, 1);
  EXPECT_EQ(outline(faulty.out), "Sentence:(0,13)||");
  EXPECT_EQ(faulty.err.rfind("kavero-analyze: Invalid utf8 character.", 0), 0u) << faulty.err;
}

TEST(KaveroAnalyze, WarningsGoToStandardErrorUnlessQuiet) {
  testing::ScratchFolder scratch;
  // A copy of the test language whose abbreviation list is missing.
  const fs::path morvik = scratch.path() / "morvik";
  fs::copy(kMorvik, morvik, fs::copy_options::recursive);
  std::string configuration = testing::read_file(morvik / "english.language");
  const std::string listed = "\"english.abbrev\"";
  configuration.replace(configuration.find(listed), listed.size(), "\"missing.abbrev\"");
  scratch.write("morvik/english.language", configuration);

  const ToolRun shown = run_tool(scratch, "--morvik '" + morvik.string() + "' -", "A dog.");
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.err.rfind("kavero-analyze: warning: Abbreviation file not found", 0), 0u)
      << shown.err;
  EXPECT_EQ(outline(shown.out), "Sentence:(0,6)||");
  const ToolRun quiet = run_tool(scratch, "--morvik '" + morvik.string() + "' --quiet -", "A dog.");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out, shown.out);
}

}  // namespace
}  // namespace zel
