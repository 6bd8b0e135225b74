#include "matcher/instance_store.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "base/error_message_testutil.h"
#include "base/options.h"
#include "engine/engine.h"

namespace zel {
namespace kavero {
namespace instances {
namespace {

using zel::testing::message_of;
using Call = zel::testing::ScriptedPlugin::Call;

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

TEST(AbbreviatedNames, CompareAbbreviationName) {
  struct Case {
    const char* full;
    const char* short_name;
    bool abbreviates;
  } const cases[] = {
      {"Abc Def", "A.D.", true},
      {"Abc Def", "AD", true},
      {"Abc Def", "Ab D.", true},
      {"Abc Def", "A-D", true},
      // The blank after '.' is compared with the next word's first letter.
      {"Abc Def", "A. D.", false},
      // A word of the full name is left over.
      {"Abc Def", "Abc", false},
      {"Abc Def", "Ax D.", false},
      {"Abc Def", "B.D.", false},
      // More initials than words.
      {"Abc", "A.D.", true},
      {"", "", true},
      {"Abc", "", false},
      // Letters beyond ASCII are single code points with their own case.
      {"Émile", "Ém.", true},
      {"Émile Zola", "É.Z.", true},
      {"Ödön Ürge", "ÖÜ", true},
      {"Émile", "Éa.", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare_abbreviation_name(c.full, c.short_name), c.abbreviates)
        << "'" << c.full << "' '" << c.short_name << "'";
  }
}

TEST(InstanceText, ObjectMembersBecomeAttributes) {
  std::shared_ptr<Instance> instance = convert_string_to_instance(
      R"({"name": "Oslo", "population": 700000, "tags": ["a", "b"]})");
  std::ostringstream out;
  out << instance->attributes;
  EXPECT_EQ(out.str(), "name=Oslo;population=700000;tags=[\"a\",\"b\"];");

  for (const char* kept_nothing : {"", "[1, 2]", "\"text\"", "true"}) {
    std::ostringstream empty;
    empty << convert_string_to_instance(kept_nothing)->attributes;
    EXPECT_EQ(empty.str(), "") << kept_nothing;
    EXPECT_NE(convert_string_to_instance(kept_nothing)->attributes.store, nullptr);
  }
  EXPECT_THROW(convert_string_to_instance("{not json"), std::exception);
}

// A built document on a blackboard of an engine with a scripted plugin
// named "test"; the long-term module, when the analyzer options name one,
// is "::test::lt".
class Instances : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.plugin->answer = [this](const Call& call) -> std::optional<std::string> {
      if (call.function == "get_instances") return tracked_answer;
      if (call.function == "check_instance") return check_answer(call);
      if (call.function == "get_instance") return std::string(R"({"country": "Norway"})");
      return std::nullopt;
    };
  }

  void load(const std::string& spec, const std::string& document_options = "{}",
            const std::string& analyzer_options = "{}") {
    blackboard = testing::make_blackboard(document_options, analyzer_options, engine.engine);
    blackboard->set_analyzer(blackboard->analyzer);
    blackboard->genitive = genitive;
    document = testing::build_document(spec);
    testing::load_document(*blackboard, document);
  }

  short_term::Store& short_term() {
    return dynamic_cast<short_term::Store&>(*blackboard->short_term_store);
  }

  // "key:index,index ..." in key order.
  std::string index() {
    std::string out;
    for (const auto& entry : short_term().index()) {
      out += out.empty() ? "" : " ";
      out += entry.first + ":";
      for (size_t i = 0; i < entry.second.size(); ++i) {
        out += (i == 0 ? "" : ",") + std::to_string(entry.second[i]);
      }
    }
    return out;
  }

  // The instance index of the n-th concept of the URI; 0 for none.
  int64_t index_of(const std::string& uri, int n = 1) {
    Concept* c = testing::find_concept(*document.sentences, uri, n);
    return c != nullptr && c->instance_index ? *c->instance_index : 0;
  }

  std::string dump() {
    return testing::dump(*document.sentences, testing::kDumpAttributes);
  }

  size_t count(const std::string& function) {
    size_t n = 0;
    for (const Call& call : engine.plugin->calls) n += call.function == function;
    return n;
  }

