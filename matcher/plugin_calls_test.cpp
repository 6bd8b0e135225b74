#include "matcher/plugin_calls.h"

#include <cstdio>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "api/client_exception.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "matcher/plugin_collection.h"
#include "matcher/runtime_context.h"

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
  void set_document_property(const char* key, const char* value,
                             zel_exception* error) override {
    record(std::string("property ") + key + "=" + value, error);
  }

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
  // The engine's end tells its plugins once more, before they are unloaded.
  engine.reset();
  EXPECT_EQ(log, (Log{"release dates", "release dates", "unload dates"}));
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


using testing::ScriptedPlugin;

// Calls the trigger operation through call_function_context.
std::string trigger_on(const EngineInterface* engine, const std::string& uri,
                       const std::vector<std::string>& texts = {}) {
  std::vector<DataObject> arguments;
  for (const std::string& text : texts) arguments.push_back({1, text.c_str()});
  return call_function_context(
      engine,
      [](API& plugin, const char* module, const char* function,
         const std::vector<DataObject>& args, zel_exception* error) {
        return plugin.trigger(module, function, args, error);
      },
      uri, arguments);
}

TEST(PluginCall, TheUriNamesPluginModuleAndFunction) {
  struct Case {
    const char* uri;
    bool called;
    const char* module;
    const char* function;
  };
  const std::vector<Case> cases = {
      {"::test::kavero.plugin::open_doc", true, "kavero.plugin", "open_doc"},
      {"test:m:f", true, "m", "f"},
      {"::test::m", false, "", ""},
      {"::test::m::f::g", false, "", ""},
      // Refused before the engine is asked: it cannot load "absent".
      {"::absent::m", false, "", ""},
      {"::absent::m::f::g", false, "", ""},
      {"", false, "", ""},
  };
  testing::PluginEngine engine;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    engine.plugin->calls.clear();
    RuntimeLog log;
    EXPECT_EQ(trigger_on(engine.engine.get(), c.uri, {"one", "two"}), "");
    if (c.called) {
      ASSERT_EQ(engine.plugin->calls.size(), 1u);
      EXPECT_EQ(engine.plugin->calls[0].module, c.module);
      EXPECT_EQ(engine.plugin->calls[0].function, c.function);
      EXPECT_EQ(engine.plugin->calls[0].arguments,
                (std::vector<std::string>{"one", "two"}));
    } else {
      EXPECT_TRUE(engine.plugin->calls.empty());
      EXPECT_TRUE(log.has("ERROR",
                          std::string("[PLUGIN]:Uri name does not match the plugin "
                                      "format call ::(.+)::(.+)::(.+) '") +
                              c.uri + "'"));
    }
  }
}

TEST(PluginCall, AnswersAreCopiedAndHandedBackAndFailuresRaised) {
  testing::PluginEngine engine;
  const std::string uri = "::test::m::f";
  // No text: nothing is handed back.
  EXPECT_EQ(trigger_on(engine.engine.get(), uri), "");
  EXPECT_TRUE(engine.plugin->freed.empty());
  // An empty text is a text.
  engine.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>("");
  };
  EXPECT_EQ(trigger_on(engine.engine.get(), uri), "");
  EXPECT_EQ(engine.plugin->freed, std::vector<std::string>{""});
  engine.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>("answer");
  };
  // Codes outside 1 to 5 are no failure.
  engine.plugin->error_code = 7;
  EXPECT_EQ(trigger_on(engine.engine.get(), uri), "answer");
  engine.plugin->error_code = 2;
  engine.plugin->error_message = "broken";
  EXPECT_THROW(trigger_on(engine.engine.get(), uri), std::runtime_error);
  EXPECT_EQ(engine.plugin->freed, (std::vector<std::string>{"", "answer", "answer"}));
}

TEST(PluginCall, AMissingPluginOrEngineGivesAnEmptyAnswer) {
  RuntimeLog log;
  EXPECT_EQ(trigger_on(nullptr, "::test::m::f"), "");
  EXPECT_TRUE(log.has("ERROR", "Error cannot find plugin:test from annotation ::test::m::f"));
  testing::PluginEngine engine;
  engine.engine->get_plugins()->plugins["empty"] = nullptr;
  EXPECT_EQ(trigger_on(engine.engine.get(), "::empty::m::f"), "");
  EXPECT_TRUE(log.has("ERROR", "Error cannot find plugin:empty from annotation ::empty::m::f"));
}

