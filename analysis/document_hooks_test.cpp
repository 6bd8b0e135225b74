#include "analysis/document_hooks.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "matcher/plugin_calls.h"
#include "matcher/plugin_collection.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

using testing::ScriptedPlugin;
using Strings = std::vector<std::string>;

// "operation module function [arguments]" of every call the plugin got.
Strings calls_of(const ScriptedPlugin& plugin) {
  Strings out;
  for (const ScriptedPlugin::Call& call : plugin.calls) {
    std::string line = call.operation + " " + call.module + " " + call.function + " [";
    for (size_t i = 0; i < call.arguments.size(); ++i) {
      line += (i ? "," : "") + call.arguments[i];
    }
    out.push_back(line + "]");
  }
  return out;
}

TEST(DocumentHooks, CallTheFunctionsTheDocumentOptionsNameWithTheDocumentId) {
  struct Case {
    const char* name;
    std::string document_options;
    std::string analyzer_options;
    std::optional<std::string> answer;  // the plugin's answer to every call
    bool opened;
    Strings calls;
  } const cases[] = {
      {"no hooks named", "{}", "{}", std::nullopt, true, {}},
      {"both hooks, no id",
       R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close"})",
       "{}", std::nullopt, true,
       {"open_document doc open [none]", "close_document doc close [none]"}},
      {"an id is passed as given",
       R"({"open_document": "::test::doc::open", "id": "d-17"})", "{}", std::nullopt, true,
       {"open_document doc open [d-17]"}},
      {"an empty id is passed as the empty text",
       R"({"open_document": "::test::doc::open", "id": ""})", "{}", std::nullopt, true,
       {"open_document doc open []"}},
      {"the answer false refuses the document",
       R"({"open_document": "::test::doc::open"})", "{}", "false", false,
       {"open_document doc open [none]"}},
      {"other letter cases accept it", R"({"open_document": "::test::doc::open"})", "{}",
       "False", true, {"open_document doc open [none]"}},
      {"an empty answer accepts it", R"({"open_document": "::test::doc::open"})", "{}", "",
       true, {"open_document doc open [none]"}},
      {"any other text accepts it", R"({"open_document": "::test::doc::open"})", "{}",
       "false ", true, {"open_document doc open [none]"}},
      {"plugins not allowed",
       R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close"})",
       R"({"allow_plugins": "false"})", "false", true, {}},
      {"hooks named by the analyzer options are not called", "{}",
       R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close"})",
       "false", true, {}},
      {"close without open", R"({"close_document": "::test::doc::close"})", "{}", "false",
       true, {"close_document doc close [none]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::PluginEngine engine;
    engine.plugin->answer = [&](const ScriptedPlugin::Call&) { return c.answer; };
    std::unique_ptr<Blackboard> blackboard =
        testing::make_blackboard(c.document_options, c.analyzer_options, engine.engine);
    blackboard->set_analyzer(blackboard->analyzer);
    EXPECT_EQ(open_document(*blackboard), c.opened);
    close_document(*blackboard);
    EXPECT_EQ(calls_of(*engine.plugin), c.calls);
  }
}

TEST(DocumentHooks, FailuresOfThePluginCallPropagate) {
  testing::PluginEngine engine;
  engine.plugin->error_code = 3;
  engine.plugin->error_message = "plugin broke";
  std::unique_ptr<Blackboard> blackboard = testing::make_blackboard(
      R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close"})",
      "{}", engine.engine);
  blackboard->set_analyzer(blackboard->analyzer);
  EXPECT_THROW(open_document(*blackboard), std::runtime_error);
  EXPECT_THROW(close_document(*blackboard), std::runtime_error);
}

TEST(DocumentHooks, ThePluginLearnsOfTheDocumentNotOfTheLastMatchOnTheThread) {
  testing::PluginEngine engine;
  std::unique_ptr<Blackboard> earlier = testing::make_blackboard("{}", "{}", engine.engine);
  Concept city(0, 1, "City");
  plugins::set_match_context(
      runtime::Context(earlier.get(), "::test::m::f", nullptr, &city, &city));
  std::unique_ptr<Blackboard> blackboard = testing::make_blackboard(
      R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close"})",
      "{}", engine.engine);
  blackboard->set_analyzer(blackboard->analyzer);
  open_document(*blackboard);
  // The earlier document ends in between.
  earlier.reset();
  close_document(*blackboard);
  ASSERT_EQ(engine.plugin->calls.size(), 2u);
  for (const ScriptedPlugin::Call& call : engine.plugin->calls) {
    SCOPED_TRACE(call.operation);
    EXPECT_EQ(call.context.blackboard, blackboard.get());
    EXPECT_EQ(call.context.sentence, nullptr);
    EXPECT_EQ(call.context.scope, nullptr);
    EXPECT_EQ(call.context.concept_annotation, nullptr);
  }
  blackboard.reset();
  EXPECT_EQ(plugins::get_match_context().blackboard, nullptr);
}

TEST(WarmUpPlugin, CallsThePythonPluginsWarmUpFunction) {
  testing::PluginEngine engine("python");
  engine.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>("ignored");
  };
  warm_up_plugin(engine.engine.get());
  EXPECT_EQ(calls_of(*engine.plugin), Strings{"call kavero.plugin warmup []"});
  EXPECT_EQ(engine.plugin->freed, Strings{"ignored"});
  warm_up_plugin(nullptr);
}

// The warm-up is a courtesy: an engine whose "python" plugin is missing,
// cannot be found or fails goes on, and the log says why.
TEST(WarmUpPlugin, AMissingOrFailingPluginIsLoggedNotRaised) {
  {
    testing::PluginEngine engine("other");
    engine.engine->get_plugins()->plugins["python"] = nullptr;
    testing::RuntimeLog log;
    EXPECT_NO_THROW(warm_up_plugin(engine.engine.get()));
    EXPECT_TRUE(log.has("ERROR", "Error cannot find plugin:python"));
    EXPECT_TRUE(log.has("INFO",
                        "Either plugin not loaded or uri name does not start with :: "
                        "from annotation '::python::kavero.plugin::warmup'"));
  }
  {
    // No such plugin in the collection nor in the plugin folder.
    testing::PluginEngine engine("other");
    testing::RuntimeLog log;
    EXPECT_NO_THROW(warm_up_plugin(engine.engine.get()));
    EXPECT_TRUE(log.has("ERROR", "Error cannot find plugin:python"));
  }
  {
    testing::PluginEngine engine("python");
    engine.plugin->error_code = 2;
    engine.plugin->error_message = "no interpreter";
    testing::RuntimeLog log;
    EXPECT_NO_THROW(warm_up_plugin(engine.engine.get()));
    EXPECT_TRUE(log.has("ERROR",
                        "[PLUGIN]:warm-up ::python::kavero.plugin::warmup failed: no interpreter"));
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