  testing::PluginEngine engine;
  std::string tracked_answer = R"(["City"])";
  std::function<std::optional<std::string>(const Call&)> check_answer =
      [](const Call&) { return std::string("false"); };
  std::string genitive;
  std::unique_ptr<Blackboard> blackboard;
  testing::TestDocument document;
};

constexpr char kAbcDef[] =
    "[Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] came\n"
    "then [Person [PersonFam [FamilyName Def]]] left";

TEST_F(Instances, PersonByGivenAndFamilyNameAndLaterByFamilyName) {
  struct Case {
    std::string genitive;
    std::string index;
  } const cases[] = {
      {"", "abc:1 abc def:1 def:1"},
      {"s", "abc:1 abc def:1 abcs:1 def:1 defs:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.genitive);
    genitive = c.genitive;
    load(kAbcDef);
    apply(blackboard.get());
    EXPECT_EQ(index(), c.index);
    ASSERT_EQ(short_term().instances().size(), 1u);
    std::ostringstream attributes;
    attributes << short_term().instances().at(1)->attributes;
    EXPECT_EQ(attributes.str(), "canonical=Abc Def;family=Def;given=Abc;");
    EXPECT_EQ(index_of("Person", 1), 1);
    EXPECT_EQ(index_of("Person", 2), 1);
    // The parts are inside a handled person and are not offered.
    EXPECT_EQ(index_of("PersonFam", 1), 0);
    EXPECT_EQ(short_term().get_instance(*blackboard, testing::find_concept(*document.sentences, "Person", 2)),
              short_term().instances().at(1));
  }
}

TEST_F(Instances, WaitingPersons) {
  struct Case {
    const char* what;
    const char* spec;
    const char* dump;
  } const cases[] = {
      {"a family name waits for a person with a given name; its gender stays its own",
       "[Person{gender=f} [PersonFam [FamilyName Xyz]]] came\n"
       "then [Person{gender=m} [PersonGiv Abc] [PersonFam [FamilyName Xyz]]] left",
       "[Sentence [Person{gender=f|canonical=Abc Xyz;family=Xyz;gender=m;given=Abc} "
       "[PersonFam [FamilyName Xyz ]FamilyName,PersonFam,Person came ]Sentence $\n"
       "[Sentence then [Person{|canonical=Abc Xyz;family=Xyz;gender=m;given=Abc} "
       "[PersonGiv Abc ]PersonGiv [PersonFam [FamilyName Xyz ]FamilyName,PersonFam,Person "
       "left ]Sentence $"},
      {"a given name is settled at the close",
       "[Person{age=3} [PersonGiv Abc]] came\n"
       "then [Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] left",
       "[Sentence [Person{|age=3;canonical=Abc Def;family=Def;given=Abc} [PersonGiv Abc "
       "]PersonGiv,Person came ]Sentence $\n"
       "[Sentence then [Person{|age=3;canonical=Abc Def;family=Def;given=Abc} [PersonGiv Abc "
       "]PersonGiv [PersonFam [FamilyName Def ]FamilyName,PersonFam,Person left ]Sentence $"},
      {"a given name nobody files stays alone",
       "[Person{age=3} [PersonGiv Abc]] came",
       "[Sentence [Person{age=3} [PersonGiv Abc ]PersonGiv,Person came ]Sentence $"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    load(c.spec);
    apply(blackboard.get());
    EXPECT_EQ(dump(), c.dump);
  }
}

TEST_F(Instances, KnownPersonsByFullNameOrAbbreviatedGivenName) {
  load("[Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] came\n"
       "[Person [PersonGiv A.] [PersonFam [FamilyName Def]]] stayed\n"
       "[Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] left\n"
       "[Person [PersonGiv Xyz] [PersonFam [FamilyName Def]]] went");
  apply(blackboard.get());
  EXPECT_EQ(index_of("Person", 1), 1);
  // "A." abbreviates the given name of the instance of that family name.
  EXPECT_EQ(index_of("Person", 2), 1);
  EXPECT_EQ(index_of("Person", 3), 1);
  // Another given name of the same family: someone else.
  EXPECT_EQ(index_of("Person", 4), 2);
  EXPECT_EQ(index(), "abc:1 abc def:1 def:1,2 xyz:2 xyz def:2");
}

TEST_F(Instances, FamilyNameWithoutGivenNameIsFilledInLater) {
  // A given part that begins with the family part and ends before it is
  // part of the family name: the first person has no given name.
  load("[Person [PersonFam [PersonGiv Ab] [FamilyName Def]]] came\n"
       "[Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] left\n"
       "[Person [PersonGiv Xyz] [PersonFam [FamilyName Def]]] went\n"
       "[Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] stayed");
  apply(blackboard.get());
  EXPECT_EQ(index_of("Person", 1), 1);
  // The instance without a given name takes the second person's.
  EXPECT_EQ(index_of("Person", 2), 1);
  EXPECT_EQ(short_term().instances().at(1)->attributes.get_attribute("given"), "abc");
  EXPECT_EQ(short_term().instances().at(1)->attributes.get_attribute("family"), "Ab Def");
  // Another given name of the same family: a new person.
  EXPECT_EQ(index_of("Person", 3), 2);
  // The full name filed with the given name finds the first instance again.
  EXPECT_EQ(index_of("Person", 4), 1);
  EXPECT_EQ(index(), "ab def:1 abc:1 abc def:1 def:1,2,1 xyz:2 xyz def:2");
}

TEST_F(Instances, AnyTrackedNameByItsKey) {
  load("[Company{canonical=Big Co} the Big Co] grew\n"
       "[Company Big Co] and [Company{size=large} big co] [City Oslo]",
       R"({"instances": "Company"})");
  apply(blackboard.get());
  EXPECT_EQ(index(), "Big Co:1 big co:1");
  std::ostringstream attributes;
  attributes << short_term().instances().at(1)->attributes;
  EXPECT_EQ(attributes.str(), "canonical=Big Co;size=large;text=Big Co;");
  EXPECT_EQ(index_of("Company", 1), 1);
  EXPECT_EQ(index_of("Company", 2), 1);
  EXPECT_EQ(index_of("Company", 3), 1);
  EXPECT_EQ(index_of("City"), 0);
  // Mentions share one store: what one gets, all show.
  testing::find_concept(*document.sentences, "Company", 2)->add("founded", "1990", kStoreWhenShared);
  EXPECT_EQ(testing::find_concept(*document.sentences, "Company", 1)->get_attribute("founded"), "1990");
  EXPECT_EQ(testing::find_concept(*document.sentences, "Company", 3)->get_attribute("founded"), "1990");
}

TEST_F(Instances, GivenNameConcepts) {
  load("[GivenName Abc] came then [Person [PersonGiv Abc] [PersonFam [FamilyName Def]]] "
       "and [GivenName Abc] left");
  apply(blackboard.get());
  // The first waits under its key with the family-name waiters, the second
  // finds the person's instance.
  EXPECT_EQ(index_of("GivenName", 1), 0);
  EXPECT_EQ(index_of("GivenName", 2), 1);
}

TEST_F(Instances, DeletedAndNestedConceptsAreNotOffered) {
  load("[Company [Company Big] Co] [Company Acme] [Company Acme]", R"({"instances": "Company"})");
  testing::find_concept(*document.sentences, "Company", 3)->flags.set(kDeleted);
  apply(blackboard.get());
  EXPECT_EQ(index_of("Company", 1), 1);
  EXPECT_EQ(index_of("Company", 2), 0);
  EXPECT_EQ(index_of("Company", 3), 0);
  EXPECT_EQ(index_of("Company", 4), 2);
}

TEST_F(Instances, LongTermStoreErrors) {
  std::string reader_message;
  try {
    nlohmann::json parsed = nlohmann::json::parse("");
    reader_message = parsed.dump();
  } catch (const std::exception& e) {
    reader_message = e.what();
  }
  struct Case {
    std::string answer;
    std::string message;
  } const cases[] = {
      {R"({"City": 1})", "Invalid json option. get_instances need to return a json string array."},
      {"\"City\"", "Invalid json option. get_instances need to return a json string array."},
      {"", "Invalid json option." + reader_message},
  };
  std::shared_ptr<IOptions> options = convert_string_to_api_options(R"({"instance_module": "::test::lt"})");
  for (const Case& c : cases) {
    tracked_answer = c.answer;
    EXPECT_EQ(message_of([&] { long_term::create_store(engine.engine, options); }), c.message)
        << c.answer;
  }
  // A plugin error passes unchanged.
  tracked_answer = R"(["City"])";
  engine.plugin->error_code = 1;
  engine.plugin->error_message = "no module lt";
  EXPECT_EQ(message_of([&] { long_term::create_store(engine.engine, options); }), "no module lt");
}

TEST_F(Instances, LongTermStoreTracksTheNamesOfItsModule) {
  tracked_answer = R"(["City", 3, "Country"])";
  std::shared_ptr<IOptions> options = convert_string_to_api_options(R"({"instance_module": "::test::lt"})");
  auto store = std::dynamic_pointer_cast<long_term::Store>(long_term::create_store(engine.engine, options));
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->tracked_names(), (Names{"City", "Country"}));
  tracked_answer = "[]";
  EXPECT_EQ(long_term::create_store(engine.engine, options), nullptr);
  EXPECT_EQ(long_term::create_store(engine.engine, convert_string_to_api_options("{}")), nullptr);
}

TEST_F(Instances, LongTermAnswers) {
  struct Case {
    const char* what;
    std::string analyzer_options;
    std::optional<std::string> answer;
    std::optional<std::string> key;
    size_t triggers;
  } const cases[] = {
      {"a key", R"({"instance_module": "::test::lt"})", std::string("k1"), std::string("k1"), 1},
      // Tracked by both stores: the short-term store asks, and apply asks
      // again since no key came back.
      {"false", R"({"instance_module": "::test::lt"})", std::string("false"), std::nullopt, 2},
      {"an empty answer", R"({"instance_module": "::test::lt"})", std::string(""), std::nullopt, 2},
      {"no answer", R"({"instance_module": "::test::lt"})", std::nullopt, std::nullopt, 2},
      {"plugins not allowed", R"({"instance_module": "::test::lt", "allow_plugins": false})",
       std::string("k1"), std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.plugin->calls.clear();
    check_answer = [&](const Call&) { return c.answer; };
    load("[City Oslo] is cold", R"({"instances": "City"})", c.analyzer_options);
    apply(blackboard.get());
    Concept* city = testing::find_concept(*document.sentences, "City");
    EXPECT_EQ(city->instance_key, c.key);
    EXPECT_EQ(count("check_instance"), c.triggers);
    for (const Call& call : engine.plugin->calls) {
      if (call.function != "check_instance") continue;
      EXPECT_EQ(call.operation, "trigger");
      EXPECT_EQ(call.arguments, std::vector<std::string>{"Oslo"});
      EXPECT_EQ(call.context.concept_annotation, city);
      EXPECT_EQ(call.context.scope, city);
    }
    // The short-term store made its instance in every case.
    EXPECT_EQ(index_of("City"), 1);
  }
}

TEST_F(Instances, LongTermInstancesAreAskedOncePerKeyAndDocument) {
  check_answer = [](const Call& call) {
    return std::optional<std::string>(call.arguments.at(0) == "Oslo" ? "k1" : "k2");
  };
  const std::string spec = "[City Oslo] and [City Oslo] and [City Bergen]";
  const std::string analyzer = R"({"instance_module": "::test::lt"})";
  load(spec, R"({"instances": "Person"})", analyzer);
  apply(blackboard.get());
  std::shared_ptr<IStore> store = blackboard->analyzer->long_term_store();
  ASSERT_NE(store, nullptr);
  std::shared_ptr<Instance> first =
      store->get_instance(*blackboard, testing::find_concept(*document.sentences, "City", 1));
  std::shared_ptr<Instance> second =
      store->get_instance(*blackboard, testing::find_concept(*document.sentences, "City", 2));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->attributes.get_attribute("country"), "Norway");
  EXPECT_EQ(count("get_instance"), 1u);
  // Through the short-term store, which holds the long-term one.
  EXPECT_EQ(blackboard->short_term_store->get_instance(
                *blackboard, testing::find_concept(*document.sentences, "City", 1)),
            first);
  EXPECT_EQ(count("get_instance"), 1u);
  store->get_instance(*blackboard, testing::find_concept(*document.sentences, "City", 3));
  EXPECT_EQ(count("get_instance"), 2u);
  // Another document asks again.
  load(spec, R"({"instances": "Person"})", analyzer);
  apply(blackboard.get());
  store->get_instance(*blackboard, testing::find_concept(*document.sentences, "City", 1));
  EXPECT_EQ(count("get_instance"), 3u);
  // A concept without a key has none.
  Concept plain(0, 1, "City");
  EXPECT_EQ(store->get_instance(*blackboard, &plain), nullptr);
}

TEST_F(Instances, NoStoreNoWork) {
  load("[Person [PersonGiv Abc]] came", R"({"instances": ""})");
  EXPECT_EQ(blackboard->short_term_store, nullptr);
  apply(blackboard.get());
  EXPECT_FALSE(testing::find_concept(*document.sentences, "Person")->instance_index);
}

}  // namespace
}  // namespace instances
}  // namespace kavero
}  // namespace zel
