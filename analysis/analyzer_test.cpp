#include "analysis/analyzer.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"
#include "analysis/option_collection.h"
#include "api/analyzer_handle.h"
#include "base/exception.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/runtime_log_testutil.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;
using Flags = std::set<std::string>;

const fs::path kTestLanguage = testing::test_language_folder();

std::shared_ptr<Analyzer> analyzer_of(const std::string& options) {
  return std::make_shared<Analyzer>(nullptr, nullptr, convert_string_to_api_options(options));
}

TEST(Analyzer, ReadsItsDebugFlags) {
  struct Case {
    std::string options;
    Flags flags;
  } const cases[] = {
      {"{}", {}},
      {R"({"dbg": ""})", {}},
      {R"({"dbg": "insertion"})", {"insertion"}},
      {R"({"dbg": "rule_info_short,print_annotations"})",
       {"rule_info_short", "print_annotations"}},
      {R"({"dbg": "overlap,streams,overlap"})", {"overlap", "streams"}},
  };
  for (const Case& c : cases) {
    std::shared_ptr<Analyzer> analyzer = analyzer_of(c.options);
    EXPECT_EQ(analyzer->dbg_flags(), c.flags) << c.options;
    dbg_options_wrapper dbg(analyzer.get());
    for (const char* flag : {"insertion", "rule_info", "rule_info_short", "print_annotations"}) {
      EXPECT_EQ(dbg[flag], c.flags.count(flag) > 0) << c.options << " " << flag;
    }
  }
  EXPECT_FALSE(dbg_options_wrapper(nullptr)["insertion"]);
}

TEST(Analyzer, ReadsItsPluginSettings) {
  struct Case {
    std::string options;
    bool allow_plugins;
    std::string resolve_formated_attribute, set_document_date, resolve_date;
  } const cases[] = {
      {"{}", true, "::python::kavero.plugin::resolve_formated_attribute",
       "::python::kavero.plugin::set_document_date", "::python::kavero.plugin::resolve_date"},
      {R"({"allow_plugins": "false", "resolve_date_function": "::dates::en::resolve"})", false,
       "::python::kavero.plugin::resolve_formated_attribute",
       "::python::kavero.plugin::set_document_date", "::dates::en::resolve"},
      {R"({"allow_plugins": "", "set_document_date_function": "",
           "resolve_formated_attribute_function": "::f::m::format"})",
       true, "::f::m::format", "", "::python::kavero.plugin::resolve_date"},
      {R"({"allow_plugins": "True"})", true,
       "::python::kavero.plugin::resolve_formated_attribute",
       "::python::kavero.plugin::set_document_date", "::python::kavero.plugin::resolve_date"},
      {R"({"allow_plugins": "off"})", false,
       "::python::kavero.plugin::resolve_formated_attribute",
       "::python::kavero.plugin::set_document_date", "::python::kavero.plugin::resolve_date"},
  };
  for (const Case& c : cases) {
    std::shared_ptr<Analyzer> analyzer = analyzer_of(c.options);
    EXPECT_EQ(analyzer->allow_plugins(), c.allow_plugins) << c.options;
    EXPECT_EQ(analyzer->resolve_formated_attribute_function(), c.resolve_formated_attribute)
        << c.options;
    EXPECT_EQ(analyzer->set_document_date_function(), c.set_document_date) << c.options;
    EXPECT_EQ(analyzer->resolve_date_function(), c.resolve_date) << c.options;
  }
}

TEST(Analyzer, OptionsAreItsOwn) {
  std::shared_ptr<Analyzer> analyzer = analyzer_of(R"({"multiline": "true", "n": 3})");
  EXPECT_EQ(analyzer->option("multiline"), "true");
  EXPECT_EQ(analyzer->option(std::string("multiline")), "true");
  EXPECT_EQ(analyzer->option("absent"), "");
  EXPECT_EQ(analyzer->option("absent", "fallback"), "fallback");
  EXPECT_EQ(analyzer->option(std::string("multiline"), "fallback"), "true");
  // A number is read as its text.
  EXPECT_EQ(analyzer->option("n"), "3");
  // No options at all count as none.
  auto bare = std::make_shared<Analyzer>(nullptr, nullptr, nullptr);
  EXPECT_EQ(bare->option("multiline"), "");
  EXPECT_TRUE(bare->allow_plugins());
  EXPECT_EQ(bare->filename(), "");
}

