#include "domain/domain.h"

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "base/error_message_testutil.h"
#include "base/options.h"
#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/anaphora.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/conjecture.h"
#include "matcher/plugin_api.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

using ::testing::ElementsAre;
using json = nlohmann::json;
using zel::testing::build_document;
using zel::testing::dump;
using zel::testing::message_of;
using zel::testing::ScratchFolder;

// Domains written by the fixture writer into the resource folder of a real
// engine, opened as the host opens them.
class DomainTest : public ::testing::Test {
 protected:
  DomainTest() { folder_.folder("morvik"); }

  void write(const std::string& name, const std::string& text) {
    testing::write_compiled_domain(text, folder_.path() / "morvik" / (name + ".dom"));
  }
  std::string dom(const std::string& name) const {
    return (folder_.path() / "morvik" / (name + ".dom")).string();
  }

  std::shared_ptr<Engine> engine() {
    if (!engine_) {
      engine_ = std::make_shared<Engine>(convert_string_to_api_options(
          json{{"root_path", folder_.str()}, {"morvik", folder_.str("morvik")}}.dump()));
    }
    return engine_;
  }

  std::unique_ptr<Domain> open(const std::string& name, const std::string& options = "{}") {
    return std::make_unique<Domain>(engine(), name.c_str(), convert_string_to_api_options(options));
  }

  // The names of a filter; "<all>" for none.
  static std::vector<std::string> names(const std::shared_ptr<OutputFilter>& filter) {
    if (!filter) return {"<all>"};
    return std::vector<std::string>(filter->names.begin(), filter->names.end());
  }

  ScratchFolder folder_;
  std::shared_ptr<Engine> engine_;
};

TEST_F(DomainTest, TheFilterComesFromTheOptionTheDescriptionOrTheDomain) {
  struct Case {
    const char* domain;
    const char* options;
    std::vector<std::string> filter;
  } const cases[] = {
      // The option: its names, split at "|".
      {"dom_info {\"concepts\":[\"City\"]}\ncapture Person\n", R"({"annotation_filter":"Person|Town"})",
       {"Person", "Sentence", "Town"}},
      {"capture Person\n", R"({"annotation_filter":".*"})", {"<all>"}},
      {"capture Person\n", R"({"annotation_filter":""})", {"Sentence"}},
      // The description's "concepts".
      {"dom_info {\"concepts\":[\"City\",\"Town\"]}\n", "{}", {"City", "Sentence", "Town"}},
      {"dom_info {\"concepts\":{\"a\":\"City\",\"b\":\"Town\"}}\n", "{}",
       {"City", "Sentence", "Town"}},
      {"dom_info {\"concepts\":\"City,Town\"}\n", "{}", {"City,Town", "Sentence"}},
      {"dom_info {\"concepts\":\".*\"}\n", "{}", {"<all>"}},
      {"dom_info {\"concepts\":null}\ncapture Person\n", "{}", {"Sentence"}},
      // The domain's own filter: its capture names.
      {"dom_info {\"name\":\"d\"}\ncapture Person _hidden\n", "{}", {"Person", "Sentence"}},
      {"no_dom_info\ncapture Person\n", "{}", {"Person", "Sentence"}},
  };
  for (const Case& c : cases) {
    write("d", c.domain);
    engine_.reset();
    std::unique_ptr<Domain> d = open("d", c.options);
    EXPECT_EQ(names(d->filter), c.filter) << c.domain << c.options;
  }
}

TEST_F(DomainTest, TheOptionLeavesTheSharedDomainAlone) {
  write("d", "dom_info {\"concepts\":[\"City\"]}\n");
  std::unique_ptr<Domain> everything = open("d", R"({"annotation_filter":".*"})");
  std::unique_ptr<Domain> persons = open("d", R"({"annotation_filter":"Person"})");
  std::unique_ptr<Domain> plain = open("d");
  ASSERT_EQ(everything->main_domain, plain->main_domain);
  EXPECT_EQ(names(plain->main_domain->output_filter), (std::vector<std::string>{"City", "Sentence"}));
  EXPECT_EQ(names(everything->filter), std::vector<std::string>{"<all>"});
  EXPECT_EQ(names(persons->filter), (std::vector<std::string>{"Person", "Sentence"}));
  EXPECT_EQ(names(plain->filter), (std::vector<std::string>{"City", "Sentence"}));
  EXPECT_TRUE(persons->filter->has("Person"));
  EXPECT_FALSE(persons->filter->has("City"));
}

