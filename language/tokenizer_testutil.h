// Test helpers: languages for the tokenizer, and documents cut into
// sentences and tokens the way the sentence splitter hands them over.

#ifndef KAVERO_LANGUAGE_TOKENIZER_TESTUTIL_H_
#define KAVERO_LANGUAGE_TOKENIZER_TESTUTIL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/language_module.h"

namespace zel {
namespace testing {

// A language made in memory: the break rules (ICU rule syntax) compiled
// here, the built-in token map followed by the `mapper` rows, the measure
// expression, and the configuration JSON object text (which may name a
// "tokenizer_locale"). Compile errors of the rules raise std::runtime_error
// naming the line and offset.
std::shared_ptr<kavero::LanguageModule> make_language(
    const std::string& rules,
    const std::vector<std::pair<int32_t, std::string>>& mapper = {},
    const std::string& measure = "", const std::string& config = "{}");

// The test language ("english" in the resource folder `morvik`), loaded by
// an engine as an analyzer gets it.
std::shared_ptr<kavero::LanguageModule> load_test_language(
    const std::string& morvik);

// A document bound to a language, whose sentences are added one by one.
class TokenizedDocument {
 public:
  // The document's analyzer has the language and `analyzer_options`.
  TokenizedDocument(std::shared_ptr<kavero::LanguageModule> language,
                    const std::string& text,
                    const std::string& document_options = "{}",
                    const std::string& analyzer_options = "{}");

  // Appends a sentence over the bytes [begin, end) of the text to the
  // document list and tokenizes it; what tokenize() answers.
  bool add_sentence(uint32_t begin, uint32_t end);
  // One sentence over the whole text.
  bool add_sentence();

  kavero::Blackboard& blackboard() { return *blackboard_; }
  const std::string& text() const { return blackboard_->text; }

  // The sentences in document order.
  std::vector<kavero::Sentence*> sentences() const;
  // The tokens of the last sentence, or of all sentences.
  std::vector<kavero::Token*> tokens() const;
  std::vector<kavero::Token*> all_tokens() const;
  // The literals of tokens(), joined by " | ".
  std::string literals() const;

 private:
  std::unique_ptr<kavero::Blackboard> blackboard_;
};

// The tokens of one sentence list, in order.
std::vector<kavero::Token*> tokens_of(const kavero::AnnotationCollection& list);

// A token's readings as "POS:stem@weight" joined by " | " (the weight only
// when it is not 1).
std::string readings_of(const kavero::Token& token);
// A token's properties joined by ",", in set order.
std::string properties_of(const kavero::Token& token);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKENIZER_TESTUTIL_H_
