#include "compiler/driver/domain_database.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/fatal_exception.h"
#include "base/logging.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compiler_blackboard.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

namespace ser = afst::serialization;
using compiler::testing::record_data;
using compiler::testing::record_names;
using ::testing::ElementsAre;

void put(const std::string& file, const std::string& name) {
  auto db = ser::open_file(file);
  ser::create_cbf_table(db.get());
  ser::store_binary_data(db.get(), name, "", "x", 1);
}

class DomainDatabaseTest : public ::testing::Test {
 protected:
  std::unique_ptr<DomainDatabase> open(bool full_build, int64_t timestamp = -1) {
    return std::make_unique<DomainDatabase>(blackboard, dom, timestamp, full_build);
  }

  zel::testing::ScratchFolder folder;
  Blackboard blackboard;
  std::string dom = folder.str("d.dom");
  std::string twin = folder.str("d.dom_inc");
};

TEST_F(DomainDatabaseTest, StampsTheDomainFileAndMarksItBusyWhileOpen) {
  {
    auto database = open(true);
    EXPECT_EQ(database->filename(), dom);
    EXPECT_EQ(database->timestamp(), -1);
    EXPECT_FALSE(database->incremental());
    EXPECT_THAT(record_names(dom), ElementsAre("_BUSY_", "sdk_version"));
    EXPECT_EQ(record_data(dom, "sdk_version"), "3.1.1");
    EXPECT_EQ(record_data(dom, "_BUSY_"), "{}");
    EXPECT_EQ(ser::get_binary_data(database->domain_db().get(), "sdk_version").first, "");
    EXPECT_EQ(ser::get_binary_data(database->domain_db().get(), "_BUSY_").first, "");
    EXPECT_THAT(record_names(twin), ::testing::IsEmpty());
    EXPECT_TRUE(ser::has_table(database->twin_db().get(), "FILES"));
  }
  EXPECT_THAT(record_names(dom), ElementsAre("sdk_version"));
}

TEST_F(DomainDatabaseTest, AFullBuildStartsFromAnEmptyPair) {
  put(dom, "rule_old");
  put(twin, "uniq_id_2_filename_map");
  auto database = open(true);
  EXPECT_THAT(record_names(dom), ElementsAre("_BUSY_", "sdk_version"));
  EXPECT_THAT(record_names(twin), ::testing::IsEmpty());
}

TEST_F(DomainDatabaseTest, AnIncrementalBuildKeepsTheRecords) {
  put(dom, "rule_old");
  put(twin, "uniq_id_2_filename_map");
  {
    auto database = open(false, 1700000000);
    EXPECT_TRUE(database->incremental());
    EXPECT_THAT(record_names(dom), ElementsAre("_BUSY_", "rule_old", "sdk_version"));
    EXPECT_THAT(record_names(twin), ElementsAre("uniq_id_2_filename_map"));
  }
  EXPECT_THAT(record_names(dom), ElementsAre("rule_old", "sdk_version"));
}

TEST_F(DomainDatabaseTest, ATwinWithoutItsDomainFileIsDropped) {
  put(twin, "uniq_lexicon_hasha.kav");
  auto database = open(false, 1700000000);
  EXPECT_THAT(record_names(twin), ::testing::IsEmpty());
}

TEST_F(DomainDatabaseTest, AFileThatCannotBeMadeIsFatal) {
  const std::string missing = folder.str("no/such/folder/d.dom");
  EXPECT_THROW(DomainDatabase(blackboard, missing, -1, true), FatalException);
  EXPECT_EQ(zel::testing::message_of([&] { DomainDatabase(blackboard, missing, -1, true); }),
            "Can not create database: " + missing);
  EXPECT_EQ(zel::testing::message_of([&] { open_result_db(missing); }),
            "Can not create database: " + missing);
}

TEST_F(DomainDatabaseTest, LogsItsFilesAtTraceLevel) {
  static std::vector<std::string>* sink = nullptr;
  std::vector<std::string> lines;
  sink = &lines;
  wlog::add_logger({wlog::kCompilerId, wlog::kLevelTrace, [](std::uint16_t level, const char* text) {
                      if (sink != nullptr) sink->push_back(std::to_string(level) + " " + text);
                    }});
  open(true, 1700000000);
  sink = nullptr;
  EXPECT_THAT(lines, ElementsAre("16 domain_timestamp :1700000000", "16 DB :" + dom,
                                 "16 DBINC :" + twin));
}

TEST(LexiconTableName, IsEntitiesAndTheName) {
  EXPECT_EQ(make_lexicon_table_name("stem"), "entities_stem");
  EXPECT_EQ(make_lexicon_table_name(""), "entities_");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