TEST(PluginCall, TheMatchContextReachesThePluginScopeFirst) {
  testing::PluginEngine engine;
  Concept concept_annotation(0, 1, "City");
  Concept scope(0, 2, "Place");
  std::unique_ptr<Blackboard> document = testing::make_blackboard();
  Blackboard* blackboard = document.get();
  Sentence sentence_annotation(0, 2);
  SentenceInfo sentence_info(&sentence_annotation);
  SentenceInfo* sentence = &sentence_info;
  // Nothing set on a new thread: four null pointers.
  std::thread fresh([&] { trigger_on(engine.engine.get(), "::test::m::f"); });
  fresh.join();
  ASSERT_EQ(engine.plugin->calls.size(), 1u);
  EXPECT_EQ(engine.plugin->calls[0].context.blackboard, nullptr);
  EXPECT_EQ(engine.plugin->calls[0].context.sentence, nullptr);
  EXPECT_EQ(engine.plugin->calls[0].context.scope, nullptr);
  EXPECT_EQ(engine.plugin->calls[0].context.concept_annotation, nullptr);

  runtime::Context context(blackboard, "name", sentence, &concept_annotation, &scope);
  context.arguments = runtime::Context::Arguments{{"k", "v"}};
  set_match_context(context);
  EXPECT_EQ(get_match_context().name, "name");
  EXPECT_FALSE(get_match_context().arguments.has_value());
  trigger_on(engine.engine.get(), "::test::m::f");
  const MatchContextRecord& record = engine.plugin->calls[1].context;
  EXPECT_EQ(record.blackboard, blackboard);
  EXPECT_EQ(record.sentence, sentence);
  EXPECT_EQ(record.scope, &scope);
  EXPECT_EQ(record.concept_annotation, &concept_annotation);
  set_match_context(runtime::Context());
}

TEST(PluginCall, TriggerAsksNoPluginWhenTheDocumentDoesNotAllowThem) {
  testing::PluginEngine engine;
  engine.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>("yes");
  };
  std::unique_ptr<Blackboard> allowed =
      testing::make_blackboard("{}", "{}", engine.engine);
  allowed->set_analyzer(allowed->analyzer);
  EXPECT_EQ(trigger(*allowed, "::test::m::f", {}), "yes");

  std::unique_ptr<Blackboard> refused = testing::make_blackboard(
      "{}", R"({"allow_plugins": "false"})", engine.engine);
  refused->set_analyzer(refused->analyzer);
  RuntimeLog log;
  EXPECT_EQ(trigger(*refused, "::test::m::f", {}), "");
  EXPECT_EQ(engine.plugin->calls.size(), 1u);
  EXPECT_TRUE(log.lines().empty());
}

TEST(PluginCall, AQueuedPluginCallTriggersTheFunctionItsContextNames) {
  testing::PluginEngine engine;
  std::unique_ptr<Blackboard> blackboard =
      testing::make_blackboard("{}", "{}", engine.engine);
  blackboard->set_analyzer(blackboard->analyzer);
  Concept call(0, 1, "::test::people::greet");
  runtime::Context context(blackboard.get(), nullptr, &call, nullptr);
  PluginHandler()(context);
  ASSERT_EQ(engine.plugin->calls.size(), 1u);
  EXPECT_EQ(engine.plugin->calls[0].module, "people");
  EXPECT_EQ(engine.plugin->calls[0].function, "greet");
  EXPECT_TRUE(engine.plugin->calls[0].arguments.empty());
  EXPECT_EQ(engine.plugin->calls[0].context.concept_annotation, &call);
  set_match_context(runtime::Context());
}

