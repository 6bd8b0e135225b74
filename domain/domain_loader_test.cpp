#include "domain/domain_loader.h"

#include <utime.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/logging.h"
#include "base/scratch_folder_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using zel::testing::message_of;

// Hands every runtime log line to the hook of the test that runs.
class LogHook {
 public:
  explicit LogHook(std::function<void(const std::string&)> hook) {
    static const bool added = wlog::add_logger(
        {wlog::kRuntimeId, wlog::kLevelTrace, [](std::uint16_t, const char* text) {
           if (active_ != nullptr) (*active_)(text);
         }});
    (void)added;
    hook_ = std::move(hook);
    active_ = &hook_;
  }
  ~LogHook() { active_ = nullptr; }

 private:
  static inline std::function<void(const std::string&)>* active_ = nullptr;
  std::function<void(const std::string&)> hook_;
};

// A rule that is only its record name.
class NamedRule : public RuleInterface {
 public:
  explicit NamedRule(std::string id) : id_(std::move(id)) {}
  const std::string& id() const override { return id_; }
  const std::string& attribute(const std::string&) const override { return id_; }
  bool is_candidate(const Sentence*) const override { return false; }
  std::shared_ptr<matcher::MatcherInterface> get_matcher() override { return nullptr; }
  std::shared_ptr<afst::AFst> bitset_fsm() const override { return nullptr; }

 private:
  std::string id_;
};

// The collections as "cluster/qualified name[kind]:rule count", with "!"
// for last_in_cluster.
std::vector<std::string> layout(const DomainFacade& domain) {
  std::vector<std::string> out;
  for (const auto& [cluster, collection] : domain.rule_collections) {
    out.push_back(cluster + "/" + collection.qualified_name + "[" +
                  std::to_string(collection.kind) + "]:" +
                  std::to_string(collection.rules.size()) +
                  (collection.last_in_cluster ? "!" : ""));
  }
  return out;
}

