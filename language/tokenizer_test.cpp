#include "language/tokenizer.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <utf8.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "language/offset_table.h"
#include "language/token_flags.h"
#include "language/tokenizer_facade.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::TokenizedDocument;
using testing::make_language;
using testing::properties_of;
using testing::readings_of;

const std::shared_ptr<LanguageModule>& english() {
  static const std::shared_ptr<LanguageModule> module =
      testing::load_test_language(testing::test_language_folder().string());
  return module;
}

// Words, numbers and full stops, each a piece of its own: "e.g." is two
// pieces here ("e.g" and "."), unlike in the test language.
const char kPlainRules[] = R"(
$Letter = [\p{L}\p{M}];
$Space = [\p{White_Space}];
$Space+;
$Letter+ ('.' $Letter+)* {200};
[0-9]+ {100};
[.] {501};
[,] {502};
)";

std::string kinds_and_offsets(const AnnotationCollection& list) {
  std::string out;
  for (Annotation* a = list.head; a != nullptr; a = a->next) {
    if (!out.empty()) out += " ";
    out += std::to_string(a->kind) + "@" + std::to_string(a->begin) + "-" +
           std::to_string(a->end);
  }
  return out;
}

TEST(Tokenizer, HelloWorld) {
  TokenizedDocument document(english(), "Hello, world.");
  ASSERT_TRUE(document.add_sentence());
  const std::vector<Token*> tokens = document.tokens();
  ASSERT_EQ(document.literals(), "Hello | , | world | .");

  // The rules give 200 to words (the test language maps it to "word"), 502
  // to the comma and 501 to the full stop (and "sentence-end").
  EXPECT_EQ(properties_of(*tokens[0]), "init-cap,nf,word");
  EXPECT_EQ(readings_of(*tokens[0]), "");
  EXPECT_EQ(tokens[0]->flags, 0u);
  EXPECT_EQ(readings_of(*tokens[1]), "Punct-Comma:,");
  EXPECT_EQ(tokens[1]->flags, token_flags::skip_lookup);
  EXPECT_EQ(properties_of(*tokens[2]), "word");
  EXPECT_EQ(readings_of(*tokens[3]), "Punct-Sent:.");
  EXPECT_EQ(properties_of(*tokens[3]), "sentence-end");
  EXPECT_EQ(tokens[3]->flags, token_flags::skip_lookup);

  std::vector<std::pair<uint32_t, uint32_t>> offsets;
  for (const Token* token : tokens) offsets.emplace_back(token->begin, token->end);
  EXPECT_EQ(offsets, (std::vector<std::pair<uint32_t, uint32_t>>{
                         {0, 5}, {5, 6}, {7, 12}, {12, 13}}));
}

TEST(Tokenizer, SentenceIsBracketedByItsConceptAndEndMarkers) {
  // The sentence's range is bytes 8 to 28; its tokens span 10 to 27.
  const std::string text = "ignored   first second 3rd.   ignored";
  TokenizedDocument document(english(), text);
  ASSERT_TRUE(document.add_sentence(8, 28));
  Sentence* sentence = document.sentences().back();
  EXPECT_EQ(sentence->begin, 10u);
  EXPECT_EQ(sentence->end, 27u);
  EXPECT_EQ(kinds_and_offsets(sentence->annotations),
            "2@10-27 3@10-15 3@16-22 3@23-26 3@26-27 4@27-27 5@27-27");
  auto* concept_annotation = annotation_cast<Concept>(sentence->annotations.head);
  ASSERT_NE(concept_annotation, nullptr);
  EXPECT_EQ(concept_annotation->uri, "Sentence");
  auto* closing = annotation_cast<EndAnnotation>(sentence->annotations.tail->prev);
  ASSERT_NE(closing, nullptr);
  EXPECT_EQ(concept_annotation->end_annotation, closing);
  EXPECT_EQ(closing->concepts, std::vector<Annotation*>{concept_annotation});
}

TEST(Tokenizer, SentenceWithoutTokensGetsNothing) {
  for (const std::string text : {"", "   ", "\t\n \xE2\x80\x83"}) {
    TokenizedDocument document(english(), text);
    EXPECT_FALSE(document.add_sentence()) << text;
    Sentence* sentence = document.sentences().back();
    EXPECT_TRUE(sentence->annotations.empty()) << text;
    EXPECT_EQ(sentence->begin, 0u);
  }
}

