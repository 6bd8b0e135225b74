#include "analysis/blackboard_testutil.h"

#include "api/analyzer_handle.h"
#include "base/options.h"

namespace zel {
namespace testing {

std::unique_ptr<kavero::Blackboard> make_blackboard(
    const std::string& document_options, const std::string& analyzer_options,
    std::shared_ptr<kavero::EngineInterface> engine,
    std::shared_ptr<kavero::LanguageModule> language_module) {
  auto* handle = new api::Analyzer(std::move(engine), std::move(language_module),
                                   convert_string_to_api_options(analyzer_options));
  std::unique_ptr<kavero::Blackboard> blackboard;
  try {
    blackboard = std::make_unique<kavero::Blackboard>(
        handle, convert_string_to_api_options(document_options), nullptr, 0);
  } catch (...) {
    handle->dec_ref();
    throw;
  }
  handle->dec_ref();
  return blackboard;
}

void load_document(kavero::Blackboard& blackboard, const TestDocument& document) {
  blackboard.text = document.text;
  blackboard.text_length = document.text.size();
  blackboard.annotations = document.sentences;
  blackboard.sentences.clear();
  for (kavero::Annotation* a = document.sentences->head; a != nullptr; a = a->next) {
    if (auto* sentence = kavero::annotation_cast<kavero::Sentence>(a)) {
      blackboard.sentences.emplace_back(sentence->begin, kavero::SentenceInfo(sentence));
    }
  }
}

}  // namespace testing
}  // namespace zel
