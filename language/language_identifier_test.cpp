#include "language/language_identifier.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include "base/exception.h"
#include "core-afst/afst.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/word_lookup.h"
#include "engine/engine.h"
#include "language/language_names.h"
#include "language/lid_testutil.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace lid {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using testing::lid_test_engine;
using testing::lid_test_folder;
using testing::lid_test_store;

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class LanguageIdentifier : public ::testing::Test {
 protected:
  SectionDetectionResult identify(const std::string& text, const char* options = "{}") {
    return lid_test_store(*engine_, options)->identify_language(text.data(), text.size());
  }

  std::shared_ptr<kavero::Engine> engine_ = lid_test_engine();
};

TEST_F(LanguageIdentifier, NamesTheLanguageOfAText) {
  struct Case {
    std::string text;
    std::string language;
  } const cases[] = {
      {"The people said that the house was good, and they would have been there "
       "when it was new.",
       "english"},
      {"Der Tag war gut, und die Welt ist heute nicht mehr wie sie war.", "german"},
      {"Le monde est très bien aujourd'hui, et nous sommes dans la maison avec les "
       "enfants.",
       "french"},
      {"Het huis van onze buren is vandaag niet open, maar zij zijn wel in de tuin.", "dutch"},
      // Words the network does not know: the script decides.
      {"Καλημέρα κόσμε, τι κάνεις σήμερα;", "greek"},
      {"안녕하세요 세계", "korean"},
      // The name's script decides when the English words tie with it, with
      // or without a byte-order mark before the text (which once tied with
      // the ideograph as Arabic).
      {"The dog runs. 東京...", "chinese"},
      {"\xEF\xBB\xBF" "The dog runs. 東", "chinese"},
  };
  for (const Case& c : cases) {
    const SectionDetectionResult result = identify(c.text);
    EXPECT_EQ(result.language, c.language) << c.text;
    EXPECT_TRUE(result.found) << c.text;
    EXPECT_GT(result.probability, 0) << c.text;
  }
}

TEST_F(LanguageIdentifier, GreekFromItsBlocksAlone) {
  const SectionDetectionResult result = identify("Καλημέρα κόσμε");
  EXPECT_EQ(result.language, "greek");
  EXPECT_EQ(result.probability, 1.0);
  EXPECT_EQ(result.words, 2);
  // Each word scores the block's language once (count), with the word's
  // block score: 5 for each of its 8 and 5 code points.
  ASSERT_EQ(result.scores.size(), 1u);
  EXPECT_EQ(result.scores.at("EL").score, 65);
  EXPECT_EQ(result.scores.at("EL").count, 2);
  EXPECT_EQ(result.hits, 2);
}

TEST_F(LanguageIdentifier, CodesOrLongNamesAsTheOptionsAsk) {
  const std::string english = "the people said that the house was good";
  EXPECT_EQ(identify(english, nullptr).language, "EN");
  EXPECT_EQ(identify(english, "{}").language, "english");
  EXPECT_EQ(identify(english, R"({"long_names": "false"})").language, "EN");
  EXPECT_EQ(identify(english, R"({"long_names": "yes"})").language, "english");
}

TEST_F(LanguageIdentifier, NothingToDecideGivesTheDefaultLanguage) {
  struct Case {
    const char* options;
    std::string text;
    std::string language;
  } const cases[] = {
      {"{}", "", "english"},
      {nullptr, "", "EN"},
      {R"({"default_language": "DE"})", "", "german"},
      {R"({"default_language": "DE", "long_names": "no"})", "", "DE"},
      {"{}", "xyzzy plugh 42 !!", "english"},
      {"{}", "   \n\t ", "english"},
      // A byte-order mark lies in the block of Arabic presentation forms
      // but is no Arabic: it made "arabic" of any text whose words decide
      // nothing.
      {"{}", "\xEF\xBB\xBF" "Dog runs.", "english"},
      {"{}", "\xEF\xBB\xBF", "english"},
      // Ol Chiki suggests no language: its empty code is no language to
      // report.
      {"{}", "ᱚᱞ ᱪᱤᱠᱤ", "english"},
      // Languages outside the accepted codes are not reported, whether
      // words or blocks name them.
      {R"({"language_codes": "EN,DE"})", "Καλημέρα κόσμε", "english"},
      {R"({"language_codes": "EN,DE"})", "le monde est dans la maison avec les", "english"},
      {R"({"language_codes": "FR,NL", "default_language": "NL"})",
       "the people said that the house", "dutch"},
  };
  for (const Case& c : cases) {
    const SectionDetectionResult result = identify(c.text, c.options);
    EXPECT_EQ(result.language, c.language) << c.text << " " << (c.options ? c.options : "null");
    EXPECT_FALSE(result.found) << c.text;
    EXPECT_EQ(result.probability, 0) << c.text;
  }
}