TEST(Tokenizer, LiteralsAreNormalisedWhileOffsetsKeepTheDocumentBytes) {
  struct Case {
    std::string text;
    std::string literals;
    // Begin and end of each token.
    std::vector<std::pair<uint32_t, uint32_t>> offsets;
  };
  const Case cases[] = {
      // Café written with a combining acute accent: six bytes in the text,
      // the composed five in the literal.
      {"le Cafe\xCC\x81 noir", "le | Caf\xC3\xA9 | noir", {{0, 2}, {3, 9}, {10, 14}}},
      // The right single quotation mark is an apostrophe.
      {"John\xE2\x80\x99s car", "John's | car", {{0, 8}, {9, 12}}},
      {"\xE2\x80\x98quoted", "' | quoted", {{0, 3}, {3, 9}}},
      // The en dash is a hyphen-minus.
      {"1990 \xE2\x80\x93 2000", "1990 | - | 2000", {{0, 4}, {5, 8}, {9, 13}}},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(english(), c.text);
    ASSERT_TRUE(document.add_sentence()) << c.text;
    EXPECT_EQ(document.literals(), c.literals) << c.text;
    std::vector<std::pair<uint32_t, uint32_t>> offsets;
    for (const Token* token : document.tokens()) {
      offsets.emplace_back(token->begin, token->end);
    }
    EXPECT_EQ(offsets, c.offsets) << c.text;
  }
}

TEST(Tokenizer, ApostropheRuleMarksTokenAndSentence) {
  TokenizedDocument document(english(), "John\xE2\x80\x99s car");
  ASSERT_TRUE(document.add_sentence());
  Token* word = document.tokens()[0];
  EXPECT_EQ(word->literal, "John's");
  EXPECT_EQ(word->flags, token_flags::apostrophe);
  EXPECT_EQ(document.sentences().back()->flags, sentence_flags::has_apostrophe);

  TokenizedDocument plain(english(), "John car");
  ASSERT_TRUE(plain.add_sentence());
  EXPECT_EQ(plain.sentences().back()->flags, 0u);
}

// Every token of a document in several scripts, with characters outside
// the basic plane, lies on character boundaries of the document and its
// bytes there are its literal.
TEST(Tokenizer, OffsetsSliceTheDocumentOverMixedScripts) {
  const std::string text =
      "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 \xF0\x9F\x98\x80 "  // Αθήνα 😀
      "\xE6\x9D\xB1\xE4\xBA\xAC, \xF0\xA0\xAE\xB7\xE9\x87\x8E\xE5\xAE\xB6.  "  // 東京, 𠮷野家.
      "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 42 "  // Москва 42
      "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD x\xF0\x9D\x90\x80y "  // 👍🏽 x𝐀y
      "\xD8\xA7\xD9\x84\xD9\x82\xD8\xA7\xD9\x87\xD8\xB1\xD8\xA9.";  // القاهرة.
  TokenizedDocument document(english(), text);
  // Two sentences, cut where the splitter would cut them.
  const uint32_t second = static_cast<uint32_t>(text.find("\xD0\x9C"));
  ASSERT_TRUE(document.add_sentence(0, second));
  ASSERT_TRUE(document.add_sentence(second, static_cast<uint32_t>(text.size())));

  const auto table = generate_offset_mappings(text.data(), static_cast<int>(text.size()));
  auto on_boundary = [&](uint32_t offset) {
    return offset == 0 || table->byte_to_code_point.at(offset) != 0;
  };
  const std::vector<Token*> tokens = document.all_tokens();
  ASSERT_GE(tokens.size(), 12u);
  uint32_t previous_end = 0;
  for (const Token* token : tokens) {
    EXPECT_LT(token->begin, token->end) << token->literal;
    EXPECT_LE(previous_end, token->begin) << token->literal;
    EXPECT_TRUE(on_boundary(token->begin)) << token->literal;
    EXPECT_TRUE(on_boundary(token->end)) << token->literal;
    EXPECT_EQ(text.substr(token->begin, token->end - token->begin), token->literal);
    previous_end = token->end;
  }
}

