#include "analysis/blackboard.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard_testutil.h"
#include "api/analyzer_handle.h"
#include "api/profiler.h"
#include "base/exception.h"
#include "base/options.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/lookup_proxy.h"
#include "language/offset_table.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "language/tokenizer_facade.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;
using testing::make_blackboard;
using testing::RuntimeLog;
using testing::ScratchFolder;
using Answer = std::vector<std::string>;

const fs::path kTestLanguage = testing::test_language_folder();

// Documents of analyzers over the test language ("english") and over two
// configurations of a scratch folder that read the test language's
// lexicons: "headless" (no header detection) and "german" (a language with
// a genitive suffix).
class Documents : public ::testing::Test {
 protected:
  Documents() {
    const std::string rest =
        R"("tokenizer_locale": "en",
           "morph_chain": [{"file": "english.fst", "transform": "tolower"}])";
    scratch_.write("headless.language", R"({"detect_headers": false, )" + rest + "}");
    scratch_.write("german.language", "{" + rest + "}");
    engine_ = std::make_shared<Engine>(convert_string_to_api_options(
        json{{"root_path", kTestLanguage.string()},
             {"morvik", kTestLanguage.string() + ":" + scratch_.path().string()}}
            .dump()));
  }

  // A blackboard of a new analyzer of the language with those analyzer
  // options; "language" is added to them.
  std::unique_ptr<Blackboard> document(json analyzer_options,
                                       const json& document_options = json::object(),
                                       const std::string& language = "english") {
    analyzer_options["language"] = language;
    std::shared_ptr<IOptions> options = convert_string_to_api_options(analyzer_options.dump());
    return make_blackboard(document_options.dump(), analyzer_options.dump(), engine_,
                           engine_->get_language_module(options));
  }

  // The same, bound to its analyzer's language as an analysis binds it.
  std::unique_ptr<Blackboard> bound(const json& analyzer_options,
                                    const json& document_options = json::object(),
                                    const std::string& language = "english") {
    std::unique_ptr<Blackboard> blackboard =
        document(analyzer_options, document_options, language);
    blackboard->set_analyzer(blackboard->analyzer);
    return blackboard;
  }

  ScratchFolder scratch_;
  std::shared_ptr<Engine> engine_;
};

TEST_F(Documents, SettingTheAnalyzerBindsItsEngineAndLanguage) {
  std::unique_ptr<Blackboard> blackboard = document(json::object());
  EXPECT_EQ(blackboard->engine(), nullptr);
  EXPECT_EQ(blackboard->morph_data, nullptr);
  EXPECT_EQ(blackboard->language, "");

  blackboard->set_analyzer(blackboard->analyzer);
  EXPECT_EQ(blackboard->engine(), engine_.get());
  EXPECT_EQ(blackboard->language, "english");
  EXPECT_EQ(blackboard->genitive, "");
  ASSERT_NE(blackboard->morph_data, nullptr);
  const core::MorphData& chains = *blackboard->morph_data;
  // Only the lower-casing entry, last in the chain, knows "Runs".
  EXPECT_EQ(chains.first("Runs"), Answer{});
  EXPECT_EQ(chains.lookup("Runs"), (Answer{"run+Nn-Pl", "run+V-Pres-3-Sg"}));
  EXPECT_EQ(chains.lookup("Paris"), Answer{"Paris+Prop-Std+proper"});
  EXPECT_EQ(chains.guess("quokka"), Answer{"quokka+Nn-Sg+guessed"});
  // The language's postagger with its rules.
  EXPECT_EQ(chains.postagger, blackboard->language_module->module_data->postagger);
  EXPECT_NE(chains.postagger, nullptr);
  EXPECT_EQ(chains.postagger_rules,
            blackboard->language_module->module_data->postagger_rules);
  EXPECT_NE(chains.postagger_rules, nullptr);
  ASSERT_EQ(blackboard->named_lookups.size(), 2u);
  EXPECT_EQ(core::lookup_chain(blackboard->named_lookups["abbrev"], "e.g."),
            Answer{"e.g.+Adv+abbrev"});
  ASSERT_NE(blackboard->tokenizer, nullptr);
  EXPECT_NE(blackboard->tokenizer->rule_iterator(), nullptr);
  EXPECT_TRUE(blackboard->abbreviations.regex_match("Mrs."));
  EXPECT_TRUE(blackboard->apostrophes.regex_match("John's"));
  EXPECT_TRUE(blackboard->measures.regex_match("12km"));

  // Binding again builds new chains; unbinding keeps them but drops the
  // tokenizer and the expressions.
  std::shared_ptr<core::MorphData> before = blackboard->morph_data;
  blackboard->set_analyzer(blackboard->analyzer);
  EXPECT_NE(blackboard->morph_data, before);
  blackboard->set_languge_module(nullptr);
  EXPECT_EQ(blackboard->language_module, nullptr);
  EXPECT_EQ(blackboard->tokenizer, nullptr);
  EXPECT_TRUE(blackboard->abbreviations.empty());
  EXPECT_TRUE(blackboard->apostrophes.empty());
  EXPECT_TRUE(blackboard->measures.empty());
  ASSERT_NE(blackboard->morph_data, nullptr);
  EXPECT_EQ(blackboard->morph_data->lookup("Runs"), (Answer{"run+Nn-Pl", "run+V-Pres-3-Sg"}));
}

