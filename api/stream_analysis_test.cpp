#include "api/stream_analysis.h"

#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/document_splitter.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace api {
namespace {

std::unique_ptr<StreamAnalysis> english() {
  const std::string folder = testing::test_language_folder().string();
  auto engine = std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", folder}, {"morvik", folder}}.dump()));
  return std::make_unique<StreamAnalysis>(
      engine, convert_string_to_api_options(R"({"language": "english"})"));
}

// Serves its lines one at a time and notes, for each, what the output held
// when the line was asked for.
class WatchingBuffer : public std::streambuf {
 public:
  WatchingBuffer(std::vector<std::string> lines, const std::ostringstream& out)
      : lines_(std::move(lines)), out_(out) {}

  std::vector<std::string> seen;  // the output when each line was served

 protected:
  int_type underflow() override {
    if (next_ == lines_.size()) return traits_type::eof();
    current_ = lines_[next_++];
    seen.push_back(out_.str());
    setg(current_.data(), current_.data(), current_.data() + current_.size());
    return traits_type::to_int_type(current_[0]);
  }

 private:
  std::vector<std::string> lines_;
  const std::ostringstream& out_;
  std::size_t next_ = 0;
  std::string current_;
};

TEST(StreamAnalysisTest, EachDocumentIsPrintedBeforeTheNextIsRead) {
  const auto analysis = english();
  std::ostringstream out;
  WatchingBuffer buffer({"The dog runs.\n", "\n", "A dog.\n"}, out);
  std::istream in(&buffer);
  DocumentSplitter documents(in, DocumentSplitter::kParagraphs, "test");
  EXPECT_EQ(analysis->run(documents, out, "--\n"), 2u);

  ASSERT_EQ(buffer.seen.size(), 3u);
  EXPECT_EQ(buffer.seen[1], "");
  EXPECT_EQ(buffer.seen[2].rfind("Sentence:(0,13)\n", 0), 0u) << buffer.seen[2];
  EXPECT_EQ(buffer.seen[2].find("Sentence:(0,6)"), std::string::npos) << buffer.seen[2];
  // Offsets count from each document's start; separators end documents.
  const std::string print = out.str();
  const std::size_t second = print.find("--\nSentence:(0,6)\n");
  ASSERT_NE(second, std::string::npos) << print;
  EXPECT_EQ(print.substr(print.size() - 3), "--\n");
  EXPECT_EQ(print.find("--\n"), second);
}

TEST(StreamAnalysisTest, AFaultyDocumentPrintsNothing) {
  const auto analysis = english();
  std::ostringstream out;
  EXPECT_THROW(analysis->analyse("A \xC3\x28 dog.", out), std::exception);
  EXPECT_EQ(out.str(), "");
  // The analysis goes on with the next document.
  analysis->analyse("A dog.", out);
  EXPECT_EQ(out.str().rfind("Sentence:(0,6)\n", 0), 0u) << out.str();
}

}  // namespace
}  // namespace api
}  // namespace zel
