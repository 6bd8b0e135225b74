// Test helper: a document analysed end to end (splitting, tokenizing,
// dictionary readings, tagging) with a language of a resource folder, as
// the rule passes meet it.

#ifndef KAVERO_MATCHER_ANALYSED_DOCUMENT_TESTUTIL_H_
#define KAVERO_MATCHER_ANALYSED_DOCUMENT_TESTUTIL_H_

#include <filesystem>
#include <memory>
#include <string>

#include "analysis/blackboard.h"

namespace zel {
namespace kavero {
class Engine;
}  // namespace kavero
namespace api {
class Analyzer;
}  // namespace api

namespace testing {

class AnalysedDocument {
 public:
  // Analyses the text with the language "english" of the folder (the test
  // language: zel::testing::test_language_folder()).
  AnalysedDocument(const std::filesystem::path& morvik, const std::string& text);
  ~AnalysedDocument();
  AnalysedDocument(const AnalysedDocument&) = delete;
  AnalysedDocument& operator=(const AnalysedDocument&) = delete;

  kavero::Blackboard& blackboard() { return *blackboard_; }
  kavero::AnnotationCollection& sentences() { return *blackboard_->annotations; }

 private:
  std::string text_;
  std::shared_ptr<kavero::Engine> engine_;
  api::Analyzer* analyzer_;
  std::unique_ptr<kavero::Blackboard> blackboard_;
};

// A pseudo-random English text of about `bytes` bytes made of the test
// language's words (the same text on every call).
std::string english_text(size_t bytes);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_MATCHER_ANALYSED_DOCUMENT_TESTUTIL_H_