TEST_F(Documents, OnlyTheAnalyzerTurnsTheGuesserOff) {
  struct Case {
    json analyzer;
    json document;
    Answer guessed;
  } const cases[] = {
      {json::object(), json::object(), {"quokka+Nn-Sg+guessed"}},
      {json::object(), {{"guesser", "false"}}, {"quokka+Nn-Sg+guessed"}},
      {{{"guesser", "false"}}, json::object(), {}},
      {{{"guesser", "false"}}, {{"guesser", "true"}}, {}},
      {{{"guesser", "on"}}, {{"guesser", "false"}}, {"quokka+Nn-Sg+guessed"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Blackboard> blackboard = bound(c.analyzer, c.document);
    EXPECT_EQ(blackboard->morph_data->guess("quokka"), c.guessed)
        << c.analyzer << " " << c.document;
    // The main chain is there either way.
    EXPECT_EQ(blackboard->morph_data->lookup("runs").size(), 2u);
  }
}

TEST_F(Documents, HeaderDetectionComesFromTheDocumentTheAnalyzerOrTheLanguage) {
  struct Case {
    std::string language;
    json analyzer;
    json document;
    bool detect_headers;
  } const cases[] = {
      {"english", json::object(), json::object(), true},
      {"headless", json::object(), json::object(), false},
      {"headless", {{"detect_headers", "true"}}, json::object(), true},
      {"headless", json::object(), {{"detect_headers", "yes"}}, true},
      {"english", {{"detect_headers", "false"}}, json::object(), false},
      {"english", {{"detect_headers", "false"}}, {{"detect_headers", "true"}}, true},
      {"english", {{"detect_headers", "true"}}, {{"detect_headers", "false"}}, false},
      // An option that is there but empty decides: its default is true.
      {"headless", {{"detect_headers", ""}}, json::object(), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(document(c.analyzer, c.document, c.language)->flags.detect_headers,
              c.detect_headers)
        << c.language << " " << c.analyzer << " " << c.document;
  }
}

TEST_F(Documents, TheLanguageNameBringsItsGenitiveSuffix) {
  std::unique_ptr<Blackboard> german = bound(json::object(), json::object(), "german");
  EXPECT_EQ(german->language, "german");
  EXPECT_EQ(german->genitive, "s");
  EXPECT_EQ(german->morph_data->lookup("Runs").size(), 2u);
}

TEST_F(Documents, SetLanguageLoadsTheModuleForTheDocumentOptions) {
  std::unique_ptr<Blackboard> blackboard = bound(json::object());
  std::shared_ptr<LanguageModule> english = blackboard->language_module;

  // The current language: nothing happens, not even the option update.
  blackboard->set_language("english");
  EXPECT_FALSE(blackboard->options->has("language"));
  EXPECT_EQ(blackboard->language_module, english);

  blackboard->set_language("german");
  EXPECT_EQ(blackboard->options->get("language"), "german");
  EXPECT_EQ(blackboard->language, "german");
  EXPECT_EQ(blackboard->genitive, "s");
  ASSERT_NE(blackboard->language_module, english);
  EXPECT_EQ(blackboard->language_module->language_name, "german");
  // The german configuration has no guesser chain, no named chains.
  EXPECT_EQ(blackboard->morph_data->guess("quokka"), Answer{});
  EXPECT_TRUE(blackboard->named_lookups.empty());
  EXPECT_EQ(blackboard->morph_data->lookup("Runs").size(), 2u);
}

TEST_F(Documents, SetLanguageBeforeTheAnalyzerIsSetUsesTheAnalyzerOfConstruction) {
  std::unique_ptr<Blackboard> blackboard = document(json::object());
  blackboard->set_language("headless");
  EXPECT_EQ(blackboard->engine(), nullptr);
  ASSERT_NE(blackboard->language_module, nullptr);
  EXPECT_EQ(blackboard->language_module->language_name, "headless");
  EXPECT_EQ(blackboard->language, "headless");
}

TEST(Blackboard, SetLanguageWithoutAnEngineChangesNothing) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  EXPECT_EQ(message_of([&] { blackboard->set_language("english"); }),
            "Cannot load the language 'english' of the document: its analyzer has no "
            "engine.");
  EXPECT_EQ(blackboard->language, "");
  EXPECT_FALSE(blackboard->options->has("language"));
}

TEST(Blackboard, IdIsTheOptionOrTheHashOfTheText) {
  struct Case {
    json options;
    std::string text;
    std::string id;
  } const cases[] = {
      {json::object(), "a", "177670"},
      {json::object(), "", "5381"},
      {json::object(), "ab", "5863208"},
      // The hash stops at the first NUL byte.
      {json::object(), std::string("a\0b", 3), "177670"},
      // Bytes count as unsigned: é is C3 A9.
      {json::object(), "\xC3\xA9", "5866513"},
      // 64-bit wrap-around.
      {json::object(), std::string(100, 'z'), "6986874207196428973"},
      {{{"id", "doc-7"}}, "a", "doc-7"},
      {{{"id", ""}}, "a", "177670"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Blackboard> blackboard = make_blackboard(c.options.dump());
    blackboard->text = c.text;
    blackboard->text_length = c.text.size();
    EXPECT_EQ(blackboard->id(), c.id) << c.options << " " << c.text;
  }
  // The analyzer's "id" is read too, through the option view.
  EXPECT_EQ(make_blackboard("{}", R"({"id": "from-analyzer"})")->id(), "from-analyzer");
  // A document that never got a text (analysed JSON, annotations) hashes
  // the empty text.
  EXPECT_EQ(make_blackboard()->id(), "5381");
}

TEST(Blackboard, OptionViewReadsTheDocumentThenTheAnalyzer) {
  std::unique_ptr<Blackboard> blackboard =
      make_blackboard(R"({"a": "document", "empty": "", "switch": "false"})",
                      R"({"a": "analyzer", "b": "analyzer", "empty": "true", "on": "yes"})");
  const IOptions& view = *blackboard->option_view;
  EXPECT_EQ(view.get("a"), "document");
  EXPECT_EQ(view.get("b"), "analyzer");
  EXPECT_EQ(view.get("c"), "");
  EXPECT_EQ(view.get("a", "default"), "document");
  EXPECT_EQ(view.get("b", "default"), "analyzer");
  EXPECT_EQ(view.get("c", "default"), "default");
  EXPECT_TRUE(view.has("a"));
  EXPECT_TRUE(view.has("b"));
  EXPECT_FALSE(view.has("c"));
  // The document's empty value decides, and gives the default.
  EXPECT_FALSE(view.get_bool("empty", false));
  EXPECT_TRUE(view.get_bool("empty", true));
  EXPECT_FALSE(view.get_bool("switch", true));
  EXPECT_TRUE(view.get_bool("on", false));
  EXPECT_TRUE(view.get_bool("c", true));
  // The whole set is the analyzer's.
  EXPECT_EQ(view.str(), R"({"a":"analyzer","b":"analyzer","empty":"true","on":"yes"})");
  // The view takes no additions.
  blackboard->option_view->add("c", "x");
  EXPECT_FALSE(view.has("c"));

  // Released, the analyzer still answers through the guard; only str()
  // reads the released analyzer.
  blackboard->release_analyzer();
  EXPECT_EQ(blackboard->analyzer, nullptr);
  EXPECT_EQ(view.get("b"), "analyzer");
  EXPECT_TRUE(view.get_bool("on", false));
  EXPECT_EQ(view.str(), "");
}

TEST(Blackboard, FlagsAreWorkedOutOnceFromTheOptionsAndDebugFlags) {
  struct Case {
    std::string document;
    std::string analyzer;
    bool initial_lower_casing, rule_info, rule_info_short;
  } const cases[] = {
      {"{}", "{}", true, false, false},
      {R"({"initial_lower_casing": "false"})", "{}", false, false, false},
      {"{}", R"({"initial_lower_casing": "off", "dbg": "rule_info"})", false, true, false},
      {"{}", R"({"dbg": "rule_info_short,print_annotations"})", true, true, true},
      {"{}", R"({"dbg": ""})", true, false, false},
      // The debug flags are the analyzer's alone.
      {R"({"dbg": "rule_info"})", "{}", true, false, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Blackboard> blackboard = make_blackboard(c.document, c.analyzer);
    EXPECT_EQ(blackboard->flags.initial_lower_casing, c.initial_lower_casing)
        << c.document << c.analyzer;
    EXPECT_EQ(blackboard->flags.rule_info, c.rule_info) << c.document << c.analyzer;
    EXPECT_EQ(blackboard->flags.rule_info_short, c.rule_info_short)
        << c.document << c.analyzer;
  }
  std::unique_ptr<Blackboard> blackboard =
      make_blackboard("{}", R"({"dbg": "rule_info_short,print_annotations"})");
  EXPECT_TRUE(blackboard->dbg["print_annotations"]);
  EXPECT_TRUE(blackboard->dbg["rule_info_short"]);
  EXPECT_FALSE(blackboard->dbg["insertion"]);
  // Setting another analyzer changes neither the flags nor the debug view.
  auto other = std::make_shared<Analyzer>(nullptr, nullptr, convert_string_to_api_options("{}"));
  blackboard->set_analyzer(other);
  EXPECT_TRUE(blackboard->flags.rule_info_short);
  EXPECT_TRUE(blackboard->dbg["print_annotations"]);
}

TEST(Blackboard, AllowsPluginsAsItsAnalyzerSays) {
  EXPECT_TRUE(make_blackboard()->allow_plugins());
  EXPECT_FALSE(make_blackboard("{}", R"({"allow_plugins": "false"})")->allow_plugins());
  // A document cannot allow what its analyzer does not.
  EXPECT_FALSE(
      make_blackboard(R"({"allow_plugins": "true"})", R"({"allow_plugins": "no"})")
          ->allow_plugins());
}

TEST(Blackboard, ProfilerOnlyWhenAskedFor) {
  EXPECT_EQ(make_blackboard()->profiler, nullptr);
  EXPECT_EQ(make_blackboard(R"({"profiler": "false"})", R"({"profiler": "true"})")->profiler,
            nullptr);
  EXPECT_NE(make_blackboard("{}", R"({"profiler": "true"})")->profiler, nullptr);
  EXPECT_NE(make_blackboard(R"({"profiler": "1"})")->profiler, nullptr);
}

TEST(Blackboard, LogsItsDocumentOptionsAtTraceLevel) {
  RuntimeLog log;
  make_blackboard(R"({"id": "x"})", R"({"a": "b"})");
  EXPECT_TRUE(log.has("TRACE", R"([Blackboard] Options{"id":"x"})"));
}

TEST(Blackboard, MetadataKeepsEveryValueOfAKey) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  EXPECT_EQ(blackboard->metadata, nullptr);
  blackboard->set_metadata("k", 1);
  blackboard->set_metadata("date", "2021-03-04");
  blackboard->set_metadata("k", 2);
  blackboard->set_metadata("k", json::array({3, 4}));
  ASSERT_NE(blackboard->metadata, nullptr);
  EXPECT_EQ(*blackboard->metadata, json::parse(R"({"k": [1, 2, [3, 4]], "date": ["2021-03-04"]})"));

  // A null member becomes an array.
  *blackboard->metadata = json::parse(R"({"k": null})");
  blackboard->set_metadata("k", 5);
  EXPECT_EQ(*blackboard->metadata, json::parse(R"({"k": [5]})"));
  // Type errors of the JSON library come through.
  *blackboard->metadata = json::parse(R"({"k": 1})");
  EXPECT_THROW(blackboard->set_metadata("k", 2), json::type_error);
  *blackboard->metadata = json(7);
  EXPECT_THROW(blackboard->set_metadata("k", 2), json::type_error);
}

TEST(Blackboard, ByteOffsetsNeedTheOffsetTable) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  EXPECT_EQ(message_of([&] { blackboard->get_byte_offset(0); }),
            "unkown unicode offset mapping");
  EXPECT_THROW(blackboard->get_byte_offset(0), zel::Exception);
  // The text "aé😀": code points of 1, 2 and 4 bytes.
  auto table = std::make_shared<OffsetTable>();
  table->code_point_to_byte = {0, 1, 3, 7, 0, 0, 0, 0};
  blackboard->offset_table = table;
  struct Case {
    uint32_t code_points, bytes;
  } const cases[] = {{0, 0}, {1, 1}, {2, 3}, {3, 7}, {8, 8}, {9, 9}};
  for (const Case& c : cases) {
    EXPECT_EQ(blackboard->get_byte_offset(c.code_points), c.bytes) << c.code_points;
  }
}

TEST(Blackboard, EachLexiconRunsOncePerDocument) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  const Blackboard& view = *blackboard;
  EXPECT_TRUE(view.can_run_lexicon("cities"));
  EXPECT_FALSE(view.can_run_lexicon("cities"));
  EXPECT_TRUE(view.can_run_lexicon("people"));
  EXPECT_FALSE(view.can_run_lexicon("cities"));
}

TEST(Blackboard, FullRuleNamesUseTheSourceFileNames) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  blackboard->file_names = {{"f1", "/src/cities.kav"}, {"f2", "/src/people.kav"}};
  struct Case {
    std::string id, name;
  } const cases[] = {
      {"f1:12:rule_a", "file://src/cities.kav:12:rule_a"},
      {"f2", "file://src/people.kav"},
      {"f2:", "file://src/people.kav:"},
      {"f3:4", "f3:4"},
      {":4", ":4"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(blackboard->full_rule_name(c.id), c.name) << c.id;

  std::unique_ptr<Blackboard> short_names =
      make_blackboard("{}", R"({"dbg": "rule_info_short"})");
  short_names->file_names = blackboard->file_names;
  EXPECT_EQ(short_names->full_rule_name("f1:12:rule_a"), "f1:12:rule_a");
}

// A compiled domain's database path in a scratch folder, with its
// incremental twin holding a map of rule source files.
class CurrentDomain : public ::testing::Test {
 protected:
  CurrentDomain() : domain_(std::make_shared<DomainFacade>("cities")) {
    domain_->sqlite_filename = (scratch_.path() / "cities.dom").string();
  }

  void write_twin(const compiler::StringStringMap& names) {
    std::shared_ptr<sqlite3> db = afst::serialization::open_file(scratch_.path() / "cities.dom_inc");
    afst::serialization::create_cbf_table(db.get());
    afst::serialization::store_object(db.get(), "uniq_id_2_filename_map", names, "");
  }

  ScratchFolder scratch_;
  std::shared_ptr<DomainFacade> domain_;
};

TEST_F(CurrentDomain, WithRuleInfoTheSourceFilesOfItsRulesAreMerged) {
  compiler::StringStringMap names;
  names["f1"] = "/src/cities.kav";
  names["f2"] = "/src/streets.kav";
  write_twin(names);
  std::unique_ptr<Blackboard> blackboard = make_blackboard("{}", R"({"dbg": "rule_info"})");
  blackboard->file_names["f2"] = "/kept.kav";
  blackboard->set_current_domain(domain_);
  EXPECT_EQ(blackboard->current_domain, domain_);
  EXPECT_EQ(blackboard->file_names,
            (std::map<std::string, std::string>{{"f1", "/src/cities.kav"}, {"f2", "/kept.kav"}}));
  EXPECT_EQ(blackboard->full_rule_name("f1:3:x"), "file://src/cities.kav:3:x");
}

TEST_F(CurrentDomain, WithoutRuleInfoOrTwinNothingIsRead) {
  compiler::StringStringMap names;
  names["f1"] = "/src/cities.kav";
  write_twin(names);
  std::unique_ptr<Blackboard> plain = make_blackboard();
  plain->set_current_domain(domain_);
  EXPECT_EQ(plain->current_domain, domain_);
  EXPECT_TRUE(plain->file_names.empty());

  // A domain whose twin does not exist (and is not made).
  auto other = std::make_shared<DomainFacade>("streets");
  other->sqlite_filename = (scratch_.path() / "streets.dom").string();
  std::unique_ptr<Blackboard> with_info = make_blackboard("{}", R"({"dbg": "rule_info"})");
  with_info->set_current_domain(other);
  EXPECT_EQ(with_info->current_domain, other);
  EXPECT_TRUE(with_info->file_names.empty());
  EXPECT_FALSE(fs::exists(scratch_.path() / "streets.dom_inc"));
  with_info->set_current_domain(nullptr);
  EXPECT_EQ(with_info->current_domain, nullptr);
}

TEST(Blackboard, AnalyzerGuardKeepsTheAnalyzerOfConstruction) {
  std::unique_ptr<Blackboard> blackboard = make_blackboard("{}", R"({"x": "first"})");
  std::shared_ptr<Analyzer> first = blackboard->analyzer;
  auto second =
      std::make_shared<Analyzer>(nullptr, nullptr, convert_string_to_api_options(R"({"x": "second"})"));
  SetAnalyzerGuard guard(second, blackboard.get());
  EXPECT_EQ(blackboard->analyzer, second);
  EXPECT_EQ(blackboard->analyzer_guard->analyzer, first);
  // The view reads the analyzer of construction; str() the current one.
  EXPECT_EQ(blackboard->option_view->get("x"), "first");
  EXPECT_EQ(blackboard->option_view->str(), R"({"x":"second"})");
  first.reset();
  EXPECT_EQ(blackboard->option_view->get("x"), "first");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