TEST(Tokenizer, ForcedSpansMakeOneToken) {
  struct Case {
    std::string name;
    std::string text;
    std::vector<SpanMark> spans;
    std::string literals;
    // The flags of each token.
    std::vector<uint64_t> flags;
    // Spans left in the queue.
    size_t left;
  };
  const uint64_t kAbbrev = token_flags::abbreviation_range;
  const uint64_t kHeader = token_flags::header_range;
  const Case cases[] = {
      {"abbreviation", "see e.g. this", {{4, 8, SpanMark::kAbbreviation}},
       "see | e.g. | this", {0, kAbbrev, 0}, 0},
      {"without the span", "see e.g. this", {}, "see | e.g | . | this", {0, 0, 0, 0}, 0},
      {"header prefix", "1. Intro", {{0, 2, SpanMark::kHeaderPrefix}}, "1. | Intro",
       {kHeader, 0}, 0},
      {"both kinds", "e.g. x", {{0, 4, SpanMark::kAbbreviation | SpanMark::kHeaderPrefix}},
       "e.g. | x", {kAbbrev | kHeader, 0}, 0},
      {"span over one piece", "a b", {{2, 3, SpanMark::kAbbreviation}}, "a | b",
       {0, kAbbrev}, 0},
      // White space inside a span is kept in its token.
      {"span with a space", "siehe z. B. dort", {{6, 11, SpanMark::kAbbreviation}},
       "siehe | z. B. | dort", {0, kAbbrev, 0}, 0},
      // A span that begins inside a token is dropped at the next one.
      {"begins inside a token", "see e.g. this", {{1, 6, SpanMark::kAbbreviation}},
       "see | e.g | . | this", {0, 0, 0, 0}, 0},
      // A span of a later sentence waits for it.
      {"later sentence", "see e.g", {{40, 44, SpanMark::kAbbreviation}}, "see | e.g",
       {0, 0}, 1},
      // A span running past the end of the sentence loses no text.
      {"past the end", "see e.g", {{4, 12, SpanMark::kAbbreviation}}, "see | e.g",
       {0, 0}, 1},
  };
  auto language = make_language(kPlainRules, {}, "", "{}");
  for (const Case& c : cases) {
    TokenizedDocument document(language, c.text);
    for (const SpanMark& span : c.spans) document.blackboard().spans.push_back(span);
    ASSERT_TRUE(document.add_sentence()) << c.name;
    EXPECT_EQ(document.literals(), c.literals) << c.name;
    std::vector<uint64_t> flags;
    for (const Token* token : document.tokens()) flags.push_back(token->flags & (kAbbrev | kHeader));
    EXPECT_EQ(flags, c.flags) << c.name;
    EXPECT_EQ(document.blackboard().spans.size(), c.left) << c.name;
  }
}

TEST(Tokenizer, RuleStatusGivesReadingsPropertiesAndFlags) {
  struct Case {
    int32_t status;
    std::vector<std::pair<int32_t, std::string>> language_rows;
    std::string readings;
    std::string properties;
    uint64_t token_flags;
    uint64_t sentence_flags;
  };
  const Case cases[] = {
      {100, {}, "Num:w0rd", "alphanum,nf", 0, 0},
      {510, {}, "", "abbrev,alphanum,nf", 0, 0},
      {600, {}, "Prop-Std:w0rd", "alphanum,nf", 0, 0},
      {700, {}, "Num:w0rd", "_not_a_noun_,alphanum,measure,nf", 0, 0},
      // A language row after the built-in ones takes the reading back.
      {700, {{700, "-Num"}}, "", "_not_a_noun_,alphanum,measure,nf", 0, 0},
      {501, {{501, "-Punct-Comma"}}, "Punct-Sent:w0rd", "alphanum,nf", token_flags::skip_lookup, 0},
      {506, {}, "Punct-Line:w0rd", "alphanum,nf", token_flags::skip_lookup, 0},
      {512, {}, "", "alphanum,markup,nf", token_flags::markup, 0},
      {513, {}, "Punct-Quote:w0rd", "alphanum,nf", token_flags::apostrophe,
       sentence_flags::has_apostrophe},
      {2000, {{2000, "hashtag"}}, "", "alphanum,hashtag,nf,tag", token_flags::property_lookup, 0},
      {2500, {{2500, "+Nn-Std"}}, "Nn-Std:w0rd", "alphanum,nf", token_flags::property_lookup, 0},
      {3500, {{3500, "code"}}, "", "alphanum,code,nf", token_flags::skip_lookup, 0},
      // Flags come with rows only: a status without rows sets none.
      {3000, {}, "", "alphanum,nf,prop_3000", 0, 0},
      {1234, {}, "", "alphanum,nf,prop_1234", 0, 0},
      {999, {}, "", "alphanum,nf", 0, 0},
  };
  for (const Case& c : cases) {
    const std::string rules =
        "$Space = [\\p{White_Space}]; $Space+; [a-z0-9]+ {" + std::to_string(c.status) + "};";
    TokenizedDocument document(make_language(rules, c.language_rows), "w0rd");
    ASSERT_TRUE(document.add_sentence()) << c.status;
    ASSERT_EQ(document.tokens().size(), 1u) << c.status;
    const Token& token = *document.tokens()[0];
    EXPECT_EQ(readings_of(token), c.readings) << c.status;
    EXPECT_EQ(properties_of(token), c.properties) << c.status;
    EXPECT_EQ(token.flags, c.token_flags) << c.status;
    EXPECT_EQ(document.sentences().back()->flags, c.sentence_flags) << c.status;
  }
}

