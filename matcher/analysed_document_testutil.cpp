#include "matcher/analysed_document_testutil.h"

#include <cstdint>

#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "engine/engine.h"

namespace zel {
namespace testing {

namespace fs = std::filesystem;

AnalysedDocument::AnalysedDocument(const fs::path& morvik, const std::string& text)
    : text_(text) {
  engine_ = std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", morvik.parent_path().string()}, {"morvik", morvik.string()}}
          .dump()));
  std::shared_ptr<IOptions> options = convert_string_to_api_options(R"({"language": "english"})");
  analyzer_ = new api::Analyzer(engine_, engine_->get_language_module(options), options);
  blackboard_ = std::make_unique<kavero::Blackboard>(
      analyzer_, convert_string_to_api_options("{}"), text_.data(), text_.size());
  blackboard_->analyzer->generate(*blackboard_, text_.data(), text_.size());
}

AnalysedDocument::~AnalysedDocument() {
  blackboard_.reset();
  analyzer_->dec_ref();
}

namespace {

const char* const kDeterminers[] = {"the", "a", "every", "some", "the", "no", "each"};
const char* const kAdjectives[] = {"big", "old", "new", "small", "beautiful", "red",
                                   "happy", "important", "long", "young", "green", "fast"};
const char* const kNouns[] = {"dog", "bank", "bird", "book", "car", "city", "company",
                              "doctor", "family", "friend", "garden", "house", "man",
                              "market", "minister", "park", "river", "school", "station",
                              "student", "teacher", "town", "train", "woman", "report"};
const char* const kVerbs[] = {"runs", "buys", "likes", "sees", "sells", "takes", "visits",
                              "walks", "works", "writes", "opened", "visited", "saw",
                              "made", "plays", "reads", "bought", "wrote"};
const char* const kPrepositions[] = {"in", "near", "with", "from", "at", "on", "after"};
const char* const kNames[] = {"Alice", "Bob", "London", "Berlin", "John", "Anna", "Madrid"};

class Sequence {
 public:
  template <size_t N>
  const char* pick(const char* const (&words)[N]) {
    return words[next() % N];
  }
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }

 private:
  uint64_t state_ = 12345;
};

}  // namespace

std::string english_text(size_t bytes) {
  Sequence s;
  std::string text;
  while (text.size() < bytes) {
    std::string sentence = s.next() % 4 == 0 ? s.pick(kNames) : s.pick(kDeterminers);
    if (sentence[0] >= 'a' && sentence[0] <= 'z') sentence[0] -= 'a' - 'A';
    sentence += std::string(" ") + s.pick(kAdjectives) + " " + s.pick(kNouns) + " " +
                s.pick(kVerbs) + " " + s.pick(kDeterminers) + " " + s.pick(kNouns);
    if (s.next() % 2) sentence += std::string(" ") + s.pick(kPrepositions) + " " + s.pick(kNames);
    if (s.next() % 5 == 0) sentence += ", " + std::to_string(s.next() % 1000) + " times";
    text += sentence + (s.next() % 10 == 0 ? "? " : ". ");
  }
  return text;
}

}  // namespace testing
}  // namespace zel
