#include "matcher/plugin_calls.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "api/client_exception.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "language/scratch_folder_testutil.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace kavero {
namespace plugins {
namespace {

using testing::RuntimeLog;

// A plugin that records, in a log shared by all such plugins, when it is
// told to drop a document or to shut down, and can report a failure then.
class RecordingPlugin : public API {
 public:
  RecordingPlugin(std::string name, std::vector<std::string>* log, int failure_code = 0)
      : name_(std::move(name)), log_(log), failure_code_(failure_code) {}

  bool initialize(const char*, zel_exception*) override { return true; }
  char* open_document(const char*, const char*, const std::vector<DataObject>&,
                      zel_exception*) noexcept override {
    return nullptr;
  }
  char* close_document(const char*, const char*, const std::vector<DataObject>&,
                       zel_exception*) noexcept override {
    return nullptr;
  }
  char* call(const char*, const char*, const std::vector<DataObject>&,
             zel_exception*) noexcept override {
    return nullptr;
  }
  char* trigger(const char*, const char*, const std::vector<DataObject>&,
                zel_exception*) noexcept override {
    return nullptr;
  }
  void release_document(zel_exception* error) override { record("release", error); }
  void free_result(char*) override {}
  void unload(zel_exception* error) override { record("unload", error); }
  void set_plugin_context(const MatchContextRecord*) override {}
  void set_document_property(const char*, const char*, zel_exception*) override {}

 private:
  void record(const std::string& what, zel_exception* error) {
    log_->push_back(what + " " + name_);
    if (failure_code_ != 0) {
      error->code = failure_code_;
      std::snprintf(error->message, sizeof(error->message), "%s failed", name_.c_str());
    }
  }

  std::string name_;
  std::vector<std::string>* log_;
  int failure_code_;
};

using Log = std::vector<std::string>;

TEST(ReleaseDocument, EveryPluginButPythonInNameOrder) {
  Log log;
  PluginCollection collection;
  for (const char* name : {"zeta", "python", "alpha"}) {
    collection.plugins[name] = boost::make_shared<RecordingPlugin>(name, &log);
  }
  collection.plugins["empty"] = nullptr;
  release_document(collection);
  EXPECT_EQ(log, (Log{"release alpha", "release zeta"}));
}

TEST(ReleaseDocument, AReportedFailureIsRaisedAndEndsTheLoop) {
  Log log;
  PluginCollection collection;
  collection.plugins["a"] = boost::make_shared<RecordingPlugin>("a", &log);
  collection.plugins["b"] = boost::make_shared<RecordingPlugin>("b", &log, 4);
  collection.plugins["c"] = boost::make_shared<RecordingPlugin>("c", &log);
  EXPECT_THROW(release_document(collection), std::logic_error);
  EXPECT_EQ(log, (Log{"release a", "release b"}));
  log.clear();
  // Codes outside 1 to 5 are no failure.
  collection.plugins["b"] = boost::make_shared<RecordingPlugin>("b", &log, 9);
  release_document(collection);
  EXPECT_EQ(log, (Log{"release a", "release b", "release c"}));
  collection.plugins.clear();
}

TEST(ReleaseDocument, OverAnEngineOrABlackboard) {
  release_document(static_cast<const EngineInterface*>(nullptr));

  Log log;  // outlives the engine, whose plugins write to it when it goes
  testing::ScratchFolder folder;
  const std::string path = folder.path().string();
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", path}, {"morvik", path}}.dump()));
  engine->get_plugins()->plugins["dates"] = boost::make_shared<RecordingPlugin>("dates", &log);
  release_document(engine.get());
  EXPECT_EQ(log, Log{"release dates"});

  // A blackboard without an engine has no plugins to tell.
  std::unique_ptr<Blackboard> detached = testing::make_blackboard();
  EXPECT_EQ(detached->plugins, nullptr);
  release_document(*detached);
  EXPECT_EQ(log, Log{"release dates"});
  engine.reset();
  EXPECT_EQ(log, (Log{"release dates", "unload dates"}));
}

TEST(ReleaseDocument, WhenADocumentEndsItsPluginsDropItAndFailuresStayInside) {
  Log log;
  testing::ScratchFolder folder;
  const std::string path = folder.path().string();
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", path}, {"morvik", path}}.dump()));
  std::unique_ptr<Blackboard> blackboard = testing::make_blackboard("{}", "{}", engine);
  // Plugins loaded after the document was made are told too: the document
  // shares the engine's collection.
  engine->get_plugins()->plugins = {
      {"python", boost::make_shared<RecordingPlugin>("python", &log)},
      {"dates", boost::make_shared<RecordingPlugin>("dates", &log)},
      {"zz", boost::make_shared<RecordingPlugin>("zz", &log, 1)}};
  EXPECT_EQ(blackboard->plugins.get(), engine->get_plugins());
  {
    RuntimeLog runtime_log;
    blackboard.reset();
    EXPECT_TRUE(runtime_log.has("ERROR", "[PLUGIN]:release_document failed: zz failed"));
  }
  EXPECT_EQ(log, (Log{"release dates", "release zz"}));
  engine->get_plugins()->plugins.clear();
}

TEST(PluginCollection, ShutsEveryPluginDownWhenItGoes) {
  Log log;
  RuntimeLog runtime_log;
  {
    PluginCollection collection;
    collection.plugins["b"] = boost::make_shared<RecordingPlugin>("b", &log, 2);
    collection.plugins["a"] = boost::make_shared<RecordingPlugin>("a", &log);
    collection.plugins["c"] = boost::make_shared<RecordingPlugin>("c", &log);
    collection.plugins["d"] = nullptr;
  }
  EXPECT_EQ(log, (Log{"unload a", "unload b", "unload c"}));
  EXPECT_TRUE(runtime_log.has("ERROR", "[PLUGIN]:unload of b failed: b failed"));
}

}  // namespace
}  // namespace plugins
}  // namespace kavero
}  // namespace zel
