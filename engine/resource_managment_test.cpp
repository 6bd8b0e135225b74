// The purge policy: its configuration, and purges of the language cache
// and the domain store by count, age and interval, on an engine whose clock
// the tests set.

#include "engine/resource_managment.h"

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
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/runtime_log_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using json = nlohmann::json;
using zel::testing::message_of;
using zel::testing::RuntimeLog;
using zel::testing::ScratchFolder;

class Purge : public ::testing::Test {
 protected:
  Purge() {
    // Languages without resources of their own load fast.
    for (const char* name : {"a", "b", "c"}) temp_.write(std::string("morvik/") + name + ".language", "{}");
    for (const char* name : {"x", "y", "z"}) {
      testing::write_compiled_domain("concept C\n", temp_.path() / "morvik" / (std::string(name) + ".dom"));
    }
  }

  std::shared_ptr<Engine> make_engine(const std::string& purge = "{}") {
    return std::make_shared<Engine>(
        convert_string_to_api_options(json{{"root_path", temp_.str()},
                                           {"morvik", temp_.str("morvik")},
                                           {"resource_manager_config", purge}}
                                          .dump()),
        [this] { return now_; });
  }

  // Loads the language at the time.
  std::shared_ptr<LanguageModule> language_at(Engine& engine, const std::string& name, int64_t at) {
    now_ = at;
    return engine.get_language_module(name);
  }
  void domain_at(Engine& engine, const std::string& name, int64_t at) {
    now_ = at;
    engine.get_domains(name, true);
  }

  // The names of the cached languages ("a") and domains.
  std::vector<std::string> languages(const Engine& engine) const {
    std::vector<std::string> names;
    const json info = json::parse(engine.info());
    for (const json& entry : info["languages"]) {
      const std::string path = entry["name"];
      names.push_back(path.substr(path.rfind('/') + 1, 1));
    }
    return names;
  }
  std::vector<std::string> domains(const Engine& engine) const {
    std::vector<std::string> names;
    const json info = json::parse(engine.info());
    for (const json& entry : info["domains"]) names.push_back(entry["name"]);
    return names;
  }

  ScratchFolder temp_;
  int64_t now_ = 0;
};

using Names = std::vector<std::string>;

