#include "engine/engine.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "matcher/plugin_collection.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using testing::ScratchFolder;

std::shared_ptr<IOptions> options_of(const nlohmann::json& object) {
  return convert_string_to_api_options(object.dump());
}

TEST(Engine, MakesItsResourceFoldersCanonicalAndAddsTheKaveroSubfolders) {
  ScratchFolder temp;
  temp.folder("root");
  temp.folder("data/morvik");
  temp.folder("extra");
  // The first folder is named through a symbolic link and a "..".
  fs::create_directory_symlink(temp.path() / "data", temp.path() / "link");
  const std::string morvik =
      temp.str("link/morvik") + ":" + temp.str("root/../extra");
  auto options = options_of({{"root_path", temp.str("root")}, {"morvik", morvik}});
  Engine engine(options);

  const std::vector<std::string> expected = {
      temp.str("data/morvik"), temp.str("extra"), temp.str("data/morvik/kavero")};
  EXPECT_EQ(engine.resource_folders(), expected);
  EXPECT_EQ(engine.root_folder(), temp.str("root"));
  // The engine shares the caller's options and rewrites "morvik".
  EXPECT_EQ(options->get("morvik"),
            expected[0] + ":" + expected[1] + ":" + expected[2]);
  EXPECT_EQ(engine.property("morvik"), options->get("morvik"));
}

TEST(Engine, RefusesWhatItCannotDoYet) {
  ScratchFolder temp;
  const std::string root = temp.str();
  struct Case {
    nlohmann::json options;
    std::string message;
  } const cases[] = {
      {{{"morvik", root}},
       "The engine operation 'finding the root and resource folders without "
       "the options \"root_path\" and \"morvik\"' is not available yet."},
      {{{"root_path", root}},
       "The engine operation 'finding the root and resource folders without "
       "the options \"root_path\" and \"morvik\"' is not available yet."},
      {{{"root_path", root}, {"morvik", root}, {"resource_manager_config", "{\"interval\":5}"}},
       "The engine operation 'purge policy (\"resource_manager_config\")' is "
       "not available yet."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_of([&] { Engine engine(options_of(c.options)); }), c.message)
        << c.options.dump();
  }
  // A policy that limits nothing needs no policy object.
  Engine engine(options_of(
      {{"root_path", root}, {"morvik", root}, {"resource_manager_config", "{}"}}));
  EXPECT_EQ(engine.resource_folders(), std::vector<std::string>{root});
}

TEST(Engine, AResourceFolderThatDoesNotExistFailsTheConstruction) {
  ScratchFolder temp;
  for (const std::string& morvik : {temp.str("missing"), temp.str() + ":"}) {
    EXPECT_THROW(Engine(options_of({{"root_path", temp.str()}, {"morvik", morvik}})),
                 fs::filesystem_error)
        << morvik;
  }
}

TEST(Engine, PropertyGivesOptionsAndRefusesMissingOnes) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}, {"empty", ""}}));
  EXPECT_EQ(engine.property("root_path"), temp.str());
  EXPECT_EQ(message_of([&] { engine.property("never_set"); }),
            "Unkown attribute. [never_set] ");
  EXPECT_EQ(message_of([&] { engine.property("empty"); }), "Unkown attribute. [empty] ");
}

TEST(Engine, OperationsOfSubsystemsStillToComeSayThatTheyAreNotAvailable) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
  EngineInterface& api = engine;
  const std::vector<std::pair<std::string, std::function<void()>>> calls = {
      {"get_domains", [&] { api.get_domains("d", true); }},
      {"get_domain_filename", [&] { api.get_domain_filename("d"); }},
      {"get_plugin", [&] { api.get_plugin("p"); }},
      {"release_domains", [&] { api.release_domains(); }},
      {"release_domain", [&] { api.release_domain("d"); }},
      {"purge_domains", [&] { api.purge_domains("{}"); }},
      {"init_plugins", [&] { api.init_plugins(); }},
      {"info", [&] { api.info(); }},
      {"release_domain_no_lock", [&] { api.release_domain_no_lock("d"); }},
  };
  for (const auto& [name, call] : calls) {
    EXPECT_EQ(message_of(call),
              "The engine operation '" + name + "' is not available yet.");
    EXPECT_THROW(call(), zel::Exception) << name;
  }
}

TEST(Engine, StartsWithOneEmptyPluginCollection) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
  std::shared_ptr<plugins::PluginCollection> collection = engine.get_plugins_ptr();
  ASSERT_NE(collection, nullptr);
  EXPECT_EQ(engine.get_plugins(), collection.get());
  EXPECT_TRUE(collection->plugins.empty());
}

TEST(Engine, APluginAlreadyInTheCollectionIsAnsweredFromIt) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
  // Never called: the collection shuts down only plugins that are set.
  engine.get_plugins()->plugins["held"] = nullptr;
  const boost::shared_ptr<plugins::API>& held = engine.get_plugin("held");
  EXPECT_EQ(&held, &engine.get_plugins()->plugins["held"]);
  EXPECT_THROW(engine.get_plugin("other"), zel::Exception);
}

TEST(Engine, ReleasingALanguageThatIsNotCachedChangesNothing) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
  EXPECT_FALSE(engine.release_language("/nowhere/english.language"));
  EXPECT_FALSE(engine.release_language_no_lock(""));
  // Not cached: nothing to compare, nothing released.
  engine.check_language_file("/nowhere/english.language");
  engine.collect_volume_size(1 << 20);
  engine.check_language_purge();
  engine.check_domain_purge();
}

TEST(Engine, KeepsItsOwnCacheOfExpressions) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
  Regex first = engine.get_regex("[a-z]+");
  Regex second = engine.get_regex("[a-z]+");
  EXPECT_TRUE(first.shares_expression_with(second));
  EXPECT_TRUE(first.regex_match("abc"));
  EXPECT_FALSE(first.regex_match("ABC"));
  EXPECT_FALSE(engine.get_regex("[A-Z]+").shares_expression_with(first));
}

TEST(RelativeToPaths, NamesALanguageByItsPathBelowTheFirstFolderThatHoldsIt) {
  const std::vector<fs::path> folders = {"/data/morvik", "/data/extra/", "", "/data"};
  struct Case {
    std::string path;
    std::string name;
  } const cases[] = {
      {"/data/morvik/english.language", "english"},
      {"/data/morvik/sub/english.language", "sub/english"},
      {"/data/extra/dutch@2.language", "dutch@2"},
      // Held by the last folder only: /data/morvik2 is not /data/morvik.
      {"/data/morvik2/english.language", "morvik2/english"},
      // No folder holds it; the empty folder names nothing.
      {"/elsewhere/english.language", "/elsewhere/english.language"},
      {"english.language", "english.language"},
      // Not a configuration, or nothing before the extension.
      {"/data/morvik/english.lex", "/data/morvik/english.lex"},
      {"/data/morvik/.language", "/data/morvik/.language"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(relative_to_paths(c.path, folders), c.name) << c.path;
  }
}

TEST(NormalizePaths, ReplacesEveryPathByItsCanonicalForm) {
  ScratchFolder temp;
  temp.folder("a/b");
  std::vector<std::string> paths = {temp.str("a/b/.."), temp.str("a/./b")};
  normalize_paths(paths);
  EXPECT_EQ(paths, (std::vector<std::string>{temp.str("a"), temp.str("a/b")}));
  std::vector<std::string> missing = {temp.str("a"), temp.str("nothing")};
  EXPECT_THROW(normalize_paths(missing), fs::filesystem_error);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
