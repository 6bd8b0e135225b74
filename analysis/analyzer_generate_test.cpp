// Analyzer::generate end to end with the test language: the order of the
// steps, the plugin hooks around them, the input types and the errors.

#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/tokenizer_testutil.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPlugin;
using Strings = std::vector<std::string>;

// One engine over the test language for every test, with a scripted plugin
// "test" in its collection; each test starts it afresh with Reset().
struct TestEngine {
  TestEngine() {
    const fs::path morvik = fs::weakly_canonical(fs::path(KAVERO_BINARY_DIR) / "testdata" /
                                                 "language" / "morvik");
    engine = std::make_shared<Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", morvik.parent_path().string()},
                       {"morvik", morvik.string()}}
            .dump()));
    english = engine->get_language_module("english");
    auto scripted = boost::make_shared<ScriptedPlugin>();
    plugin = scripted.get();
    engine->get_plugins()->plugins["test"] = scripted;
  }
  std::shared_ptr<Engine> engine;
  std::shared_ptr<LanguageModule> english;
  ScriptedPlugin* plugin;
};

TestEngine& test_engine() {
  static TestEngine* shared = new TestEngine();
  shared->plugin->calls.clear();
  shared->plugin->freed.clear();
  shared->plugin->answer = nullptr;
  return *shared;
}

std::unique_ptr<Blackboard> english_document(const std::string& document_options = "{}",
                                             const std::string& analyzer_options = "{}") {
  TestEngine& e = test_engine();
  return testing::make_blackboard(document_options, analyzer_options, e.engine, e.english);
}

bool generate(Blackboard& blackboard, const std::string& text) {
  return blackboard.analyzer->generate(blackboard, text.data(), text.size());
}

std::vector<Sentence*> sentences_of(const Blackboard& blackboard) {
  std::vector<Sentence*> out;
  for (Annotation* a : *blackboard.annotations) {
    if (auto* sentence = annotation_cast<Sentence>(a)) out.push_back(sentence);
  }
  return out;
}

// "literal readings" of every token of the document, the readings as
// testing::readings_of writes them.
Strings tokens_of(const Blackboard& blackboard) {
  Strings out;
  for (Sentence* sentence : sentences_of(blackboard)) {
    for (Token* token : testing::tokens_of(sentence->annotations)) {
      out.push_back(token->literal + " " + testing::readings_of(*token));
    }
  }
  return out;
}

std::string message_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

Strings operations_of(const ScriptedPlugin& plugin) {
  Strings out;
  for (const ScriptedPlugin::Call& call : plugin.calls) out.push_back(call.operation);
  return out;
}

constexpr char kHooks[] =
    R"({"open_document": "::test::doc::open", "close_document": "::test::doc::close")";

