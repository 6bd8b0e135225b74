#include "core-afst/lexicon_text.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "core-afst/builder.h"
#include "core-afst/network_paths_testutil.h"
#include "core-afst/word_lookup.h"
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

// The states that have two arcs reading the same input (arcs that read
// nothing aside): a lookup would have to follow both.
int nondeterministic_states(const fst::StdVectorFst& lexicon) {
  int count = 0;
  for (fst::StateIterator<fst::StdVectorFst> states(lexicon); !states.Done(); states.Next()) {
    std::set<int64_t> inputs;
    for (fst::ArcIterator<fst::StdVectorFst> arcs(lexicon, states.Value()); !arcs.Done();
         arcs.Next()) {
      const int64_t input = arcs.Value().ilabel;
      if (input != 0 && !inputs.insert(input).second) {
        ++count;
        break;
      }
    }
  }
  return count;
}

TEST(LexiconTextTest, LookupsFollowADeterministicInputSide) {
  struct Case {
    std::string text;
    Paths relations;
  };
  const std::vector<Case> cases = {
      // Outputs written on the first arc, words that are prefixes of others,
      // a word of two languages.
      {"als:[DE60]\nals:[NL50]\nalso:[EN40]\nan:[DE40]\na:[EN60]\n",
       {"a l s -> DE60", "a l s -> NL50", "a l s o -> EN40", "a n -> DE40", "a -> EN60"}},
      // Forms whose analyses begin with their own letters, and forms whose
      // analyses do not.
      {"we:we[+Pron]\nwent:go[+V-Past]\nwen:wen[+Nn-Sg]\nwell:well[+Adv]\n",
       {"w e -> w e +Pron", "w e n t -> g o +V-Past", "w e n -> w e n +Nn-Sg",
        "w e l l -> w e l l +Adv"}},
      // Analyses that share their beginning and differ later.
      {"ab:[X][Y]\nab:[X][Z]\nabc:[X][Y]\n", {"a b -> X Y", "a b -> X Z", "a b c -> X Y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto lexicon = lexicon_of(c.text);
    EXPECT_EQ(accepted_relations(*lexicon), c.relations);
    EXPECT_EQ(nondeterministic_states(*lexicon), 0);
    EXPECT_EQ(lexicon->NumArcs(lexicon->Start()), 1u);
  }
}

// Identification lists write each word's language on its first arc; a list
// written so must answer as one written with the language at the end, and
// its start state must hold about one arc per first letter, not one per
// letter and language.
TEST(LexiconTextTest, WhereAnOutputIsWrittenChangesNeitherAnswersNorLayout) {
  std::mt19937 random(1211);
  std::uniform_int_distribution<int> length(1, 6);
  std::uniform_int_distribution<int> letter(0, 7);
  std::uniform_int_distribution<int> code(0, 3);
  const char* const kCodes[] = {"EN40", "DE60", "FR55", "NL70"};
  std::map<std::string, std::set<std::string>> list;  // word -> codes
  while (list.size() < 400) {
    std::string word;
    for (int n = length(random); n > 0; --n) word += static_cast<char>('a' + letter(random));
    list[word].insert(kCodes[code(random)]);
    if (list.size() % 7 == 0) list[word].insert(kCodes[code(random)]);
  }
  std::set<char> first_letters;
  for (const auto& [word, codes] : list) first_letters.insert(word[0]);

  const auto written = [&](int where) {
    std::string text;
    for (const auto& [word, codes] : list) {
      for (const std::string& c : codes) {
        std::string padding;
        const std::size_t before = where == 0 ? 0 : where == 1 ? word.size() - 1 : word.size();
        for (std::size_t i = 0; i < before; ++i) padding += "[eps]";
        text += word + ":" + padding + "[" + c + "]\n";
      }
    }
    return text;
  };
  std::set<std::string> expected;
  for (const auto& [word, codes] : list) {
    std::string spaced;
    for (char c : word) spaced += std::string(spaced.empty() ? "" : " ") + c;
    for (const std::string& c : codes) expected.insert(spaced + " -> " + c);
  }
  for (int where : {0, 1, 2}) {  // on the first arc, on the last, after it
    SCOPED_TRACE(where);
    const auto lexicon = lexicon_of(written(where));
    EXPECT_EQ(accepted_relations(*lexicon), expected);
    EXPECT_EQ(nondeterministic_states(*lexicon), 0);
    EXPECT_LE(lexicon->NumArcs(lexicon->Start()), first_letters.size() + 4);
    WordLookup lookup(lexicon, nullptr);
    for (const auto& [word, codes] : list) {
      EXPECT_EQ(lookup.up(word), std::vector<std::string>(codes.begin(), codes.end())) << word;
    }
    for (const char* other : {"", "abcdefgh", "z", "hhhhhhh"}) {
      if (list.count(other) == 0) {
        EXPECT_TRUE(lookup.up(other).empty()) << other;
      }
    }
  }
}

// The test language's identification list, as the build compiles it.
TEST(LexiconTextTest, TheIdentificationListHasASmallStartState) {
  std::ifstream source(std::string(KAVERO_SOURCE_DIR) + "/language/testdata/morvik/lid.lexicon");
  ASSERT_TRUE(source);
  const auto lexicon = build_lexicon(source, "lid.lexicon");
  EXPECT_EQ(nondeterministic_states(*lexicon), 0);
  EXPECT_LE(lexicon->NumArcs(lexicon->Start()), 26u);
}

TEST(LexiconTextTest, OutputsThatMustStayStayWhereWritten) {
  // A control input and a cycle keep the entries' arcs as written; they
  // still answer as written.
  EXPECT_EQ(accepted_relations(*lexicon_of("ab:[X]\n[#end-word]c:[Y]\n")),
            (Paths{"a b -> X", "#end-word c -> Y"}));
  EXPECT_EQ(accepted_relations(*lexicon_of("regex:a(b)*:[X]\n"), 4),
            (Paths{"a -> X", "a b -> X", "a b b -> X", "a b b b -> X"}));
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
