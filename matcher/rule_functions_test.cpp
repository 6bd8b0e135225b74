#include "matcher/rule_functions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "base/exception.h"
#include "engine/engine.h"
#include "matcher/memento_store.h"
#include "matcher/plugin_collection.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

TEST(RuleFunctions, NamesOfFunctions) {
  for (const char* name : {"kav::filter", "kav::anything", "::p::m::f", "::"}) {
    EXPECT_TRUE(is_function(name)) << name;
  }
  for (const char* name : {"City", "kav:", ":p", "", "Kav::filter"}) {
    EXPECT_FALSE(is_function(name)) << name;
  }
}

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    // The date functions call the "python" plugin.
    engine.engine->get_plugins()->plugins["python"] =
        boost::make_shared<testing::ScriptedPlugin>();
    blackboard = testing::make_blackboard("{}", "{}", engine.engine);
    blackboard->set_analyzer(blackboard->analyzer);
  }

  Concept* concept_over(uint32_t begin, uint32_t end, const std::string& uri) {
    concepts.push_back(std::make_unique<Concept>(begin, end, uri));
    return concepts.back().get();
  }

  void apply(Concept* function) {
    apply_function(*blackboard, runtime::Context(blackboard.get(), nullptr,
                                                 function, nullptr));
  }

  testing::PluginEngine engine;
  std::unique_ptr<Blackboard> blackboard;
  std::vector<std::unique_ptr<Concept>> concepts;
};

TEST_F(Dispatch, EachNameRunsAtOnceOrIsQueuedAsTheTableSays) {
  struct Case {
    const char* name;
    bool queued;
    bool raises;  // its handler is not available yet
  };
  const std::vector<Case> cases = {
      {"kav::anaphora", true, true},       {"kav::filter", false, true},
      {"kav::delete", false, true},        {"kav::rewrite", false, false},
      {"kav::push_att", true, false},      {"kav::inherit", true, false},
      {"kav::set_document_date", false, false},
      {"kav::resolve_date", true, false},  {"kav::set_memento", false, false},
      {"kav::has_memento", false, false},  {"kav::set_metadata", true, false},
      // A filter name with a suffix runs the filter at once.
      {"kav::filter123", false, true},
      {"::test::m::f", true, false},
      // An unknown built-in name is no error.
      {"kav::unknown", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    blackboard->delayed_functions.clear();
    Concept* function = concept_over(0, 1, c.name);
    if (c.raises && !c.queued) {
      EXPECT_THROW(apply(function), zel::Exception);
      continue;
    }
    apply(function);
    EXPECT_EQ(blackboard->delayed_functions.size(), c.queued ? 1u : 0u);
    if (c.raises) {
      try {
        apply_delayed_functions(*blackboard);
        ADD_FAILURE() << "no error";
      } catch (const zel::Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("The rule function '") + c.name +
                      "' is not available yet.");
      }
      // What failed stays queued.
      EXPECT_EQ(blackboard->delayed_functions.size(), 1u);
    }
  }
}

TEST_F(Dispatch, QueuedCallsRunInConceptOrderAndLeaveTheQueue) {
  std::vector<std::string> order;
  engine.plugin->answer = [&](const testing::ScriptedPlugin::Call& call) {
    order.push_back(call.function);
    return std::optional<std::string>();
  };
  apply(concept_over(10, 20, "::test::m::ten_twenty"));
  apply(concept_over(10, 15, "::test::m::ten_fifteen"));
  apply(concept_over(5, 30, "::test::m::five"));
  EXPECT_TRUE(order.empty());
  apply_delayed_functions(*blackboard);
  EXPECT_EQ(order, (std::vector<std::string>{"five", "ten_fifteen", "ten_twenty"}));
  EXPECT_TRUE(blackboard->delayed_functions.empty());
  apply_delayed_functions(*blackboard);
  EXPECT_EQ(order.size(), 3u);
}

TEST(ConceptOrder, ByBeginThenEnd) {
  EXPECT_TRUE(Concept(5, 30, "a") < Concept(10, 15, "b"));
  EXPECT_TRUE(Concept(10, 15, "a") < Concept(10, 20, "b"));
  EXPECT_FALSE(Concept(10, 20, "a") < Concept(10, 20, "b"));
  EXPECT_FALSE(Concept(10, 20, "a") < Concept(10, 15, "b"));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