TEST(Analyzer, LogsItsOptionsAtDebugLevel) {
  testing::RuntimeLog log;
  analyzer_of(R"({"dbg": "insertion", "language": "english"})");
  EXPECT_TRUE(log.has("DEBUG", R"([Language] Options: [{"dbg":"insertion","language":"english"}])"));
}

TEST(Analyzer, FilenameIsTheLanguageConfiguration) {
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      json{{"root_path", kTestLanguage.string()}, {"morvik", kTestLanguage.string()}}.dump()));
  auto analyzer = std::make_shared<Analyzer>(engine, engine->get_language_module("english"),
                                             convert_string_to_api_options("{}"));
  EXPECT_EQ(analyzer->filename(), (kTestLanguage / "english.language").string());
  EXPECT_EQ(analyzer->engine(), engine);
  ASSERT_NE(analyzer->language_module(), nullptr);
  EXPECT_EQ(analyzer->language_module()->language_name, "english");
}

TEST(Analyzer, LongTermInstanceStoreOnlyWithAModule) {
  EXPECT_EQ(analyzer_of("{}")->long_term_store(), nullptr);
  EXPECT_EQ(analyzer_of(R"({"instance_module": ""})")->long_term_store(), nullptr);
  // No plugin "people" answers: the empty answer is no list of names.
  EXPECT_EQ(message_of([] { analyzer_of(R"({"instance_module": "::people::store"})"); })
                .rfind("Invalid json option.[json.exception.parse_error", 0),
            0u);
}

TEST(Analyzer, DocumentsKeepTheirAnalyzerAfterTheHandleIsReleased) {
  auto* handle = new api::Analyzer(nullptr, nullptr, convert_string_to_api_options("{}"));
  std::weak_ptr<Analyzer> runtime = handle->analyzer;
  EXPECT_EQ(get_analyzer(handle), handle->analyzer);
  auto blackboard = std::make_unique<Blackboard>(handle, nullptr, nullptr, 0);
  handle->dec_ref();
  EXPECT_FALSE(runtime.expired());
  EXPECT_EQ(blackboard->analyzer, runtime.lock());
  blackboard.reset();
  EXPECT_TRUE(runtime.expired());
}

TEST(Analyzer, AHandleWithoutAnAnalyzerMakesNoDocument) {
  EXPECT_EQ(message_of([] { get_analyzer(nullptr); }), "Analyzer has not been initialized.");
  api::Analyzer handle(nullptr, nullptr, nullptr);
  handle.analyzer.reset();
  EXPECT_EQ(message_of([&] { Blackboard blackboard(&handle, nullptr, nullptr, 0); }),
            "Analyzer has not been initialized.");
}

TEST(ParseOptionCollection, SplitsTheOptionOrTheDefault) {
  struct Case {
    std::string options;
    std::string default_value;
    Flags start;
    Flags result;
  } const cases[] = {
      {R"({"list": "a,b"})", "x", {}, {"a", "b"}},
      {"{}", "x,y", {}, {"x", "y"}},
      {"{}", "", {}, {}},
      // Present but empty: nothing, and the default is not used.
      {R"({"list": ""})", "x", {}, {}},
      // The collection is not cleared first.
      {R"({"list": "b"})", "", {"a"}, {"a", "b"}},
      {"{}", "x", {"a"}, {"a", "x"}},
  };
  for (const Case& c : cases) {
    Flags collection = c.start;
    args::parse_option_collection(collection, convert_string_to_api_options(c.options), "list",
                                  c.default_value);
    EXPECT_EQ(collection, c.result) << c.options << " " << c.default_value;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