// An engine whose collections never hold the domain asked for.
class EngineWithoutDomains : public Engine {
 public:
  using Engine::Engine;
  DomainCollection get_domains(const std::string& name, bool) const override {
    return {{name + "x", std::make_shared<DomainFacade>(name)}, {name, nullptr}};
  }
};

TEST_F(DomainTest, OpeningFailures) {
  write("numbers", "dom_info {\"concepts\":[\"City\",7]}\n");
  EXPECT_EQ(message_of([&] { open("numbers"); }),
            "[json.exception.type_error.302] type must be string, but is number");
  EXPECT_EQ(message_of([&] { open("missing"); }), "Domain file not found. missing");
  write("d", "\n");
  auto without = std::make_shared<EngineWithoutDomains>(convert_string_to_api_options(
      json{{"root_path", folder_.str()}, {"morvik", folder_.str("morvik")}}.dump()));
  EXPECT_EQ(message_of([&] { Domain(without, "d", nullptr); }),
            "Cannot find domain file " + dom("d"));
}

TEST_F(DomainTest, TheCollectionRunsDependenciesFirst) {
  write("base", "dom_info {}\n");
  write("main", "dom_info {\"dependencies\":[\"base\"],\"concepts\":[\"City\"]}\n");
  std::unique_ptr<Domain> d = open("main");
  EXPECT_EQ(d->name, dom("main"));
  ASSERT_EQ(d->domains.size(), 2u);
  EXPECT_EQ(d->domains[0].second->get_sqlite_filename(), dom("base"));
  EXPECT_EQ(d->domains[1].second, d->main_domain);
  const json info = json::parse(d->info());
  EXPECT_EQ(info["dom"]["run_order"], json::array({dom("base"), dom("main")}));
  EXPECT_EQ(info["dom_info"]["concepts"], json::array({"City"}));
  // The facade's own information is not changed.
  EXPECT_FALSE((*d->main_domain->domain_info)["dom"].contains("run_order"));
}

TEST_F(DomainTest, MakeOutputFilterSplitsAtBars) {
  struct Case {
    const char* text;
    std::vector<std::string> names;
  } const cases[] = {
      {"", {}},
      {"City", {"City"}},
      {"City|Town", {"City", "Town"}},
      {"City||Town|", {"", "City", "Town"}},
      {"/C.*/", {"/C.*/"}},
  };
  for (const Case& c : cases) {
    std::shared_ptr<OutputFilter> filter = make_output_filter(nullptr, c.text);
    EXPECT_EQ(std::vector<std::string>(filter->names.begin(), filter->names.end()), c.names)
        << c.text;
    EXPECT_EQ(filter->filter, nullptr);
  }
}

TEST(NamespaceActions, ToJson) {
  std::map<std::string, NamespaceAction> actions;
  actions["grammar"].names = {"b", "a"};
  actions["last"].names = {};
  EXPECT_EQ(to_json(actions).dump(), R"({"grammar":["a","b"],"last":[]})");
  EXPECT_EQ(to_json({}).dump(), "{}");
}

// A document on a blackboard, for the clean-up steps.
class DomainCleanUpTest : public ::testing::Test {
 protected:
  Blackboard& document(const std::string& text) {
    blackboard_ = zel::testing::make_blackboard();
    zel::testing::load_document(*blackboard_, build_document(text));
    return *blackboard_;
  }
  // Every concept by its name, in document order.
  std::vector<Concept*> concepts(const std::string& uri) const {
    std::vector<Concept*> found;
    for (Annotation* s : *blackboard_->annotations) {
      for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
        Concept* c = annotation_cast<Concept>(a);
        if (c != nullptr && c->uri == uri) found.push_back(c);
      }
    }
    return found;
  }
  std::string dumped() const {
    return dump(*blackboard_->annotations, zel::testing::kDumpFlags);
  }

  std::unique_ptr<Blackboard> blackboard_;
};

