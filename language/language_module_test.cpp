#include "language/language_module.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include "base/options.h"
#include "base/regex.h"
#include "engine/engine.h"
#include "language/tokenizer_facade.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kTestLanguage = testing::test_language_folder();

std::shared_ptr<LanguageModule> test_language() {
  static std::shared_ptr<Engine> engine = std::make_shared<Engine>(convert_string_to_api_options(
      json{{"root_path", kTestLanguage.string()}, {"morvik", kTestLanguage.string()}}.dump()));
  return engine->get_language_module("english");
}

// A module over data made here.
std::shared_ptr<LanguageModule> module_with(const json& config) {
  auto module = std::make_shared<LanguageModule>();
  module->module_data = std::make_shared<LanguageModuleData>("made.language");
  module->module_data->config_json = std::make_shared<json>(config);
  return module;
}

// The pieces and rule statuses the iterator cuts a text into, blanks left
// out: "Mr/200 ./501".
std::string cut(icu::BreakIterator& iterator, icu::RuleBasedBreakIterator* rules,
                const std::string& text) {
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  iterator.setText(unicode);
  std::string pieces;
  int32_t start = iterator.first();
  for (int32_t end = iterator.next(); end != icu::BreakIterator::DONE;
       start = end, end = iterator.next()) {
    std::string piece;
    unicode.tempSubStringBetween(start, end).toUTF8String(piece);
    if (piece == " ") continue;
    if (!pieces.empty()) pieces += ' ';
    pieces += piece;
    if (rules != nullptr) pieces += "/" + std::to_string(rules->getRuleStatus());
  }
  return pieces;
}

TEST(LanguageModule, CompilesTheWordListsOfTheLanguage) {
  auto module = test_language();
  Regex abbreviations = module->get_abbreviations();
  for (const char* word : {"Mr.", "e.g.", "Prof."}) {
    EXPECT_TRUE(abbreviations.regex_match(word)) << word;
  }
  for (const char* word : {"Mr", "Mrx", "eg."}) {
    EXPECT_FALSE(abbreviations.regex_match(word)) << word;
  }

  Regex measures = module->get_measures();
  SMatch match;
  const std::string km = "100km";
  ASSERT_TRUE(measures.regex_match(km, match));
  EXPECT_FALSE(match[1].matched);
  EXPECT_EQ(match[2].text, "100");
  EXPECT_EQ(match[3].text, "km");
  const std::string pounds = "£5";
  match.clear();
  ASSERT_TRUE(measures.regex_match(pounds, match));
  EXPECT_EQ(match[1].text, "£");

  Regex apostrophes = module->get_apostrophes();
  const std::string john = "John's";
  match.clear();
  ASSERT_TRUE(apostrophes.regex_match(john, match));
  EXPECT_EQ(match[1].text, "John");
  EXPECT_TRUE(apostrophes.regex_match("O'Brien"));
}

TEST(LanguageModule, WordListExpressionsWithRangesAndWithout) {
  auto module = module_with(json::object());
  module->module_data->abbreviation_expression = "[A-C]\\.|Nr\\.";
  EXPECT_TRUE(module->get_abbreviations().regex_match("B."));
  EXPECT_FALSE(module->get_abbreviations().regex_match("D."));
  EXPECT_TRUE(module->get_measures().empty());
  EXPECT_TRUE(module->get_apostrophes().empty());
}

TEST(LanguageModule, WordListsAreCompiledOnceAndFollowTheirText) {
  auto module = module_with(json::object());
  module->module_data->abbreviation_expression = "[A-C]\\.";
  const Regex first = module->get_abbreviations();
  // Every document asks; all share one compiled expression.
  EXPECT_TRUE(module->get_abbreviations().shares_expression_with(first));
  // A changed text is compiled anew, never answered by the old expression.
  module->module_data->abbreviation_expression = "[D-F]\\.";
  const Regex changed = module->get_abbreviations();
  EXPECT_FALSE(changed.shares_expression_with(first));
  EXPECT_TRUE(changed.regex_match("E."));
  EXPECT_FALSE(changed.regex_match("B."));
  // An expression that does not compile raises each time and leaves the
  // last good one in place.
  module->module_data->abbreviation_expression = "(";
  EXPECT_ANY_THROW(module->get_abbreviations());
  EXPECT_ANY_THROW(module->get_abbreviations());
  module->module_data->abbreviation_expression = "[D-F]\\.";
  EXPECT_TRUE(module->get_abbreviations().shares_expression_with(changed));
  // The three lists are kept apart.
  module->module_data->measure_expression = "[0-9]+km";
  EXPECT_TRUE(module->get_measures().regex_match("5km"));
  EXPECT_FALSE(module->get_measures().regex_match("E."));
  EXPECT_TRUE(module->get_abbreviations().regex_match("E."));
  EXPECT_TRUE(module->get_apostrophes().empty());
}

TEST(LanguageModule, TokenizesWithTheCompiledRulesOfTheLanguage) {
  auto module = test_language();
  std::shared_ptr<TokenizerFacade> tokenizer = module->get_tokenizer();
  ASSERT_NE(tokenizer, nullptr);
  ASSERT_NE(tokenizer->rule_iterator(), nullptr);
  EXPECT_EQ(tokenizer->iterator(), tokenizer->rule_iterator());
  EXPECT_EQ(cut(*tokenizer->iterator(), tokenizer->rule_iterator(),
                "Mr. Smith's dog runs 100km, e.g. #news!"),
            "Mr/200 ./501 Smith's/513 dog/200 runs/200 100km/511 ,/502 e.g./510 "
            "#news/2000 !/501");
  // Each call makes an iterator of its own.
  EXPECT_NE(module->get_tokenizer()->iterator(), tokenizer->iterator());
}

TEST(LanguageModule, TokenizesWithTheIteratorOfALocale) {
  auto module = module_with({{"tokenizer_locale", "en_US"}});
  std::shared_ptr<TokenizerFacade> tokenizer = module->get_tokenizer();
  ASSERT_NE(tokenizer, nullptr);
  EXPECT_EQ(tokenizer->rule_iterator(), nullptr);
  ASSERT_NE(tokenizer->iterator(), nullptr);
  EXPECT_EQ(cut(*tokenizer->iterator(), nullptr, "The dog runs."), "The dog runs .");
}

TEST(LanguageModule, TokenizerFailures) {
  EXPECT_EQ(LanguageModule().get_tokenizer(), nullptr);
  EXPECT_EQ(message_of([] { module_with(json::object())->get_tokenizer(); }),
            "ERROR: assigning tokenizer parser");
  EXPECT_EQ(message_of([] { module_with(json::array())->get_tokenizer(); }),
            "ERROR: assigning tokenizer parser");
  EXPECT_THROW(module_with({{"tokenizer_locale", 5}})->get_tokenizer(), json::type_error);
}

TEST(LanguageModuleData, ConfigOptionsAreTexts) {
  auto module = module_with({{"sentyziser", "icu"}, {"number", 3}});
  const LanguageModuleData& data = *module->module_data;
  EXPECT_EQ(data.get_config_option("sentyziser"), "icu");
  EXPECT_EQ(data.get_config_option("tokenizer_locale"), "");
  // A number is read as its text, as options are.
  EXPECT_EQ(data.get_config_option("number"), "3");
  EXPECT_EQ(module_with(json("text"))->module_data->get_config_option("sentyziser"), "");
  LanguageModuleData empty;
  EXPECT_EQ(empty.get_config_option("sentyziser"), "");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
