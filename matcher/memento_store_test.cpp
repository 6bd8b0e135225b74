#include "matcher/memento_store.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "matcher/rule_functions.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

std::string entries(const MementoStore& store, const std::string& key) {
  std::string out;
  for (const MementoData& entry : store.mementos.at(key)) {
    out += std::to_string(entry.position) + ":" + entry.text + " ";
  }
  return out;
}

TEST(MementoStore, ALaterValueOfAKeyHidesAnEarlierOne) {
  MementoStore store;
  store.add("k", "x", 10);
  store.add("k", "y", 20);
  struct Case {
    const char* text;
    uint32_t position;
    bool holds;
  };
  const std::vector<Case> cases = {
      {"x", 5, false},  {"x", 10, true}, {"x", 15, true}, {"y", 15, false},
      {"x", 20, true},  {"y", 20, true}, {"x", 30, false}, {"y", 30, true},
      {"z", 30, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(store.has("k", c.text, c.position), c.holds)
        << c.text << " at " << c.position;
  }
  EXPECT_FALSE(store.has("other", "x", 30));
}

TEST(MementoStore, EntriesOfOnePositionNewestFirstAndNoDuplicates) {
  MementoStore store;
  store.add("k", "a", 10);
  store.add("k", "a", 10);
  store.add("k", "b", 10);
  store.add("k", "c", 5);
  store.add("k", "d", 30);
  EXPECT_EQ(entries(store, "k"), "5:c 10:b 10:a 30:d ");
}

TEST(MementoStore, PrintMementoInfoListsKeysInOrderWithTheirEntries) {
  MementoStore store;
  store.add("topic", "sport", 10);
  store.add("topic", "golf", 10);
  store.add("lang", "en", 3);
  store.mementos["empty"];
  ::testing::internal::CaptureStdout();
  print_memento_info(store);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "key:empty\n"
            "key:lang\n"
            "location:3 value:en\n"
            "key:topic\n"
            "location:10 value:golf\n"
            "location:10 value:sport\n");
}

TEST(MementoStore, TheTwoOrdersOfEntries) {
  const MementoData early_b{5, "b"};
  const MementoData late_a{9, "a"};
  EXPECT_TRUE(sort_function(early_b, late_a));
  EXPECT_FALSE(sort_function(late_a, early_b));
  EXPECT_TRUE(eqange_range_function(late_a, early_b));
  EXPECT_FALSE(eqange_range_function(early_b, late_a));
  EXPECT_FALSE(eqange_range_function(early_b, MementoData{1, "b"}));
}

class MementoFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    blackboard = testing::make_blackboard();
    document = testing::build_document(
        "t1 [kav::set_memento{topic=sport;lang=en} t2] t3 "
        "[kav::has_memento{concept=Sport;topic=sport} t4] "
        "[kav::has_memento{concept=Art;topic=art} t5] t6");
    testing::load_document(*blackboard, document);
  }

  void run(const std::string& uri, int n = 1) {
    Concept* function = testing::find_concept(*document.sentences, uri, n);
    ASSERT_NE(function, nullptr);
    apply_function(*blackboard, runtime::Context(blackboard.get(), function));
  }

  std::unique_ptr<Blackboard> blackboard;
  testing::TestDocument document;
};

TEST_F(MementoFunctions, HasMementoInsertsItsConceptWhenEveryTestHolds) {
  // Before the first set_memento there is no store: nothing happens.
  run("kav::has_memento");
  EXPECT_EQ(blackboard->memento_store, nullptr);
  EXPECT_EQ(testing::find_concept(*document.sentences, "Sport"), nullptr);

  run("kav::set_memento");
  ASSERT_NE(blackboard->memento_store, nullptr);
  // Every key counts, "concept" included, at the function concept's begin.
  EXPECT_TRUE(blackboard->memento_store->has("topic", "sport", 3));
  EXPECT_TRUE(blackboard->memento_store->has("lang", "en", 3));

  run("kav::has_memento", 1);
  run("kav::has_memento", 2);
  EXPECT_EQ(testing::dump(*document.sentences, testing::kDumpFlags),
            "[Sentence t1 [kav::set_memento t2 ]kav::set_memento t3 "
            "[Sport!import [kav::has_memento t4 ]Sport,kav::has_memento "
            "[kav::has_memento t5 ]kav::has_memento t6 ]Sentence $");
  EXPECT_TRUE(testing::find_concept(*document.sentences, "Sport")
                  ->flags.test(kImport));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
