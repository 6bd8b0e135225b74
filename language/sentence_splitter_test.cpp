#include "language/sentence_splitter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/exception.h"
#include "base/options.h"
#include "base/regex.h"
#include "language/language_module.h"
#include "language/runtime_log_testutil.h"
#include "language/sentence_characters.h"
#include "language/token_flags.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using nlohmann::json;

std::shared_ptr<LanguageModule> module_with(const json& config) {
  auto module = std::make_shared<LanguageModule>();
  module->module_data = std::make_shared<LanguageModuleData>("made.language");
  module->module_data->config_json = std::make_shared<json>(config);
  return module;
}

// A document of an analyzer with the analyzer options and the language
// (may be null), with its own document options.
struct Document {
  explicit Document(const json& document_options = json::object(),
                    const json& analyzer_options = json::object(),
                    std::shared_ptr<LanguageModule> language = nullptr)
      : handle(nullptr, std::move(language),
               std::make_shared<Options>(analyzer_options.dump().c_str())),
        blackboard(&handle,
                   std::make_shared<Options>(document_options.dump().c_str()),
                   nullptr, 0) {}

  const Analyzer& analyzer() const { return *handle.analyzer; }

  api::Analyzer handle;
  Blackboard blackboard;
};

// Keeps the sentences of a split as texts, read from the text as it is
// when the sentence is handed over.
class RecordingSink : public SentenceSink {
 public:
  void sentence(const char* text, const char* begin, const char* end) override {
    ranges.emplace_back(begin - text, end - text);
    texts.emplace_back(begin, end);
  }
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> ranges;
  std::vector<std::string> texts;
};

// The queued spans as "text/kind", read from the blackboard's text.
std::vector<std::string> spans_of(const Blackboard& blackboard) {
  std::vector<std::string> spans;
  for (const SpanMark& span : blackboard.spans) {
    spans.push_back(blackboard.text.substr(span.begin, span.end - span.begin) +
                    "/" + std::to_string(span.kind));
  }
  return spans;
}

std::string repeat(const std::string& unit, int times,
                   const std::string& separator = "") {
  std::string text;
  for (int i = 0; i < times; ++i) {
    if (i > 0) text += separator;
    text += unit;
  }
  return text;
}

constexpr char kAbbreviations[] = R"(Dr\.|Mr\.|e\.g\.|iv\.)";

struct SplitCase {
  const char* name;
  std::string text;
  // The document option "sentyziser"; absent when null.
  const char* sentyziser;
  std::vector<std::string> sentences;
  std::vector<std::string> spans;
  // Extra settings.
  bool abbreviations = false;
  bool resolve_hyphen = true;
  // The whole error message; empty when the split succeeds.
  std::string error = "";
  // The text after the split when a join changed it.
  std::optional<std::string> joined = std::nullopt;
  // A line the split logs.
  std::string log = "";
};

const std::string kFiveLines = "a\nb\nc\nd\ne";
const std::string kWordsAndBlanks = repeat("abcd", 600, " ");

