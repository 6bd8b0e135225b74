#include "compiler/parser/compiler_blackboard.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "api/client_analyzer.h"
#include "api/client_engine.h"
#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace compiler {
namespace {

// Compile options that remember which keys were read.
class RecordingOptions : public IOptions {
 public:
  explicit RecordingOptions(const char* json) : options_(json) {}

  std::string get(const char* key) const override {
    read.insert(key);
    return options_.get(key);
  }
  std::string get(const char* key, std::string default_value) const override {
    read.insert(key);
    return options_.get(key, default_value);
  }
  bool get_bool(const char* key, bool default_value) const override {
    read.insert(key);
    return options_.get_bool(key, default_value);
  }
  std::string str() const override { return options_.str(); }
  bool has(const char* key) const override { return options_.has(key); }

  mutable std::set<std::string> read;

 private:
  Options options_;
};

void expect_driver_defaults(const Blackboard& blackboard) {
  EXPECT_TRUE(blackboard.disable_plugin_calls);
  EXPECT_EQ(blackboard.error_code_mask, 0u);
  ASSERT_NE(blackboard.diagnostics, nullptr);
  EXPECT_TRUE(blackboard.diagnostics->empty());
  EXPECT_EQ(blackboard.engine, nullptr);
  EXPECT_EQ(blackboard.analyzer, nullptr);
  EXPECT_EQ(blackboard.domain_database, nullptr);
  EXPECT_TRUE(blackboard.variables.empty());
  EXPECT_TRUE(blackboard.test_domains.empty());
  EXPECT_EQ(blackboard.output_file, "");
  EXPECT_EQ(blackboard.domain_file, "");
  EXPECT_EQ(blackboard.source_filename(), "");
}

TEST(CompilerBlackboard, DefaultConstruction) {
  Blackboard blackboard;
  expect_driver_defaults(blackboard);
  EXPECT_EQ(blackboard.options, nullptr);
  EXPECT_FALSE(blackboard.strict);
  EXPECT_FALSE(blackboard.raw_lexicon_entries);
  EXPECT_EQ(blackboard.result_type, Blackboard::json);
  EXPECT_EQ(blackboard.language, "");
  // Each Blackboard has a store of its own.
  EXPECT_NE(Blackboard().diagnostics, blackboard.diagnostics);
}

TEST(CompilerBlackboard, WithoutLanguageNoEngineIsOpenedAndMorvikIsNotRead) {
  auto options = std::make_shared<RecordingOptions>(
      R"({"morvik":"/nowhere","strict":"yes","raw_lexicon_entries":"1"})");
  Blackboard blackboard(options);
  expect_driver_defaults(blackboard);
  EXPECT_EQ(blackboard.options, options);
  EXPECT_EQ(blackboard.language, "");
  EXPECT_TRUE(blackboard.strict);
  EXPECT_TRUE(blackboard.raw_lexicon_entries);
  EXPECT_EQ(options->read.count("morvik"), 0u);
  EXPECT_EQ(options->read.count("language"), 0u);
}

TEST(CompilerBlackboard, ResultType) {
  struct Case {
    const char* options;
    Blackboard::ResultType type;
  };
  const Case cases[] = {
      {R"({})", Blackboard::json},
      {R"({"result_type":"json"})", Blackboard::json},
      {R"({"result_type":"console"})", Blackboard::console},
      {R"({"result_type":"Console"})", Blackboard::json},
      {R"({"result_type":"JSON"})", Blackboard::json},
      {R"({"result_type":"xml"})", Blackboard::json},
      {R"({"result_type":""})", Blackboard::json},
  };
  for (const Case& c : cases) {
    Blackboard blackboard(std::make_shared<Options>(c.options));
    EXPECT_EQ(blackboard.result_type, c.type) << c.options;
    EXPECT_FALSE(blackboard.strict) << c.options;
  }
}

TEST(CompilerBlackboard, LanguageEngineAndAnalyzerOptions) {
  EXPECT_TRUE(language_engine_options(Options(R"({"language":"english"})")).empty());
  EXPECT_TRUE(language_engine_options(Options(R"({"morvik":""})")).empty());
  EXPECT_EQ(language_engine_options(Options(R"({"morvik":"/data/morvik","other":"x"})")),
            (std::map<std::string, std::string>{{"morvik", "/data/morvik"}}));
  EXPECT_EQ(language_analyzer_options("english"),
            (std::map<std::string, std::string>{{"language", "english"},
                                                {"disambiguate", "false"},
                                                {"hmm", "false"},
                                                {"guesser", "false"},
                                                {"initial_lower_casing", "false"}}));
}

// The engine and analyzer are opened through the client classes of the C
// interface, over the test language; a language that cannot be opened
// makes no Blackboard.
TEST(CompilerBlackboard, OpensTheEngineAndAnalyzerOfTheLanguage) {
  const std::string morvik = zel::testing::test_language_folder().string();
  const nlohmann::json options = {{"language", "english"}, {"morvik", morvik}};
  Blackboard blackboard(std::make_shared<Options>(options.dump().c_str()));
  ASSERT_NE(blackboard.engine, nullptr);
  ASSERT_NE(blackboard.analyzer, nullptr);
  EXPECT_EQ(blackboard.analyzer->options, language_analyzer_options("english"));
  EXPECT_EQ(blackboard.engine->options, (std::map<std::string, std::string>{{"morvik", morvik}}));
  const omr::analyzer::Results results = (*blackboard.analyzer)("The dog runs.", {});
  EXPECT_FALSE(results.parse_results(false)->empty());
  EXPECT_EQ(results.language(), "english");

  const nlohmann::json unknown = {{"language", "klingon"}, {"morvik", morvik}};
  EXPECT_THROW(Blackboard(std::make_shared<Options>(unknown.dump().c_str())), std::exception);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