TEST_F(LanguageIdentifier, InvalidUtf8) {
  const std::string cases[] = {
      "\x80",                         // a lone continuation byte
      "the house \xC3",               // ends inside a character
      "the \xC3 house",               // a lead byte without its continuation
      "the \xED\xA0\x80 house",       // a surrogate
      "the \xF4\x90\x80\x80 house",   // above U+10FFFF
      "the \xC0\xAF house",           // an overlong form
      std::string("\xFF", 1),
  };
  for (const std::string& text : cases) {
    const SectionDetectionResult result = identify(text);
    EXPECT_EQ(result.language, "invalid utf8") << text;
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.probability, 0);
  }
}

// Which words are looked up, and as what: seen through the number of words
// looked up and the scores they gave ("the" is EN 100, "house" EN 40, "die"
// DE 90; nothing knows "house." or "the3").
TEST_F(LanguageIdentifier, WordsOfAText) {
  struct Case {
    std::string text;
    int words;
    std::map<std::string, std::pair<int, int>> scores;  // code: score, count
  } const cases[] = {
      {"the", 1, {{"EN", {100, 1}}}},
      {"t", 1, {}},
      {"the house", 2, {{"EN", {140, 2}}}},
      // The first word of a sentence is looked up in lower case.
      {"The house", 2, {{"EN", {140, 2}}}},
      // A capitalised word in mid-sentence is taken for a name.
      {"the House", 1, {{"EN", {100, 1}}}},
      // After a full stop and white space a sentence begins.
      {"the. House", 2, {{"EN", {140, 2}}}},
      {"the! House", 2, {{"EN", {140, 2}}}},
      {"the, House", 1, {{"EN", {100, 1}}}},
      // Capitals after the first byte drop the word; the sentence-start
      // state stays as it was.
      {"HOUSE House", 1, {{"EN", {40, 1}}}},
      {"iPhone house", 1, {{"EN", {40, 1}}}},
      {"the NATO house", 2, {{"EN", {140, 2}}}},
      // A full stop with no white space after it stays in the word.
      {"the.house", 1, {}},
      {"e.g. the", 2, {{"EN", {100, 1}}}},
      // At the very end of a text the full stop is part of the last word.
      {"the house.", 2, {{"EN", {100, 1}}}},
      {"the house. ", 2, {{"EN", {140, 2}}}},
      // Digits and symbols belong to a word; words begin with a letter.
      {"the3 house", 2, {{"EN", {40, 1}}}},
      {"42 house", 1, {{"EN", {40, 1}}}},
      // Only ASCII capitals are lowered.
      {"Über die", 2, {{"DE", {90, 1}}}},
      {"über die", 2, {{"DE", {160, 2}}}},
      // A word several languages know scores each of them.
      {"in the", 2, {{"DE", {50, 1}}, {"EN", {150, 2}}, {"NL", {50, 1}}}},
      // Without a decision from the words the text's scores are given up
      // for the blocks of the whole text.
      {"in", 1, {}},
      // A blank that ends the text belongs to the last word, which the
      // network then does not know.
      {"the house ", 2, {{"EN", {100, 1}}}},
  };
  for (const Case& c : cases) {
    const SectionDetectionResult result = identify(c.text);
    EXPECT_EQ(result.words, c.words) << c.text;
    std::map<std::string, std::pair<int, int>> scores;
    for (const auto& [code, data] : result.scores) scores[code] = {data.score, data.count};
    EXPECT_EQ(scores, c.scores) << c.text;
  }
}