TEST(SentenceSplitter, CutsTheSampleTexts) {
  const std::vector<SplitCase> cases = {
      {"empty", "", nullptr, {}, {}},
      {"white space only", " \n\t \r\n ", nullptr, {}, {}},
      {"two sentences", "One. Two.", nullptr, {"One.", "Two."}, {}},
      {"a decimal number", "It costs 3.5 euros.", nullptr,
       {"It costs 3.5 euros."}, {}},
      {"a year before a capital", "In 2019. Then", nullptr,
       {"In 2019.", "Then"}, {}},
      {"no blank after the full stop", "He left.The door closed.", nullptr,
       {"He left.", "The door closed."}, {}},
      {"a known abbreviation", "Dr. Smith came.", nullptr,
       {"Dr. Smith came."}, {"Dr./1"}, true},
      {"a known abbreviation after one leading blank", " Dr. Smith came.",
       nullptr, {"Dr. Smith came."}, {"Dr./1"}, true},
      {"an unknown abbreviation", "Dr. Smith came.", nullptr,
       {"Dr.", "Smith came."}, {}},
      {"an abbreviation of two full stops", "See e.g. this one.", nullptr,
       {"See e.g. this one."}, {"e.g./1"}, true},
      {"question and exclamation marks", "Really?! Yes.", nullptr,
       {"Really?!", "Yes."}, {}},
      {"a question mark without a blank", "Why?Because.", nullptr,
       {"Why?", "Because."}, {}},
      {"an opening quotation mark", "He said. \u201CGo home\u201D", nullptr,
       {"He said. \u201CGo home\u201D"}, {}},
      {"an ellipsis", "One\u2026 Two", nullptr, {"One\u2026", "Two"}, {}},
      {"an inverted mark after a word", "a.b\u00A1Hola", nullptr,
       {"a.b", "\u00A1Hola"}, {}},
      {"five lines, line limit 3 by default", kFiveLines, nullptr,
       {"a\nb\nc\nd", "e"}, {}},
      {"five lines, line limit 3", kFiveLines, "3", {"a\nb\nc\nd", "e"}, {}},
      {"five lines, line limit 1", kFiveLines, "1",
       {"a\nb", "c\nd", "e"}, {}},
      {"five lines, line limit 0", kFiveLines, "0",
       {"a", "b", "c", "d", "e"}, {}},
      {"five lines, a line limit that is no number", kFiveLines, "abc",
       {"a\nb\nc\nd", "e"}, {}, false, true, "", std::nullopt,
       "ERROR Cannot convert option to int:abc"},
      {"five lines, a line limit out of range", kFiveLines, "99999999999",
       {}, {}, false, true, "Could not process document: stoi"},
      {"a blank line", "a\n\nb", nullptr, {"a", "b"}, {}},
      {"carriage return and line feed", "a\r\nb", nullptr, {"a", "b"}, {}},
      {"line feed and carriage return", "a\n\rb", nullptr, {"a\n\rb"}, {}},
      {"a word split at a line end", "inter-\nnational law", nullptr,
       {"international   law"}, {}, false, true, "",
       "international   law"},
      {"a double hyphen", "well--\nknown", nullptr, {"well--\nknown"}, {}},
      {"a capital after the hyphen", "inter-\nNational", nullptr,
       {"inter-\nNational"}, {}},
      {"hyphen joining off", "inter-\nnational law", nullptr,
       {"inter-\nnational law"}, {}, false, false},
      // The joined word takes the first character after its letters along;
      // blanks fill the rest of the continuation's old place.
      {"a joined word before a full stop", "inter-\nnational.", nullptr,
       {"international.  "}, {}, false, true, "", "international.  "},
      {"blanks between the hyphen and the line break", "inter- \t\nnational",
       nullptr, {"international    "}, {}, false, true, "",
       "international    "},
      {"a carriage return and a line feed after the hyphen",
       "inter-\r\nnational", nullptr, {"international   "}, {}, false, true,
       "", "international   "},
      {"three line feeds after the hyphen", "inter-\n\n\nnational", nullptr,
       {"international    "}, {}, false, true, "", "international    "},
      {"four line feeds after the hyphen", "inter-\n\n\n\nnational", nullptr,
       {"inter-", "national"}, {}},
      {"a hyphen at the line end of the text's end", "inter-\n", nullptr,
       {"inter-\n"}, {}},
      {"a hyphen that is the first byte of the text", "-\nnational", nullptr,
       {"-\nnational"}, {}},
      {"a hyphen after a first byte that is a hyphen", "--\nnational", nullptr,
       {"-national  "}, {}, false, true, "", "-national  "},
      {"a numbered header", "Intro\n1. Scope", nullptr,
       {"Intro\n", "1. Scope"}, {"1./2"}},
      {"a header prefix that is an abbreviation", "Intro\niv. Scope",
       nullptr, {"Intro\n", "iv. Scope"}, {"iv./3"}, true},
      {"a heading", "## Results\nText follows", nullptr,
       {"## Results", "Text follows"}, {"##/2"}},
      {"a hashtag", "#hashtag text", nullptr, {"#hashtag text"}, {}},
      {"a heading indented by four blanks", "    # Title\nText", nullptr,
       {"# Title\nText"}, {}},
      {"a lettered item", "a) First item\nmore", nullptr,
       {"a) First item", "more"}, {"a)/2"}},
      {"a parenthesis before a capitalised line", "See (a)\nBig news",
       nullptr, {"See (a)", "Big news"}, {}},
      {"field lines", "Subject: Hello\nFrom: Me\nBody text", nullptr,
       {"Subject: Hello", "From: Me", "Body text"}, {}},
      {"a field name of 59 bytes", repeat("n", 59) + ": v\nBody", nullptr,
       {repeat("n", 59) + ": v", "Body"}, {}},
      {"a field name of 60 bytes", repeat("n", 60) + ": v\nBody", nullptr,
       {repeat("n", 60) + ": v\nBody"}, {}},
      {"a field value of 78 bytes", "Name: " + repeat("v", 78) + "\nBody",
       nullptr, {"Name: " + repeat("v", 78), "Body"}, {}},
      {"a field value of 79 bytes", "Name: " + repeat("v", 79) + "\nBody",
       nullptr, {"Name: " + repeat("v", 79) + "\nBody"}, {}},
      {"bullet lines", "Items:\n- one\n- two", nullptr,
       {"Items:", "- one", "- two"}, {}},
      {"a double dash is no bullet", "Items:\n-- one", nullptr,
       {"Items:\n-- one"}, {}},
      {"a code block", "```\ncode\nmore\n```\nafter", nullptr,
       {"```", "code", "more", "```\nafter"}, {}},
      {"words and blanks past 1024 bytes", kWordsAndBlanks, nullptr,
       {kWordsAndBlanks.substr(0, 1029), kWordsAndBlanks.substr(1030, 1029),
        kWordsAndBlanks.substr(2060)},
       {}},
      {"one word past 2048 bytes", repeat("a", 5000), nullptr,
       {repeat("a", 2049), repeat("a", 2049), repeat("a", 902)}, {}},
      {"the last sentence keeps trailing blanks", "One. Two.  ", nullptr,
       {"One.", "Two.  "}, {}},
      {"a letter whose last byte reads as a blank", "voil\u00E0\nNext", "0",
       {"voil\u00E0", "Next"}, {}},
      {"invalid UTF-8", "Hello. W\xFFrld", nullptr, {"Hello."}, {}, false,
       true, "Could not process document: Invalid UTF-8"},
      {"truncated UTF-8", "Hello. W\xC3", nullptr, {"Hello."}, {}, false,
       true, "Could not process document: Not enough space"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    json document_options = json::object();
    if (c.sentyziser != nullptr) document_options["sentyziser"] = c.sentyziser;
    Document document(document_options,
                      {{"resolve_hyphen", c.resolve_hyphen ? "true" : "false"}});
    if (c.abbreviations) document.blackboard.abbreviations = Regex(kAbbreviations, false);
    RecordingSink sink;
    testing::RuntimeLog log;
    std::string error;
    try {
      split_document(document.analyzer(), document.blackboard, c.text.data(),
                     c.text.size(), sink);
    } catch (const Exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(sink.texts, c.sentences);
    // Each sentence begins where its text first occurs after the end of the
    // sentence before it, so the ranges are pinned, not only the texts.
    const std::string& joined = c.error.empty() ? document.blackboard.text : c.text;
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> ranges;
    std::ptrdiff_t after = 0;
    for (const std::string& sentence : c.sentences) {
      const size_t found = joined.find(sentence, static_cast<size_t>(after));
      ASSERT_NE(found, std::string::npos) << sentence;
      after = static_cast<std::ptrdiff_t>(found + sentence.size());
      ranges.emplace_back(static_cast<std::ptrdiff_t>(found), after);
    }
    EXPECT_EQ(sink.ranges, ranges);
    EXPECT_EQ(spans_of(document.blackboard), c.spans);
    if (c.error.empty()) {
      EXPECT_EQ(document.blackboard.text, c.joined.value_or(c.text));
    }
    if (!c.log.empty()) {
      EXPECT_EQ(log.lines(), std::vector<std::string>{c.log});
    }
  }
}

TEST(SentenceSplitter, SentenceRangesAreByteOffsetsOfTheText) {
  Document document;
  RecordingSink sink;
  const std::string text = "  Intro\n1. Scope \u00E9t\u00E9.  Next";
  split_document(document.analyzer(), document.blackboard, text.data(),
                 text.size(), sink);
  using Range = std::pair<std::ptrdiff_t, std::ptrdiff_t>;
  EXPECT_EQ(sink.ranges,
            (std::vector<Range>{{2, 8}, {8, 23}, {25, 29}}));
  ASSERT_EQ(document.blackboard.spans.size(), 1u);
  EXPECT_EQ(document.blackboard.spans[0].begin, 8u);
  EXPECT_EQ(document.blackboard.spans[0].end, 10u);
  EXPECT_EQ(document.blackboard.spans[0].kind, SpanMark::kHeaderPrefix);
}

TEST(SentenceSplitter, TheHyphenJoinRewritesOnlyTheBlackboardCopy) {
  const std::string callers = "An inter-\nnational law. Next";
  Document document;
  RecordingSink sink;
  split_document(document.analyzer(), document.blackboard, callers.data(),
                 callers.size(), sink);
  EXPECT_EQ(callers, "An inter-\nnational law. Next");
  EXPECT_EQ(document.blackboard.text, "An international   law. Next");
  EXPECT_EQ(document.blackboard.text_length, callers.size());
  EXPECT_EQ(sink.texts,
            (std::vector<std::string>{"An international   law.", "Next"}));

  // Given the blackboard's own copy, the splitter works on it in place.
  Document own;
  own.blackboard.text = callers;
  const char* buffer = own.blackboard.text.data();
  RecordingSink own_sink;
  split_document(own.analyzer(), own.blackboard, buffer, callers.size(),
                 own_sink);
  EXPECT_EQ(own.blackboard.text.data(), buffer);
  EXPECT_EQ(own.blackboard.text, "An international   law. Next");
}

TEST(SentenceSplitter, AHyphenBeforeACutIsNotJoinedIntoTheSentenceMadeAlready) {
  // A sentence of more than 1024 bytes is cut at the blank after the hyphen;
  // the hyphen then belongs to a sentence already handed over, whose text
  // must not change.
  const std::string line = repeat("x", 1020) + " inter- ";
  const std::string text = line + "\nnational";
  Document document;
  RecordingSink sink;
  split_document(document.analyzer(), document.blackboard, text.data(),
                 text.size(), sink);
  EXPECT_EQ(document.blackboard.text, text);
  ASSERT_EQ(sink.texts.size(), 2u);
  EXPECT_EQ(sink.texts[0], line.substr(0, line.size() - 1));
  EXPECT_EQ(sink.texts[1], "national");
}

TEST(SentenceSplitter, ThePartsOfALongWordNeverReachBackIntoTheSentenceBefore) {
  // A word that runs to the end of the text is cut every 2048 bytes; a
  // full stop later in it looks for its word start no further back than
  // the sentence start, so no span begins in a sentence made already.
  const std::string text = repeat("x", 3000) + "-Dr.";
  Document document;
  document.blackboard.abbreviations = Regex("[x-]+Dr\\.", false);
  RecordingSink sink;
  split_document(document.analyzer(), document.blackboard, text.data(),
                 text.size(), sink);
  ASSERT_EQ(sink.ranges.size(), 2u);
  EXPECT_EQ(sink.ranges[0].second, 2049);
  ASSERT_EQ(document.blackboard.spans.size(), 1u);
  EXPECT_EQ(document.blackboard.spans[0].begin, 2049u);
  EXPECT_EQ(document.blackboard.spans[0].end, 3004u);
}

TEST(SentenceSplitter, ErrorsOfTheSinkAreReportedAsDocumentErrors) {
  class FailingSink : public SentenceSink {
   public:
    void sentence(const char*, const char*, const char*) override {
      throw std::runtime_error("no tokens today");
    }
  } sink;
  Document document;
  const std::string text = "One. Two.";
  try {
    split_document(document.analyzer(), document.blackboard, text.data(),
                   text.size(), sink);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Could not process document: no tokens today");
  }
}

const std::shared_ptr<LanguageModule>& english() {
  static const std::shared_ptr<LanguageModule> module =
      testing::load_test_language(testing::test_language_folder().string());
  return module;
}

// A document of an analyzer of the test language, bound to it.
struct EnglishDocument : Document {
  explicit EnglishDocument(const json& document_options = json::object())
      : Document(document_options, json::object(), english()) {
    blackboard.set_languge_module(english());
  }
};

// The sentences of the document list as "begin-end: literal | literal".
std::vector<std::string> sentences_of(const Blackboard& blackboard) {
  std::vector<std::string> sentences;
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    auto* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    std::string line = std::to_string(sentence->begin) + "-" +
                       std::to_string(sentence->end) + ":";
    for (Token* token : testing::tokens_of(sentence->annotations)) {
      line += (line.back() == ':' ? " " : " | ") + token->literal;
    }
    sentences.push_back(line);
  }
  return sentences;
}

TEST(TextToAnnotations, MakesTokenizesAndIndexesTheSentences) {
  EnglishDocument document;
  const std::string text = "Dr. Smith came. He left.The door closed.";
  document.analyzer().text_to_annotations_v2(document.blackboard, text.data(),
                                             text.size());
  EXPECT_EQ(sentences_of(document.blackboard),
            (std::vector<std::string>{"0-15: Dr. | Smith | came | .",
                                      "16-24: He | left | .",
                                      "24-40: The | door | closed | ."}));
  // The abbreviation became one token; its span was taken.
  Token* doctor = testing::tokens_of(
      annotation_cast<Sentence>(document.blackboard.annotations->head)
          ->annotations)[0];
  EXPECT_NE(doctor->flags & token_flags::abbreviation_range, 0u);
  EXPECT_TRUE(document.blackboard.spans.empty());

  ASSERT_EQ(document.blackboard.sentences.size(), 3u);
  const std::vector<uint32_t> begins = {0, 16, 24};
  Annotation* sentence = document.blackboard.annotations->head;
  for (size_t i = 0; i < 3; ++i, sentence = sentence->next) {
    EXPECT_EQ(document.blackboard.sentences[i].first, begins[i]);
    EXPECT_EQ(document.blackboard.sentences[i].second.sentence, sentence);
  }
}

TEST(TextToAnnotations, DropsASentenceWithoutTokens) {
  // A figure space is no white space to the splitter, but the tokenizer
  // makes no token of it.
  EnglishDocument document;
  const std::string text = "One.\n\n\u2007\n\nTwo.";
  document.analyzer().text_to_annotations_v2(document.blackboard, text.data(),
                                             text.size());
  EXPECT_EQ(sentences_of(document.blackboard),
            (std::vector<std::string>{"0-4: One | .", "11-15: Two | ."}));
  ASSERT_EQ(document.blackboard.sentences.size(), 2u);
  EXPECT_EQ(document.blackboard.sentences[1].first, 11u);
}

TEST(TextToAnnotations, TokenizesTheJoinedWordOfTheBlackboardCopy) {
  EnglishDocument document;
  const std::string callers = "An inter-\nnational law.";
  document.analyzer().text_to_annotations_v2(document.blackboard,
                                             callers.data(), callers.size());
  EXPECT_EQ(callers, "An inter-\nnational law.");
  EXPECT_EQ(sentences_of(document.blackboard),
            (std::vector<std::string>{"0-23: An | international | law | ."}));
}

TEST(TextToAnnotations, KeepsTheSentencesMadeBeforeAFailure) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"One. Tw\xFFo.", "Could not process document: Invalid UTF-8"},
      {"One. Two\xE2\x80", "Could not process document: Not enough space"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(message);
    EnglishDocument document;
    try {
      document.analyzer().text_to_annotations_v2(document.blackboard,
                                                 text.data(), text.size());
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(sentences_of(document.blackboard),
              std::vector<std::string>{"0-4: One | ."});
    EXPECT_EQ(document.blackboard.sentences.size(), 1u);
  }
}

