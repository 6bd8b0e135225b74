#include "engine/sdk_paths.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/exception.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "engine/environment_testutil.h"
#include "language/runtime_log_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using ::testing::IsSupersetOf;
using zel::testing::message_of;
using zel::testing::RuntimeLog;
using zel::testing::ScopedEnvironment;
using zel::testing::ScratchFolder;

std::shared_ptr<IOptions> options_of(const nlohmann::json& object) {
  return convert_string_to_api_options(object.dump());
}

// Each test starts from an environment without the two variables.
class SdkPaths : public ::testing::Test {
 protected:
  SdkPaths() {
    env_.unset("KAVERO_ROOT");
    env_.unset("KAVERO_MORVIK");
  }
  ScopedEnvironment env_;
  ScratchFolder temp_;
};

TEST_F(SdkPaths, FindsTheResourceFolderInsideTheRoot) {
  temp_.folder("root/morvik");
  auto options = options_of({{"root_path", temp_.str("root")}});
  RuntimeLog log;
  fill_in_sdk_paths(options);
  EXPECT_EQ(options->get("morvik"), temp_.str("root/morvik"));
  EXPECT_THAT(log.lines(),
              IsSupersetOf({"INFO KAVERO_ROOT : [" + temp_.str("root") + "]",
                            "TRACE The 'morvik' option not set/found using default [" +
                                temp_.str("root/morvik") + "]",
                            "INFO MORVIK_ROOT : [" + temp_.str("root/morvik") + "]",
                            "TRACE  MORVIK_PATH : [" + temp_.str("root/morvik") + "]"}));
}

TEST_F(SdkPaths, FindsTheResourceFolderBesideTheRootAndWarns) {
  temp_.folder("root");
  temp_.folder("morvik");
  auto options = options_of({{"root_path", temp_.str("root")}});
  RuntimeLog log;
  fill_in_sdk_paths(options);
  // The ".." stays in the text.
  EXPECT_EQ(options->get("morvik"), temp_.str("root") + "/../morvik");
  EXPECT_TRUE(log.has("WARNING", "Could not find morvik in default location [" +
                                     temp_.str("root") + "/morvik]"));
}

TEST_F(SdkPaths, NoResourceFolderFoundIsNoError) {
  temp_.folder("root");
  auto options = options_of({{"root_path", temp_.str("root")}});
  fill_in_sdk_paths(options);
  EXPECT_FALSE(options->has("morvik"));
}

TEST_F(SdkPaths, GivenResourceFoldersAreOnlyChecked) {
  temp_.folder("a");
  temp_.folder("b");
  temp_.folder("root/morvik");
  const std::string root = temp_.str("root");
  struct Case {
    std::string morvik;
    std::string message;
  } const cases[] = {
      {temp_.str("a") + ":" + temp_.str("b"), "(no exception)"},
      // Present but empty: no folder, no default.
      {"", "(no exception)"},
      {temp_.str("a") + ":", "morvik data path is not valid []"},
      // A run of separators is one cut.
      {temp_.str("a") + "::" + temp_.str("b"), "(no exception)"},
      {temp_.str("missing") + ":" + temp_.str("gone"),
       "morvik data path is not valid [" + temp_.str("missing") + "]"},
  };
  for (const Case& c : cases) {
    auto options = options_of({{"root_path", root}, {"morvik", c.morvik}});
    EXPECT_EQ(message_of([&] { fill_in_sdk_paths(options); }), c.message) << c.morvik;
    EXPECT_EQ(options->get("morvik"), c.morvik);
  }
}