TEST_F(LanguageIdentifier, LongTextsAreDecidedEarly) {
  // Eight looked-up words a sentence; an invalid byte after 50 sentences is
  // never read when the text is decided at its 250th word.
  const std::string english =
      repeat("The people said that the house was good. ", 50) + "\xFF";
  const SectionDetectionResult decided = identify(english);
  EXPECT_EQ(decided.language, "english");
  EXPECT_TRUE(decided.found);
  EXPECT_EQ(decided.words, 250);
  EXPECT_EQ(decided.hits, 250);
  EXPECT_GE(decided.probability, 0.3);

  // Two languages with the same lead: no decision at 250 words, so the
  // text is read on and meets the invalid byte.
  const std::string even = repeat("the der ", 200) + "\xFF";
  EXPECT_EQ(identify(even).language, "invalid utf8");

  // Read to its end, the same words without the invalid byte decide
  // nothing. (The text ends on a letter: a final blank would belong to the
  // last word and cost German that word.)
  const std::string tie = repeat("the der ", 199) + "the der";
  const SectionDetectionResult undecided = identify(tie);
  EXPECT_EQ(undecided.words, 400);
  EXPECT_FALSE(undecided.found);
  EXPECT_EQ(undecided.language, "english");
}

TEST_F(LanguageIdentifier, AcceptedCodesAndDefaultLanguage) {
  auto store = lid_test_store(*engine_, R"({"language_codes": "DE,FR", "default_language": "FR",
                                           "section_data": "true", "long_names": "false"})");
  EXPECT_EQ(store->language_codes(), (std::set<std::string>{"DE", "FR"}));
  EXPECT_EQ(store->default_language(), "FR");
  EXPECT_TRUE(store->section_data());
  EXPECT_FALSE(store->long_names());

  auto plain = lid_test_store(*engine_, nullptr);
  EXPECT_EQ(plain->language_codes(), language::get_language_codes());
  EXPECT_EQ(plain->default_language(), "EN");
  EXPECT_FALSE(plain->section_data());
  EXPECT_FALSE(plain->long_names());
  EXPECT_TRUE(lid_test_store(*engine_, "{}")->long_names());

  struct Case {
    const char* options;
    std::string message;
  } const cases[] = {
      {R"({"language_codes": "DE,FR"})",
       "Invalid default_language option, or is not in the default set: [EN]"},
      {R"({"default_language": "en"})",
       "Invalid default_language option, or is not in the default set: [en]"},
      {R"({"default_language": "XX"})",
       "Invalid default_language option, or is not in the default set: [XX]"},
      {R"({"default_language": ""})",
       "Invalid default_language option, or is not in the default set: []"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_of([&] { lid_test_store(*engine_, c.options); }), c.message) << c.options;
    EXPECT_THROW(lid_test_store(*engine_, c.options), Exception);
  }
}

