#include "api/plugin_interface.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "language/runtime_log_testutil.h"
#include "matcher/plugin_api.h"

namespace zel {
namespace kavero {
namespace {

using testing::RuntimeLog;

// A hand-built document on a blackboard; the plugin functions see it
// through raw pointers, as a plugin does.
class PluginInterfaceTest : public ::testing::Test {
 protected:
  void load(const std::string& text) {
    blackboard_ = zel::testing::make_blackboard();
    zel::testing::load_document(*blackboard_, zel::testing::build_document(text));
    record_ = plugins::MatchContextRecord{blackboard_.get(), &blackboard_->sentences.at(0).second,
                                          nullptr, nullptr};
  }

  // The n-th annotation of the first sentence's list.
  Annotation* at(size_t n) {
    Annotation* a = blackboard_->sentences.at(0).second.annotations->head;
    while (n-- > 0) a = a->next;
    return a;
  }
  Concept* concept_at(size_t n) { return annotation_cast<Concept>(at(n)); }

  std::unique_ptr<Blackboard> blackboard_;
  plugins::MatchContextRecord record_{};
};

TEST_F(PluginInterfaceTest, WalkingTheAnnotations) {
  load("The [City{a=1} New York] is big");
  // Sentence concept, The, City, New, York, end, is, big, end, end of stream.
  std::vector<int32_t> kinds;
  std::vector<std::string> literals;
  void* a = kavero_plugin_sentence_begin(record_.sentence);
  EXPECT_EQ(kavero_plugin_get_prev(a), nullptr);
  for (; a != nullptr; a = kavero_plugin_get_next(a)) {
    kinds.push_back(kavero_plugin_get_type(a));
    if (kinds.back() == 3) literals.push_back(kavero_plugin_token_literal(a));
  }
  EXPECT_EQ(kinds, (std::vector<int32_t>{2, 3, 2, 3, 3, 4, 3, 3, 4, 5}));
  EXPECT_EQ(literals, (std::vector<std::string>{"The", "New", "York", "is", "big"}));
  void* end = kavero_plugin_sentence_end(record_.sentence);
  EXPECT_EQ(kavero_plugin_get_type(end), 5);
  EXPECT_EQ(kavero_plugin_get_next(end), nullptr);
  EXPECT_EQ(kavero_plugin_get_prev(end), at(8));

  void* city = at(2);
  EXPECT_STREQ(kavero_plugin_concept_uri(city), "City");
  EXPECT_EQ(kavero_plugin_get_begin_offset(city), 4u);
  EXPECT_EQ(kavero_plugin_get_end_offset(city), 12u);
  EXPECT_EQ(kavero_plugin_concept_get_end(city), at(5));
}

TEST_F(PluginInterfaceTest, AlignBeginWalksBackOverEqualOffsetsOnly) {
  load("a [A [B x]] y");
  // Sentence, a, A, B, x, end, y, end, $ ; A, B and x all span "x".
  struct Case {
    size_t from;
    void* stop;
    size_t expected;
  } const cases[] = {
      {3, nullptr, 2},   // B -> A
      {4, nullptr, 2},   // x spans what A and B span
      {3, at(3), 3},     // the stop is compared with the start only
      {2, at(3), 2},
      {1, nullptr, 1},   // a: its predecessor (the sentence) differs
      {6, nullptr, 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kavero_plugin_align_begin(at(c.from), c.stop), at(c.expected)) << c.from;
  }
}

TEST_F(PluginInterfaceTest, ReadingsByIndex) {
  load("dog/Nn:dog|V:dogs bare house/Nn(Adj:light,Nn:house)|Nn(Nn:home)");
  Token* dog = annotation_cast<Token>(at(1));
  Token* bare = annotation_cast<Token>(at(2));
  Token* house = annotation_cast<Token>(at(3));
  ASSERT_NE(dog, nullptr);
  ASSERT_NE(bare, nullptr);
  ASSERT_NE(house, nullptr);
  struct Case {
    Token* token;
    int32_t n;
    const char* pos;  // null: no reading
    const char* stem;
  } const cases[] = {
      {dog, 0, "Nn", "dog"}, {dog, 1, "V", "dogs"}, {dog, 2, nullptr, nullptr},
      {dog, -1, nullptr, nullptr}, {bare, 0, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.token->literal + " " + std::to_string(c.n));
    auto* reading = static_cast<MorphData*>(find_morph_data(c.token, c.n));
    if (c.pos == nullptr) {
      EXPECT_EQ(reading, nullptr);
      EXPECT_STREQ(kavero_plugin_token_pos(c.token, c.n), "");
      EXPECT_STREQ(kavero_plugin_token_stem(c.token, c.n), "");
      continue;
    }
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->pos(), c.pos);
    EXPECT_STREQ(kavero_plugin_token_pos(c.token, c.n), c.pos);
    EXPECT_STREQ(kavero_plugin_token_stem(c.token, c.n), c.stem);
  }
  // The head is the last part of the last reading.
  EXPECT_STREQ(kavero_plugin_token_head(house), "home");
  EXPECT_STREQ(kavero_plugin_token_head(dog), "");
  EXPECT_STREQ(kavero_plugin_token_head(bare), "");
}

TEST_F(PluginInterfaceTest, TokenProperties) {
  load("Paris{cap,first} is");
  EXPECT_EQ(kavero_plugin_token_has_attribute(at(1), "cap"), 1);
  EXPECT_EQ(kavero_plugin_token_has_attribute(at(1), "Cap"), 0);
  EXPECT_EQ(kavero_plugin_token_has_attribute(at(2), "cap"), 0);
}

TEST_F(PluginInterfaceTest, AttributesOwnThenShared) {
  load("[City{b=2;a=1} Paris] is");
  // Sentence, City, Paris, end, is, end, end of stream.
  Concept* city = concept_at(1);
  ASSERT_NE(city, nullptr);
  city->attributes.store = std::make_shared<Attributes>();
  city->attributes.store->add("s", "x");
  city->attributes.store->add("s", "y");
  struct Case {
    int32_t n;
    const char* key;  // null: none
    const char* value;
  } const cases[] = {
      {0, "a", "1"}, {1, "b", "2"}, {2, "s", "x"}, {3, "s", "y"},
      {4, nullptr, nullptr}, {-1, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    void* key = kavero_plugin_concept_attribute_key(city, c.n);
    void* value = kavero_plugin_concept_attribute_value(city, c.n);
    if (c.key == nullptr) {
      EXPECT_EQ(key, nullptr) << c.n;
      EXPECT_EQ(value, nullptr) << c.n;
      continue;
    }
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(kavero_plugin_string_to_string(key), c.key);
    EXPECT_STREQ(kavero_plugin_any_to_string(value), c.value);
  }
  // A value that holds no text reads as the empty text.
  boost::any number = 7;
  EXPECT_STREQ(kavero_plugin_any_to_string(&number), "");

  EXPECT_EQ(kavero_plugin_concept_has_attribute(city, "s"), 1);
  EXPECT_EQ(kavero_plugin_concept_has_attribute(city, "z"), 0);
  struct Get {
    void* annotation;
    const char* name;
    const char* expected;
  } const gets[] = {
      {city, "a", "1"}, {city, "s", "x"}, {city, "z", ""},
      {nullptr, "a", ""}, {at(2), "a", ""},  // a token
  };
  for (const Get& g : gets) {
    EXPECT_STREQ(kavero_plugin_concept_get_attribute(g.annotation, g.name), g.expected) << g.name;
  }
}

TEST_F(PluginInterfaceTest, AddingAttributesAndRemovingConcepts) {
  load("[City{a=1} Paris] is");
  Concept* city = concept_at(1);
  ASSERT_NE(city, nullptr);
  struct Case {
    void* annotation;
    const char* name;
    const char* value;
    int32_t expected;
  } const cases[] = {
      {city, "b", "2", 1}, {city, "b", "2", 0}, {city, "a", "1", 0}, {city, "a", "3", 1},
      {nullptr, "c", "1", 0}, {at(2), "c", "1", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kavero_plugin_concept_add_attribute(c.annotation, c.name, c.value), c.expected)
        << c.name << "=" << c.value;
  }
  std::ostringstream written;
  written << city->attributes;
  EXPECT_EQ(written.str(), "a=1;a=3;b=2;");

  // Removing a token or nothing does nothing; a concept is marked deleted.
  kavero_plugin_concept_remove(nullptr);
  kavero_plugin_concept_remove(at(2));
  EXPECT_EQ(kavero_plugin_concept_is_deleted(city), 0);
  kavero_plugin_concept_remove(city);
  EXPECT_EQ(kavero_plugin_concept_is_deleted(city), 1);
}

TEST_F(PluginInterfaceTest, RangesJoinTokensIntoThePerThreadText) {
  load("The [City New/Nn:new York/Nn:york] is/V:be big");
  struct Case {
    size_t first;
    size_t end;  // 0: to the end of the list
    bool stems;
    const char* separator;
    const char* expected;
  } const cases[] = {
      // Concepts and end annotations inside add nothing.
      {1, 6, false, " ", "The New York"},
      {1, 0, false, "_", "The_New_York_is_big"},
      {3, 0, true, "|", "new|york|be|"},
      // A first token without readings leaves only the separator.
      {1, 5, true, " ", " new york"},
      {3, 3, false, " ", ""},
  };
  for (const Case& c : cases) {
    void* end = c.end == 0 ? nullptr : at(c.end);
    const char* text = c.stems ? kavero_plugin_range_stem(at(c.first), end, c.separator)
                               : kavero_plugin_range_literal(at(c.first), end, c.separator);
    EXPECT_STREQ(text, c.expected);
    EXPECT_EQ(text, local_string_buffer.c_str());
  }
  // A null first touches nothing.
  EXPECT_STREQ(kavero_plugin_range_literal(nullptr, nullptr, " "), "");
  EXPECT_EQ(local_string_buffer, "");

  // Each thread has its own text.
  kavero_plugin_range_literal(at(1), nullptr, " ");
  std::string other;
  std::thread([&] {
    other = local_string_buffer + "|";
    other += kavero_plugin_range_literal(at(3), at(5), "+");
  }).join();
  EXPECT_EQ(other, "|New+York");
  EXPECT_EQ(local_string_buffer, "The New York is big");
}

TEST_F(PluginInterfaceTest, PropertyKnowsTheLanguageOnly) {
  load("x");
  blackboard_->language = "english";
  EXPECT_STREQ(kavero_plugin_property(&record_, "language"), "english");
  EXPECT_STREQ(kavero_plugin_property(&record_, "Language"), "");
  EXPECT_STREQ(kavero_plugin_property(&record_, "id"), "");
}

TEST_F(PluginInterfaceTest, InsertedConceptsAreMarkedForTheResult) {
  load("The New York is big");
  Concept* marked =
      static_cast<Concept*>(kavero_plugin_update_concept_in_collection(&record_, at(2), at(4), "Marked"));
  ASSERT_NE(marked, nullptr);
  EXPECT_EQ(marked->uri, "Marked");
  EXPECT_EQ(marked->begin, 4u);
  EXPECT_EQ(marked->end, 12u);
  EXPECT_TRUE(marked->flags.test(kImport));
  // The same range again gives the concept that is there, marked again.
  marked->flags.reset(kImport);
  EXPECT_EQ(kavero_plugin_update_concept_in_collection(&record_, at(3), at(5), "Marked"), marked);
  EXPECT_TRUE(marked->flags.test(kImport));
  EXPECT_EQ(zel::testing::dump(*blackboard_->annotations),
            "[Sentence The [Marked New York ]Marked is big ]Sentence $");
}

// An inserter that fails as an allocation or a rule function may.
class FailingInserter : public IAddConcept {
 public:
  Concept* operator()(RawPtrIterator, RawPtrIterator, const std::string&, const std::string&,
                      Concept*, const std::string&) override {
    throw std::runtime_error("inserter broke");
  }
  Concept* operator()(const Annotation*, const Annotation*, const std::string&,
                      const std::string&, Concept*, const std::string&) override {
    throw std::runtime_error("inserter broke");
  }
};

TEST_F(PluginInterfaceTest, NoExceptionCrossesTheBoundary) {
  load("The New York is big");
  blackboard_->collector = std::make_shared<FailingInserter>();
  RuntimeLog log;
  EXPECT_EQ(kavero_plugin_update_concept_in_collection(&record_, at(2), at(4), "Marked"), nullptr);
  EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:kavero_plugin_update_concept_in_collection: inserter broke"));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
