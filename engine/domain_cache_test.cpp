// The engine's domain store: collections in running order with their
// dependencies, reuse and reloading, releasing, and the engine information.

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"
#include "engine/domain_store.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zel::testing::message_of;
using zel::testing::RuntimeLog;
using zel::testing::ScratchFolder;

class DomainCache : public ::testing::Test {
 protected:
  DomainCache() { temp_.folder("morvik"); }

  // Writes the domain `name` into the resource folder, depending on the
  // named domains.
  void write(const std::string& name, const std::vector<std::string>& dependencies = {}) {
    const std::string description =
        dependencies.empty() ? "{}" : json{{"dependencies", dependencies}}.dump();
    testing::write_compiled_domain("dom_info " + description + "\nconcept C\n", dom(name));
  }
  fs::path dom(const std::string& name) const { return temp_.path() / "morvik" / (name + ".dom"); }

  std::shared_ptr<Engine> make_engine(const std::string& purge = "{}") {
    return std::make_shared<Engine>(convert_string_to_api_options(
        json{{"root_path", temp_.str()}, {"morvik", temp_.str("morvik")},
             {"resource_manager_config", purge}}
            .dump()),
        [this] { return now_; });
  }

  // The names of a collection's entries, dependencies by file name.
  static std::vector<std::string> names(const DomainCollection& collection) {
    std::vector<std::string> result;
    for (const auto& entry : collection) result.push_back(entry.first);
    return result;
  }

  ScratchFolder temp_;
  int64_t now_ = 1000;
};

TEST_F(DomainCache, DependenciesRunFirst) {
  struct Case {
    std::map<std::string, std::vector<std::string>> domains;
    std::vector<std::string> order;  // plain names; "a" is asked for
  } const cases[] = {
      {{{"a", {"b", "c"}}, {"b", {}}, {"c", {}}}, {"b", "c", "a"}},
      {{{"a", {"b", "c"}}, {"b", {"c"}}, {"c", {}}}, {"c", "b", "a"}},
      {{{"a", {"b"}}, {"b", {"c"}}, {"c", {"d"}}, {"d", {}}}, {"d", "c", "b", "a"}},
      // A cycle ends: "a" comes again as a dependency, and is done.
      {{{"a", {"b"}}, {"b", {"a"}}}, {"b", "a"}},
  };
  for (const Case& c : cases) {
    for (const auto& [name, dependencies] : c.domains) write(name, dependencies);
    auto engine = make_engine();
    std::vector<std::string> expected;
    for (const std::string& name : c.order) {
      expected.push_back(name == "a" ? "a" : dom(name).string());
    }
    EXPECT_EQ(names(engine->get_domains("a", true)), expected) << expected.size();
    for (const auto& entry : c.domains) fs::remove(dom(entry.first));
  }
}

TEST_F(DomainCache, ACycleLoadsTheRequestedDomainAgainUnderItsFileName) {
  write("a", {"b"});
  write("b", {"a"});
  auto engine = make_engine();
  DomainCollection collection = engine->get_domains("a", true);
  const json info = json::parse(engine->info());
  std::vector<std::string> stored;
  for (const json& entry : info["domains"]) stored.push_back(entry["name"]);
  EXPECT_EQ(stored, (std::vector<std::string>{dom("a").string(), dom("b").string(), "a"}));
}

TEST_F(DomainCache, TheSecondRequestIsAnsweredFromTheStore) {
  write("a", {"b"});
  write("b");
  auto engine = make_engine();
  RuntimeLog log;
  DomainCollection first = engine->get_domains("a", true);
  now_ = 1005;
  DomainCollection second = engine->get_domains("a", true);
  EXPECT_TRUE(log.has("INFO", "[Domain] [Engine]: load : a"));
  EXPECT_TRUE(log.has("INFO", "[Domain] [Engine]: using cached : a"));
  EXPECT_EQ(first.back().second, second.back().second);
  EXPECT_EQ(first.front().second, second.front().second);
  EXPECT_EQ(second.back().second->last_access(), 1005);
}