TEST(LanguageProbability, Decisions) {
  using Scores = std::map<std::string, LidLanguageData>;
  auto data = [](int score, int count) { return LidLanguageData{score, 0, count}; };
  struct Case {
    const char* name;
    Scores scores;
    int total;
    Condition condition;
    std::string language;
    double value;
  } const cases[] = {
      {"nothing scored", {}, 5, small_buffer_condition, "", 0},
      {"one language", {{"NL", data(1, 1)}}, 5, small_buffer_condition, "NL", 1.0},
      // 75 against 2.5, from three words.
      {"clear lead", {{"EN", data(100, 3)}, {"DE", data(10, 1)}}, 4, small_buffer_condition,
       "EN", (75 - 2.5) / 75},
      // Probabilities 10 and 8 from four words each: the counts are even.
      {"even counts", {{"EN", data(10, 4)}, {"DE", data(8, 4)}}, 4, small_buffer_condition,
       "", 0},
      // Margin 0.1 from three words: too few to let the counts decide; the
      // margin stays as the value of no decision.
      {"small lead, few words", {{"EN", data(100, 3)}, {"DE", data(90, 3)}}, 6,
       small_buffer_condition, "", 0.1},
      // A clear lead from two words: the shares of the counts decide, taken
      // as fractions: (2/3 - 1/3) / 3.
      {"clear lead from two words", {{"EN", data(200, 2)}, {"DE", data(50, 1)}}, 3,
       small_buffer_condition, "EN", (2.0 / 3 - 1.0 / 3) / 3},
      // 40 against 35 (margin 0.125) from 4 and 5 words: the second language
      // has more words and wins, with a positive value.
      {"second language by counts", {{"EN", data(100, 4)}, {"DE", data(70, 5)}}, 10,
       small_buffer_condition, "DE", (0.5 - 0.4) / 10},
      {"nothing but zeros", {{"EN", data(0, 1)}, {"DE", data(0, 1)}}, 2,
       small_buffer_condition, "", 0},
      {"early: clear lead", {{"EN", data(100, 10)}, {"DE", data(70, 10)}}, 20,
       default_condition, "EN", 0.3},
      {"early: no clear lead", {{"EN", data(100, 10)}, {"DE", data(71, 10)}}, 20,
       default_condition, "", 0},
      {"early: nothing but zeros", {{"EN", data(0, 1)}, {"DE", data(0, 1)}}, 2,
       default_condition, "", 0},
  };
  for (const Case& c : cases) {
    const ProbabilityResult result = get_probability(c.scores, c.total, c.condition);
    EXPECT_EQ(result.language, c.language) << c.name;
    EXPECT_DOUBLE_EQ(result.probability, c.value) << c.name;
  }
}

TEST(LanguageProbability, ConditionsSeeTheTwoBestInOrder) {
  std::vector<std::string> seen;
  auto spy = [&](int total, std::pair<std::string, LidLanguageData> first,
                 std::pair<std::string, LidLanguageData> second, double& value) {
    seen = {std::to_string(total), first.first, std::to_string(first.second.probability),
            second.first, std::to_string(second.second.probability)};
    value = 0.75;
    return 1;
  };
  // Probabilities EN 5, FR 20, NL 20: FR and NL tie and keep code order.
  const ProbabilityResult result = get_probability(
      {{"EN", {10, 0, 1}}, {"NL", {20, 0, 2}}, {"FR", {40, 0, 1}}}, 2, spy);
  EXPECT_EQ(seen, (std::vector<std::string>{"2", "FR", std::to_string(20.0), "NL",
                                            std::to_string(20.0)}));
  EXPECT_EQ(result.language, "NL");
  EXPECT_EQ(result.probability, 0.75);

  std::ostringstream text;
  text << result;
  EXPECT_EQ(text.str(), "NL,0.75");
}

TEST(LanguageBlocksScore, ScoresEveryCodePointInABlock) {
  const std::string text = "Aα가ᱚ!";
  const SectionDetectionResult result = character_range_detection(text.data(), text.size());
  EXPECT_EQ(result.words, 5);
  EXPECT_EQ(result.hits, 3);
  ASSERT_EQ(result.scores.size(), 3u);
  EXPECT_EQ(result.scores.at("EL").score, 5);
  EXPECT_EQ(result.scores.at("KO").count, 1);
  EXPECT_EQ(result.scores.at("").score, 5);

  // The byte-order mark counts as a code point of no block.
  const std::string marked = "\xEF\xBB\xBF" "α";
  const SectionDetectionResult with_mark = character_range_detection(marked.data(), marked.size());
  EXPECT_EQ(with_mark.words, 2);
  EXPECT_EQ(with_mark.hits, 1);
  EXPECT_EQ(with_mark.scores.count("AR"), 0u);

  const std::string broken = "α\xCE";
  EXPECT_THROW(character_range_detection(broken.data(), broken.size()), utf8::exception);
}

// Identification networks for the engine's search, each knowing one word.
class IdentificationData : public ::testing::Test {
 protected:
  fs::path network(const std::string& relative, const std::string& word) {
    std::istringstream entries(word + ":[EN1]\n");
    const fs::path path = scratch_.path() / relative;
    fs::create_directories(path.parent_path());
    afst::build_lexicon(entries, word)->Write(path.string());
    return path;
  }

