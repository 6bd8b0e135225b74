#include "core-afst/lexicon_text.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "core-afst/builder.h"
#include "core-afst/network_paths_testutil.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace afst {
namespace {

using zel::testing::message_of;

using Paths = std::set<std::string>;
using zel::testing::accepted_relations;

std::shared_ptr<fst::StdVectorFst> lexicon_of(const std::string& text) {
  std::istringstream lines(text);
  return build_lexicon(lines, "test");
}

TEST(LexiconTextTest, AWordMayHaveSeveralAnalyses) {
  const auto lexicon = lexicon_of(
      "Haus:Haus[+Nn-Sg][+Neut]\n"
      "Haus:Haus[+Nn-Pl][+Neut]\r\n"
      "\n"
      "Hase:Hase[+Nn-Sg][+Masc]\n");
  EXPECT_EQ(accepted_relations(*lexicon), (Paths{"H a u s -> H a u s +Nn-Sg +Neut",
                                                 "H a u s -> H a u s +Nn-Pl +Neut",
                                                 "H a s e -> H a s e +Nn-Sg +Masc"}));
  EXPECT_EQ(lexicon->InputSymbols()->Name(), "lower");
  EXPECT_EQ(lexicon->OutputSymbols()->Name(), "upper");
  // Shared prefixes and suffixes are stored once: the three entries need
  // fewer states than written out one by one (6 + 6 + 6 + start).
  EXPECT_LE(lexicon->NumStates(), 10);
}

TEST(LexiconTextTest, OutputsStayOnTheirInputs) {
  // Outputs are not moved to other arcs: "input" and "in" labels of a
  // lexicon refer to the input they are written with.
  const auto lexicon = lexicon_of("ab:[in]x\nac:[in]y\n");
  EXPECT_EQ(zel::testing::accepted_paths(*lexicon), (Paths{"a:in b:x", "a:in c:y"}));
}

TEST(LexiconTextTest, EmptyTextGivesAnEmptyLexicon) {
  const auto lexicon = lexicon_of("\n\n");
  EXPECT_TRUE(accepted_relations(*lexicon).empty());
}

TEST(LexiconTextTest, MalformedEntriesNameTheirLine) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"a:a\n+:[format]\n", "test:2: not a lexicon entry: +:[format]"},
      {"a:a\n\n(:[format]\n", "test:3: not a lexicon entry: (:[format]"},
      {"):[format]\n", "test:1: not a lexicon entry: ):[format]"},
      {"regex:a)\n", "test:1: not a lexicon entry: regex:a)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(message_of([&] { zel::testing::capture_stderr([&] { lexicon_of(c.text); }); }), c.error);
  }
}

TEST(LexiconTextTest, FileErrors) {
  EXPECT_EQ(message_of([] { compile_lexicon_file("/no/such/entries.txt", "/tmp/x.fst"); }),
            "can not open file /no/such/entries.txt");
  const std::string entries =
      std::string(KAVERO_SOURCE_DIR) + "/core-afst/testdata/german.lexicon";
  EXPECT_EQ(message_of([&] { compile_lexicon_file(entries, "/no/such/folder/x.fst"); }),
            "Could not save the /no/such/folder/x.fst.");
}

// The build compiles core-afst/testdata/german.lexicon with the afst-lexicon
// tool; the file reads back as the entries say.
TEST(LexiconTextTest, TheToolsLexiconReadsBack) {
  const std::string path = std::string(KAVERO_BINARY_DIR) + "/testdata/core-afst/german.fst";
  std::unique_ptr<fst::StdVectorFst> lexicon(fst::StdVectorFst::Read(path));
  ASSERT_NE(lexicon, nullptr) << path;
  EXPECT_EQ(accepted_relations(*lexicon, 20),
            (Paths{
                "H a u s -> H a u s +Nn-Sg +Neut",
                "H a u s -> H a u s +Nn-Pl +Neut",
                "H \xC3\xA4 u s e r -> H a u s +Nn-Pl +Neut",
                "H a u s e -> H a u s +Nn-Sg +Neut +Dat",
                "P a r i s -> P a r i s +City",
                "N e w   Y o r k -> N e w   Y o r k +City",
                "1 0 : 3 0 -> 1 0 : 3 0 +Time",
            }));
  // A builder takes it in like any network it wrote.
  Builder b;
  b.read(path);
  b.open_rule();
  b.pushArc("x");
  b.close_rule();
  b.applyUnion(0);
  EXPECT_EQ(accepted_relations(*b.simple_copy(), 20).count("P a r i s -> P a r i s +City"), 1u);
  EXPECT_EQ(accepted_relations(*b.simple_copy(), 20).count("x -> x"), 1u);
}

TEST(LexiconTextTest, ToolUsageAndFailure) {
  const std::string tool = std::string(KAVERO_BINARY_DIR) + "/bin/afst-lexicon";
  const auto run = [&](const std::string& arguments) {
    const int status = std::system((tool + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(run("/no/such/entries.txt /tmp/never-written.fst"), 1);
}

}  // namespace
}  // namespace afst
}  // namespace zel
