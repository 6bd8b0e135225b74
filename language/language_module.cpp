#include "language/language_module.h"

#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/rbbi.h>

#include "base/exception.h"
#include "base/options.h"
#include "base/rule_pattern.h"
#include "core-afst/afst.h"
#include "language/tokenizer_facade.h"

namespace zel {
namespace kavero {

LanguageModuleData::LanguageModuleData(const std::string& config_path)
    : name(config_path) {}

LanguageModuleData::~LanguageModuleData() {
  if (rules_owned && rules != nullptr) delete[] rules;
}

std::string LanguageModuleData::get_config_option(const std::string& key) const {
  if (!config_json || !config_json->is_object() || !config_json->contains(key)) {
    return "";
  }
  std::string text;
  if (!option_text(key.c_str(), (*config_json)[key], text)) return "";
  return text;
}

namespace {

Regex compile_word_list(const std::string& expression) {
  if (expression.empty()) return Regex();
  return Regex(kav::convert_range(expression), false);
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

}  // namespace

Regex LanguageModule::word_list(CompiledWordList& cache, const std::string& expression) const {
  std::lock_guard<std::mutex> lock(word_lists_mutex_);
  if (!cache.compiled || cache.expression != expression) {
    // A failure leaves the cache as it was.
    Regex regex = compile_word_list(expression);
    cache.expression = expression;
    cache.regex = std::move(regex);
    cache.compiled = true;
  }
  return cache.regex;
}

Regex LanguageModule::get_abbreviations() const {
  return word_list(abbreviations_, module_data ? module_data->abbreviation_expression : "");
}

Regex LanguageModule::get_apostrophes() const {
  return word_list(apostrophes_, module_data ? module_data->apostrophe_expression : "");
}

Regex LanguageModule::get_measures() const {
  return word_list(measures_, module_data ? module_data->measure_expression : "");
}

std::shared_ptr<TokenizerFacade> LanguageModule::get_tokenizer() const {
  if (!module_data) return nullptr;
  auto facade = std::make_shared<TokenizerFacade>();
  const nlohmann::json* config = module_data->config_json.get();
  UErrorCode status = U_ZERO_ERROR;
  if (config != nullptr && config->is_object() && config->contains("tokenizer_locale")) {
    const std::string locale = (*config)["tokenizer_locale"].get<std::string>();
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createWordInstance(icu::Locale(locale.c_str()), status));
    if (U_FAILURE(status) || !iterator) {
      fail("ERROR: Could not load tokenizer for locale :" + locale);
    }
    facade->set_locale_iterator(std::move(iterator));
  } else {
    // ICU is not asked about rules that are not there.
    if (module_data->rules == nullptr || module_data->rules_size == 0) {
      fail("ERROR: assigning tokenizer parser");
    }
    std::unique_ptr<icu::RuleBasedBreakIterator> iterator(new icu::RuleBasedBreakIterator(
        module_data->rules, module_data->rules_size, status));
    if (U_FAILURE(status)) fail("ERROR: assigning tokenizer parser");
    facade->set_rule_iterator(std::move(iterator), module_data);
  }
  return facade;
}

}  // namespace kavero
}  // namespace zel
