#include "language/hmm_tables.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "base/exception.h"
#include "core-afst/serialization.h"
#include "language/hmm_source.h"
#include "language/pos_table.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace {

using language::pos_table::id;

TEST(HmmTables, StartTable) {
  std::unordered_map<uint32_t, float> start;
  detail::load_probalitity_table(start,
                                 "Nn-Std\t0.5\n"
                                 "Det\t 0.25\r\n"
                                 "Unknown\t0.125\n"
                                 "Other\t0.9\n"
                                 "Nn-Std\t0.7\n"
                                 "V\tnone\n"
                                 "Adj\t1e-3x");
  EXPECT_EQ(start.size(), 5u);
  EXPECT_FLOAT_EQ(start.at(id("Nn-Std")), 0.5f);  // the first line wins
  EXPECT_FLOAT_EQ(start.at(id("Det")), 0.25f);
  EXPECT_FLOAT_EQ(start.at(0), 0.125f);  // unknown tags share id 0
  EXPECT_FLOAT_EQ(start.at(id("V")), 0.0f);
  EXPECT_FLOAT_EQ(start.at(id("Adj")), 0.001f);
}

TEST(HmmTables, EmissionTable) {
  std::unordered_map<std::string, float> emission;
  detail::load_emission_table(emission,
                              "house^^Nn-Std\t0.01\n"
                              "New York^^Prop\t0.5\n"
                              "dummy^^Nn-Std\t0.001\n"
                              "House^^Nn-Std\t0.02\n"
                              "house^^Nn-Std\t0.9\n"
                              "#^^Punct\t0.3\t0.4\n");
  EXPECT_EQ(emission.size(), 5u);
  EXPECT_FLOAT_EQ(emission.at("house^^Nn-Std"), 0.01f);
  EXPECT_FLOAT_EQ(emission.at("House^^Nn-Std"), 0.02f);
  EXPECT_FLOAT_EQ(emission.at("New York^^Prop"), 0.5f);
  EXPECT_FLOAT_EQ(emission.at("dummy^^Nn-Std"), 0.001f);
  EXPECT_FLOAT_EQ(emission.at("#^^Punct"), 0.3f);
}

TEST(HmmTables, TransitionTable) {
  TransitionTableResource transition;
  detail::load_transition_table(transition,
                                "Det Nn-Std\t0.7\n"
                                "Det Adj\t0.2\n"
                                "Det Nn-Std\t0.1\n"
                                "Nn-Std Unknown tag\t0.05\n");
  EXPECT_EQ(transition.table.size(), 3u);
  EXPECT_EQ(detail::make_transition_id(0x10000Cu, 0x200001u), 0x10000C00200001u);
  EXPECT_FLOAT_EQ(transition.get(detail::make_transition_id(id("Det"), id("Nn-Std"))), 0.7f);
  EXPECT_FLOAT_EQ(transition.get(detail::make_transition_id(id("Det"), id("Adj"))), 0.2f);
  EXPECT_FLOAT_EQ(transition.get(detail::make_transition_id(id("Nn-Std"), 0)), 0.05f);
  // Transitions the table does not hold get the floor probability.
  EXPECT_FLOAT_EQ(transition.get(detail::make_transition_id(id("Adj"), id("Det"))), 1e-13f);
  EXPECT_EQ(transition.default_probability, kFloorProbability);
}

TEST(HmmTables, MalformedLinesFailTheLoad) {
  using Parse = std::function<void(const std::string&)>;
  const Parse start = [](const std::string& text) {
    std::unordered_map<uint32_t, float> table;
    detail::load_probalitity_table(table, text);
  };
  const Parse emission = [](const std::string& text) {
    std::unordered_map<std::string, float> table;
    detail::load_emission_table(table, text);
  };
  const Parse transition = [](const std::string& text) {
    TransitionTableResource table;
    detail::load_transition_table(table, text);
  };
  struct Case {
    Parse parse;
    std::string text;
    std::string message;
  };
  const std::string prefix = "Invalid line ";
  const Case cases[] = {
      {start, "Nn 0.5\n", "1 in the start table of the hmm file: no tab"},
      {start, "Nn\t0.5\n\n", "2 in the start table of the hmm file: no tab"},
      {start, "\n", "1 in the start table of the hmm file: no tab"},
      {emission, "a^^Nn\t0.5\n\nb^^Nn\t0.5",
       "2 in the emission table of the hmm file: no tab"},
      {emission, "a^^Nn 0.5", "1 in the emission table of the hmm file: no tab"},
      {transition, "Det\tNn 0.5",
       "1 in the transmission table of the hmm file: no tab after the space"},
      {transition, "Det-Nn\t0.5",
       "1 in the transmission table of the hmm file: no space"},
      {transition, "Det Nn\t0.5\n\n",
       "2 in the transmission table of the hmm file: no space"},
  };
  for (const Case& c : cases) {
    try {
      c.parse(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), prefix + c.message) << c.text;
    }
  }
}