TEST_F(DomainCleanUpTest, IntermediateConceptsGoWithTheirEndAnnotations) {
  Blackboard& blackboard = document("[$np the [City Paris ] ] is [Place [$x big ] ]");
  Concept* city = concepts("City").at(0);
  Concept* place = concepts("Place").at(0);
  add_parent(city, concepts("$np").at(0));
  add_parent(city, place);
  add_parent(place, concepts("$x").at(0));
  remove_intermediate_concepts(blackboard);
  // Out of the parent lists of what they enclose and of their end
  // annotations; an end annotation that closed only them is gone.
  EXPECT_EQ(dumped(), "[Sentence [$np!to_delete the [City Paris ]City is [Place [$x!to_delete big ]Place,Sentence $");
  EXPECT_THAT(*city->parents, ElementsAre(place));
  purge_deleted_concepts(blackboard);
  EXPECT_EQ(dumped(), "[Sentence the [City Paris ]City is [Place big ]Place,Sentence $");
  EXPECT_THAT(*place->parents, ElementsAre());
}

TEST_F(DomainCleanUpTest, AnEndAnnotationClosingNothingGoes) {
  Blackboard& blackboard = document("[City Paris ] is");
  Concept* city = concepts("City").at(0);
  EndAnnotation* end = city->end_annotation;
  end->concepts.clear();
  city->end_annotation = nullptr;
  remove_intermediate_concepts(blackboard);
  EXPECT_EQ(dumped(), "[Sentence [City Paris is ]Sentence $");
}

TEST_F(DomainCleanUpTest, PurgingDropsDeletedParentsAndToDeleteConcepts) {
  Blackboard& blackboard = document("[A [B [C x ] ] ] [D y ]");
  Concept* a = concepts("A").at(0);
  Concept* b = concepts("B").at(0);
  Concept* c = concepts("C").at(0);
  Concept* d = concepts("D").at(0);
  add_parent(c, a);
  add_parent(c, b);
  add_parent(c, d);
  a->flags.set(kDeleted);
  b->flags.set(kToDelete);
  purge_deleted_concepts(blackboard);
  EXPECT_THAT(*c->parents, ElementsAre(d));
  // A deleted concept stays, marked; a to_delete one goes.
  EXPECT_EQ(dumped(), "[Sentence [A!deleted [C x ]C,A [D y ]D,Sentence $");
}

