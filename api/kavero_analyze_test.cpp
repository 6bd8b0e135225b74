// Runs the kavero-analyze tool as a user would, over the test language, the
// demo domain and the compiled sample domain.

#include <sys/wait.h>

#include <algorithm>
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

TEST(KaveroAnalyze, PrintsTheResultJson) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const fs::path file = scratch.write("dog.txt", "The dog runs.");
  for (const std::string& source : {std::string("'") + file.string() + "'", std::string("-"),
                                    std::string()}) {
    SCOPED_TRACE(source);
    const ToolRun run = run_tool(scratch, morvik + " " + source, "The dog runs.");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind(R"({"language":"english","sentences":[ [1,0,13,[)", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(R"([3,4,7,"dog",["word"],[["dog", "Nn-Sg")"), std::string::npos) << run.out;
    // The tagger keeps the verb.
    EXPECT_NE(run.out.find(R"([["run", "V-Pres-3-Sg")"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Nn-Pl"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.back(), '\n');
  }
  // Analyser options reach the analysis: without the tagger both readings stay.
  const ToolRun untagged = run_tool(scratch, morvik + " --options '{\"hmm\": \"false\"}'",
                                    "The dog runs.");
  EXPECT_EQ(untagged.status, 0);
  EXPECT_NE(untagged.out.find("Nn-Pl"), std::string::npos) << untagged.out;
}

TEST(KaveroAnalyze, RunsADomainAndPrintsTheInternalJson) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const ToolRun plain = run_tool(scratch, morvik, "Alice visited London.");
  EXPECT_EQ(plain.out.find("\"City\""), std::string::npos) << plain.out;
  const ToolRun domain = run_tool(scratch, morvik + " --domain demo", "Alice visited London.");
  EXPECT_EQ(domain.status, 0) << domain.err;
  EXPECT_NE(domain.out.find(R"([2,0,5,"Person",{"gender":["female"]}])"), std::string::npos)
      << domain.out;
  EXPECT_NE(domain.out.find(R"([2,14,20,"City",{}])"), std::string::npos) << domain.out;
  const ToolRun internal = run_tool(scratch, morvik + " --domain demo --internal", "Alice visited London.");
  EXPECT_EQ(internal.status, 0) << internal.err;
  EXPECT_EQ(internal.out.rfind(R"({"sentences":[ [1,0,21,[[2,0,21,"Sentence",{},{"import":["true"]}])", 0), 0u)
      << internal.out;
  EXPECT_NE(internal.out.find(R"("streams" : [{ "type":"literal","text":)"), std::string::npos)
      << internal.out;
}