TEST_F(DomainCache, WithoutCachingOnlyTheDependenciesAreStored) {
  write("a", {"b"});
  write("b");
  auto engine = make_engine();
  EXPECT_EQ(names(engine->get_domains("a", false)),
            (std::vector<std::string>{dom("b").string(), "a"}));
  const json info = json::parse(engine->info());
  ASSERT_EQ(info["domains"].size(), 1u);
  EXPECT_EQ(info["domains"][0]["name"], dom("b").string());
  // Loaded again, not taken from the store.
  RuntimeLog log;
  engine->get_domains("a", false);
  EXPECT_TRUE(log.has("INFO", "[Domain] [Engine]: load : a"));
}

TEST_F(DomainCache, ANewerDatabaseIsLoadedAgain) {
  write("a");
  auto engine = make_engine();
  std::shared_ptr<DomainFacade> first = engine->get_domains("a", true).back().second;
  // The same time counts as current.
  EXPECT_EQ(engine->get_domains("a", true).back().second, first);
  zel::testing::shift_modification_time(dom("a"), std::chrono::seconds(10));
  RuntimeLog log;
  std::shared_ptr<DomainFacade> second = engine->get_domains("a", true).back().second;
  EXPECT_TRUE(log.has("INFO", "[Domain] [Engine]: reload: a"));
  EXPECT_NE(second, first);
  EXPECT_EQ(engine->get_domains("a", true).back().second, second);
}

TEST_F(DomainCache, ReleasingGoesByTheStoreKey) {
  write("a", {"b"});
  write("b");
  auto engine = make_engine();
  DomainCollection collection = engine->get_domains("a", true);
  // "b" was stored under its file name.
  EXPECT_FALSE(engine->release_domain("b"));
  EXPECT_TRUE(engine->release_domain(dom("b").string()));
  EXPECT_FALSE(engine->release_domain(dom("b").string()));
  // What holds a released domain goes on using it.
  EXPECT_EQ(collection.front().second->get_sqlite_filename(), dom("b").string());
  engine->release_domains();
  EXPECT_EQ(json::parse(engine->info())["domains"], json::array());
  EXPECT_FALSE(engine->release_domain("a"));
}

TEST_F(DomainCache, UnknownNamesAndDependenciesThatDoNotLoadFail) {
  write("a", {"broken.dom"});
  temp_.write("morvik/broken.dom", "no database");
  write("c", {"missing"});
  auto engine = make_engine();
  EXPECT_EQ(message_of([&] { engine->get_domain_filename("missing"); }),
            "Domain file not found. missing");
  EXPECT_EQ(message_of([&] { engine->get_domains("missing", true); }),
            "Domain file not found. missing");
  EXPECT_EQ(message_of([&] { engine->get_domains("c", true); }), "Domain file not found. missing");
  // Errors of loading a dependency leave the request unchanged.
  EXPECT_THAT(message_of([&] { engine->get_domains("a", true); }),
              ::testing::StartsWith("Corrupt Domain file, Could not find version nr."));
  // Nothing was stored for the failed requests.
  EXPECT_EQ(json::parse(engine->info())["domains"], json::array());
}

TEST_F(DomainCache, APlainNameIsNeverTakenFromTheWorkingFolder) {
  write("a");
  temp_.folder("here");
  temp_.file("here/a");
  temp_.file("here/x.dom");
  zel::testing::WorkingFolder working(temp_.path() / "here");
  auto engine = make_engine();
  EXPECT_EQ(engine->get_domain_filename("a"), dom("a").string());
  // A path is used as it is written.
  EXPECT_EQ(engine->get_domain_filename("x.dom"), "x.dom");
  EXPECT_EQ(engine->get_domain_filename(dom("a").string()), dom("a").string());
}