constexpr char kStart[] = "[start-hmm]\nDet\t0.4\nNn-Std\t0.3\n";
constexpr char kEmission[] =
    "[emission-hmm]\nthe^^Det\t0.6\nhouse^^Nn-Std\t0.01\ndummy^^Nn-Std\t0.001\n";
constexpr char kTransition[] = "[transmission-hmm]\nDet Nn-Std\t0.7\nNn-Std Det\t0.2\n";

TEST(HmmTables, LoadsTheThreeTablesOfAFile) {
  testing::ScratchFolder scratch;
  const std::string path = (scratch.path() / "en.hmm").string();
  write_file(std::string(kStart) + kEmission + kTransition, path);
  const Resource tables = load(path);
  EXPECT_EQ(tables.start.size(), 2u);
  EXPECT_FLOAT_EQ(tables.start.at(id("Nn-Std")), 0.3f);
  EXPECT_EQ(tables.emission.size(), 3u);
  EXPECT_FLOAT_EQ(tables.emission.at("dummy^^Nn-Std"), 0.001f);
  EXPECT_EQ(tables.transition.table.size(), 2u);
  EXPECT_FLOAT_EQ(tables.transition.get(detail::make_transition_id(id("Nn-Std"), id("Det"))),
                  0.2f);
}

TEST(HmmTables, FilesWithoutTables) {
  testing::ScratchFolder scratch;
  const std::string prefix = "Cannot find ";
  struct Case {
    const char* what;
    std::string source;
    std::string message;
  };
  const Case cases[] = {
      {"no transition record", std::string(kStart) + kEmission,
       "transmission resource in hmm file."},
      {"no start record", std::string(kEmission) + kTransition, "start resource in hmm file."},
      {"an empty emission record", std::string(kStart) + "[emission-hmm]\n" + kTransition,
       "emission resource in hmm file."},
      {"no record at all", "", "start resource in hmm file."},
  };
  for (const Case& c : cases) {
    const std::string path = (scratch.path() / "x.hmm").string();
    write_file(c.source, path);
    try {
      load(path);
      ADD_FAILURE() << "no error: " << c.what;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), prefix + c.message + " [" + path + "]") << c.what;
    }
  }

  // A file that is no database reads as one without records, and says so.
  const std::string text = scratch.write("text.hmm", "Det\t0.4\n").string();
  try {
    load(text);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot find start resource in hmm file. [" + text + "]: file is not a database");
  }

  // A file that cannot be opened gives empty tables, and is not made.
  const std::string missing = (scratch.path() / "missing.hmm").string();
  const Resource none = load(missing);
  EXPECT_TRUE(none.start.empty());
  EXPECT_TRUE(none.emission.empty());
  EXPECT_TRUE(none.transition.table.empty());
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(HmmTables, ABlankLineFailsTheLoad) {
  testing::ScratchFolder scratch;
  const std::string path = (scratch.path() / "en.hmm").string();
  write_file(std::string(kStart) + kEmission + kTransition, path);
  {
    auto db = afst::serialization::open_file(path);
    const std::string start = "Det\t0.4\n\nNn-Std\t0.3\n";
    afst::serialization::store_binary_data(db.get(), "start-hmm", "", start.data(),
                                           start.size());
  }
  try {
    load(path);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "Invalid line 2 in the start table of the hmm file [" + path + "]: no tab");
  }
}

}  // namespace
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
