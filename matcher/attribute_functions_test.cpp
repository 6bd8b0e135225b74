#include "matcher/attribute_functions.h"

#include <memory>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <utf8.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "analysis/navigation.h"
#include "analysis/plugin_engine_testutil.h"
#include "core-afst/lookup_network_testutil.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/runtime_log_testutil.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

using testing::RuntimeLog;
using testing::ScriptedPlugin;
using Strings = std::vector<std::string>;

// "k=v;..." of the own list, then "|" and the store's when there is one.
std::string pairs_of(const Concept* c) {
  std::string out;
  for (const Attribute& pair : c->attributes.own) {
    out += pair.first + "=" + to_string(pair.second) + ";";
  }
  if (c->attributes.store) {
    out += "|";
    for (const Attribute& pair : *c->attributes.store) {
      out += pair.first + "=" + to_string(pair.second) + ";";
    }
  }
  return out;
}

class AttributeFunctions : public ::testing::Test {
 protected:
  void load(const std::string& spec, const std::string& document_options = "{}",
            const std::string& analyzer_options = "{}") {
    blackboard = testing::make_blackboard(document_options, analyzer_options, engine.engine);
    blackboard->set_analyzer(blackboard->analyzer);
    document = testing::build_document(spec);
    testing::load_document(*blackboard, document);
  }

  Concept* find(const std::string& uri, int n = 1) {
    Concept* c = testing::find_concept(*document.sentences, uri, n);
    EXPECT_NE(c, nullptr) << uri << " " << n;
    return c;
  }

  // The call F makes, with a scope concept or none.
  runtime::Context context_of(Concept* function, Concept* scope = nullptr) {
    return runtime::Context(blackboard.get(), get_sentence(*blackboard, function->begin),
                            function, scope);
  }

  // Sets F's arguments.
  static void arguments(Concept* function, const Strings& keys_and_values) {
    for (size_t i = 0; i + 1 < keys_and_values.size(); i += 2) {
      function->add(keys_and_values[i], keys_and_values[i + 1], kOwnList);
    }
  }

  testing::PluginEngine engine{"python"};
  std::unique_ptr<Blackboard> blackboard;
  testing::TestDocument document;
};