TEST_F(DomainCleanUpTest, MarkingOutputConcepts) {
  struct Case {
    std::shared_ptr<OutputFilter> filter;
    const char* expected;
  };
  auto city = std::make_shared<OutputFilter>();
  city->add("Sentence");
  city->add("City");
  city->build();
  const Case cases[] = {
      {nullptr, "[Sentence!import [City!import Paris ]City [Town!import Lyon ]Town,Sentence $"},
      {std::make_shared<OutputFilter>(),
       "[Sentence!import [City!import Paris ]City [Town!import Lyon ]Town,Sentence $"},
      {city, "[Sentence!import [City!import Paris ]City [Town Lyon ]Town,Sentence $"},
  };
  for (const Case& c : cases) {
    Blackboard& blackboard = document("[City Paris ] [Town Lyon ]");
    mark_output_concepts_as_import(blackboard, c.filter);
    EXPECT_EQ(dumped(), c.expected);
  }
  // A concept marked before stays marked.
  Blackboard& blackboard = document("[City Paris ] [Town Lyon ]");
  concepts("Town").at(0)->flags.set(kImport);
  mark_output_concepts_as_import(blackboard, city);
  EXPECT_EQ(dumped(), "[Sentence!import [City!import Paris ]City [Town!import Lyon ]Town,Sentence $");
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

class DomainProcessTest : public DomainTest {
 protected:
  Blackboard& document(const std::string& text) {
    blackboard_ = zel::testing::make_blackboard();
    zel::testing::load_document(*blackboard_, build_document(text));
    return *blackboard_;
  }
  std::unique_ptr<Blackboard> blackboard_;
};

TEST_F(DomainProcessTest, ADocumentTheDomainRanOnIsOnlyMarkedAgain) {
  write("d", "dom_info {\"concepts\":[\"City\"]}\nlexicon literal\n  Paris:[City]\n  Lyon:[Town]\n");
  std::unique_ptr<Domain> d = open("d");
  Blackboard& blackboard = document("Paris [City Lyon ]");
  blackboard.domains_done.insert(d->main_domain->get_sqlite_filename());
  blackboard.result_json = "printed before";
  d->process(blackboard);
  EXPECT_EQ(dump(*blackboard.annotations, zel::testing::kDumpFlags),
            "[Sentence!import Paris [City!import Lyon ]City,Sentence $");
  EXPECT_EQ(blackboard.result_json, "printed before");
  EXPECT_TRUE(blackboard.domains.empty());
}

TEST_F(DomainProcessTest, AFailureIsReportedAndRaisedAgain) {
  write("d", "lexicon literal\n  Paris:[City]\n");
  std::unique_ptr<Domain> d = open("d");
  // A token that is no UTF-8 fails the building of the lookup streams.
  Blackboard& blackboard = document("Paris \xC3");
  std::string what;
  const std::string written = zel::testing::capture_stderr([&] {
    try {
      d->process(blackboard);
    } catch (const std::exception& e) {
      what = e.what();
    }
  });
  ASSERT_FALSE(what.empty());
  EXPECT_EQ(written, "Domain::process:" + what + "\n");
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

// The rule sources the records below stand for:
//   lexicon:    New York -> City
//   conjecture: mayor of _[Town ANY]_            (namespace conjecture)
//   grammar:    _[Trip to _[$dest _[Place City]_ ]_ ]_   (namespace grammar)
// Output: City, Place, Trip and Town; "Word" is found but not output.
const char kMainRoadDomain[] =
    "dom_info {\"concepts\":[\"City\",\"Place\",\"Trip\",\"Town\"]}\n"
    "concept City Place Town Trip $dest Word\n"
    "capture City Place Town Trip $dest Word\n"
    "token 1 literal=to\n"
    "token 2 literal=mayor\n"
    "token 3 literal=of\n"
    "lexicon literal\n"
    "  New York:[City@state=\"NY\"]\n"
    "  mayor:[Word]\n"
    "rule text=rule:town ns=conjecture\n"
    "  path TK:2 TK:3 CAPBEG:Town ANYTK CAPEND:Town\n"
    "rule text=rule:trip ns=grammar\n"
    "  path CAPBEG:Trip TK:1 CAPBEG:$dest CAPBEG:Place CNCPT:City CAPEND:Place CAPEND:$dest "
    "CAPEND:Trip\n";

TEST_F(DomainProcessTest, TheMainRoad) {
  write("road", kMainRoadDomain);
  std::unique_ptr<Domain> d = open("road");
  zel::testing::AnalysedDocument document(
      zel::testing::test_language_folder(),
      "Anna flew to New York. The mayor of Springfield met Anna in Springfield.");
  Blackboard& blackboard = document.blackboard();
  blackboard.result_json = "printed before";
  d->process(blackboard);
  // The intermediate concept and the end annotation that closed only it
  // are gone; "Word" is not output; the conjectured towns share one store.
  EXPECT_EQ(dump(*blackboard.annotations,
                 zel::testing::kDumpAttributes | zel::testing::kDumpFlags),
            "[Sentence{header=true}!import Anna flew [Trip!import to [Place!import "
            "[City{state=NY}!import New York ]Place,City,Trip . ]Sentence $\n"
            "[Sentence!import The [Word mayor ]Word of [Town{|}!import Springfield ]Town met Anna "
            "in [Town{|}!import Springfield ]Town . ]Sentence $");
  std::vector<Concept*> found;
  for (Annotation* s : *blackboard.annotations) {
    for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
      if (Concept* c = annotation_cast<Concept>(a)) found.push_back(c);
    }
  }
  ASSERT_EQ(found.size(), 8u);
  const Concept* place = found[2];
  ASSERT_EQ(place->uri, "Place");
  ASSERT_TRUE(place->parents);
  EXPECT_THAT(*place->parents, ElementsAre());
  ASSERT_NE(found[6]->attributes.store, nullptr);
  EXPECT_EQ(found[6]->attributes.store, found[7]->attributes.store);
  EXPECT_EQ(blackboard.result_json, "");
  EXPECT_THAT(blackboard.domains_done, ElementsAre(dom("road")));

  // A second run of the domain on the document only marks again.
  const std::string before = dump(*blackboard.annotations, zel::testing::kDumpFlags);
  blackboard.result_json = "printed after";
  d->process(blackboard);
  EXPECT_EQ(dump(*blackboard.annotations, zel::testing::kDumpFlags), before);
  EXPECT_EQ(blackboard.result_json, "printed after");
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

TEST_F(DomainProcessTest, ADependencyThatRanAlreadyRunsNoMore) {
  // base: _[Greeting hello]_ ; main depends on base: _[Farewell bye]_
  write("base",
        "concept Greeting\ncapture Greeting\ntoken 1 literal=hello\n"
        "rule text=rule:greeting ns=grammar\n  path CAPBEG:Greeting TK:1 CAPEND:Greeting\n");
  write("main",
        "dom_info {\"dependencies\":[\"base\"]}\n"
        "concept Farewell\ncapture Farewell\ntoken 1 literal=bye\n"
        "rule text=rule:farewell ns=grammar\n  path CAPBEG:Farewell TK:1 CAPEND:Farewell\n");
  Blackboard& blackboard = document("hello and bye");
  open("base")->process(blackboard);
  EXPECT_EQ(dump(*blackboard.annotations), "[Sentence [Greeting hello ]Greeting and bye ]Sentence $");
  // Run again, base would bring its concept back.
  Concept* greeting = annotation_cast<Concept>(
      annotation_cast<Sentence>(blackboard.annotations->head)->annotations.head->next);
  ASSERT_EQ(greeting->uri, "Greeting");
  greeting->flags.set(kDeleted);
  open("main")->process(blackboard);
  EXPECT_EQ(dump(*blackboard.annotations, zel::testing::kDumpFlags),
            "[Sentence!import [Greeting!deleted,import hello ]Greeting and [Farewell!import bye "
            "]Farewell,Sentence $");
  EXPECT_THAT(blackboard.domains_done, ElementsAre(dom("base"), dom("main")));
}

TEST_F(DomainProcessTest, ADomainWithoutRulesStillCleansUp) {
  write("d", "lexicon literal\n  Paris:[City]\n");
  Blackboard& blackboard = document("[Town Lyon ] and Paris");
  // An end annotation that closes nothing.
  Concept* town = annotation_cast<Concept>(
      annotation_cast<Sentence>(blackboard.annotations->head)->annotations.head->next);
  ASSERT_EQ(town->uri, "Town");
  town->end_annotation->concepts.clear();
  town->end_annotation = nullptr;
  open("d")->process(blackboard);
  EXPECT_EQ(dump(*blackboard.annotations), "[Sentence [Town Lyon and [City Paris ]City,Sentence $");
  // The collector is made, and stays empty without conjecture rules.
  ASSERT_NE(blackboard.conjector, nullptr);
  EXPECT_TRUE(blackboard.conjector->entries.empty());
}

TEST_F(DomainProcessTest, TheDocumentIsPrintedAfterEachDomain) {
  write("d", "lexicon literal\n  Paris:[City]\n");
  std::unique_ptr<Domain> d = open("d");
  blackboard_ = zel::testing::make_blackboard("{}", R"({"dbg":"print_annotations"})");
  zel::testing::load_document(*blackboard_, build_document("Paris"));
  const std::string printed = zel::testing::capture_stdout([&] { d->process(*blackboard_); });
  const std::string heading = "Domain: " + dom("d") + "\n" + std::string(58, '-') + "\n";
  EXPECT_EQ(printed.substr(0, heading.size()), heading);
  EXPECT_NE(printed.find("City"), std::string::npos);
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

using zel::testing::ScriptedPlugin;

// Domains run over a built document whose blackboard works for an engine
// with the scripted plugin "test".
class DomainFunctionsTest : public ::testing::Test {
 protected:
  DomainFunctionsTest() {
    blackboard_ = zel::testing::make_blackboard("{}", "{}", engine_.engine);
    blackboard_->set_analyzer(blackboard_->analyzer);
  }
  ~DomainFunctionsTest() override { plugins::set_match_context(runtime::Context()); }

  void run(const std::string& domain_text, const std::string& document_text) {
    testing::write_compiled_domain(domain_text, engine_.folder.path() / "d.dom");
    zel::testing::load_document(*blackboard_, build_document(document_text));
    Domain(engine_.engine, "d", convert_string_to_api_options("{}")).process(*blackboard_);
  }
  std::string dumped() const {
    return dump(*blackboard_->annotations, zel::testing::kDumpAttributes);
  }

  zel::testing::PluginEngine engine_;
  std::unique_ptr<Blackboard> blackboard_;
};

// The rule source:
//   namespace grammar:   Greeting: ( ::test::mod::fn: ( 'hello' )
//                                    kav::set_metadata: ( 'and' ) @step="two"
//                                    ::test::mod::fn: ( 'bye' ) )
//   namespace entities:  Later: ( 'hello' )
TEST_F(DomainFunctionsTest, APluginCallOfARuleTriggersTheFunctionInConceptOrderWithTheMatch) {
  struct Seen {
    plugins::MatchContextRecord record;
    std::string concept_text;
    bool metadata;
    bool later;
  };
  std::vector<Seen> seen;
  engine_.plugin->answer = [&](const ScriptedPlugin::Call& call) {
    Seen s{call.context, "", blackboard_->metadata != nullptr,
           zel::testing::find_concept(*blackboard_->annotations, "Later") != nullptr};
    if (call.context.concept_annotation != nullptr) {
      const Concept* c = call.context.concept_annotation;
      s.concept_text = blackboard_->text.substr(c->begin, c->end - c->begin);
    }
    seen.push_back(s);
    return std::optional<std::string>("done");
  };
  run("concept Greeting ::test::mod::fn kav::set_metadata Later\n"
      "token 1 literal=hello\ntoken 2 literal=and\ntoken 3 literal=bye\n"
      "rule text=rule:greet ns=grammar line=1\n"
      "  path CAPBEG:Greeting CAPBEG:::test::mod::fn TK:1 CAPEND:::test::mod::fn "
      "CAPBEG:kav::set_metadata TK:2 CAPEND:kav::set_metadata @step=\"two\" "
      "CAPBEG:::test::mod::fn TK:3 CAPEND:::test::mod::fn CAPEND:Greeting\n"
      "  bitset path TK:1 TK:2 TK:3\n"
      "rule text=rule:later ns=entities line=2\n"
      "  path CAPBEG:Later TK:1 CAPEND:Later\n  bitset path TK:1\n",
      "hello and bye");
  ASSERT_EQ(engine_.plugin->calls.size(), 2u);
  for (const ScriptedPlugin::Call& call : engine_.plugin->calls) {
    EXPECT_EQ(call.operation, "trigger");
    EXPECT_EQ(call.module, "mod");
    EXPECT_EQ(call.function, "fn");
  }
  ASSERT_EQ(seen.size(), 2u);
  // In concept order: the call on "hello", the metadata, the call on "bye";
  // all of them right after the rule, before the next cluster.
  EXPECT_EQ(seen[0].concept_text, "hello");
  EXPECT_FALSE(seen[0].metadata);
  EXPECT_EQ(seen[1].concept_text, "bye");
  EXPECT_TRUE(seen[1].metadata);
  EXPECT_FALSE(seen[0].later);
  EXPECT_FALSE(seen[1].later);
  // The match context of each call: its document, sentence, scope and
  // function concept.
  Concept* greeting = zel::testing::find_concept(*blackboard_->annotations, "Greeting");
  ASSERT_NE(greeting, nullptr);
  for (int n = 0; n < 2; ++n) {
    const plugins::MatchContextRecord& record = seen[static_cast<size_t>(n)].record;
    EXPECT_EQ(record.blackboard, blackboard_.get());
    ASSERT_NE(record.sentence, nullptr);
    EXPECT_EQ(record.sentence->sentence, blackboard_->annotations->head);
    EXPECT_EQ(record.scope, greeting);
    EXPECT_EQ(record.concept_annotation,
              zel::testing::find_concept(*blackboard_->annotations, "::test::mod::fn", n + 1));
  }
  ASSERT_NE(blackboard_->metadata, nullptr);
  EXPECT_EQ(blackboard_->metadata->dump(), R"({"step":["two"]})");
}

// The rule source:
//   namespace grammar:  City: ( 'Paris' ) @country="FR";size="big"
//                       Trip: ( 'to' kav::push_att: ( City ) @from="City";to="Trip";
//                               attributes="country" )
//                       kav::set_metadata: ( 'today' ) @when="now";who="we"
TEST_F(DomainFunctionsTest, PushAttAndSetMetadataRulesChangeConceptsAndTheDocument) {
  run("concept City Trip kav::push_att kav::set_metadata\n"
      "token 1 literal=to\ntoken 2 literal=today\ntoken 3 literal=Paris\n"
      "rule text=rule:city ns=grammar line=3\n"
      "  path CAPBEG:City TK:3 CAPEND:City @country=\"FR\";size=\"big\"\n  bitset path TK:3\n"
      "rule text=rule:trip ns=grammar line=1\n"
      "  path CAPBEG:Trip TK:1 CAPBEG:kav::push_att CNCPT:City CAPEND:kav::push_att "
      "@from=\"City\";to=\"Trip\";attributes=\"country\" CAPEND:Trip\n"
      "  bitset path TK:1 CNCPT:City\n"
      "rule text=rule:today ns=grammar line=2\n"
      "  path CAPBEG:kav::set_metadata TK:2 CAPEND:kav::set_metadata @when=\"now\";who=\"we\"\n"
      "  bitset path TK:2\n",
      "we go to Paris today");
  Concept* trip = zel::testing::find_concept(*blackboard_->annotations, "Trip");
  ASSERT_NE(trip, nullptr);
  EXPECT_EQ(trip->get_attribute("country"), "FR");
  EXPECT_FALSE(trip->has_attribute("size"));
  ASSERT_NE(blackboard_->metadata, nullptr);
  EXPECT_EQ(blackboard_->metadata->dump(), R"({"when":["now"],"who":["we"]})");
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

// Persons of the rule source (namespace grammar.pg, priority group "who"):
//   Person: ( PersonGiv: ( 'Abc' ) PersonFam: ( FamilyName: ( 'Def' ) ) ) @gender="male"
//   Person: ( PersonFam: ( FamilyName: ( 'Def' ) ) )
const char kPersons[] =
    "concept Person PersonGiv PersonFam FamilyName kav::anaphora $Tmp\n"
    "token 1 literal=Abc\ntoken 2 literal=Def\n"
    "rule text=rule:full ns=grammar,pg group=who-1 line=1\n"
    "  path CAPBEG:Person CAPBEG:PersonGiv TK:1 CAPEND:PersonGiv CAPBEG:PersonFam "
    "CAPBEG:FamilyName TK:2 CAPEND:FamilyName CAPEND:PersonFam CAPEND:Person @gender=\"male\"\n"
    "  bitset path TK:1 TK:2\n"
    "rule text=rule:family ns=grammar,pg group=who-2 line=2\n"
    "  path CAPBEG:Person CAPBEG:PersonFam CAPBEG:FamilyName TK:2 CAPEND:FamilyName "
    "CAPEND:PersonFam CAPEND:Person\n"
    "  bitset path TK:2\n";

// The attributes of a concept: its own, then those of its store.
std::string attributes_of(const Concept* c) {
  std::ostringstream text;
  text << c->attributes.own << "|";
  if (c->attributes.store) text << *c->attributes.store;
  return text.str();
}

TEST_F(DomainProcessTest, TheInstancePassLinksLaterMentionsOfAPerson) {
  write("people", std::string("dom_info {\"instances\":true}\n") + kPersons);
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(),
                                          "Abc Def came. Then Def left.");
  Blackboard& blackboard = document.blackboard();
  open("people")->process(blackboard);
  Concept* full = zel::testing::find_concept(*blackboard.annotations, "Person", 1);
  Concept* family = zel::testing::find_concept(*blackboard.annotations, "Person", 2);
  ASSERT_NE(full, nullptr);
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(blackboard.text.substr(family->begin, family->end - family->begin), "Def");
  ASSERT_TRUE(full->instance_index.has_value());
  EXPECT_EQ(full->instance_index, family->instance_index);
  ASSERT_NE(full->attributes.store, nullptr);
  EXPECT_EQ(full->attributes.store, family->attributes.store);
  EXPECT_EQ(attributes_of(family), "|canonical=Abc Def;family=Def;gender=male;given=Abc;");
}

// Besides the persons (namespace anaphora):
//   kav::anaphora: ( 'he' ) @scope="-1:0";concept="Person";relevancy="gender:male:1"
const char kHe[] =
    "token 3 literal=he\n"
    "rule text=rule:he ns=anaphora line=3\n"
    "  path CAPBEG:kav::anaphora TK:3 CAPEND:kav::anaphora "
    "@scope=\"-1:0\";concept=\"Person\";relevancy=\"gender:male:1\"\n"
    "  bitset path TK:3\n";

TEST_F(DomainProcessTest, AnAnaphorGetsTheEarlierPersonWithItsAttributes) {
  write("people", std::string("dom_info {\"instances\":true}\n") + kPersons + kHe);
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(),
                                          "Abc Def came. Then he left.");
  Blackboard& blackboard = document.blackboard();
  open("people")->process(blackboard);
  Concept* he = zel::testing::find_concept(*blackboard.annotations, "Person", 2);
  ASSERT_NE(he, nullptr);
  EXPECT_EQ(blackboard.text.substr(he->begin, he->end - he->begin), "he");
  const Concept* abc = zel::testing::find_concept(*blackboard.annotations, "Person", 1);
  EXPECT_EQ(he->attributes.store, abc->attributes.store);
  EXPECT_EQ(he->get_attribute("canonical"), "Abc Def");
  EXPECT_EQ(he->get_attribute("gender"), "male");
}

// A later domain on the same document resolves the calls an earlier one
// recorded, after the earlier domain's clean-up deleted concepts the store
// had seen. The first domain records a call for "he" that finds no person
// yet, and a call for "her" whose candidate is an intermediate concept,
// deleted when the domain ends:
//   namespace grammar:  $Tmp: ( 'Xyz' )
//   namespace anaphora: kav::anaphora: ( 'he' ) ... as above
//                       kav::anaphora: ( 'her' ) @scope="0:0";concept="$Tmp"
// The second domain finds the person and has an anaphora cluster of its
// own (a rule that matches nothing here).
TEST_F(DomainProcessTest, ALaterDomainResolvesEarlierCallsAfterDeletions) {
  write("first",
        "concept kav::anaphora $Tmp\n"
        "token 1 literal=Xyz\ntoken 2 literal=her\ntoken 3 literal=he\n"
        "rule text=rule:tmp ns=grammar line=1\n"
        "  path CAPBEG:$Tmp TK:1 CAPEND:$Tmp\n  bitset path TK:1\n"
        "rule text=rule:he ns=anaphora line=3\n"
        "  path CAPBEG:kav::anaphora TK:3 CAPEND:kav::anaphora "
        "@scope=\"-1:0\";concept=\"Person\";relevancy=\"gender:male:1\"\n"
        "  bitset path TK:3\n"
        "rule text=rule:her ns=anaphora line=4\n"
        "  path CAPBEG:kav::anaphora TK:2 CAPEND:kav::anaphora @scope=\"0:0\";concept=\"$Tmp\"\n"
        "  bitset path TK:2\n");
  write("second", std::string("dom_info {\"instances\":true}\n") + kPersons +
                      "token 4 literal=nobody\n"
                      "rule text=rule:none ns=anaphora line=5\n"
                      "  path CAPBEG:kav::anaphora TK:4 CAPEND:kav::anaphora "
                      "@scope=\"0:0\";concept=\"Person\"\n"
                      "  bitset path TK:4\n");
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(),
                                          "Abc Def came. Then he left. Xyz saw her.");
  Blackboard& blackboard = document.blackboard();
  open("first")->process(blackboard);
  EXPECT_EQ(zel::testing::find_concept(*blackboard.annotations, "Person"), nullptr);
  EXPECT_EQ(zel::testing::find_concept(*blackboard.annotations, "$Tmp"), nullptr);
  ASSERT_NE(blackboard.anaphora_store, nullptr);
  EXPECT_EQ(blackboard.anaphora_store->referents.size(), 2u);
  EXPECT_TRUE(blackboard.anaphora_store->candidates.empty());

  open("second")->process(blackboard);
  Concept* he = zel::testing::find_concept(*blackboard.annotations, "Person", 2);
  ASSERT_NE(he, nullptr);
  EXPECT_EQ(blackboard.text.substr(he->begin, he->end - he->begin), "he");
  EXPECT_EQ(he->get_attribute("canonical"), "Abc Def");
  EXPECT_EQ(zel::testing::find_concept(*blackboard.annotations, "Person", 3), nullptr);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
