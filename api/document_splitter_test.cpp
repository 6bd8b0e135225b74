#include "api/document_splitter.h"

#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace api {
namespace {

std::vector<std::string> documents_of(const std::string& text, DocumentSplitter::Split split) {
  std::istringstream in(text);
  DocumentSplitter splitter(in, split, "test");
  std::vector<std::string> out;
  std::string document;
  while (splitter.next(document)) out.push_back(document);
  // The end stays the end.
  EXPECT_FALSE(splitter.next(document));
  EXPECT_EQ(document, "");
  return out;
}

using Documents = std::vector<std::string>;

TEST(DocumentSplitterTest, SplitsAsAsked) {
  struct Case {
    std::string text;
    Documents paragraphs;
    Documents lines;
  } const cases[] = {
      {"", {}, {}},
      {"\n \n\t\r\n", {}, {}},
      {"one", {"one"}, {"one"}},
      {"one\ntwo\n", {"one\ntwo"}, {"one", "two"}},
      {"\n\none\n\n\n two\nthree\n  \nfour", {"one", " two\nthree", "four"},
       {"one", " two", "three", "four"}},
      // CRLF: the carriage return of a break goes with it; inside a
      // paragraph the breaks stay as written.
      {"one\r\ntwo\r\n\r\nthree\r\n", {"one\r\ntwo", "three"}, {"one", "two", "three"}},
      // A document may be longer than any buffer.
      {std::string(100000, 'x') + "\n\ny", {std::string(100000, 'x'), "y"},
       {std::string(100000, 'x'), "y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    EXPECT_EQ(documents_of(c.text, DocumentSplitter::kParagraphs), c.paragraphs);
    EXPECT_EQ(documents_of(c.text, DocumentSplitter::kLines), c.lines);
    // Unsplit, the whole text is one document, even an empty one.
    EXPECT_EQ(documents_of(c.text, DocumentSplitter::kNone), Documents{c.text});
  }
}

TEST(DocumentSplitterTest, SplitNames) {
  EXPECT_EQ(DocumentSplitter::split_named("paragraphs"), DocumentSplitter::kParagraphs);
  EXPECT_EQ(DocumentSplitter::split_named("lines"), DocumentSplitter::kLines);
  EXPECT_EQ(DocumentSplitter::split_named("none"), DocumentSplitter::kNone);
  EXPECT_FALSE(DocumentSplitter::split_named("Lines"));
  EXPECT_FALSE(DocumentSplitter::split_named(""));
}

// A stream buffer that gives some text and then fails.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text_(std::move(text)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override { throw std::runtime_error("device gone"); }

 private:
  std::string text_;
};

TEST(DocumentSplitterTest, AReadErrorNamesTheSource) {
  for (auto split : {DocumentSplitter::kParagraphs, DocumentSplitter::kLines,
                     DocumentSplitter::kNone}) {
    SCOPED_TRACE(split);
    FailingBuffer buffer("one\n\ntwo");
    std::istream in(&buffer);
    DocumentSplitter splitter(in, split, "standard input");
    std::string document;
    try {
      while (splitter.next(document)) {
      }
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "cannot read standard input");
    }
  }
}

}  // namespace
}  // namespace api
}  // namespace zel
