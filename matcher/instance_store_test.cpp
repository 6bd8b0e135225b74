#include "matcher/instance_store.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace kavero {
namespace instances {
namespace {

using zel::testing::message_of;

using Names = std::set<std::string>;

TEST(ShortTermStore, TracksTheNamesOfTheInstancesOption) {
  struct Case {
    std::string document, analyzer;
    bool made;
    Names names;
  } const cases[] = {
      {"{}", "{}", true, {"Person", "GivenName"}},
      {R"({"instances": "City,Company"})", "{}", true, {"City", "Company"}},
      {"{}", R"({"instances": "City,Person"})", true, {"City", "Person", "GivenName"}},
      {R"({"instances": "City"})", R"({"instances": "Person"})", true, {"City"}},
      // Present and empty: no store at all.
      {R"({"instances": ""})", "{}", false, {}},
      {"{}", R"({"instances": ""})", false, {}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Blackboard> blackboard = testing::make_blackboard(c.document, c.analyzer);
    std::shared_ptr<IStore> store = blackboard->short_term_store;
    EXPECT_EQ(store != nullptr, c.made) << c.document << c.analyzer;
    if (!store) continue;
    auto short_term = std::dynamic_pointer_cast<short_term::Store>(store);
    ASSERT_NE(short_term, nullptr);
    EXPECT_EQ(short_term->tracked_names(), c.names) << c.document << c.analyzer;
    EXPECT_EQ(short_term->long_term_store(), nullptr);
    for (const char* uri : {"Person", "GivenName", "City", "Street"}) {
      Concept concept_annotation(0, 1, uri);
      EXPECT_EQ(store->is_instance(&concept_annotation), c.names.count(uri) > 0) << uri;
    }
  }
}

TEST(ShortTermStore, LinkingIsNotAvailableYet) {
  std::unique_ptr<Blackboard> blackboard = testing::make_blackboard();
  Concept person(0, 3, "Person");
  EXPECT_EQ(message_of([&] { blackboard->short_term_store->check_concept(*blackboard, &person); }),
            "Linking concepts to their instances is not available yet.");
  EXPECT_EQ(message_of([&] { blackboard->short_term_store->get_instance(*blackboard, &person); }),
            "Finding the instance of a concept is not available yet.");
  blackboard->short_term_store->close();
}

}  // namespace
}  // namespace instances
}  // namespace kavero
}  // namespace zel
