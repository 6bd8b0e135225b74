#include "compiler/driver/kav_cache_files.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/base64.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace compiler {
namespace {

namespace fs = std::filesystem;

TEST(KavCachFiles, HoldsInlineSourcesForTheCallOnly) {
  const std::string source = "rule:{ <\"a\"> } = Xx;";
  std::string from_text;
  std::string from_base64;
  {
    KavCachFiles files;
    from_text = files.add_kav(source);
    from_base64 = files.add_base64(string::base64::encode(source));
    EXPECT_NE(from_text, from_base64);
    for (const std::string& path : {from_text, from_base64}) {
      EXPECT_EQ(fs::path(path).parent_path(), fs::temp_directory_path());
      EXPECT_EQ(fs::path(path).filename().string().rfind("tmp-kav-", 0), 0u) << path;
      EXPECT_EQ(fs::path(path).extension(), ".kav");
      EXPECT_EQ(zel::testing::read_file(path), source + "\n");
    }
  }
  EXPECT_FALSE(fs::exists(from_text));
  EXPECT_FALSE(fs::exists(from_base64));
}

TEST(KavCachFiles, TextThatIsNoBase64IsRefused) {
  KavCachFiles files;
  EXPECT_ANY_THROW(files.add_base64("***"));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