  std::shared_ptr<kavero::Engine> engine(const std::vector<std::string>& folders) {
    fs::create_directories(scratch_.path() / "root");
    std::string morvik;
    for (const std::string& folder : folders) {
      fs::create_directories(scratch_.path() / folder);
      morvik += (morvik.empty() ? "" : ":") + (scratch_.path() / folder).string();
    }
    return std::make_shared<kavero::Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", (scratch_.path() / "root").string()}, {"morvik", morvik}}
            .dump()));
  }

  static std::vector<std::string> knows(const std::shared_ptr<afst::AFst>& data,
                                        const std::string& word) {
    afst::WordLookup lookup(data, nullptr);
    return lookup.up(word);
  }

  testing::ScratchFolder scratch_;
};

TEST_F(IdentificationData, RootFolderFirstThenResourceFoldersInOrder) {
  network("one/lid.fst", "one");
  network("two/lid.fst", "two");
  auto first = engine({"one", "two"});
  EXPECT_EQ(knows(first->get_language_identifier_data(), "one"), std::vector<std::string>{"EN1"});

  network("root/morvik/lid.fst", "root");
  auto rooted = engine({"one", "two"});
  EXPECT_EQ(knows(rooted->get_language_identifier_data(), "root"),
            std::vector<std::string>{"EN1"});

  // A file that does not read is passed over.
  std::ofstream(scratch_.path() / "root/morvik/lid.fst") << "not a transducer";
  auto skipping = engine({"none", "two"});
  EXPECT_EQ(knows(skipping->get_language_identifier_data(), "two"),
            std::vector<std::string>{"EN1"});
}

TEST_F(IdentificationData, ReadOnceAndKept) {
  network("one/lid.fst", "one");
  auto engine_one = engine({"one"});
  const std::string file = engine_one->resource_folders()[0] + "/lid.fst";
  testing::RuntimeLog log;
  const std::shared_ptr<afst::AFst> data = engine_one->get_language_identifier_data();
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "DEBUG get_language_identifier_data " +
                                 (scratch_.path() / "root/morvik/lid.fst").string(),
                             "DEBUG get_language_identifier_data " + file}));
  fs::remove(file);
  EXPECT_EQ(engine_one->get_language_identifier_data(), data);
}

TEST_F(IdentificationData, MissingEverywhere) {
  auto bare = engine({"one", "two"});
  testing::RuntimeLog log;
  const std::string expected = "Could not load language identification data. [lid.fst]";
  EXPECT_EQ(message_of([&] { bare->get_language_identifier_data(); }), expected);
  EXPECT_TRUE(log.has("DEBUG", "Could not load language identification data. [lid.fst] in [" +
                                   bare->resource_folders()[0] + ":" +
                                   bare->resource_folders()[1] + ":]"));
  // No store without its data.
  EXPECT_EQ(message_of([&] { createStore(bare.get(), nullptr); }), expected);
  EXPECT_THROW(createStore(bare.get(), nullptr), Exception);
}

TEST_F(IdentificationData, DamagedDataIsNamedInTheError) {
  // Passed over like a missing file; when nothing else reads, the error
  // names each damaged file once, with what is wrong with it.
  auto damaged = engine({"one"});
  const std::string file = damaged->resource_folders()[0] + "/lid.fst";
  std::ofstream(file) << "not a transducer";
  fs::create_directories(scratch_.path() / "root/morvik");
  std::ofstream(scratch_.path() / "root/morvik/lid.fst") << "";
  const std::string root_file = (scratch_.path() / "root/morvik/lid.fst").string();
  EXPECT_EQ(message_of([&] { damaged->get_language_identifier_data(); }),
            "Could not load language identification data. [lid.fst] [" + root_file +
                "]: not a compiled transducer (no magic number) (byte 0 of 0) [" + file +
                "]: not a compiled transducer (no magic number) (byte 0 of 16)");
}

TEST(LanguageIdentifierOptions, TheAcceptedKeys) {
  EXPECT_EQ(valid_options,
            (std::set<std::string>{"kestrumbal", "verbose", "data", "root_path", "long_names",
                                   "section_data", "default_language", "language_codes"}));
  EXPECT_EQ(valid_options.count("long-names"), 0u);
}

}  // namespace
}  // namespace lid
}  // namespace zel
