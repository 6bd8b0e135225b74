#include "language/header_detection.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/token_flags.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::TokenizedDocument;

const std::shared_ptr<LanguageModule>& english() {
  static const std::shared_ptr<LanguageModule> module =
      testing::load_test_language(testing::test_language_folder().string());
  return module;
}

// Headers judged on sentences as the tokenizer leaves them: capitalisation
// properties, and readings for numbers and punctuation.
TEST(HeaderDetection, CapitalisedShortLines) {
  struct Case {
    std::string text;
    bool header;
    bool header_new;
  };
  const Case cases[] = {
      // Two capitalised words, the number passed over, no short word.
      {"Annual Report 2020", true, true},
      // Three capitalised words against one short one.
      {"The War of Art", true, true},
      {"The End of it", false, true},
      // A lower-case word longer than 5 bytes.
      {"The results of the year", false, false},
      {"annual Report", false, false},
      {"NATO Summit.", true, true},
      // Four short words are too many, whatever the capitals.
      {"One Two Three Four Five of it is up", false, true},
      // A line mark opens a header.
      {"- the results of the year", true, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(english(), c.text);
    document.add_sentence();
    AnnotationCollection& list = document.sentences().back()->annotations;
    EXPECT_EQ(is_header(document.blackboard(), list), c.header) << c.text;
    EXPECT_EQ(is_header_new(list), c.header_new) << c.text;
  }
}

TEST(HeaderDetection, HeaderPrefixOpensAHeader) {
  TokenizedDocument document(english(), "2. the results of the year");
  document.blackboard().spans.push_back({0, 2, SpanMark::kHeaderPrefix});
  ASSERT_TRUE(document.add_sentence());
  ASSERT_NE(document.tokens()[0]->flags & token_flags::header_range, 0u);
  EXPECT_TRUE(is_header(document.blackboard(), document.sentences().back()->annotations));
}

TEST(HeaderDetection, SwitchedOff) {
  TokenizedDocument document(english(), "Annual Report 2020", R"({"detect_headers": "false"})");
  ASSERT_TRUE(document.add_sentence());
  AnnotationCollection& list = document.sentences().back()->annotations;
  EXPECT_FALSE(is_header(document.blackboard(), list));
  // The capitalisation walk alone knows no switch.
  EXPECT_TRUE(is_header_new(list));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
