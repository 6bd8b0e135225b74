#include "compiler/driver/file_guard.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "base/scratch_folder_testutil.h"

namespace zel {
namespace compiler {
namespace {

namespace fs = std::filesystem;
using zel::testing::read_file;
using zel::testing::ScratchFolder;

TEST(OriginalFileGuard, WorksOnThePairItself) {
  ScratchFolder folder;
  const fs::path dom = folder.write("d.dom", "domain");
  {
    OriginalFileGuard guard(dom);
    EXPECT_EQ(guard.dom(), dom);
    EXPECT_EQ(guard.copy_to_work_on(), dom);
    EXPECT_EQ(guard.copy_inc_to_work_on(), folder.str("d.dom_inc"));
    guard.save();
  }
  EXPECT_EQ(read_file(dom), "domain");
}

TEST(TempFileGuard, CopiesThePairAndDeletesTheCopies) {
  ScratchFolder folder;
  const fs::path dom = folder.write("d.dom", "domain");
  folder.write("d.dom_inc", "twin");
  const auto dom_time = fs::last_write_time(dom);
  fs::path work;
  fs::path work_inc;
  {
    TempFileGuard guard(dom);
    TempFileGuard other(dom);
    work = guard.copy_to_work_on();
    work_inc = guard.copy_inc_to_work_on();
    EXPECT_NE(work, other.copy_to_work_on());
    EXPECT_EQ(work.parent_path(), fs::temp_directory_path());
    const std::string name = work.filename().string();
    EXPECT_EQ(name.rfind("mdc-", 0), 0u) << name;
    EXPECT_EQ(name.size(), 44u) << name;
    EXPECT_EQ(work_inc.string(), work.string() + "_inc");
    EXPECT_EQ(read_file(work), "domain");
    EXPECT_EQ(read_file(work_inc), "twin");
  }
  EXPECT_FALSE(fs::exists(work));
  EXPECT_FALSE(fs::exists(work_inc));
  EXPECT_EQ(read_file(dom), "domain");
  EXPECT_EQ(read_file(folder.str("d.dom_inc")), "twin");
  EXPECT_EQ(fs::last_write_time(dom), dom_time);
}

TEST(TempFileGuard, NeedsAnExistingDomainFile) {
  ScratchFolder folder;
  EXPECT_THROW(TempFileGuard(folder.path() / "d.dom"), fs::filesystem_error);
}

TEST(TempFileGuard, SaveRenamesTheCopiesOverThePair) {
  ScratchFolder folder;
  const fs::path dom = folder.write("d.dom", "old domain");
  folder.write("d.dom_inc", "old twin");
  {
    TempFileGuard guard(dom);
    std::ofstream(guard.copy_to_work_on()) << "new domain";
    std::ofstream(guard.copy_inc_to_work_on()) << "new twin";
    guard.save();
    // The work files stay the build's own until the guard goes.
    EXPECT_TRUE(fs::exists(guard.copy_to_work_on()));
  }
  EXPECT_EQ(read_file(dom), "new domain");
  EXPECT_EQ(read_file(folder.str("d.dom_inc")), "new twin");
  // Nothing is left beside the pair.
  EXPECT_EQ(folder.listing(), "d.dom d.dom_inc");
}

// Without a work twin the save fails before it has changed anything: the
// pair stays whole and no temporary file is left beside it.
TEST(TempFileGuard, ASaveWithoutTwinLeavesThePairAsItWas) {
  ScratchFolder folder;
  const fs::path dom = folder.write("d.dom", "old domain");
  {
    TempFileGuard guard(dom);
    EXPECT_FALSE(fs::exists(guard.copy_inc_to_work_on()));
    std::ofstream(guard.copy_to_work_on()) << "new domain";
    EXPECT_THROW(guard.save(), fs::filesystem_error);
  }
  EXPECT_EQ(read_file(dom), "old domain");
  EXPECT_EQ(folder.listing(), "d.dom");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
