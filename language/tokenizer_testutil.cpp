#include "language/tokenizer_testutil.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>
#include <unicode/parseerr.h>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include "api/analyzer_handle.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/token_map.h"
#include "language/tokenizer.h"

namespace zel {
namespace testing {

namespace fs = std::filesystem;

std::shared_ptr<kavero::LanguageModule> make_language(
    const std::string& rules,
    const std::vector<std::pair<int32_t, std::string>>& mapper,
    const std::string& measure, const std::string& config) {
  auto data = std::make_shared<kavero::LanguageModuleData>("test");
  data->config_json =
      std::make_shared<nlohmann::json>(nlohmann::json::parse(config));
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  data->rule_iterator = std::make_shared<icu::RuleBasedBreakIterator>(
      icu::UnicodeString::fromUTF8(rules), where, status);
  if (U_FAILURE(status)) {
    std::ostringstream message;
    message << "break rules do not compile: line " << where.line << ":"
            << where.offset << " " << u_errorName(status);
    throw std::runtime_error(message.str());
  }
  data->rules = data->rule_iterator->getBinaryRules(data->rules_size);
  data->token_map = kavero::init_token_map();
  for (const auto& [rule_status, text] : mapper) {
    data->token_map.emplace(rule_status, text);
  }
  data->measure_expression = measure;
  auto module = std::make_shared<kavero::LanguageModule>();
  module->requested_name = "test";
  module->language_name = "test";
  module->module_data = std::move(data);
  return module;
}

std::shared_ptr<kavero::LanguageModule> load_test_language(
    const std::string& morvik) {
  const fs::path folder = fs::weakly_canonical(morvik);
  const nlohmann::json options = {{"root_path", folder.parent_path().string()},
                                  {"morvik", folder.string()}};
  auto engine = std::make_shared<kavero::Engine>(
      convert_string_to_api_options(options.dump()));
  return engine->get_language_module("english");
}

TokenizedDocument::TokenizedDocument(
    std::shared_ptr<kavero::LanguageModule> language, const std::string& text,
    const std::string& document_options, const std::string& analyzer_options) {
  auto* handle = new api::Analyzer(nullptr, language,
                                   convert_string_to_api_options(analyzer_options));
  try {
    blackboard_ = std::make_unique<kavero::Blackboard>(
        handle, convert_string_to_api_options(document_options), nullptr, 0);
  } catch (...) {
    handle->dec_ref();
    throw;
  }
  handle->dec_ref();
  blackboard_->set_languge_module(std::move(language));
  blackboard_->text = text;
  blackboard_->text_length = text.size();
}

bool TokenizedDocument::add_sentence(uint32_t begin, uint32_t end) {
  blackboard_->annotations->push_back(new kavero::Sentence(begin, end));
  const char* text = blackboard_->text.data();
  return kavero::tokenize(*blackboard_, text + begin, text + end);
}

bool TokenizedDocument::add_sentence() {
  return add_sentence(0, static_cast<uint32_t>(blackboard_->text.size()));
}

std::vector<kavero::Sentence*> TokenizedDocument::sentences() const {
  std::vector<kavero::Sentence*> found;
  for (kavero::Annotation* a = blackboard_->annotations->head; a != nullptr;
       a = a->next) {
    if (auto* sentence = kavero::annotation_cast<kavero::Sentence>(a)) {
      found.push_back(sentence);
    }
  }
  return found;
}

std::vector<kavero::Token*> TokenizedDocument::tokens() const {
  auto* last =
      kavero::annotation_cast<kavero::Sentence>(blackboard_->annotations->tail);
  return last != nullptr ? tokens_of(last->annotations)
                         : std::vector<kavero::Token*>{};
}

std::vector<kavero::Token*> TokenizedDocument::all_tokens() const {
  std::vector<kavero::Token*> found;
  for (kavero::Sentence* sentence : sentences()) {
    for (kavero::Token* token : tokens_of(sentence->annotations)) {
      found.push_back(token);
    }
  }
  return found;
}

std::string TokenizedDocument::literals() const {
  std::string joined;
  for (const kavero::Token* token : tokens()) {
    if (!joined.empty()) joined += " | ";
    joined += token->literal;
  }
  return joined;
}

std::vector<kavero::Token*> tokens_of(const kavero::AnnotationCollection& list) {
  std::vector<kavero::Token*> found;
  for (kavero::Annotation* a = list.head; a != nullptr; a = a->next) {
    if (auto* token = kavero::annotation_cast<kavero::Token>(a)) {
      found.push_back(token);
    }
  }
  return found;
}

std::string readings_of(const kavero::Token& token) {
  std::ostringstream out;
  bool first = true;
  for (const kavero::MorphData& reading : token.readings) {
    if (!first) out << " | ";
    first = false;
    out << reading.pos() << ":" << reading.stem;
    if (reading.weight != 1.0) out << "@" << reading.weight;
  }
  return out.str();
}

std::string properties_of(const kavero::Token& token) {
  std::string joined;
  for (const std::string& property : token.properties) {
    if (!joined.empty()) joined += ",";
    joined += property;
  }
  return joined;
}

}  // namespace testing
}  // namespace zel