TEST_F(AttributeFunctions, InheritAttributesCopiesAllPairsOrThoseWhoseKeyPasses) {
  struct Case {
    const char* keys;
    const char* copied;
  } const cases[] = {
      // Own list, then store, all into the destination's own list: it has
      // no store.
      {"", "gender=f;id=7;name=Ann;role=x;"},
      {"name", "name=Ann;role=x;"},
      {"/na.*|id/", "id=7;name=Ann;role=x;"},
      // The whole key must match.
      {"/n/", "role=x;"},
      {"/(/", "role=x;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Concept source(0, 1, "Person");
    source.add("name", "Ann", kOwnList);
    source.add("gender", "f", kOwnList);
    source.attributes.store = std::make_shared<Attributes>();
    source.attributes.store->add("id", "7");
    Concept destination(0, 1, "Contact");
    destination.add("role", "x", kOwnList);
    inherit_attributes(&source, &destination, c.keys);
    EXPECT_EQ(pairs_of(&destination), c.copied);
  }
  // A concept copied into itself changes nothing.
  Concept self(0, 1, "Person");
  self.add("name", "Ann", kOwnList);
  inherit_attributes(&self, &self, "");
  EXPECT_EQ(pairs_of(&self), "name=Ann;");
}

TEST_F(AttributeFunctions, PushAttWithoutScopeCopiesBetweenConceptsOfTheSpan) {
  struct Case {
    const char* name;
    Strings arguments;
    const char* contact_at_ann;  // pairs of the Contact sharing F's span
    const char* person;
  } const cases[] = {
      {"from the Person at F's span to the Contact at its span", {"from", "Person", "to", "Contact"},
       "name=Ann;role=x;", "name=Ann;"},
      {"no such target: the source copies into itself", {"from", "Person", "to", "Missing"},
       "role=x;", "name=Ann;"},
      {"no such source: F itself is the source", {"from", "Nobody", "to", "Contact"},
       "from=Nobody;role=x;to=Contact;", "name=Ann;"},
      {"a pattern names the source", {"from", "/Pers.n/", "to", "Contact"},
       "name=Ann;role=x;", "name=Ann;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load("[Person{name=Ann} [Contact{role=x} [kav::push_att Ann ] ] ] [Contact Bob ]");
    Concept* function = find("kav::push_att");
    arguments(function, c.arguments);
    PushAttHandler()(context_of(function));
    EXPECT_EQ(pairs_of(find("Contact")), c.contact_at_ann);
    EXPECT_EQ(pairs_of(find("Contact", 2)), "");
    EXPECT_EQ(pairs_of(find("Person")), c.person);
    EXPECT_FALSE(function->flags.any());
  }
}

TEST_F(AttributeFunctions, PushAttWithScopeCopiesIntoEveryLiveTargetInItsRange) {
  struct Case {
    const char* to;
    const char* attributes;
    const char* group;
    const char* bob;
  } const cases[] = {
      {"Contact", "", "", "gender=f;name=Ann;"},
      // The scope concept itself when its name matches.
      {"/Group|Contact/", "", "gender=f;name=Ann;", "gender=f;name=Ann;"},
      {"Contact", "/na.*/", "", "name=Ann;"},
      {"Contact", "gender", "", "gender=f;"},
      {"Contact", "/(/", "", ""},
      {"/(/", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.to) + " " + c.attributes);
    load("[Group [Person{name=Ann;gender=f} [kav::push_att Ann ] ] and [Contact Bob ] "
         "[Contact Cy ] ] [Contact Di ]");
    Concept* function = find("kav::push_att");
    arguments(function, {"from", "Person", "to", c.to});
    if (*c.attributes) arguments(function, {"attributes", c.attributes});
    find("Contact", 2)->flags.set(kDeleted);
    PushAttHandler()(context_of(function, find("Group")));
    EXPECT_EQ(pairs_of(find("Group")), c.group);
    EXPECT_EQ(pairs_of(find("Contact", 1)), c.bob);
    EXPECT_EQ(pairs_of(find("Contact", 2)), "");  // deleted
    EXPECT_EQ(pairs_of(find("Contact", 3)), "");  // outside the scope
  }
}

TEST_F(AttributeFunctions, PushAttReadsFromAndToFromTheCallsArgumentsWhenItHasThem) {
  load("[Person{name=Ann} [Contact [kav::push_att Ann ] ] ]");
  Concept* function = find("kav::push_att");
  runtime::Context context = context_of(function);
  context.arguments = runtime::Context::Arguments{{"from", "Person"}, {"to", "Contact"}};
  PushAttHandler()(context);
  EXPECT_EQ(pairs_of(find("Contact")), "name=Ann;");

  // F's own "from" and "to" do not count when the call has arguments.
  load("[Person{name=Ann} [Contact [kav::push_att Ann ] ] ]");
  function = find("kav::push_att");
  arguments(function, {"from", "Person", "to", "Contact"});
  context = context_of(function);
  context.arguments = runtime::Context::Arguments{{"from", "Person"}};
  RuntimeLog log;
  PushAttHandler()(context);
  EXPECT_EQ(pairs_of(find("Contact")), "");
  EXPECT_TRUE(log.has("ERROR",
                      "kav::push_att function requires a 'from' and 'to' attribute !"
                      "from=Person;to=Contact;"));
}

TEST_F(AttributeFunctions, PushAttAndInheritWithoutFromOrToOnlyLog) {
  load("[Person{name=Ann} [Contact [kav::push_att [kav::inherit Ann ] ] ] ]");
  arguments(find("kav::push_att"), {"to", "Contact"});
  arguments(find("kav::inherit"), {"from", "Person"});
  RuntimeLog log;
  PushAttHandler()(context_of(find("kav::push_att")));
  InheritAttHandler()(context_of(find("kav::inherit")));
  EXPECT_EQ(log.lines(),
            (Strings{"ERROR kav::push_att function requires a 'from' and 'to' attribute !"
                     "to=Contact;",
                     "ERROR kav::inherit function requires a from and to attributes !"}));
  EXPECT_EQ(pairs_of(find("Contact")), "");
}

TEST_F(AttributeFunctions, InheritCopiesFromTheFirstSourceToTheFirstTargetOfTheSpan) {
  struct Case {
    const char* name;
    const char* spec;
    const char* from;
    const char* to;
    bool delete_first_person;
    Strings contacts;  // pairs of each Contact in document order
  } const cases[] = {
      {"first to first, in list order",
       "[kav::inherit [Person{name=Ann} Ann ] [Person{name=Bo} Bo ] [Contact Cy ] [Contact Di ] ] "
       "today",
       "Person", "Contact", false, {"name=Ann;", ""}},
      {"a deleted source is passed over",
       "[kav::inherit [Person{name=Ann} Ann ] [Person{name=Bo} Bo ] [Contact Cy ] ] today",
       "Person", "Contact", true, {"name=Bo;"}},
      {"concepts sharing F's span before it come first",
       "[Person{name=Zed} [kav::inherit [Person{name=Ann} Ann ] [Contact Cy ] ] ] today", "Person",
       "Contact", false, {"name=Zed;"}},
      {"names are compared exactly: a pattern finds nothing",
       "[kav::inherit [Person{name=Ann} Ann ] [Contact Cy ] ] today", "Person", "/Contact/",
       false, {""}},
      {"no source", "[kav::inherit [Person{name=Ann} Ann ] [Contact Cy ] ] today", "Place",
       "Contact", false, {""}},
      {"targets outside F's range do not count",
       "[kav::inherit [Person{name=Ann} Ann ] ] [Contact Cy ] today", "Person", "Contact", false,
       {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(c.spec);
    Concept* function = find("kav::inherit");
    arguments(function, {"from", c.from, "to", c.to});
    if (c.delete_first_person) find("Person")->flags.set(kDeleted);
    InheritAttHandler()(context_of(function));
    Strings contacts;
    for (int n = 1; testing::find_concept(*document.sentences, "Contact", n) != nullptr; ++n) {
      contacts.push_back(pairs_of(find("Contact", n)));
    }
    EXPECT_EQ(contacts, c.contacts);
    EXPECT_FALSE(function->flags.any());
  }
}

TEST_F(AttributeFunctions, FindConceptsCollectsLiveConceptsOfTheSpanInListOrder) {
  load("[A x [B [A [F [A y ] z ] ] ] ] w");
  Concept* f = find("F");
  find("A", 3)->flags.set(kDeleted);
  // From B, the first of the run sharing F's span; the outer A does not
  // share it and the inner one is deleted.
  EXPECT_EQ(find_concepts(f, "A"), (std::vector<Concept*>{find("A", 2)}));
  EXPECT_EQ(find_concepts(f, "B"), (std::vector<Concept*>{find("B")}));
  EXPECT_TRUE(find_concepts(f, "F").size() == 1u);
}

class Rewrite : public AttributeFunctions {
 protected:
  // "Ann" and "Bob" before F; F covers "met"; "today" follows.
  void load_rewrite(const std::string& tokens_json) {
    load("Ann/Np Bob/Np [kav::rewrite met/V+Past ] today/Adv");
    function = find("kav::rewrite");
    if (!tokens_json.empty()) arguments(function, {"_tokens", tokens_json});
    for (const char* literal : {"Ann", "Bob", "met", "today"}) {
      testing::find_token(*document.sentences, literal)->encodings = {5};
    }
  }

  // The tokens with their readings and whether they kept their ids ("#").
  std::string tokens() const {
    std::string out;
    for (const char* literal : {"Ann", "Bob"}) out += literal + std::string(" ");
    const Sentence* sentence = testing::sentence_at(*document.sentences, 0);
    bool after = false;
    for (const Annotation* a = sentence->annotations.head; a != nullptr; a = a->next) {
      if (a == function) after = true;
      const Token* token = annotation_cast<Token>(a);
      if (!after || token == nullptr) continue;
      out += token->literal;
      if (!token->properties.empty()) {
        out += "{";
        for (const std::string& p : token->properties) out += p + ",";
        out += "}";
      }
      for (const MorphData& reading : token->readings) {
        out += "/" + reading.pos() + ":" + reading.stem;
        for (const MorphData& component : reading.components) {
          out += "(" + component.pos() + ":" + component.stem + ")";
        }
      }
      if (!token->encodings.empty()) out += "#";
      out += " ";
    }
    return out;
  }

  std::string run(const std::string& tokens_json) {
    load_rewrite(tokens_json);
    ::testing::internal::CaptureStderr();
    RewriteHandler()(context_of(function));
    return ::testing::internal::GetCapturedStderr();
  }

  Concept* function = nullptr;
};

TEST_F(Rewrite, RewritesTheTokensAfterFOnePerElement) {
  const std::string unchanged = "Ann Bob met/V:met# today/Adv:today# ";
  struct Case {
    const char* tokens_json;
    const char* tokens;
    bool deleted;
    const char* warnings;
  } const cases[] = {
      {"", unchanged.c_str(), true, ""},
      {"[]", unchanged.c_str(), true, ""},
      // An empty object only clears the first token's ids.
      {"[{}]", "Ann Bob met/V:met today/Adv:today# ", true, ""},
      // The walk runs past F's range; elements beyond the tokens are left.
      {R"([{"literal": "saw"}, {"literal": "now"}, {"literal": "never"}])",
       "Ann Bob saw/V:met now/Adv:today ", true, ""},
      {R"([{"literal": "x", "properties": ["P", "Q"],
            "morphology": {"pos": "N", "stem": "y",
                           "components": [{"pos": "A", "stem": "b"}]}}])",
       "Ann Bob x{P,Q,}/N:y(A:b) today/Adv:today# ", true, ""},
      {R"([{"properties": "P"}])", "Ann Bob met{P,}/V:met today/Adv:today# ", true, ""},
      {R"([{"properties": null}])", "Ann Bob met/V:met today/Adv:today# ", true, ""},
      {R"([{"morphology": {"pos": "N"}}])", "Ann Bob met/V:met today/Adv:today# ", true,
       R"(Domain:Warning: morphology does not have a pos and stem or are not string objects{"pos":"N"})"},
      {R"([{"morphology": {"pos": "N", "stem": 3}}])", "Ann Bob met/V:met today/Adv:today# ",
       true,
       R"(Domain:Warning: morphology does not have a pos and stem or are not string objects{"pos":"N","stem":3})"},
      {R"([{"morphology": 5}])", "Ann Bob met/V:met today/Adv:today# ", true,
       "Domain:Warning: morphology is not an object:5"
       "Domain:Warning: morphology does not have a pos and stem or are not string objects5"},
      {R"([{"morphology": {"pos": "N", "stem": "y", "components": {}}}])",
       "Ann Bob met/N:y today/Adv:today# ", true, "Domain:Warning: components is not an array:{}"},
      {R"([{"morphology": {"pos": "N", "stem": "y",
                           "components": [{"pos": "A"}, 3, {"pos": "B", "stem": "c"}]}}])",
       "Ann Bob met/N:y(B:c) today/Adv:today# ", true,
       R"(Domain:Warning: component does not have a pos and stem:{"pos":"A"})"
       "Domain:Warning: component is not an array:3"},
      // Warnings that stop the rewrite: F keeps its flags, what was
      // rewritten stays.
      {R"({"a": 1})", unchanged.c_str(), false, R"(Domain:Warning: tokens is not an array:{"a":1})"},
      {R"([{"literal": "saw"}, 7, {"literal": "z"}])", "Ann Bob saw/V:met today/Adv:today# ",
       false, "Domain:Warning: token is not an object:7"},
      {R"([{"literal": 5}])", unchanged.c_str(), false,
       "Domain:Warning: literal is not a string:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tokens_json);
    EXPECT_EQ(run(c.tokens_json), c.warnings);
    EXPECT_EQ(tokens(), c.tokens);
    EXPECT_EQ(function->deleted(), c.deleted);
  }
}