TEST(PurgeConfiguration, RefusesUnknownKeysAndValuesThatAreNoNumbers) {
  ScratchFolder temp;
  Engine engine(convert_string_to_api_options(
      json{{"root_path", temp.str()}, {"morvik", temp.str()}}.dump()));
  struct Case {
    std::string config;
    std::string message;
  } const cases[] = {
      {R"({"language":{}})", "Unkown section [language] in purge info option:"},
      {R"({"languages":{"max":1}})", "Unkown section in [languages][max]  in purge info option:"},
      {R"({"languages":{"top":"2"}})", "Purge [languages][top] should be a integer."},
      {R"({"domains":{"life_time":true}})", "Purge [domains][life_time] should be a integer."},
      {R"({"domains":{"top":null}})", "Purge [domains][top] should be a integer."},
      {R"({"domains":[1]})", "Unkown section in [domains][0]  in purge info option:"},
      // Keys are checked in byte order: "a" before "languages".
      {R"({"languages":{"max":1},"a":1})", "Unkown section [a] in purge info option:"},
      {R"([1])", "Unkown section [0] in purge info option:"},
      {R"(5)", "Unkown section [] in purge info option:"},
      {R"({"interval":"5"})", "[json.exception.type_error.302] type must be number, but is string"},
      // Accepted.
      {R"({})", "(no exception)"},
      {R"(null)", "(no exception)"},
      {R"([])", "(no exception)"},
      {R"({"languages":null,"domains":[]})", "(no exception)"},
      {R"({"interval":true,"languages":{"top":2.9,"life_time":-1}})", "(no exception)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_of([&] { ResourceManagment policy(&engine, c.config); }), c.message)
        << c.config;
  }
  EXPECT_THAT(message_of([&] { ResourceManagment policy(&engine, "{} x"); }),
              ::testing::HasSubstr("parse error"));
  // An explicit purge with a refused configuration fails before it drops
  // anything.
  EXPECT_EQ(message_of([&] { engine.purge_domains(R"({"language":{}})"); }),
            "Unkown section [language] in purge info option:");
}

TEST_F(Purge, ByCountKeepsTheMostRecentlyUsed) {
  struct Case {
    std::string config;
    Names languages;
    Names domains;
  } const cases[] = {
      {R"({"languages":{"top":2},"domains":{"top":2}})", {"b", "c"}, {"y", "z"}},
      {R"({"languages":{"top":2.9},"domains":{"top":1}})", {"b", "c"}, {"y"}},
      {R"({"languages":{"top":-1},"domains":{"top":0}})", {"a", "b", "c"}, {}},
      {R"({"languages":{"top":0}})", {}, {"x", "y", "z"}},
      {R"({})", {"a", "b", "c"}, {"x", "y", "z"}},
  };
  for (const Case& c : cases) {
    auto engine = make_engine();
    // Loaded, and never found in the cache again: the load is the last use.
    language_at(*engine, "a", 10);
    language_at(*engine, "b", 30);
    language_at(*engine, "c", 20);
    domain_at(*engine, "x", 10);
    domain_at(*engine, "z", 20);
    domain_at(*engine, "y", 30);
    now_ = 40;
    EXPECT_TRUE(engine->purge_domains(c.config));
    EXPECT_EQ(languages(*engine), c.languages) << c.config;
    EXPECT_EQ(domains(*engine), c.domains) << c.config;
  }
}

TEST_F(Purge, ByAgeDropsWhatWasLastUsedThatLongAgo) {
  auto engine = make_engine();
  language_at(*engine, "a", 700);
  language_at(*engine, "b", 701);
  language_at(*engine, "c", 1200);  // in the future: never dropped by age
  domain_at(*engine, "x", 700);
  domain_at(*engine, "y", 701);
  now_ = 1000;
  RuntimeLog log;
  engine->purge_domains(R"({"languages":{"life_time":300},"domains":{"life_time":300}})");
  EXPECT_EQ(languages(*engine), (Names{"b", "c"}));
  EXPECT_EQ(domains(*engine), (Names{"y"}));
  EXPECT_TRUE(log.has("TRACE", "[ResourceManagment] Purge check timestamp x last_access = 700 now= "
                               "1000 delta=300"));
}

TEST_F(Purge, AutomaticPurgesWaitForTheInterval) {
  now_ = 0;
  auto engine = make_engine(R"({"interval":60,"languages":{"top":0},"domains":{"top":0}})");
  language_at(*engine, "a", 10);
  domain_at(*engine, "x", 20);  // too early: kept
  EXPECT_EQ(domains(*engine), (Names{"x"}));
  // A cache hit at 100 purges the languages and moves the last check.
  language_at(*engine, "a", 100);
  EXPECT_EQ(languages(*engine), Names{});
  domain_at(*engine, "y", 130);
  EXPECT_EQ(domains(*engine), (Names{"x", "y"}));
  // An explicit purge neither waits nor moves the last check, and leaves
  // the engine's policy as it was.
  EXPECT_TRUE(engine->purge_domains("{}"));
  EXPECT_EQ(domains(*engine), (Names{"x", "y"}));
  domain_at(*engine, "z", 160);
  EXPECT_EQ(domains(*engine), Names{});
}

TEST_F(Purge, WithoutAnIntervalOnlyExplicitPurgesRun) {
  const std::string config = R"({"languages":{"top":0},"domains":{"top":0}})";
  auto engine = make_engine(config);
  language_at(*engine, "a", 10);
  language_at(*engine, "a", 20);
  domain_at(*engine, "x", 30);
  domain_at(*engine, "x", 40);
  EXPECT_EQ(languages(*engine), Names{"a"});
  EXPECT_EQ(domains(*engine), Names{"x"});
  engine->purge_domains(config);
  EXPECT_EQ(languages(*engine), Names{});
  EXPECT_EQ(domains(*engine), Names{});
}

TEST_F(Purge, ALookupWhosePurgeDropsItsOwnEntryStillAnswers) {
  auto engine = make_engine(R"({"interval":0,"languages":{"life_time":0},"domains":{"life_time":0}})");
  language_at(*engine, "a", 10);
  std::shared_ptr<LanguageModule> hit = language_at(*engine, "a", 20);
  ASSERT_NE(hit->module_data, nullptr);
  EXPECT_EQ(hit->language_name, "a");
  EXPECT_EQ(languages(*engine), Names{});
  now_ = 30;
  DomainCollection collection = engine->get_domains("x", true);
  ASSERT_EQ(collection.size(), 1u);
  EXPECT_FALSE(collection[0].second->rule_collections.empty());
  EXPECT_EQ(domains(*engine), Names{});
}

}  // namespace
}  // namespace kavero
}  // namespace zel