TEST(PluginCall, EachEntryPointReachesItsOwnOperation) {
  testing::PluginEngine engine;
  engine.plugin->answer = [](const ScriptedPlugin::Call& call) {
    return std::optional<std::string>(call.operation + " answered");
  };
  const std::string id = "doc-1";
  const std::vector<DataObject> arguments{{1, id.c_str()}};
  const EngineInterface* e = engine.engine.get();
  EXPECT_EQ(open_document(e, "::test::m::open", arguments), "open_document answered");
  EXPECT_EQ(close_document(e, "::test::m::close", arguments), "close_document answered");
  EXPECT_EQ(call(e, "::test::m::run", arguments), "call answered");
  EXPECT_EQ(call(e, "::test::m::run"), "call answered");
  ASSERT_EQ(engine.plugin->calls.size(), 4u);
  const std::vector<std::string> arguments_seen[] = {{"doc-1"}, {"doc-1"}, {"doc-1"}, {}};
  const char* functions[] = {"open", "close", "run", "run"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(engine.plugin->calls[i].module, "m");
    EXPECT_EQ(engine.plugin->calls[i].function, functions[i]);
    EXPECT_EQ(engine.plugin->calls[i].arguments, arguments_seen[i]);
  }
  EXPECT_EQ(engine.plugin->freed.size(), 4u);
}

TEST(PluginCall, CallHandsNoMatchContextAndLogsAMissingPlugin) {
  testing::PluginEngine engine;
  Concept concept_annotation(0, 1, "City");
  std::unique_ptr<Blackboard> document = testing::make_blackboard();
  runtime::Context context(document.get(), "name", nullptr, &concept_annotation, nullptr);
  set_match_context(context);
  call(engine.engine.get(), "::test::m::f");
  ASSERT_EQ(engine.plugin->calls.size(), 1u);
  EXPECT_EQ(engine.plugin->calls[0].context.blackboard, nullptr);
  EXPECT_EQ(engine.plugin->calls[0].context.concept_annotation, nullptr);
  set_match_context(runtime::Context());

  RuntimeLog log;
  EXPECT_EQ(call(engine.engine.get(), "::test::m"), "");
  EXPECT_TRUE(log.has("ERROR",
                      "[PLUGIN]:Uri name does not match the plugin format call "
                      "::(.+)::(.+)::(.+) '::test::m'"));
  engine.engine->get_plugins()->plugins["empty"] = nullptr;
  EXPECT_EQ(call(engine.engine.get(), "::empty::m::f"), "");
  EXPECT_EQ(call(nullptr, "::empty::m::f"), "");
  EXPECT_TRUE(log.has("ERROR", "Error cannot find plugin:empty"));
  EXPECT_TRUE(log.has("INFO",
                      "Either plugin not loaded or uri name does not start with :: "
                      "from annotation '::empty::m::f'"));
  EXPECT_EQ(engine.plugin->calls.size(), 1u);

  engine.plugin->error_code = 4;
  engine.plugin->error_message = "bad call";
  EXPECT_THROW(call(engine.engine.get(), "::test::m::f"), std::logic_error);
}

TEST(DocumentProperty, EveryPluginInNameOrderPythonIncludedAFailureEndsTheLoop) {
  Log log;
  testing::PluginEngine engine;
  engine.engine->get_plugins()->plugins = {
      {"zeta", boost::make_shared<RecordingPlugin>("zeta", &log)},
      {"python", boost::make_shared<RecordingPlugin>("python", &log)},
      {"alpha", boost::make_shared<RecordingPlugin>("alpha", &log)},
      {"empty", nullptr}};
  std::unique_ptr<Blackboard> blackboard =
      testing::make_blackboard("{}", "{}", engine.engine);
  blackboard->set_analyzer(blackboard->analyzer);
  set_document_property(*blackboard, "date_order", "DMY");
  EXPECT_EQ(log, (Log{"property date_order=DMY alpha", "property date_order=DMY python",
                      "property date_order=DMY zeta"}));

  log.clear();
  engine.engine->get_plugins()->plugins["alpha"] =
      boost::make_shared<RecordingPlugin>("alpha", &log, 5);
  EXPECT_THROW(set_document_property(*blackboard, "k", "v"), omr::common::JsonException);
  EXPECT_EQ(log, Log{"property k=v alpha"});
  engine.engine->get_plugins()->plugins.clear();
}

// Leaves bytes other than 0 where the next call's locals will be.
__attribute__((noinline)) void dirty_stack() {
  volatile char bytes[4096];
  for (char& b : const_cast<char(&)[4096]>(bytes)) b = 'x';
}