TEST_F(Rewrite, JsonErrorsLeaveTheHandler) {
  for (const char* text : {"[{", "[] x", "nonsense"}) {
    SCOPED_TRACE(text);
    load_rewrite(text);
    EXPECT_THROW(RewriteHandler()(context_of(function)), nlohmann::json::parse_error);
    EXPECT_EQ(tokens(), "Ann Bob met/V:met# today/Adv:today# ");
    EXPECT_FALSE(function->deleted());
  }
  // A property that is not a text: the items before it stay.
  load_rewrite(R"([{"properties": ["A", 1, "B"]}])");
  try {
    RewriteHandler()(context_of(function));
    ADD_FAILURE() << "nothing raised";
  } catch (const nlohmann::json::type_error& e) {
    EXPECT_EQ(e.id, 302);
    EXPECT_NE(std::string(e.what()).find("type must be string, but is number"),
              std::string::npos);
  }
  EXPECT_EQ(testing::find_token(*document.sentences, "met")->properties,
            std::set<std::string>{"A"});
}

TEST_F(Rewrite, RewrittenTokensGetTheIdsOfTheCurrentDomainAgain) {
  afst::testing::TestNetwork network;
  std::string literal;
  utf8::append(0xEF01, std::back_inserter(literal));
  std::string emit9;
  utf8::append(0xEF00, std::back_inserter(emit9));
  emit9 += "9";
  network.path({literal, "s", "a", "w", emit9}, {});
  network.network();
  auto domain = std::make_shared<DomainFacade>("dom");
  domain->token_encoder = std::make_unique<EncoderFacade>(network.transducer());

  load_rewrite(R"([{"literal": "saw"}, {"literal": "then"}])");
  blackboard->current_domain = domain;
  Sentence* sentence = testing::sentence_at(*document.sentences, 0);
  sentence->changed = false;
  RewriteHandler()(context_of(function));
  EXPECT_EQ(testing::find_token(*document.sentences, "saw")->encodings,
            std::vector<uint32_t>{9});
  EXPECT_TRUE(testing::find_token(*document.sentences, "then")->encodings.empty());
  EXPECT_EQ(sentence->ids.count(9 | Sentence::kTokenIdBit), 1u);
  EXPECT_TRUE(sentence->changed);
  // Tokens before F keep theirs.
  EXPECT_EQ(testing::find_token(*document.sentences, "Ann")->encodings,
            std::vector<uint32_t>{5});
}