TEST(Tokenizer, FullStopAtAMarkedOffsetIsPlainPunctuation) {
  TokenizedDocument document(make_language(kPlainRules), "Hi. Yes.");
  document.blackboard().punct_offsets = {3};
  ASSERT_TRUE(document.add_sentence());
  const std::vector<Token*> tokens = document.tokens();
  ASSERT_EQ(document.literals(), "Hi | . | Yes | .");
  EXPECT_EQ(readings_of(*tokens[1]), "Punct:.");
  EXPECT_EQ(tokens[1]->flags, 0u);
  EXPECT_EQ(readings_of(*tokens[3]), "Punct-Sent:.");
}

TEST(Tokenizer, UrlRuleGivesTheAddressAsStem) {
  const char rules[] = R"(
$Space = [\p{White_Space}];
$Space+;
'http' 's'? '://' [^$Space]+ {621};
[a-z]+ {200};
)";
  TokenizedDocument document(make_language(rules), "at https://example.com/a/b?c=d now");
  ASSERT_TRUE(document.add_sentence());
  ASSERT_EQ(document.literals(), "at | https://example.com/a/b?c=d | now");
  const Token& url = *document.tokens()[1];
  EXPECT_EQ(readings_of(url), "Url:https://example.com@100");
  EXPECT_EQ(properties_of(url), "internet");
  EXPECT_EQ(url.flags, token_flags::readings_final);
}

// With a locale's word iterator no rule status is read: tokens get no tags,
// but the pieces of a URL are joined.
TEST(Tokenizer, LocaleIteratorJoinsUrlPieces) {
  auto language = make_language(kPlainRules, {}, "", R"({"tokenizer_locale": "en"})");
  struct Case {
    std::string text;
    std::string literals;
    // The URL token's offsets.
    uint32_t begin;
    uint32_t end;
    std::string stem;
  };
  const Case cases[] = {
      // The URL ends before the white space after it.
      {"see http://example.com/a/b now", "see | http://example.com/a/b | now", 4, 26,
       "http://example.com"},
      // A URL that runs to the end of the sentence is kept.
      {"visit https://example.org/x", "visit | https://example.org/x", 6, 27,
       "https://example.org"},
      {"go http://x", "go | http://x", 3, 11, "http://x"},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(language, c.text);
    ASSERT_TRUE(document.add_sentence()) << c.text;
    EXPECT_EQ(document.literals(), c.literals) << c.text;
    const std::vector<Token*> tokens = document.tokens();
    ASSERT_GE(tokens.size(), 2u) << c.text;
    const Token& url = *tokens[1];
    EXPECT_EQ(url.begin, c.begin) << c.text;
    EXPECT_EQ(url.end, c.end) << c.text;
    EXPECT_EQ(readings_of(url), "Url:" + c.stem + "@100") << c.text;
    EXPECT_EQ(properties_of(url), "internet") << c.text;
    EXPECT_EQ(url.flags, token_flags::readings_final) << c.text;
    EXPECT_EQ(readings_of(*tokens[0]), "") << c.text;
  }

  TokenizedDocument words(language, "Hello, world.");
  ASSERT_TRUE(words.add_sentence());
  EXPECT_EQ(words.literals(), "Hello | , | world | .");
  for (const Token* token : words.tokens()) {
    EXPECT_EQ(readings_of(*token), "") << token->literal;
    EXPECT_EQ(token->flags, 0u) << token->literal;
  }
}