// Reports every failure by its code alone, with no message, and counts the
// error records it was handed that were not zero throughout.
class CodeOnlyPlugin : public API {
 public:
  bool initialize(const char*, zel_exception*) override { return true; }
  char* open_document(const char*, const char*, const std::vector<DataObject>&,
                      zel_exception* error) noexcept override {
    return fail(error);
  }
  char* close_document(const char*, const char*, const std::vector<DataObject>&,
                       zel_exception* error) noexcept override {
    return fail(error);
  }
  char* call(const char*, const char*, const std::vector<DataObject>&,
             zel_exception* error) noexcept override {
    return fail(error);
  }
  char* trigger(const char*, const char*, const std::vector<DataObject>&,
                zel_exception* error) noexcept override {
    return fail(error);
  }
  void release_document(zel_exception* error) override { fail(error); }
  void free_result(char*) override {}
  void unload(zel_exception* error) override { fail(error); }
  void set_plugin_context(const MatchContextRecord*) override {}
  void set_document_property(const char*, const char*, zel_exception* error) override {
    fail(error);
  }

  int unclean_records = 0;

 private:
  char* fail(zel_exception* error) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(error);
    for (size_t i = 0; i < sizeof(zel_exception); ++i) {
      if (bytes[i] != 0) {
        ++unclean_records;
        break;
      }
    }
    error->code = 3;
    return nullptr;
  }
};

TEST(PluginErrors, EveryRecordIsZeroedWholeSoACodeAloneRaisesAnEmptyText) {
  testing::PluginEngine engine("other");
  auto plugin = boost::make_shared<CodeOnlyPlugin>();
  engine.engine->get_plugins()->plugins["codes"] = plugin;
  std::unique_ptr<Blackboard> blackboard =
      testing::make_blackboard("{}", "{}", engine.engine);
  blackboard->set_analyzer(blackboard->analyzer);
  const EngineInterface* e = engine.engine.get();
  const std::vector<std::pair<const char*, std::function<void()>>> operations = {
      {"open_document", [&] { open_document(e, "::codes::m::f", {}); }},
      {"close_document", [&] { close_document(e, "::codes::m::f", {}); }},
      {"trigger", [&] { trigger(*blackboard, "::codes::m::f", {}); }},
      {"call", [&] { call(e, "::codes::m::f"); }},
      {"release_document", [&] { release_document(e); }},
      {"set_document_property", [&] { set_document_property(*blackboard, "k", "v"); }},
  };
  for (const auto& [name, operation] : operations) {
    SCOPED_TRACE(name);
    dirty_stack();
    try {
      operation();
      ADD_FAILURE() << "nothing raised";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "");
    }
  }
  RuntimeLog log;
  blackboard.reset();
  engine.engine.reset();
  EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:release_document failed: "));
  EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:unload of codes failed: "));
  EXPECT_EQ(plugin->unclean_records, 0);
}

TEST(MatchContext, ADocumentThatIsGoneIsNeverHandedToAPlugin) {
  testing::PluginEngine engine;
  std::unique_ptr<Blackboard> blackboard =
      testing::make_blackboard("{}", "{}", engine.engine);
  Concept concept_annotation(0, 1, "City");
  const runtime::Context context(blackboard.get(), "::test::m::f", nullptr,
                                 &concept_annotation, &concept_annotation);
  set_match_context(context);

  // Another thread matched the same document; it calls after the document
  // is gone.
  std::promise<void> set_there;
  std::promise<void> gone;
  std::thread other([&] {
    set_match_context(context);
    set_there.set_value();
    gone.get_future().wait();
    trigger_on(engine.engine.get(), "::test::m::f");
  });
  set_there.get_future().wait();
  // Another document on this thread does not clear the context.
  testing::make_blackboard("{}", "{}", engine.engine).reset();
  EXPECT_EQ(get_match_context().blackboard, blackboard.get());

  blackboard.reset();
  gone.set_value();
  other.join();
  EXPECT_EQ(get_match_context().blackboard, nullptr);
  EXPECT_EQ(get_match_context().concept_annotation, nullptr);
  EXPECT_EQ(get_match_context().name, "");
  trigger_on(engine.engine.get(), "::test::m::f");
  ASSERT_EQ(engine.plugin->calls.size(), 2u);
  for (const ScriptedPlugin::Call& call : engine.plugin->calls) {
    EXPECT_EQ(call.context.blackboard, nullptr);
    EXPECT_EQ(call.context.sentence, nullptr);
    EXPECT_EQ(call.context.scope, nullptr);
    EXPECT_EQ(call.context.concept_annotation, nullptr);
  }
}

}  // namespace
}  // namespace plugins
}  // namespace kavero
}  // namespace zel