TEST(TextToAnnotations, ReportsTokenizerErrorsAndLeavesNoHalfMadeSentence) {
  // Without a bound language there is no tokenizer.
  Document document;
  const std::string text = "One. Two.";
  try {
    document.analyzer().text_to_annotations_v2(document.blackboard,
                                               text.data(), text.size());
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(),
                 "Could not process document: Cannot tokenize: the document "
                 "has no tokenizer (no language is bound).");
  }
  EXPECT_TRUE(document.blackboard.annotations->empty());
  EXPECT_TRUE(document.blackboard.sentences.empty());
}

TEST(SentenceSplitter, ReadsTheLineLimitFromTheFirstField) {
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"", 3}, {"5", 5}, {" 7,x", 7}, {"2abc", 2}, {"-1", -1}, {"0,9", 0},
  };
  for (const auto& [value, limit] : cases) {
    testing::RuntimeLog log;
    EXPECT_EQ(sentence_line_limit(value), limit) << value;
    EXPECT_TRUE(log.lines().empty()) << value;
  }
  for (const std::string value : {"abc", ",4"}) {
    testing::RuntimeLog log;
    EXPECT_EQ(sentence_line_limit(value), 3) << value;
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"ERROR Cannot convert option to int:" +
                                       value.substr(0, value.find(','))});
  }
  EXPECT_THROW(sentence_line_limit("99999999999"), std::out_of_range);
}