TEST(KaveroAnalyze, ErrorsAreOneLineAndAFailureStatus) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const fs::path bad_bytes = scratch.write("bad.txt", "The dog \xC3\x28 runs.");
  const fs::path cut = scratch.write("cut.txt", "The dog runs \xE2\x82");
  // The first analysis may build the tokenizer cache, whose notice also goes
  // to standard error; build it before the error lines are compared.
  ASSERT_EQ(run_tool(scratch, morvik + " -", "The dog runs.").status, 0);
  struct Case {
    std::string arguments;
    int status;
    std::string error_start;  // the line starts so; exactly one line
  } const cases[] = {
      {morvik + " --language klingon -", 1, "kavero-analyze: error "},
      {morvik + " --domain no-such-domain -", 1, "kavero-analyze: error 1: "},
      {morvik + " '" + (scratch.path() / "missing.txt").string() + "'", 1,
       "kavero-analyze: cannot read " + (scratch.path() / "missing.txt").string() +
           ": No such file or directory"},
      {morvik + " '" + scratch.path().string() + "'", 1, "kavero-analyze: cannot read "},
      {morvik + " '" + bad_bytes.string() + "'", 1,
       "kavero-analyze: error 1: Invalid utf8 character."},
      {morvik + " '" + cut.string() + "'", 1, "kavero-analyze: error 1: Invalid utf8 character."},
      {"--morvik '" + (scratch.path() / "nowhere").string() + "' -", 1, "kavero-analyze: error "},
      {morvik + " --options '[1]' -", 1, "kavero-analyze: --options is not a JSON object"},
      {morvik + " --options '{\"hmm\" x}' -", 1, "kavero-analyze: error 1: Invalid option text"},
      {"-", 2, "kavero-analyze: --morvik is required"},
      {morvik + " --frobnicate", 2, "kavero-analyze: unknown option --frobnicate"},
      {morvik + " --split words", 2, "kavero-analyze: --split takes paragraphs, lines or none"},
      {morvik + " --compile-output x.dom -", 2, "kavero-analyze: --compile-output needs --compile"},
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

// The sentence ranges of every printed document, "|" after each document.
std::string outline(const std::string& print) {
  std::string out;
  std::size_t line_begin = 0;
  while (line_begin < print.size()) {
    const std::size_t line_end = print.find('\n', line_begin);
    const std::string line = print.substr(line_begin, line_end - line_begin);
    for (std::size_t at = line.find("[1,"); at != std::string::npos; at = line.find("[1,", at + 1)) {
      // Only sentence arrays: "[1,b,e,[".
      const std::size_t stop = line.find(",[", at + 3);
      const std::string range = line.substr(at + 3, stop - at - 3);
      if (range.find_first_not_of("0123456789,") == std::string::npos &&
          std::count(range.begin(), range.end(), ',') == 1 && (at < 2 || line[at - 1] != '"')) {
        out += "(" + range + ")";
      }
    }
    out += "|";
    if (line_end == std::string::npos) break;
    line_begin = line_end + 1;
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
      {"", "(0,13)|(0,6)(8,16)|"},
      {"--split paragraphs", "(0,13)|(0,6)(8,16)|"},
      {"--split lines", "(0,13)|(0,6)|(0,8)|"},
      {"--split none", "(0,13)(18,24)(26,34)|"},
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
  EXPECT_EQ(outline(faulty.out), "(0,13)|");
  EXPECT_EQ(faulty.err.rfind("kavero-analyze: error 1: Invalid utf8 character.", 0), 0u)
      << faulty.err;
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
  EXPECT_EQ(outline(shown.out), "(0,6)|");
  const ToolRun quiet = run_tool(scratch, "--morvik '" + morvik.string() + "' --quiet -", "A dog.");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out, shown.out);
}

// --compile compiles a domain folder (here the sample domain, into the
// scratch folder beside a copy of its description) and runs it; a folder
// that does not compile ends the run with the report.
TEST(KaveroAnalyze, CompilesADomainFolderAndRunsIt) {
  testing::ScratchFolder scratch;
  const std::string morvik = "--morvik '" + kMorvik.string() + "'";
  const fs::path sample = fs::path(KAVERO_SOURCE_DIR) / "samples" / "domain";
  const fs::path output = scratch.path() / "out" / "domain.dom";
  fs::create_directories(output.parent_path());
  fs::copy_file(sample / "domain.dom_info", output.parent_path() / "domain.dom_info");
  const ToolRun run = run_tool(scratch,
                               morvik + " --compile '" + sample.string() + "' --compile-output '" +
                                   output.string() + "' -",
                               "Alice visited London.");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.rfind("kavero-analyze: compiled " + sample.string() + " into " +
                              output.string() + ": succeeded\n",
                          0),
            0u)
      << run.err;
  EXPECT_NE(run.err.find("kavero-analyze: compile report: {\"return\":true"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find(R"([2,0,5,"Person",{"category":["human"],"kind":["first_name"]}])"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(R"([2,14,20,"City",{"country":["GB"]}])"), std::string::npos)
      << run.out;

  const fs::path broken = scratch.folder("broken");
  scratch.write("broken/rules.kav", "rule:{ <'a' } = Xy;\n");
  const ToolRun failed = run_tool(scratch, morvik + " --compile '" + broken.string() + "' -",
                                  "Alice visited London.");
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_NE(failed.err.find(": failed\n"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("rules.kav"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("kavero-analyze: the compilation of " + broken.string() + " failed"),
            std::string::npos)
      << failed.err;
}

}  // namespace
}  // namespace zel