// Without a rule for addresses, a rule-based iterator cuts a URL into
// pieces; they are joined all the same.
TEST(Tokenizer, RuleIteratorJoinsUrlPiecesToo) {
  struct Case {
    std::string text;
    std::string literals;
  };
  const Case cases[] = {
      {"see http://a.example/b/c now", "see | http://a.example/b/c | now"},
      {"see https://a.example", "see | https://a.example"},
      {"http://a.example/", "http://a.example/"},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(make_language(kPlainRules), c.text);
    ASSERT_TRUE(document.add_sentence()) << c.text;
    EXPECT_EQ(document.literals(), c.literals) << c.text;
    for (const Token* token : document.tokens()) {
      EXPECT_EQ(c.text.substr(token->begin, token->end - token->begin), token->literal);
    }
  }
}

TEST(Tokenizer, BadUtf8MakesNoToken) {
  TokenizedDocument document(english(), "ok \xC3 no");
  EXPECT_THROW(document.add_sentence(), utf8::exception);
  EXPECT_TRUE(document.sentences().back()->annotations.empty());
}

TEST(Tokenizer, NeedsASentenceAndAnIterator) {
  TokenizedDocument document(english(), "text");
  icu::UnicodeString text("text");
  // The document list does not end with a sentence.
  EXPECT_THROW(tokenize(document.blackboard(), text, nullptr), Exception);

  TokenizedDocument unbound(nullptr, "text");
  unbound.blackboard().annotations->push_back(new Sentence(0, 4));
  EXPECT_THROW(tokenize(unbound.blackboard(), text, nullptr), Exception);
}

TEST(Tokenizer, WithoutATableUtf16OffsetsAreByteOffsets) {
  TokenizedDocument document(english(), "");
  document.blackboard().annotations->push_back(new Sentence(100, 111));
  ASSERT_TRUE(tokenize(document.blackboard(), icu::UnicodeString("ab cd"), nullptr));
  const std::vector<Token*> tokens = document.tokens();
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0]->begin, 100u);
  EXPECT_EQ(tokens[1]->begin, 103u);
  EXPECT_EQ(tokens[1]->end, 105u);
}

TEST(Tokenizer, SubstringDataAndSpaceSections) {
  const icu::UnicodeString text =
      icu::UnicodeString::fromUTF8("Cafe\xCC\x81 \xE2\x80\x98x\xE2\x80\x99 \xE2\x80\x93 \xEF\xAC\x81");
  std::string out;
  get_substring_data(text, 0, 5).toUTF8String(out);
  EXPECT_EQ(out, "Caf\xC3\xA9");
  out.clear();
  get_substring_data(text, 6, 3).toUTF8String(out);
  EXPECT_EQ(out, "'x'");
  out.clear();
  get_substring_data(text, 10, 1).toUTF8String(out);
  EXPECT_EQ(out, "-");
  // Composition runs only over text with a combining mark: a ligature stays.
  out.clear();
  get_substring_data(text, 12, 1).toUTF8String(out);
  EXPECT_EQ(out, "\xEF\xAC\x81");

  const icu::UnicodeString spaced = icu::UnicodeString::fromUTF8("a \t\n\xE2\x80\x83" "b");
  EXPECT_TRUE(is_space_section(1, 5, spaced));
  EXPECT_TRUE(is_space_section(2, 2, spaced));
  EXPECT_FALSE(is_space_section(0, 2, spaced));
  EXPECT_FALSE(is_space_section(4, 6, spaced));
}

TEST(Tokenizer, PunctuationByTheIteratorsStatus) {
  TokenizedDocument document(english(), "");
  TokenizerFacade& facade = *document.blackboard().tokenizer;
  facade.set_text(icu::UnicodeString("word,"));
  icu::RuleBasedBreakIterator* iterator = facade.rule_iterator();
  ASSERT_NE(iterator, nullptr);
  iterator->first();
  iterator->next();
  EXPECT_FALSE(is_punctuation(document.blackboard(), iterator));
  iterator->next();
  EXPECT_TRUE(is_punctuation(document.blackboard(), iterator));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