TEST_F(AttributeFunctions, SetMetadataAppendsEveryOwnPairInOrder) {
  load("[kav::set_metadata{topic=sport;topic=golf;lang=en} Ann ] met");
  Concept* function = find("kav::set_metadata");
  function->attributes.store = std::make_shared<Attributes>();
  function->attributes.store->add("shared", "not handed");
  SetMetaDataHandler()(context_of(function));
  ASSERT_NE(blackboard->metadata, nullptr);
  EXPECT_EQ(*blackboard->metadata,
            nlohmann::json::parse(R"({"topic": ["sport", "golf"], "lang": ["en"]})"));
  EXPECT_TRUE(function->deleted());
}

class DateFunctions : public AttributeFunctions {
 protected:
  // "operation module function [arguments]" of every call the plugin got.
  Strings calls() const {
    Strings out;
    for (const ScriptedPlugin::Call& call : engine.plugin->calls) {
      std::string line = call.operation + " " + call.module + " " + call.function + " [";
      for (size_t i = 0; i < call.arguments.size(); ++i) {
        line += (i ? "," : "") + call.arguments[i];
      }
      out.push_back(line + "]");
    }
    return out;
  }

  void SetUp() override {
    engine.plugin->answer = [](const ScriptedPlugin::Call& call) {
      if (call.function == "set_document_date") return std::optional<std::string>("2020-05-01");
      if (call.function == "resolve_date") return std::optional<std::string>("resolved");
      return std::optional<std::string>();
    };
  }
};

