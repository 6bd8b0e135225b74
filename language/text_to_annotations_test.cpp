#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "language/offset_table.h"
#include "language/runtime_log_testutil.h"
#include "language/sentence_layout_testutil.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::RuntimeLog;
using testing::TokenizedDocument;
using testing::expect_consistent;
using testing::load_test_language;
using testing::make_language;
using testing::readings_of;
using testing::tokens_of;

const char kRules[] = R"(
$Letter = [\p{L}\p{M}];
$Space = [\p{White_Space}];
$Space+;
$Letter+ {200};
[.!?\u3002] {501};
[,;\u2013] {502};
)";

std::shared_ptr<LanguageModule> plain_language() {
  static const auto language = make_language(kRules);
  return language;
}

std::shared_ptr<LanguageModule> test_language() {
  static const auto language =
      load_test_language(testing::test_language_folder().string());
  return language;
}

// The literals of every sentence, joined by blanks, sentences by " / ".
std::string layout(const Blackboard& blackboard) {
  std::string out;
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    const Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    if (!out.empty()) out += " / ";
    std::string words;
    for (Token* t : tokens_of(sentence->annotations)) {
      if (!words.empty()) words += " ";
      words += t->literal;
    }
    out += words;
  }
  return out;
}

// The byte ranges of the sentences, and whether the sentence index names
// each sentence at its begin, in order.
std::vector<std::pair<uint32_t, uint32_t>> sentence_ranges(
    const Blackboard& blackboard) {
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  size_t i = 0;
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    ranges.emplace_back(sentence->begin, sentence->end);
    EXPECT_LT(i, blackboard.sentences.size());
    if (i < blackboard.sentences.size()) {
      EXPECT_EQ(blackboard.sentences[i].first, sentence->begin);
      EXPECT_EQ(blackboard.sentences[i].second.sentence, sentence);
    }
    ++i;
  }
  EXPECT_EQ(i, blackboard.sentences.size());
  return ranges;
}

// The byte range of `part` within `text`.
std::pair<uint32_t, uint32_t> range_of(const std::string& text,
                                       const std::string& part) {
  const size_t at = text.find(part);
  EXPECT_NE(at, std::string::npos) << part;
  return {static_cast<uint32_t>(at), static_cast<uint32_t>(at + part.size())};
}

void split_icu(TokenizedDocument& document) {
  Blackboard& blackboard = document.blackboard();
  blackboard.analyzer->text_to_annotations_icu(
      blackboard, blackboard.text.data(), blackboard.text.size());
}

// Sentence boundaries are UTF-16 positions of ICU's iterator; sentences and
// tokens get byte offsets into the UTF-8 text, through the document's
// offset table or, without one, through a table of the splitter's own.
// Short sentences keep their tokens.
TEST(IcuSentenceSplitter, ByteOffsetsOfNonAsciiText) {
  const std::string text =
      "Grüße aus Köln. Ein Wort \xF0\x9F\x98\x80 dazu! 好。Ja.";
  for (bool with_table : {true, false}) {
    SCOPED_TRACE(with_table ? "document table" : "own table");
    TokenizedDocument document(plain_language(), text);
    if (with_table) {
      document.blackboard().offset_table =
          generate_offset_mappings(text.data(), static_cast<int>(text.size()));
    }
    split_icu(document);
    EXPECT_EQ(layout(document.blackboard()),
              "Grüße aus Köln . / Ein Wort \xF0\x9F\x98\x80 dazu ! / 好 。 / Ja .");
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        range_of(text, "Grüße aus Köln."),
        range_of(text, "Ein Wort \xF0\x9F\x98\x80 dazu!"), range_of(text, "好。"),
        range_of(text, "Ja.")};
    EXPECT_EQ(sentence_ranges(document.blackboard()), expected);
    for (const Token* token : document.all_tokens()) {
      EXPECT_EQ(text.substr(token->begin, token->end - token->begin),
                token->literal);
    }
  }
}