TEST(RuleNames, NamespaceAndPriorityGroup) {
  struct Case {
    const char* name;
    const char* space;
    const char* group;
  };
  const Case cases[] = {
      {"rule_grammar_$DAZ:k__l001_rule:X", "grammar", ""},
      {"rule_a_b_$DAZ:k__l001_$GRUUID:top-2_rule:X", "a_b", "top-2"},
      {"rule_$DAZ:k__l001_rule:X", "", ""},
      {"rule_rule:X", "", ""},
      // The group ends at its own "_", whatever the rule's text holds.
      {"rule_g_$DAZ:k__l001_$GRUUID:g1-1_rule:X{a-b_c}", "g", "g1-1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(get_namespace(c.name), c.space) << c.name;
    EXPECT_EQ(get_priority_group(c.name), c.group) << c.name;
  }
}

TEST(RuleDispatcherTest, RulesInARowWithOneKeyShareACollection) {
  DomainFacade domain("d");
  RuleDispatcher dispatch("grammar", &domain.rule_collections);
  for (const char* id : {"rule_a_$DAZ:k__l001_rule:1", "rule_a_$DAZ:k__l002_rule:2",
                         "rule_b_$DAZ:k__l003_rule:3", "rule_a_$DAZ:k__l004_rule:4",
                         "rule_rule:5",
                         "rule_a_$DAZ:k__l005_$GRUUID:top-2_rule:6",
                         "rule_a_$DAZ:k__l006_$GRUUID:top-1_rule:X{a-b_c}",
                         "rule_a_$DAZ:k__l007_$GRUUID:a-b-c_rule:7",
                         "rule_a_$DAZ:k__l008_$GRUUID:abc_rule:8"}) {
    dispatch(std::make_shared<NamedRule>(id));
  }
  EXPECT_THAT(layout(domain),
              ElementsAre("grammar/a[0]:2", "grammar/b[0]:1", "grammar/a[0]:1", "grammar/[0]:1",
                          "grammar/grammar_a_top[1]:2", "grammar/grammar_a_a-b[1]:1",
                          "grammar/grammar_a_abc[1]:1"));
  EXPECT_EQ(count_rule(domain), 9);
}

TEST(DomainFlags, TheDescriptionSetsFlagsAndNoCrlfNames) {
  struct Case {
    const char* description;
    uint64_t flags_before;
    uint64_t flags;
    std::vector<std::string> no_crlf;
  };
  const std::vector<Case> cases = {
      {R"({"anaphora": true, "instances": true})", 0, 3, {}},
      {R"({"anaphora": false})", 3, 1, {}},
      {R"({"instances": false, "no_crlf": ["Address", "Phone"]})", 3, 2, {"Address", "Phone"}},
      {R"({"no_crlf": "Address"})", 0, 0, {"Address"}},
      {R"({"no_crlf": {"a": "Address"}})", 0, 0, {"Address"}},
      {R"({"no_crlf": null})", 0, 0, {}},
      {R"(["anaphora"])", 1, 1, {}},
      {"null", 1, 1, {}},
  };
  for (const Case& c : cases) {
    DomainFacade domain("d");
    domain.flags = c.flags_before;
    domain.domain_info = std::make_shared<json>(
        json{{"dom", json::object()}, {"dom_info", json::parse(c.description)}});
    set_domain_flags_configfile(domain);
    EXPECT_EQ(domain.flags, c.flags) << c.description;
    EXPECT_EQ(std::vector<std::string>(domain.no_crlf_names.begin(), domain.no_crlf_names.end()),
              c.no_crlf)
        << c.description;
  }

  const struct {
    const char* description;
    const char* error;
  } errors[] = {
      {R"({"anaphora": "yes"})",
       "[json.exception.type_error.302] type must be boolean, but is string"},
      {R"({"instances": 1})", "[json.exception.type_error.302] type must be boolean, but is number"},
      {R"({"no_crlf": ["A", 2]})",
       "[json.exception.type_error.302] type must be string, but is number"},
  };
  for (const auto& e : errors) {
    DomainFacade domain("d");
    domain.domain_info = std::make_shared<json>(json{{"dom_info", json::parse(e.description)}});
    EXPECT_EQ(message_of([&] { set_domain_flags_configfile(domain); }), e.error) << e.description;
  }
}

class DomainLoaderTest : public ::testing::Test {
 protected:
  // Writes the domain "d" into the resource folder.
  void write(const std::string& text) {
    fs::create_directories(folder.path() / "morvik");
    testing::write_compiled_domain(text, dom_path());
  }
  bool load(const std::string& name = "d") {
    return load_domain(domain, {folder.str("morvik")}, name);
  }
  std::string dom_path() const { return folder.str("morvik/d.dom"); }
  const json& dom() const { return (*domain.domain_info)["dom"]; }

  zel::testing::ScratchFolder folder;
  DomainFacade domain{"d"};
};

TEST_F(DomainLoaderTest, AGrammarOnlyDomainGetsTheEmptyInstanceAndUnknownCollections) {
  write(
      "rule text=rule:A ns=grammar line=1\n  path TK:1\n"
      "rule text=rule:B ns=grammar line=2\n  path TK:1\n"
      "rule text=rule:C ns=grammar,b line=3\n  path TK:1\n");
  ASSERT_TRUE(load());
  EXPECT_THAT(layout(domain),
              ElementsAre("grammar/grammar[0]:2", "grammar/grammar_b[0]:1!",
                          "instances/instances[0]:0!", "unknown_things/unknown_things[0]:0!"));
  EXPECT_EQ(domain.flags, 0u);
}

TEST_F(DomainLoaderTest, ClustersInRunOrderEachRecordOnceTheRestUnnamed) {
  // The namespace "grammars" is no "grammar" rule; "anaphora" comes last.
  write(
      "rule text=rule:A ns=anaphora\n  path TK:1\n"
      "rule text=rule:B ns=grammars\n  path TK:1\n"
      "rule text=rule:C ns=grammar\n  path TK:1\n"
      "rule text=rule:D ns=conjecture\n  path TK:1\n"
      "rule text=rule:E ns=people\n  path TK:1\n"
      "rule text=rule:F ns=instances\n  path TK:1\n");
  ASSERT_TRUE(load());
  EXPECT_THAT(layout(domain),
              ElementsAre("conjecture/conjecture[0]:1!", "grammar/grammar[0]:1!",
                          "instances/instances[0]:1!", "unknown_things/unknown_things[0]:0!",
                          "anaphora/anaphora[0]:1!", "unnamed/grammars[0]:1",
                          "unnamed/people[0]:1!"));
  EXPECT_EQ(domain.flags, DomainFacade::kAnaphora);
  EXPECT_EQ(dom()["rules"], 6);
}

TEST_F(DomainLoaderTest, AnaphoraRulesSetTheFlagThatTheDescriptionCleared) {
  write(
      "dom_info {\"anaphora\": false, \"instances\": true, \"no_crlf\": [\"Address\"]}\n"
      "rule text=rule:A ns=anaphora\n  path TK:1\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(domain.flags, DomainFacade::kAnaphora | DomainFacade::kInstances);
  EXPECT_THAT(domain.no_crlf_names, ElementsAre("Address"));
}

TEST_F(DomainLoaderTest, TheDomainInformationIsCompleted) {
  write(
      "sdk_version 3.2.0 beta\n"
      "concept City Person $tmp\n"
      "capture Place $inner\n"
      "lexicon literal\n  Paris:[City]\n"
      "lexicon_info {\"literal\":1}\n"
      "token 7 literal=Paris\n"
      "dom_info {\"concepts\": \"City\"}\n"
      "rule text=rule:A ns=grammar\n  path TK:7\n"
      "rule text=rule:B\n  path TK:7\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(domain.get_sqlite_filename(), fs::canonical(dom_path()).string());
  EXPECT_EQ(dom()["sdk_version"], "3.2.0");
  EXPECT_EQ(dom()["rules"], 2);
  EXPECT_EQ(dom()["concepts"], json::parse(R"(["Place"])"));
  EXPECT_EQ(dom()["lexicons"], json::parse(R"({"literal":1})"));
  EXPECT_EQ((*domain.domain_info)["dom_info"], json::parse(R"({"concepts": "City"})"));
  EXPECT_THAT(domain.output_filter->names, ElementsAre("City", "Sentence"));
  EXPECT_EQ(domain.concept_ids.at("City"), 1u);
  EXPECT_EQ(domain.concept_ids.at("$tmp"), 3u);
  EXPECT_EQ(domain.concept_names.at(4), "Place");
  ASSERT_EQ(domain.lexicons.size(), 1u);
  ASSERT_NE(domain.token_encoder, nullptr);
  EXPECT_NE(domain.token_encoder->fst(), nullptr);
}

TEST_F(DomainLoaderTest, WithoutConceptsInTheDescriptionTheCapturesFilter) {
  write("capture Place _hidden\n");
  ASSERT_TRUE(load());
  EXPECT_THAT(domain.output_filter->names, ElementsAre("Place"));
  write("concept City\n");
  DomainFacade bare("d");
  ASSERT_TRUE(load_domain(bare, {folder.str("morvik")}, "d"));
  EXPECT_EQ(bare.output_filter, nullptr);
}

TEST_F(DomainLoaderTest, BuildTimeIsTheDatabasesModificationTime) {
  write("concept City\n");
  const struct utimbuf times = {1000000000, 1234567890};
  ASSERT_EQ(::utime(dom_path().c_str(), &times), 0);
  ASSERT_TRUE(load());
  EXPECT_EQ(domain.build_time.load(), 1234567890);
  DomainFacade other("x");
  other.sqlite_filename = dom_path();
  other.update_build_time();
  EXPECT_EQ(other.build_time.load(), 1234567890);
  other.sqlite_filename = folder.str("nothing.dom");
  other.update_build_time();
  EXPECT_EQ(other.build_time.load(), -1);

  EXPECT_EQ(other.last_access(), -1);
  const long now = other.touch();
  EXPECT_GT(now, 1234567890);
  EXPECT_EQ(other.last_access(), now);
}

TEST_F(DomainLoaderTest, AnEmptyNameLoadsNothing) {
  EXPECT_TRUE(load(""));
  EXPECT_EQ(domain.domain_info, nullptr);
  EXPECT_TRUE(domain.rule_collections.empty());
}

TEST_F(DomainLoaderTest, ADatabaseGoneBeforeItIsOpenedIsNotLoaded) {
  // The description names no concepts, so the filter would come from the
  // database itself.
  write("dom_info {\"instances\": true, \"no_crlf\": \"Phone\"}\nconcept City\n");
  const std::string path = fs::canonical(dom_path()).string();
  std::vector<std::string> lines;
  // The name resolves as the first component of a pipeline; when the
  // expansion goes on to the second one, "d" is resolved and the file goes.
  LogHook hook([&](const std::string& line) {
    lines.push_back(line);
    if (line.find("COMPONENT:later") != std::string::npos) fs::remove(path);
  });
  EXPECT_FALSE(load("d,later"));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ((*domain.domain_info)["dom_info"], json::parse(R"({"instances":true,"no_crlf":"Phone"})"));
  EXPECT_EQ(domain.flags, DomainFacade::kInstances);
  EXPECT_THAT(domain.no_crlf_names, ElementsAre("Phone"));
  EXPECT_EQ(domain.output_filter, nullptr);
  EXPECT_EQ(domain.build_time.load(), -1);
  EXPECT_THAT(lines, ::testing::Contains("Domain file does not exists \"" + path + "\""));
  EXPECT_THAT(lines, ::testing::Contains("[domain]: load domain "));
}

TEST_F(DomainLoaderTest, ADescriptionFilterIsKeptWhenTheDatabaseIsGone) {
  write("dom_info {\"concepts\": [\"City\"]}\n");
  const std::string path = fs::canonical(dom_path()).string();
  LogHook hook([&](const std::string& line) {
    if (line.find("COMPONENT:later") != std::string::npos) fs::remove(path);
  });
  EXPECT_FALSE(load("d,later"));
  ASSERT_NE(domain.output_filter, nullptr);
  EXPECT_THAT(domain.output_filter->names, ElementsAre("City", "Sentence"));
}

TEST_F(DomainLoaderTest, Failures) {
  write("omit sdk_version\n");
  EXPECT_EQ(message_of([&] { load(); }),
            "Corrupt Domain file, Could not find version nr. \"" +
                fs::canonical(dom_path()).string() + "\"");

  EXPECT_EQ(message_of([&] { DomainFacade d("x"); load_domain(d, {folder.str("morvik")}, "x"); }),
            "Domain file not found. x");

  write("dom_info {\"anaphora\": 1}\n");
  EXPECT_EQ(message_of([&] { DomainFacade d("d"); load_domain(d, {folder.str("morvik")}, "d"); }),
            "[json.exception.type_error.302] type must be boolean, but is number");

  write("lexicon stem\n  go:[Go]\ngarble entities_stem\n");
  EXPECT_THAT(message_of([&] { DomainFacade d("d"); load_domain(d, {folder.str("morvik")}, "d"); }),
              HasSubstr("\"entities_stem\""));

  // A folder of rule sources is compiled with the first resource folder.
  const fs::path sources = folder.write("sources/main.kav", "");
  DomainFacade d("s");
  EXPECT_EQ(message_of([&] { load_domain(d, std::vector<std::string>{}, sources.parent_path()); }),
            "Cannot build domain:" + sources.parent_path().string() +
                ": no resource folder to compile it with.");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