TEST(Generate, TheDogRunsIsOneSentenceOfFourTaggedTokens) {
  struct Case {
    const char* name;
    std::string document_options;
    std::string analyzer_options;
    Strings tokens;
  } const cases[] = {
      {"tagged", "{}", "{}",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run@0.5", ". Punct-Sent:."}},
      {"no tagger by the document", R"({"hmm": "false"})", "{}",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs Nn-Pl:run@0.5 | V-Pres-3-Sg:run@0.5",
        ". Punct-Sent:."}},
      {"no tagger by the analyzer", "{}", R"({"hmm": "false"})",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs Nn-Pl:run@0.5 | V-Pres-3-Sg:run@0.5",
        ". Punct-Sent:."}},
      {"the document's word goes first", R"({"hmm": "true"})", R"({"hmm": "false"})",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run@0.5", ". Punct-Sent:."}},
      {"input type text", R"({"input_type": "text"})", "{}",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run@0.5", ". Punct-Sent:."}},
      {"an input type of the analyzer options is not read", "{}",
       R"({"input_type": "document"})",
       {"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run@0.5", ". Punct-Sent:."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<Blackboard> blackboard =
        english_document(c.document_options, c.analyzer_options);
    std::string text = "The dog runs.";
    EXPECT_TRUE(generate(*blackboard, text));
    // The blackboard works on its own copy.
    text.assign(text.size(), 'x');
    EXPECT_EQ(blackboard->text, "The dog runs.");
    EXPECT_EQ(blackboard->text_length, 13u);
    ASSERT_NE(blackboard->offset_table, nullptr);
    const std::vector<Sentence*> sentences = sentences_of(*blackboard);
    ASSERT_EQ(sentences.size(), 1u);
    EXPECT_EQ(sentences[0]->begin, 0u);
    EXPECT_EQ(sentences[0]->end, 13u);
    ASSERT_EQ(blackboard->sentences.size(), 1u);
    EXPECT_EQ(blackboard->sentences[0].first, 0u);
    EXPECT_EQ(tokens_of(*blackboard), c.tokens);
  }
}

TEST(Generate, PrintsTheDocumentWithTheDebugFlag) {
  std::unique_ptr<Blackboard> blackboard =
      english_document("{}", R"({"dbg": "print_annotations"})");
  ::testing::internal::CaptureStdout();
  generate(*blackboard, "The dog runs.");
  const std::string printed = ::testing::internal::GetCapturedStdout();
  // The tagger keeps the verb reading with the weight the lookup gave it.
  EXPECT_EQ(printed,
            "Sentence:(0,13)\n"
            " c(0,13):Sentence { \n"
            "  t(0,3) The\n"
            "\tthe:Det-Def(1048589),r=1 @(init-cap, init-token, word, )\n"
            "  t(4,7) dog\n"
            "\tdog:Nn-Sg(2097162),r=1 @(word, )\n"
            "  t(8,12) runs\n"
            "\trun:V-Pres-3-Sg(268435490),r=0.5 @(word, )\n"
            "  t(12,13) .\n"
            "\t.:Punct-Sent(134217735),r=1 @(sentence-end, )\n"
            " e(13,13): }:Sentence\n"
            " eos(13,13):\n");

  std::unique_ptr<Blackboard> quiet = english_document();
  ::testing::internal::CaptureStdout();
  generate(*quiet, "The dog runs.");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(Generate, HooksOpenBeforeTheTextIsReadAndCloseAfterTagging) {
  std::unique_ptr<Blackboard> blackboard = english_document(std::string(kHooks) + "}");
  TestEngine& e = test_engine();
  Strings seen;
  // Nothing to show before the text is read.
  e.plugin->answer = [&](const ScriptedPlugin::Call& call) {
    const Strings tokens = tokens_of(*blackboard);
    seen.push_back(call.operation + ": " + std::to_string(tokens.size()) + " tokens" +
                   (tokens.size() > 2 ? ", " + tokens[2] : ""));
    return std::optional<std::string>();
  };
  EXPECT_TRUE(generate(*blackboard, "The dog runs."));
  EXPECT_EQ(seen, (Strings{"open_document: 0 tokens",
                           "close_document: 4 tokens, runs V-Pres-3-Sg:run@0.5"}));
}

TEST(Generate, ARefusedDocumentIsLeftAlone) {
  TestEngine& e = test_engine();
  std::unique_ptr<Blackboard> blackboard = english_document(std::string(kHooks) + "}");
  e.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>("false");
  };
  EXPECT_FALSE(generate(*blackboard, "The dog runs."));
  EXPECT_EQ(operations_of(*e.plugin), Strings{"open_document"});
  EXPECT_TRUE(blackboard->annotations->empty());
  EXPECT_EQ(blackboard->text, "");
  EXPECT_EQ(blackboard->offset_table, nullptr);
  // The same for the analysis of what the blackboard holds.
  EXPECT_FALSE(blackboard->analyzer->generate(*blackboard));
  EXPECT_EQ(operations_of(*e.plugin), (Strings{"open_document", "open_document"}));
}

TEST(Generate, InputTypesAndTheirErrors) {
  struct Case {
    const char* name;
    std::string document_options;
    bool language;
    std::string error;  // empty: none
    Strings operations;
    size_t sentences;
  } const cases[] = {
      {"text", std::string(kHooks) + "}", true, "", {"open_document", "close_document"}, 1},
      {"document: the blackboard's own annotations, here none",
       std::string(kHooks) + R"(, "input_type": "document"})", true, "",
       {"open_document", "close_document"}, 0},
      {"unknown type", std::string(kHooks) + R"(, "input_type": "xml"})", true,
       "Input type not supported: [text,json]", {"open_document"}, 0},
      {"analysed JSON: a text that is no JSON is refused after the open hook",
       std::string(kHooks) + R"(, "input_type": "json"})", true,
       "Invalid kav/json format,parse error at line 1, column 1: syntax error while parsing "
       "value - invalid literal; last read: 'T'",
       {"open_document"}, 0},
      {"text without a language", std::string(kHooks) + "}", false,
       "No language module to analyse the text with.", {"open_document"}, 0},
      {"a document without a language has nothing to look up",
       std::string(kHooks) + R"(, "input_type": "document"})", false, "",
       {"open_document", "close_document"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestEngine& e = test_engine();
    std::unique_ptr<Blackboard> blackboard = testing::make_blackboard(
        c.document_options, "{}", e.engine, c.language ? e.english : nullptr);
    const std::string error = message_of([&] { generate(*blackboard, "The dog runs."); });
    EXPECT_EQ(error, c.error.empty() ? "(no exception)" : c.error);
    EXPECT_EQ(operations_of(*e.plugin), c.operations);
    EXPECT_EQ(sentences_of(*blackboard).size(), c.sentences);
  }
}

TEST(Generate, TextsOf2GiBAreRefusedBeforeAnythingRuns) {
  std::unique_ptr<Blackboard> blackboard = english_document(std::string(kHooks) + "}");
  const char text[] = "The dog runs.";
  // Nothing past the buffer is read: the length alone refuses the text.
  EXPECT_EQ(message_of([&] {
              blackboard->analyzer->generate(*blackboard, text, 1UL << 31);
            }),
            "Text too long: 2147483648 bytes (the limit is 2147483647 bytes).");
  EXPECT_TRUE(test_engine().plugin->calls.empty());
  EXPECT_TRUE(blackboard->annotations->empty());
}

TEST(Generate, EveryUtf8ErrorIsOneError) {
  const std::string cases[] = {
      "The dog \xC3\x28 runs.",        // a lead byte without its continuation
      "The dog runs \xE2\x82",         // a sequence cut by the end of the text
      "The \x80 dog.",                 // a lone continuation byte
      "The \xC0\xAF dog.",             // an overlong form
      "A \xED\xA0\x80 dog.",           // a surrogate
      "A \xF4\x90\x80\x80 dog.",       // above U+10FFFF
      "A dog\xFF.",                    // a byte that never occurs
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    std::unique_ptr<Blackboard> blackboard = english_document();
    // The message begins as it always did, and says where the first bad
    // byte is.
    const std::size_t offset = text.find_first_of("\x80\xC0\xC3\xE2\xED\xF4\xFF");
    EXPECT_EQ(message_of([&] { generate(*blackboard, text); }),
              "Invalid utf8 character. (at byte offset " + std::to_string(offset) + ")");
  }
}

TEST(Generate, AByteOrderMarkAndNulBytesAreWhiteSpace) {
  // "literal begin-end", "+" for the token with "init-token".
  const auto layout = [](const Blackboard& blackboard) {
    Strings out;
    for (Sentence* sentence : sentences_of(blackboard)) {
      out.push_back("[" + std::to_string(sentence->begin) + "-" + std::to_string(sentence->end));
      for (Token* token : testing::tokens_of(sentence->annotations)) {
        out.push_back(token->literal + " " + std::to_string(token->begin) + "-" +
                      std::to_string(token->end) +
                      (token->properties.count("init-token") > 0 ? " +" : ""));
      }
    }
    return out;
  };
  const std::string kMark = "\xEF\xBB\xBF";
  const std::string kNul(1, '\0');
  struct Case {
    const char* name;
    std::string text;
    Strings layout;
  } const cases[] = {
      {"a mark before the first word", kMark + "The dog runs.",
       {"[3-16", "The 3-6 +", "dog 7-10", "runs 11-15", ". 15-16"}},
      {"a mark before white space", kMark + " The dog runs.",
       {"[4-17", "The 4-7 +", "dog 8-11", "runs 12-16", ". 16-17"}},
      {"a mark alone", kMark, {}},
      {"NUL between words", "The dog" + kNul + "runs.",
       {"[0-13", "The 0-3 +", "dog 4-7", "runs 8-12", ". 12-13"}},
      {"NUL bytes first", kNul + kNul + "The dog runs.",
       {"[2-15", "The 2-5 +", "dog 6-9", "runs 10-14", ". 14-15"}},
      {"NUL inside a word", "The d" + kNul + "og runs.",
       {"[0-14", "The 0-3 +", "d 4-5", "og 6-8", "runs 9-13", ". 13-14"}},
      {"a mark and a NUL", kMark + kNul + "The dog runs.",
       {"[4-17", "The 4-7 +", "dog 8-11", "runs 12-16", ". 16-17"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<Blackboard> blackboard = english_document();
    EXPECT_TRUE(generate(*blackboard, c.text));
    EXPECT_EQ(layout(*blackboard), c.layout);
    EXPECT_EQ(blackboard->text_length, c.text.size());
  }
}

TEST(Generate, AnalysesTheAnnotationsABlackboardHolds) {
  // Read without the tagger, then tagged on a second document that takes
  // over the first one's annotations.
  std::unique_ptr<Blackboard> untagged = english_document(R"({"hmm": "false"})");
  generate(*untagged, "The dog runs.");
  std::unique_ptr<Blackboard> blackboard = english_document(std::string(kHooks) + "}");
  ScriptedPlugin& plugin = *test_engine().plugin;
  blackboard->text = untagged->text;
  blackboard->text_length = untagged->text_length;
  blackboard->annotations = untagged->annotations;
  blackboard->sentences = untagged->sentences;
  EXPECT_TRUE(blackboard->analyzer->generate(*blackboard));
  EXPECT_EQ(tokens_of(*blackboard),
            (Strings{"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run@0.5", ". Punct-Sent:."}));
  EXPECT_EQ(operations_of(plugin), (Strings{"open_document", "close_document"}));
}

TEST(Generate, NeedsAnAnalyzerOwnedByASharedPointer) {
  TestEngine& e = test_engine();
  std::unique_ptr<Blackboard> blackboard = english_document();
  Analyzer loose(e.engine, e.english, nullptr);
  EXPECT_THROW(loose.generate(*blackboard, "a", 1), std::bad_weak_ptr);
  EXPECT_THROW(loose.generate(*blackboard), std::bad_weak_ptr);
}

// Every kind of lookup of the test language's chain, met in a whole
// analysis: "reading properties" lists each reading's part of speech, stem
// and properties.
std::string readings_with_properties(const Token& token) {
  std::string out;
  for (const MorphData& reading : token.readings) {
    if (!out.empty()) out += " | ";
    out += reading.pos() + ":" + reading.stem;
    for (const std::string& property : reading.properties) out += " +" + property;
  }
  return out;
}

TEST(Generate, EveryLookupOfTheLanguageChainAnswersInAWholeAnalysis) {
  struct Case {
    const char* lookup;
    std::string text;
    std::string word;
    std::string readings;
  } const cases[] = {
      {"compound", "The bookshelf is big.", "bookshelf", "Nn-Sg:bookshelf +compound"},
      {"tag", "We like #greatday today.", "#greatday", "Nn-Sg:greatday +compound"},
      {"cleaner", "The man said helllo.", "helllo", "Interj:hello +cleanup"},
      {"guesser", "The blorpness is big.", "blorpness", "Nn-Sg:blorpness +guess +nf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lookup);
    std::unique_ptr<Blackboard> blackboard = english_document(R"({"hmm": "false"})");
    ASSERT_TRUE(generate(*blackboard, c.text));
    const Token* found = nullptr;
    for (Sentence* sentence : sentences_of(*blackboard)) {
      for (Token* token : testing::tokens_of(sentence->annotations)) {
        if (token->literal == c.word) found = token;
      }
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(readings_with_properties(*found), c.readings);
  }
}

// A document analysed earlier, in the result JSON form: "The dog runs."
// with an "Animal" concept over "The dog", whose "runs" was never tagged.
const char kAnalysedDocument[] =
    R"({"id":"d1","language":"english","sentences":[ [1,0,13,[)"
    R"([2,0,7,"Animal",{"kind":["dog"]}],)"
    R"([3,0,3,"The",["init-cap"],[["the", "Det-Def"]]],)"
    R"([3,4,7,"dog",[],[["dog", "Nn-Sg"]]],)"
    R"([3,8,12,"runs",[],[["run", "Nn-Pl"],["run", "V-Pres-3-Sg"]]],)"
    R"([3,12,13,".",[],[[".", "Punct-Sent"]]]]]]})";

TEST(Generate, AnalysesADocumentReadFromJson) {
  std::unique_ptr<Blackboard> blackboard =
      english_document(std::string(kHooks) + R"(, "input_type": "json"})");
  TestEngine& e = test_engine();
  Strings seen;
  e.plugin->answer = [&](const ScriptedPlugin::Call& call) {
    seen.push_back(call.operation + ": " + std::to_string(tokens_of(*blackboard).size()) +
                   " tokens");
    return std::optional<std::string>();
  };
  // The JSON need not end in NUL: only its length is read.
  std::string buffer = std::string(kAnalysedDocument) + "garbage";
  EXPECT_TRUE(blackboard->analyzer->generate(*blackboard, buffer.data(),
                                             std::strlen(kAnalysedDocument)));

  // The plugins are told once that the document opens and once that it
  // closes, around the reading and the analysis.
  EXPECT_EQ(seen, (Strings{"open_document: 0 tokens", "close_document: 4 tokens"}));
  // Read back (readings weigh 1), and tagged.
  EXPECT_EQ(tokens_of(*blackboard),
            (Strings{"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run",
                     ". Punct-Sent:."}));
  EXPECT_EQ(testing::dump(*blackboard->annotations, testing::kDumpFlags),
            "[Sentence [Animal!import The dog ]Animal runs . ]Sentence $");
  EXPECT_EQ(testing::list_faults(*blackboard->annotations), "");
  EXPECT_EQ(blackboard->language, "english");
  EXPECT_EQ(blackboard->id(), "d1");
  EXPECT_EQ(blackboard->sentences.size(), 1u);
  // Offsets are the JSON's; no text is kept.
  EXPECT_EQ(blackboard->text, "");
  EXPECT_EQ(blackboard->offset_table, nullptr);
}

TEST(Generate, AJsonFormatErrorEndsTheAnalysisBeforeTheCloseHook) {
  std::unique_ptr<Blackboard> blackboard =
      english_document(std::string(kHooks) + R"(, "input_type": "json"})");
  TestEngine& e = test_engine();
  const std::string cut = R"({"sentences":[[1,0,13,[[3,0,3,"The",[]]]]]})";
  EXPECT_EQ(message_of([&] { generate(*blackboard, cut); }),
            "Invalid kav/json format,a token item has 5 entries, at least 6 are needed");
  EXPECT_EQ(operations_of(*e.plugin), Strings{"open_document"});
}

// An analysed document without "language" is analysed in the analyzer's
// language; one that names a language the engine refuses changes nothing.
TEST(Generate, AJsonDocumentsLanguageIsOptionalAndANameOnly) {
  std::string without = kAnalysedDocument;
  without.replace(without.find(R"("language":"english",)"), 21, "");
  std::unique_ptr<Blackboard> blackboard = english_document(R"({"input_type": "json"})");
  ASSERT_TRUE(generate(*blackboard, without));
  EXPECT_EQ(blackboard->language, "english");
  EXPECT_EQ(tokens_of(*blackboard),
            (Strings{"The Det-Def:the", "dog Nn-Sg:dog", "runs V-Pres-3-Sg:run",
                     ". Punct-Sent:."}));

  struct Case {
    const char* language;
    std::string message;
  } const cases[] = {
      {"klingon", "language config file missing for [klingon] :klingon"},
      {"/etc/hostname",
       "Invalid language name in the document: \"/etc/hostname\" (a language name is "
       "expected, not a path)"},
      {"../morvik/english",
       "Invalid language name in the document: \"../morvik/english\" (a language name is "
       "expected, not a path)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    std::string named = kAnalysedDocument;
    named.replace(named.find(R"("english")"), 9, std::string("\"") + c.language + "\"");
    std::unique_ptr<Blackboard> refused = english_document(R"({"input_type": "json"})");
    refused->set_analyzer(refused->analyzer);
    const auto module = refused->language_module;
    EXPECT_EQ(message_of([&] { generate(*refused, named); }), c.message);
    EXPECT_EQ(refused->language, "english");
    EXPECT_EQ(refused->language_module, module);
    EXPECT_EQ(refused->options->get("language"), "");
  }
}

// Analysed JSON nested without end is refused by its depth while it is
// read, wherever the nesting is: no stack runs out.
TEST(Generate, DeeplyNestedJsonIsRefused) {
  const std::size_t levels = 100000;
  const std::string open(levels, '['), close(levels, ']');
  std::string attribute_open, attribute_close;
  for (std::size_t i = 0; i < levels; ++i) attribute_open += "{\"a\":";
  attribute_close = "1" + std::string(levels, '}');
  const std::string cases[] = {
      R"({"sentences":)" + open + close + "}",
      R"({"sentences":[[1,0,3,[[2,0,3,"A",{"k":)" + attribute_open + attribute_close + "}]]]]}",
      R"({"sentences":[[1,0,3,[[3,0,3,"dog",[],[["dog","Nn",)" + open + close + "]]]]]]}",
  };
  for (const std::string& text : cases) {
    std::unique_ptr<Blackboard> blackboard = english_document(R"({"input_type": "json"})");
    const std::string message = message_of([&] { generate(*blackboard, text); });
    EXPECT_EQ(message.rfind("Invalid kav/json format,the JSON nests deeper than 256 levels (at byte ", 0),
              0u)
        << message.substr(0, 200);
  }
  // 256 levels are read.
  std::string deep = R"({"sentences":[[1,0,3,[[3,0,3,"dog",[],[["dog","Nn-Sg")";
  std::string end = "]]]]]]}";
  for (int depth = 7; depth < 256; ++depth) {
    deep += ",[\"c\",\"Nn\"";
    end = "]" + end;
  }
  std::unique_ptr<Blackboard> blackboard = english_document(R"({"input_type": "json", "hmm": false})");
  EXPECT_TRUE(generate(*blackboard, deep + end));
}

// Hosts write options as JSON: a flag may be a JSON boolean.
TEST(Generate, OptionsTakeJsonFlags) {
  std::string tagged;
  for (const char* options : {R"({"hmm": false})", R"({"hmm": "false"})"}) {
    std::unique_ptr<Blackboard> blackboard = english_document(options);
    ASSERT_TRUE(generate(*blackboard, "The dog runs."));
    const std::string readings = testing::readings_of(*testing::tokens_of(
        sentences_of(*blackboard)[0]->annotations)[2]);
    EXPECT_EQ(readings, "Nn-Pl:run@0.5 | V-Pres-3-Sg:run@0.5") << options;
  }
  std::unique_ptr<Blackboard> analyzer_flag = english_document("{}", R"({"hmm": false, "guesser": true})");
  ASSERT_TRUE(generate(*analyzer_flag, "The dog runs."));
  EXPECT_EQ(testing::readings_of(*testing::tokens_of(sentences_of(*analyzer_flag)[0]->annotations)[2]),
            "Nn-Pl:run@0.5 | V-Pres-3-Sg:run@0.5");
}

// The language's postagger weighs the readings before the tagger: with the
// tagger off, what it keeps shows.
TEST(Generate, ThePostaggerRunsBeforeTheTagger) {
  struct Case {
    const char* name;
    const char* document_options;
    Strings tokens;
  } const cases[] = {
      {"on", R"({"hmm": "false"})",
       {"She Pron-Pers:she", "plays V-Pres-3-Sg:play@2", "the Det-Def:the",
        "bill Nn-Sg:bill@2", ". Punct-Sent:."}},
      {"off", R"({"hmm": "false", "disambiguate": "false"})",
       {"She Pron-Pers:she", "plays Nn-Pl:play@0.5 | V-Pres-3-Sg:play@0.5",
        "the Det-Def:the", "bill Nn-Sg:bill@0.5 | V-Inf:bill@0.5", ". Punct-Sent:."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<Blackboard> blackboard = english_document(c.document_options);
    ASSERT_TRUE(generate(*blackboard, "She plays the bill."));
    EXPECT_EQ(tokens_of(*blackboard), c.tokens);
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