TEST(SentenceSplitter, FindsOptionsInTheDocumentTheAnalyzerAndTheLanguage) {
  struct Case {
    const char* name;
    json document_options;
    json analyzer_options;
    std::shared_ptr<LanguageModule> language;
    std::string sentyziser;
    std::string locale;
  };
  const json both = {{"sentyziser", "7"}, {"tokenizer_locale", "de_DE"}};
  const std::vector<Case> cases = {
      {"nothing anywhere", json::object(), json::object(), nullptr, "3", ""},
      {"a language without the keys", json::object(), json::object(),
       module_with(json::object()), "", ""},
      {"a language without data", json::object(), json::object(),
       std::make_shared<LanguageModule>(), "3", ""},
      {"the language", json::object(), json::object(), module_with(both), "7",
       "de_DE"},
      {"the analyzer before the language", json::object(),
       {{"sentyziser", "icu"}, {"tokenizer_locale", "fr_FR"}},
       module_with(both), "icu", "fr_FR"},
      {"the document before the analyzer",
       {{"sentyziser", "1"}, {"tokenizer_locale", "en_GB"}},
       {{"sentyziser", "icu"}, {"tokenizer_locale", "fr_FR"}},
       module_with(both), "1", "en_GB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document document(c.document_options, c.analyzer_options, c.language);
    EXPECT_EQ(document.analyzer().get_sentyziser_option(document.blackboard),
              c.sentyziser);
    EXPECT_EQ(document.analyzer().get_tokenizer_locale(document.blackboard),
              c.locale);
  }

  Document numbers(json::object(), json::object(),
                   module_with({{"sentyziser", 3}, {"tokenizer_locale", 4}}));
  // Numbers read as their texts, as option values do.
  EXPECT_EQ(numbers.analyzer().get_sentyziser_option(numbers.blackboard), "3");
  EXPECT_EQ(numbers.analyzer().get_tokenizer_locale(numbers.blackboard), "4");
}

TEST(SentenceSplitter, FindsTheEndOfAHeaderLine) {
  struct Case {
    std::string text;
    bool found;
    // Where the header ends; -1 for the end of the text.
    std::ptrdiff_t end;
  };
  const std::vector<Case> cases = {
      {"Title\nText", true, 5},
      {"Title\r\nText", true, 5},
      {"Chapter. Text", true, 8},
      {"Chapter.\nText", true, 8},
      {"Chapter.x y", true, -1},
      {"A b. c", true, -1},  // a full stop before the seventh character
      {"A title", true, -1},
      {"Chapter.", true, -1},
      {std::string(100, 'x'), true, -1},
      {std::string(100, 'x') + "\n", true, 100},
      {std::string(101, 'x') + "\n", false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const char* first = c.text.data();
    const char* last = first + c.text.size();
    const std::pair<bool, const char*> end = find_end_of_header(first, last);
    EXPECT_EQ(end.first, c.found);
    EXPECT_EQ(end.second, c.end < 0 ? last : first + c.end);
  }
}

TEST(SentenceSplitter, TellsWhetherALineFeedLiesBeforeTheNextSentence) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},           {" \t ", false},     {" \n Next", true},
      {"\r\n", true},        {"\rNext", false},   {"  Next\n", false},
      {"\u00A0\nNext", true},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(has_crlf_until_next_sentence_condition(
                  text.data(), text.data() + text.size()),
              expected)
        << text;
  }
}

TEST(SentenceCharacters, HeaderEndsAndTokenDelimiters) {
  // ")" ends a header; other punctuation and white space do not; anything
  // else does.
  EXPECT_TRUE(header_end(')'));
  EXPECT_FALSE(header_end('('));
  EXPECT_FALSE(header_end('.'));
  EXPECT_FALSE(header_end(' '));
  EXPECT_FALSE(header_end('\n'));
  EXPECT_TRUE(header_end('a'));
  EXPECT_TRUE(header_end('7'));
  EXPECT_TRUE(header_end('+'));  // a symbol, not punctuation

  for (const unsigned int c :
       std::vector<unsigned int>{' ', '\t', '.', ',', '!', 0xA1, 0xBF, 0x2026}) {
    EXPECT_TRUE(token_delimiter(c)) << c;
  }
  for (const unsigned int c : std::vector<unsigned int>{'a', '7', '+', 0xE9}) {
    EXPECT_FALSE(token_delimiter(c)) << c;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
