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
#include "analysis/filter.h"
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
      {"kav::anaphora", true, true},       {"kav::filter", false, false},
      {"kav::delete", false, false},       {"kav::rewrite", false, false},
      {"kav::push_att", true, false},      {"kav::inherit", true, false},
      {"kav::set_document_date", false, false},
      {"kav::resolve_date", true, false},  {"kav::set_memento", false, false},
      {"kav::has_memento", false, false},  {"kav::set_metadata", true, false},
      // A filter name with a suffix runs the filter at once (here with no
      // "concept" argument, so it changes nothing).
      {"kav::filter123", false, false},
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

TEST_F(Dispatch, EqualRangesRunInQueueOrder) {
  std::vector<std::string> order;
  engine.plugin->answer = [&](const testing::ScriptedPlugin::Call& call) {
    order.push_back(call.function);
    return std::optional<std::string>();
  };
  const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f", "g",
                                          "h", "i", "j", "k", "l", "m", "n",
                                          "o", "p", "q", "r", "s", "t"};
  for (const std::string& name : names) {
    apply(concept_over(3, 7, "::test::m::" + name));
  }
  apply_delayed_functions(*blackboard);
  EXPECT_EQ(order, names);
}

// The filter functions over a document built from the compact text; the
// function concept F is the one whose URI begins with "kav::".
class Filters : public Dispatch {
 protected:
  std::string run(const std::string& spec) {
    document = testing::build_document(spec);
    Concept* function = nullptr;
    for (Annotation* sentence : *document.sentences) {
      for (Annotation* a : static_cast<Sentence*>(sentence)->annotations) {
        Concept* c = annotation_cast<Concept>(a);
        if (c != nullptr && is_function(c->uri)) function = c;
      }
    }
    if (function == nullptr) return "no function concept";
    apply_function(*blackboard,
                   runtime::Context(blackboard.get(), nullptr, function,
                                    nullptr));
    return testing::dump(*document.sentences,
                         testing::kDumpFlags | testing::kDumpAttributes);
  }

  testing::TestDocument document;
};

TEST_F(Filters, DeleteOrRemovePairs) {
  struct Case {
    const char* what;
    const char* spec;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"empty target changes nothing",
       "[kav::filter{concept=} [City a] b]",
       "[Sentence [kav::filter{concept=} [City a ]City b ]kav::filter,Sentence $"},
      {"bad pattern changes nothing",
       "[kav::filter{concept=/(/} [City a] b]",
       "[Sentence [kav::filter{concept=/(/} [City a ]City b ]kav::filter,Sentence $"},
      {"a concept sharing F's span and the same names inside it",
       "x [kav::delete{concept=Place} [Place [Place a] [City b]]] [Place c]",
       "[Sentence x [kav::delete{concept=Place}!deleted [Place!deleted,filtered "
       "[Place!deleted,filtered a ]Place [City b ]City,Place,kav::delete "
       "[Place c ]Place,Sentence $"},
      {"no concept sharing F's span: F bounds the deletion",
       "[kav::filter{concept=City} [City a] b] [City c]",
       "[Sentence [kav::filter{concept=City}!deleted,filtered "
       "[City!deleted,filtered a ]City b ]kav::filter [City c ]City,Sentence $"},
      {"a pattern between slashes",
       "[kav::filter{concept=/C.*/} [City a] [Cat b] [Dog c]]",
       "[Sentence [kav::filter{concept=/C.*/}!deleted,filtered "
       "[City!deleted,filtered a ]City [Cat!deleted,filtered b ]Cat "
       "[Dog c ]Dog,kav::filter,Sentence $"},
      {"one more argument removes that pair only",
       "[kav::filter{concept=City;gender=m} [City{gender=m;size=big} a] "
       "[City{gender=f} b]]",
       "[Sentence [kav::filter{concept=City;gender=m}!deleted "
       "[City{size=big} a ]City [City{gender=f} b ]City,kav::filter,Sentence $"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(run(c.spec), c.expected);
  }
}

TEST(FilterAttributes, CountValidAttributes) {
  struct Case {
    std::vector<const char*> keys;
    size_t expected;
  };
  const std::vector<Case> cases = {
      {{}, 0},
      {{"concept"}, 1},
      {{"concept", "_rule"}, 1},
      {{"concept", "_domain"}, 1},
      {{"concept", "_rule", "_domain"}, 1},
      {{"concept", "gender", "_rule"}, 2},
      {{"_rule", "_domain"}, 1},
      {{"concept", "gender", "_rule", "_domain"}, 2},
  };
  for (const Case& c : cases) {
    ConceptAttributes attributes;
    std::string keys;
    for (const char* key : c.keys) {
      attributes.add(key, "v", kOwnList);
      keys += std::string(key) + " ";
    }
    EXPECT_EQ(count_valid_attributes(attributes), c.expected) << keys;
  }
  // Pairs of the shared store count too.
  SharedAttributes shared;
  shared.add("concept", "City", kOwnList);
  shared.add("gender", "m", kStoreWhenShared);
  EXPECT_EQ(count_valid_attributes(shared), 2u);
}

TEST(FilterAttributes, GetFilterBySlashes) {
  struct Case {
    const char* text;
    bool regex;
  };
  const std::vector<Case> cases = {
      {"//", true}, {"/C.*/", true}, {"/", false},
      {"/City", false}, {"City/", false}, {"City", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::shared_ptr<BaseFilter> filter = get_filter(c.text);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(dynamic_cast<RegexFilter*>(filter.get()) != nullptr, c.regex);
    EXPECT_EQ(dynamic_cast<EqualFilter*>(filter.get()) != nullptr, !c.regex);
  }
  // "//" matches only the empty text; an equal filter only its own text.
  EXPECT_TRUE((*get_filter("//"))(std::string()));
  EXPECT_FALSE((*get_filter("//"))(std::string("a")));
  EXPECT_TRUE((*get_filter("/City"))(std::string("/City")));
  EXPECT_EQ(get_filter("/(/"), nullptr);
}

TEST(FilterAttributes, EqualFilterSkipsDeletedConceptsOnlyWhenAsked) {
  EqualFilter filter("City");
  Concept city(0, 1, "City");
  Concept town(0, 1, "Town");
  Token token(0, 1, "City");
  EXPECT_TRUE(filter(&city));
  EXPECT_FALSE(filter(&town));
  EXPECT_FALSE(filter(&token));
  city.flags.set(kDeleted);
  EXPECT_FALSE(filter(&city));
  EXPECT_TRUE(filter.check(&city));
  EXPECT_FALSE(filter.check(&token));
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