TEST_F(DateFunctions, TheOptionsGoToThePluginsOnceAfterTheOpenDocumentCall) {
  struct Case {
    const char* name;
    const char* document_options;
    const char* analyzer_options;
    bool property_known;  // "date_order" is a document property already
    Strings first;        // the calls of the first date function
  } const cases[] = {
      {"date order and initial date only", "{}",
       R"({"initial_date": "2020-01-01", "date_order": "DMY"})", false,
       {"trigger kavero.plugin open_doc []", "set_document_property   [date_order,DMY]",
        "set_document_property   [initial_date,2020-01-01]",
        "trigger kavero.plugin set_document_date []"}},
      {"all four, the document's own options first",
       R"({"document_date": "2020-02-02", "date_order": "YMD"})",
       R"({"document_date_format": "%Y", "date_order": "DMY", "initial_date": "i"})", false,
       {"trigger kavero.plugin open_doc []", "set_document_property   [document_date,2020-02-02]",
        "set_document_property   [document_date_format,%Y]",
        "set_document_property   [date_order,YMD]", "set_document_property   [initial_date,i]",
        "trigger kavero.plugin set_document_date []"}},
      {"a known property is not handed over", "{}", R"({"date_order": "DMY"})", true,
       {"trigger kavero.plugin set_document_date []"}},
      {"no options: no open-document call", "{}", "{}", false,
       {"trigger kavero.plugin set_document_date []"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine.plugin->calls.clear();
    load("[Group [kav::set_document_date Ann ] [kav::resolve_date met ] ]", c.document_options,
         c.analyzer_options);
    if (c.property_known) blackboard->document_properties["date_order"] = "known";
    Concept* set_date = find("kav::set_document_date");
    EXPECT_EQ(SetDocumentDateAttHandler()(context_of(set_date, find("Group"))), "2020-05-01");
    EXPECT_EQ(calls(), c.first);
    EXPECT_EQ(blackboard->metadata->at("document_date"), nlohmann::json::array({"2020-05-01"}));

    // A second date function hands over nothing again.
    engine.plugin->calls.clear();
    Concept* resolve = find("kav::resolve_date");
    EXPECT_EQ(ResolveDateAttHandler()(context_of(resolve, find("Group"))), "resolved");
    EXPECT_EQ(calls(), Strings{"trigger kavero.plugin resolve_date []"});
    EXPECT_FALSE(set_date->flags.any());
    EXPECT_FALSE(resolve->flags.any());
  }
}

TEST_F(DateFunctions, ThePluginLearnsOfTheMatchOfEachCall) {
  load("[Group [kav::resolve_date Ann ] ]", "{}",
       R"({"resolve_date_function": "::python::dates::resolve", "date_order": "DMY"})");
  Concept* resolve = find("kav::resolve_date");
  const runtime::Context context = context_of(resolve, find("Group"));
  ResolveDateAttHandler()(context);
  ASSERT_EQ(calls(), (Strings{"trigger kavero.plugin open_doc []",
                              "set_document_property   [date_order,DMY]",
                              "trigger dates resolve []"}));
  for (const ScriptedPlugin::Call& call : engine.plugin->calls) {
    EXPECT_EQ(call.context.blackboard, blackboard.get());
    EXPECT_EQ(call.context.sentence, context.sentence);
    EXPECT_EQ(call.context.scope, find("Group"));
    EXPECT_EQ(call.context.concept_annotation, resolve);
  }
  EXPECT_TRUE(blackboard->python_document_open);
  EXPECT_EQ(blackboard->properties_sent, std::set<std::string>{"date_order"});
  EXPECT_EQ(blackboard->document_properties.at("date_order"), "DMY");
}

TEST_F(DateFunctions, WithoutPluginsTheDocumentDateIsEmpty) {
  load("[kav::set_document_date Ann ]", "{}", R"({"allow_plugins": "false"})");
  EXPECT_EQ(SetDocumentDateAttHandler()(context_of(find("kav::set_document_date"))), "");
  EXPECT_EQ(*blackboard->metadata, nlohmann::json::parse(R"({"document_date": [""]})"));
  for (const ScriptedPlugin::Call& call : engine.plugin->calls) {
    EXPECT_NE(call.operation, "trigger");
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