// Sentences of one or two characters are sentences too: no token is lost.
TEST(IcuSentenceSplitter, KeepsShortSentences) {
  struct Case {
    std::string text;
    std::string layout;
  };
  const Case cases[] = {
      {"好。", "好 。"},
      {"Hi", "Hi"},
      {"Go.\n\nx", "Go . / x"},
      // A stretch without tokens makes no sentence.
      {"  \n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(plain_language(), c.text);
    split_icu(document);
    EXPECT_EQ(layout(document.blackboard()), c.layout) << c.text;
    sentence_ranges(document.blackboard());
  }
}

// With "multiline", a line that ends in a connector (blanks and tabs after
// it allowed) goes on in the next line, unless a blank line follows; at
// most five ICU sentences become one.
TEST(IcuSentenceSplitter, MultilineConnectors) {
  struct Case {
    std::string multiline;
    std::string text;
    std::string layout;
  };
  const Case cases[] = {
      {"", "One line,\nnext line.", "One line , / next line ."},
      {",", "One line,\nnext line.", "One line , next line ."},
      {",", "One line, \t\nnext line.", "One line , next line ."},
      {";,", "One line;\nnext line.", "One line ; next line ."},
      {",", "One line\nnext line.", "One line / next line ."},
      {",", "One line,\n\nnext line.", "One line , / next line ."},
      {",", "a,\nb,\nc,\nd,\ne,\nf,\ng.", "a , b , c , d , e , / f , g ."},
      // A connector outside ASCII is one character, not its bytes (the
      // tokenizer writes the dash as a hyphen-minus).
      {"\u2013", "Erste Zeile \u2013\nzweite Zeile.",
       "Erste Zeile - zweite Zeile ."},
      {"\u2013", "Voil\u00E0 \u00E2\nnext.", "Voil\u00E0 \u00E2 / next ."},
  };
  for (const Case& c : cases) {
    const std::string options =
        c.multiline.empty() ? "{}" : R"({"multiline": ")" + c.multiline + "\"}";
    TokenizedDocument document(plain_language(), c.text, "{}", options);
    RuntimeLog log;
    split_icu(document);
    EXPECT_EQ(layout(document.blackboard()), c.layout)
        << "[" << c.multiline << "] " << c.text;
    sentence_ranges(document.blackboard());
    if (!c.multiline.empty()) {
      EXPECT_TRUE(log.has("DEBUG", "Sentence Connectors: [" + c.multiline + "]"));
    }
  }
}

TEST(IcuSentenceSplitter, LocaleWithoutIterator) {
  TokenizedDocument document(plain_language(), "Some text.",
                             R"({"tokenizer_locale": "en@="})");
  try {
    split_icu(document);
    FAIL() << "no error";
  } catch (const zel::Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "[Language] Could not create the sentence break iterator for "
              "the locale \"en@=\"");
  }
  EXPECT_EQ(document.blackboard().annotations->head, nullptr);
}

// The whole entry on the test language: the splitter the "sentyziser"
// option names, then readings, then repair.
TEST(TextToAnnotations, SplitsLooksUpAndRepairs) {
  std::string long_sentence;
  for (int i = 0; i < 160; ++i) long_sentence += "airport ";
  const std::string text = "Ça va? Très bien!?\n" + long_sentence + "again.";
  TokenizedDocument document(test_language(), text, R"({"sentyziser": "icu"})");
  Blackboard& blackboard = document.blackboard();
  blackboard.analyzer->text_to_annotations(blackboard, blackboard.text.data(),
                                           blackboard.text.size());
  expect_consistent(blackboard, "repaired");
  const std::vector<std::pair<uint32_t, uint32_t>> ranges =
      sentence_ranges(blackboard);
  ASSERT_EQ(ranges.size(), 4u) << layout(blackboard);
  EXPECT_EQ(ranges[0], range_of(text, "Ça va?"));
  EXPECT_EQ(ranges[1], range_of(text, "Très bien!?"));
  // The cut sentences are measured in bytes too, after the two letters
  // that take two bytes each.
  EXPECT_EQ(ranges[2].first, text.find("airport"));
  EXPECT_EQ(ranges[3].second, text.size());
  for (const Token* token : document.all_tokens()) {
    EXPECT_EQ(text.substr(token->begin, token->end - token->begin),
              token->literal);
  }
  // The ICU sentence of 161 words is cut after 150 tokens.
  const std::vector<Sentence*> sentences = document.sentences();
  EXPECT_EQ(tokens_of(sentences[2]->annotations).size(), 150u);
  EXPECT_EQ(tokens_of(sentences[3]->annotations).size(), 12u);
  // The lexicon gave its readings; "!" before "?" is no sentence end.
  const std::vector<Token*> second = tokens_of(sentences[1]->annotations);
  ASSERT_EQ(second.size(), 4u);
  EXPECT_EQ(readings_of(*second[2]), "Punct:!");
  EXPECT_EQ(readings_of(*tokens_of(sentences[3]->annotations)[10]),
            "Adv:again");
}

// Without "sentyziser" the test language's own setting picks the
// character-level splitter, which keeps a line break inside a sentence.
TEST(TextToAnnotations, ChoosesTheSplitter) {
  const std::string text = "We stay at the airport\nand the bank.";
  TokenizedDocument icu(test_language(), text, R"({"sentyziser": "icu"})");
  icu.blackboard().analyzer->text_to_annotations(
      icu.blackboard(), icu.blackboard().text.data(), text.size());
  EXPECT_EQ(icu.sentences().size(), 2u);
  expect_consistent(icu.blackboard(), "icu");

  TokenizedDocument characters(test_language(), text);
  characters.blackboard().analyzer->text_to_annotations(
      characters.blackboard(), characters.blackboard().text.data(), text.size());
  EXPECT_EQ(characters.sentences().size(), 1u);
  expect_consistent(characters.blackboard(), "character level");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
