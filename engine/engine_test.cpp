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
#include "base/error_message_testutil.h"
#include "engine/environment_testutil.h"
#include "language/runtime_log_testutil.h"
#include "matcher/plugin_api.h"
#include "matcher/plugin_collection.h"

#include <boost/make_shared.hpp>
#include <cstdio>

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using testing::RuntimeLog;
using testing::ScopedEnvironment;
using testing::ScratchFolder;

std::shared_ptr<IOptions> options_of(const nlohmann::json& object) {
  return convert_string_to_api_options(object.dump());
}

TEST(Engine, MakesItsResourceFoldersCanonicalAndAddsTheKaveroSubfoldersThatExist) {
  ScratchFolder temp;
  temp.folder("root");
  temp.folder("data/morvik/kavero");
  temp.folder("extra");
  temp.folder("other/morvik");  // without a "kavero" subfolder
  // The first folder is named through a symbolic link and a "..".
  fs::create_directory_symlink(temp.path() / "data", temp.path() / "link");
  const std::string morvik = temp.str("link/morvik") + ":" + temp.str("root/../extra") + ":" +
                             temp.str("other/morvik");
  auto options = options_of({{"root_path", temp.str("root")}, {"morvik", morvik}});
  Engine engine(options);

  const std::vector<std::string> expected = {temp.str("data/morvik"), temp.str("extra"),
                                             temp.str("other/morvik"),
                                             temp.str("data/morvik/kavero")};
  EXPECT_EQ(engine.resource_folders(), expected);
  EXPECT_EQ(engine.root_folder(), temp.str("root"));
  // The engine shares the caller's options and rewrites "morvik".
  const std::string joined = expected[0] + ":" + expected[1] + ":" + expected[2] + ":" + expected[3];
  EXPECT_EQ(options->get("morvik"), joined);
  EXPECT_EQ(engine.property("morvik"), joined);
  // So another engine can be made from this one's folders, and finds the
  // same ones.
  Engine again(options_of({{"root_path", temp.str("root")}, {"morvik", engine.property("morvik")}}));
  EXPECT_EQ(again.resource_folders(), expected);
}

TEST(Engine, FailsWhenItsFoldersOrPurgePolicyAreRefused) {
  ScratchFolder temp;
  const std::string root = temp.str();
  ScopedEnvironment env;
  env.unset("KAVERO_ROOT");
  env.unset("KAVERO_MORVIK");
  struct Case {
    nlohmann::json options;
    std::string message;
  } const cases[] = {
      {{{"root_path", temp.str("gone")}}, "omr root path option is not valid path [" + temp.str("gone") + "]"},
      {{{"root_path", root}, {"morvik", temp.str("gone")}},
       "morvik data path is not valid [" + temp.str("gone") + "]"},
      {{{"root_path", root}, {"morvik", root + ":"}}, "morvik data path is not valid []"},
      {{{"root_path", root}, {"morvik", root}, {"resource_manager_config", "{\"language\":{}}"}},
       "Unkown section [language] in purge info option:"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_of([&] { Engine engine(options_of(c.options)); }), c.message)
        << c.options.dump();
  }
  // Neither a resource folder nor a policy is needed.
  Engine engine(options_of({{"root_path", root}}));
  EXPECT_TRUE(engine.resource_folders().empty());
  EXPECT_EQ(message_of([&] { engine.property("morvik"); }), "Unkown attribute. [morvik] ");
}

TEST(Engine, PropertyGivesOptionsAndRefusesMissingOnes) {
  ScratchFolder temp;
  Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}, {"empty", ""}}));
  EXPECT_EQ(engine.property("root_path"), temp.str());
  EXPECT_EQ(message_of([&] { engine.property("never_set"); }),
            "Unkown attribute. [never_set] ");
  EXPECT_EQ(message_of([&] { engine.property("empty"); }), "Unkown attribute. [empty] ");
}

TEST(Engine, ThePluginFolderIsTheRootsLibUnlessTheEnvironmentNamesOne) {
  ScratchFolder temp;
  temp.folder("with/lib");
  temp.folder("without");
  ScopedEnvironment env;
  struct Case {
    std::string root;
    const char* variable;  // null: unset
    std::string folder;
  } const cases[] = {
      {temp.str("with"), nullptr, temp.str("with/lib")},
      {temp.str("without"), nullptr, ""},
      // An existing candidate wins over the variable, which wins otherwise,
      // whether or not its folder exists.
      {temp.str("with"), "/no/such/plugins", temp.str("with/lib")},
      {temp.str("without"), "/no/such/plugins", "/no/such/plugins"},
  };
  for (const Case& c : cases) {
    if (c.variable) {
      env.set("KAVERO_PLUGIN_DIR", c.variable);
    } else {
      env.unset("KAVERO_PLUGIN_DIR");
    }
    RuntimeLog log;
    Engine engine(options_of({{"root_path", c.root}, {"morvik", temp.str()}}));
    EXPECT_EQ(engine.plugin_folder(), c.folder) << c.root;
    EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:ZEL root : [" + c.root + "]"));
    EXPECT_EQ(log.has("TRACE", "[PLUGIN]:cannot find plugin folder while loading: [" + c.root +
                                   "/lib]"),
              c.folder != temp.str("with/lib"));
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
  // No folder serves another name: the empty pointer.
  EXPECT_EQ(engine.get_plugin("other"), nullptr);
}

// A plugin whose release of document state fails.
class FailingPlugin : public plugins::API {
 public:
  explicit FailingPlugin(int* released) : released_(released) {}
  bool initialize(const char*, zel_exception*) override { return true; }
  char* open_document(const char*, const char*, const std::vector<plugins::DataObject>&,
                      zel_exception*) noexcept override {
    return nullptr;
  }
  char* close_document(const char*, const char*, const std::vector<plugins::DataObject>&,
                       zel_exception*) noexcept override {
    return nullptr;
  }
  char* call(const char*, const char*, const std::vector<plugins::DataObject>&,
             zel_exception*) noexcept override {
    return nullptr;
  }
  char* trigger(const char*, const char*, const std::vector<plugins::DataObject>&,
                zel_exception*) noexcept override {
    return nullptr;
  }
  void release_document(zel_exception* error) override {
    ++*released_;
    error->code = 1;
    std::snprintf(error->message, sizeof error->message, "%s", "state kept");
  }
  void free_result(char*) override {}
  void unload(zel_exception*) override {}
  void set_plugin_context(const plugins::MatchContextRecord*) override {}
  void set_document_property(const char*, const char*, zel_exception*) override {}

 private:
  int* released_;
};

TEST(Engine, ItsEndLetsPluginsReleaseTheirDocumentsAndLogsAFailure) {
  ScratchFolder temp;
  int released = 0;
  RuntimeLog log;
  {
    Engine engine(options_of({{"root_path", temp.str()}, {"morvik", temp.str()}}));
    engine.get_plugins()->plugins["a"] = boost::make_shared<FailingPlugin>(&released);
    engine.get_plugins()->plugins["python"] = boost::make_shared<FailingPlugin>(&released);
  }
  // "python" is not asked; the failure does not leave the destructor.
  EXPECT_EQ(released, 1);
  EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:release_document failed: state kept"));
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
  EXPECT_FALSE(engine.release_domain("d"));
  EXPECT_TRUE(engine.purge_domains("{}"));
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