TEST_F(SdkPaths, TheEnvironmentFillsWhatTheOptionsLeaveOut) {
  temp_.folder("env-root/morvik");
  temp_.folder("env-morvik");
  temp_.folder("option-root");
  env_.set("KAVERO_ROOT", temp_.str("env-root"));
  {
    auto options = options_of(nlohmann::json::object());
    fill_in_sdk_paths(options);
    EXPECT_EQ(options->get("root_path"), temp_.str("env-root"));
    EXPECT_EQ(options->get("morvik"), temp_.str("env-root/morvik"));
  }
  env_.set("KAVERO_MORVIK", temp_.str("env-morvik"));
  {
    // An empty "root_path" counts as none; the options win where given.
    auto options = options_of({{"root_path", ""}});
    fill_in_sdk_paths(options);
    EXPECT_EQ(options->get("root_path"), temp_.str("env-root"));
    EXPECT_EQ(options->get("morvik"), temp_.str("env-morvik"));
    auto given = options_of({{"root_path", temp_.str("option-root")}, {"morvik", ""}});
    fill_in_sdk_paths(given);
    EXPECT_EQ(given->get("root_path"), temp_.str("option-root"));
    EXPECT_EQ(given->get("morvik"), "");
  }
  EXPECT_EQ(get_default_morvik(), temp_.str("env-morvik"));
  env_.set("KAVERO_ROOT", temp_.str("nowhere"));
  EXPECT_EQ(message_of([] { get_default_morvik(); }),
            "omr root path option is not valid path [" + temp_.str("nowhere") + "]");
}

TEST_F(SdkPaths, WithoutRootOptionOrVariableTheProgramsLocationGivesTheRoot) {
  // This test program is not linked with the shared library, so its
  // location gives nothing and the program's own location is used.
  EXPECT_TRUE(system::path::this_function().empty());
  auto options = options_of({{"root_path", ""}});
  fill_in_sdk_paths(options);
  const fs::path expected = system::path::installation_of_executable(
      fs::read_symlink("/proc/self/exe"), "./kav");
  EXPECT_EQ(options->get("root_path"), expected.string());
  EXPECT_EQ(system::path::sdk("./kav"), expected);
}

TEST(InstallationOfExecutable, IsTheFolderAboveTheProgramsFolder) {
  ScratchFolder temp;
  temp.file("a/b/bin/tool");
  temp.file("a/b/release-x64/bin/tool");
  temp.file("a/b/debug/bin/tool");
  temp.file("a/b/rel/bin/tool");
  temp.folder("a/b/x/bin");
  fs::create_symlink(temp.path() / "a/b/bin/tool", temp.path() / "a/b/x/bin/link");
  struct Case {
    std::string executable;
    std::string installation;
  } const cases[] = {
      {temp.str("a/b/bin/tool"), temp.str("a/b")},
      {temp.str("a/b/release-x64/bin/tool"), temp.str("a/b")},
      {temp.str("a/b/debug/bin/tool"), temp.str("a/b")},
      {temp.str("a/b/rel/bin/tool"), temp.str("a/b/rel")},
      // The folder of the link, not of its target.
      {temp.str("a/b/x/bin/link"), temp.str("a/b/x")},
      {temp.str("a/b/bin/../bin/tool"), temp.str("a/b")},
      {temp.str("a/b/bin/missing"), "./kav"},
      {"", "./kav"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(system::path::installation_of_executable(c.executable, "./kav").string(),
              c.installation)
        << c.executable;
  }
}

TEST(LibraryLocation, GivesTheFolderOfTheLibraryAndTheRootAboveIt) {
  const std::vector<std::string> loaded = {"", "/usr/lib/libc.so.6",
                                           "/a/b/lib/libkavero.so.0", "/c/libkavero.so"};
  EXPECT_EQ(system::path::library_folder_in(loaded), fs::path("/a/b/lib/"));
  EXPECT_EQ(system::path::library_folder_in({"", "/usr/lib/libc.so.6"}), fs::path());

  ScratchFolder temp;
  temp.folder("a/b/lib");
  EXPECT_EQ(root_of_library_folder(temp.path() / "a/b/lib/"), temp.path() / "a/b");
  EXPECT_EQ(root_of_library_folder(temp.str("a/b/lib/../lib/")), temp.path() / "a/b");
  EXPECT_EQ(root_of_library_folder(fs::path()), fs::path());
  EXPECT_EQ(root_of_library_folder(temp.path() / "gone/lib/"), fs::path());
}

}  // namespace
}  // namespace kavero
}  // namespace zel