TEST_F(DomainCache, EngineInformation) {
  write("a", {"b"});
  write("b");
  auto engine = make_engine();
  const std::string options = json{{"morvik", temp_.str("morvik")},
                                   {"resource_manager_config", "{}"},
                                   {"root_path", temp_.str()}}
                                  .dump();
  EXPECT_EQ(engine->info(), "{\"domains\":[],\"languages\":[],\"options\":" + options +
                                ",\"sdk_version\":\"3.1.1\",\"type\":\"release\"}");
  now_ = 1234;
  engine->get_domains("a", true);
  EXPECT_EQ(engine->info(), "{\"domains\":[{\"last_access\":1234,\"name\":\"" + dom("b").string() +
                                "\"},{\"last_access\":1234,\"name\":\"a\"}],\"languages\":[],"
                                "\"options\":" + options +
                                ",\"sdk_version\":\"3.1.1\",\"type\":\"release\"}");
  engine->release_domains();
  EXPECT_EQ(json::parse(engine->info())["domains"], json::array());
  EXPECT_EQ(engine->property("morvik"), json::parse(engine->info())["options"]["morvik"]);
}

TEST(DomainsNeedToBeRecompiled, ComparesTheBuildTimeWithTheFilesOnDisk) {
  ScratchFolder temp;
  const fs::path dom = temp.file("src/domain.dom");
  temp.file("src/rules.kav");
  temp.file("src/sub/deep.kav");
  temp.file("src/notes.txt");
  const int64_t built = file_build_time(dom.string());
  DomainFacade domain("src");
  domain.sqlite_filename = dom.string();
  struct Case {
    std::string what;
    std::string shifted;  // a file made newer by 5 s
    int64_t build_time;
    bool recompile;
  } const cases[] = {
      {"current", "", built, false},
      {"never built", "", -1, true},
      {"database newer", "src/domain.dom", built, true},
      {"source newer", "src/rules.kav", built, true},
      {"source in a subfolder newer", "src/sub/deep.kav", built, false},
      {"other file newer", "src/notes.txt", built, false},
  };
  for (const Case& c : cases) {
    ScratchFolder copy;
    fs::copy(temp.path() / "src", copy.path() / "src", fs::copy_options::recursive);
    for (const char* file : {"src/domain.dom", "src/rules.kav", "src/sub/deep.kav", "src/notes.txt"}) {
      fs::last_write_time(copy.path() / file, fs::last_write_time(dom));
    }
    if (!c.shifted.empty()) zel::testing::shift_modification_time(copy.path() / c.shifted, std::chrono::seconds(5));
    DomainFacade facade("src");
    facade.sqlite_filename = (copy.path() / "src/domain.dom").string();
    facade.build_time = c.build_time;
    EXPECT_EQ(domains_need_to_be_recompiled(facade, copy.str("src")), c.recompile) << c.what;
  }
  fs::remove(dom);
  domain.build_time = built;
  EXPECT_TRUE(domains_need_to_be_recompiled(domain, temp.str("src")));
}

TEST(AddDomain, PlacesADomainAfterItsDependencies) {
  auto make = [](const std::string& file) {
    auto domain = std::make_shared<DomainFacade>(file);
    domain->sqlite_filename = file;
    return domain;
  };
  DomainCollection collection;
  add_domain(collection, "a", make("a.dom"), {});
  add_domain(collection, "b", make("b.dom"), {});
  add_domain(collection, "c", make("c.dom"), {"b.dom"});
  // After b; a match at the last entry does not move the position.
  add_domain(collection, "d", make("d.dom"), {"a.dom", "x.dom"});
  add_domain(collection, "e", make("e.dom"), {"b.dom"});
  std::vector<std::string> order;
  for (const auto& entry : collection) order.push_back(entry.first);
  EXPECT_EQ(order, (std::vector<std::string>{"d", "b", "e", "c", "a"}));
  EXPECT_TRUE(is_already_loaded("c", collection));
  EXPECT_FALSE(is_already_loaded("c.dom", collection));
}

TEST(DomainStore, FindsThroughItsParent) {
  auto parent = std::make_shared<DomainStore>("parent", nullptr);
  parent->domains["p"] = std::make_shared<DomainFacade>("p");
  DomainStore store("child", parent);
  store.domains["c"] = std::make_shared<DomainFacade>("c");
  EXPECT_EQ(store.find("c")->second->name(), "c");
  EXPECT_EQ(store.find("p")->second->name(), "p");
  EXPECT_FALSE(store.found(store.find("x")));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
