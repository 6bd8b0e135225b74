#include "language/hmm_source.h"

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "base/exception.h"
#include "language/hmm_tables.h"
#include "language/pos_table.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace {

using testing::ScratchFolder;

TEST(HmmSource, Sections) {
  const std::map<std::string, std::string> records = parse_source(
      "# tables of a test language\n"
      "\n"
      "[start-hmm]\n"
      "Det\t0.4\n"
      "# a comment between lines\n"
      "Nn-Std\t0.3\n"
      "[emission-hmm]\n"
      "#^^Punct\t0.5\n"      // a literal "#": a table line, since it has a tab
      "[^^Punct-Open\t0.5\n"  // a literal "[" likewise
      "New York^^Prop\t0.1\n"
      "[transmission-hmm]\n");
  EXPECT_EQ(records, (std::map<std::string, std::string>{
                         {"start-hmm", "Det\t0.4\nNn-Std\t0.3\n"},
                         {"emission-hmm",
                          "#^^Punct\t0.5\n[^^Punct-Open\t0.5\nNew York^^Prop\t0.1\n"},
                         {"transmission-hmm", ""}}));
  EXPECT_TRUE(parse_source("# nothing\n").empty());
}

TEST(HmmSource, Errors) {
  struct Case {
    const char* source;
    const char* message;
  };
  const Case cases[] = {
      {"Det\t0.4\n", "hmm source line 1: table line before the first header"},
      {"[start-hmm]\nDet 0.4\n", "hmm source line 2: a table line needs a tab: Det 0.4"},
      {"[start]\n", "hmm source line 1: unknown record start"},
      {"[start-hmm]\n[emission-hmm]\n[start-hmm]\n",
       "hmm source line 3: record named twice: start-hmm"},
  };
  for (const Case& c : cases) {
    try {
      parse_source(c.source);
      ADD_FAILURE() << "no error for " << c.source;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(HmmSource, WrittenFilesLoad) {
  ScratchFolder scratch;
  const std::filesystem::path output = scratch.path() / "en.hmm";
  scratch.write("en.hmm", "an old file that is no database");
  write_file(
      "[start-hmm]\nDet\t0.4\n"
      "[emission-hmm]\nthe^^Det\t0.6\n"
      "[transmission-hmm]\nDet Nn-Std\t0.7\n",
      output);
  const Resource tables = load(output.string());
  using language::pos_table::id;
  EXPECT_FLOAT_EQ(tables.start.at(id("Det")), 0.4f);
  EXPECT_FLOAT_EQ(tables.emission.at("the^^Det"), 0.6f);
  EXPECT_FLOAT_EQ(tables.transition.get(detail::make_transition_id(id("Det"), id("Nn-Std"))),
                  0.7f);

  // A source that fails leaves no file behind, not even the old one.
  EXPECT_THROW(write_file("[nonsense]\n", output), Exception);
  EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
