#include "core-afst/guesser_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/output_capture_testutil.h"
#include "core-afst/guesser_testutil.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lookup_network_testutil.h"
#include "core-afst/word_trie_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TestNetwork;
using testing::WordTrie;

// A lexicon of (word, reading) entries.
std::shared_ptr<AFst> lexicon(const std::vector<std::pair<std::string, std::string>>& entries) {
  TestNetwork net;
  for (const auto& [word, reading] : entries) net.word(word, reading);
  return net.network();
}

ResultEntry result(const std::string& form, double score, int32_t repairs) {
  return ResultEntry{"+guess", form, score, repairs};
}

std::vector<std::string> forms(const std::vector<ResultEntry>& results) {
  std::vector<std::string> out;
  for (const auto& r : results) out.push_back(r.form);
  return out;
}

TEST(GuesserLookupTest, AnswersWithTheLexiconReadingsOfTheFormsReached) {
  GuesserLookup lookup(WordTrie({"walking", "talked", "balloon"}).network(),
                       lexicon({{"balloon", "balloon+Nn-Sg"},
                                {"walking", "walk+Vb-Prog"},
                                {"walking", "walking+Nn-Sg"},
                                {"talked", "talk+Vb-Past"}}),
                       nullptr);
  EXPECT_EQ(lookup.type(), 7);
  struct Case {
    std::string word;
    std::vector<std::string> answers;
  };
  const Case cases[] = {
      // Spelled as known: the lexicon's readings, sorted, marked.
      {"walking", {"walk+Vb-Prog+guess+nf", "walking+Nn-Sg+guess+nf"}},
      // Repaired words reach the same readings.
      {"walkking", {"walk+Vb-Prog+guess+nf", "walking+Nn-Sg+guess+nf"}},
      {"walkign", {"walk+Vb-Prog+guess+nf", "walking+Nn-Sg+guess+nf"}},
      {"walkng", {"walk+Vb-Prog+guess+nf", "walking+Nn-Sg+guess+nf"}},
      {"talke", {"talk+Vb-Past+guess+nf"}},
      // Long runs are shortened before the search.
      {"ballllooooon", {"balloon+Nn-Sg+guess+nf"}},
      // Nothing reached.
      {"sleeping", {}},
      {"", {}},
      // Not guessed: a letter that is not lower case.
      {"Walking", {}},
      {"walking2", {}},
      {"talk-ed", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lookup.up(c.word), c.answers) << c.word;
  }
}

// A network from lexicon text lines.
std::shared_ptr<AFst> from_text(const std::string& text) {
  std::istringstream lines(text);
  return std::make_shared<AFst>(build_lexicon(lines, "test"));
}

TEST(GuesserLookupTest, SuffixRulesWrittenAsText) {
  // The guesser spells any lower-case stem followed by a known ending and
  // writes the word back; the lexicon copies the stem of such a form and
  // adds the ending's tags.
  const std::string letters = "a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p|q|r|s|t|u|v|w|x|y|z";
  const std::string copy = "abcdefghijklmnopqrstuvwxyz";
  std::string rules;
  for (const std::string ending : {"ing", "ed", "ness"}) {
    rules += "regex:(" + letters + ")*" + ending + ":" + copy + ending + "\n";
  }
  GuesserLookup lookup(from_text(rules),
                       from_text("regex:(.)*ing:[in][eps][eps][+Vb-Prog]\n"
                                 "regex:(.)*ed:[in][eps][+Vb-Past]\n"
                                 "regex:(.)*ness:[in][eps][eps][eps][+Nn-Sg]\n"),
                       nullptr);
  struct Case {
    std::string word;
    std::vector<std::string> answers;
  };
  const Case cases[] = {
      {"blorfing", {"blorf+Vb-Prog+guess+nf"}},
      {"blorfed", {"blorf+Vb-Past+guess+nf"}},
      {"blorfness", {"blorf+Nn-Sg+guess+nf"}},
      // Misspelt endings.
      {"blorfign", {"blorf+Vb-Prog+guess+nf"}},
      {"blorfin", {"blorf+Vb-Prog+guess+nf"}},
      // No ending within reach.
      {"blorf", {}},
      {"Blorfing", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup.up(c.word), c.answers) << c.word;
}

// A guesser of the test language's kind: any lower-case stem before one of
// four endings, written back letter by letter.
std::shared_ptr<AFst> test_language_guesser() {
  const std::string letters = "a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p|q|r|s|t|u|v|w|x|y|z";
  const std::string copy = "abcdefghijklmnopqrstuvwxyz";
  std::string rules;
  for (const std::string ending : {"ing", "ed", "ly", "ness"}) {
    rules += "regex:(" + letters + ")*" + ending + ":" + copy + ending + "\n";
  }
  return from_text(rules);
}

// Its lexicon: the readings of the forms it reaches.
std::shared_ptr<AFst> test_language_guessed() {
  return from_text(
      "regex:(.)*ing:[in][eps][eps][+V-PrPart]\n"
      "regex:(.)*ed:[in][eps][+V-Past]\n"
      "regex:(.)*ly:[in][in][in][+Adv]\n"
      "regex:(.)*ness:[in][in][in][in][in][+Nn-Sg]\n");
}

// The answers of a guesser of the test language's kind (any lower-case stem
// before one of four endings, written back letter by letter) with and
// without its lexicon, pinned for words that are spelt as the guesser
// spells them, misspelt, beyond repair, and words whose search runs out of
// its budget. Changes that make the search faster must not change them.
TEST(GuesserLookupTest, AnswersOfTheTestLanguagesGuesserStayTheSame) {
  const std::shared_ptr<AFst> guesser = test_language_guesser();
  GuesserLookup with_lexicon(guesser, test_language_guessed(), nullptr);
  GuesserLookup without_lexicon(guesser, nullptr, nullptr);
  struct Case {
    std::string word;
    std::vector<std::string> with_lexicon;
    std::vector<std::string> without_lexicon;
  };
  const Case cases[] = {
      // Spelt as the guesser spells them.
      {"walking", {"walk+V-PrPart+guess+nf"}, {"walking", "walking+guess"}},
      {"talked", {"talk+V-Past+guess+nf"}, {"talked", "talked+guess"}},
      {"quickly", {"quickly+Adv+guess+nf"}, {"quickly", "quickly+guess"}},
      {"happiness", {"happiness+Nn-Sg+guess+nf"}, {"happiness", "happiness+guess"}},
      {"walkiing", {"walki+V-PrPart+guess+nf"}, {"walkiing", "walkiing+guess"}},
      {"xyzed", {"xyz+V-Past+guess+nf"}, {"xyzed", "xyzed+guess"}},
      {"ed", {"+V-Past+guess+nf"}, {"ed", "ed+guess"}},
      {"ing", {"+V-PrPart+guess+nf"}, {"ing", "ing+guess"}},
      // Found before the search runs out.
      {"vqagyness", {"vqagyness+Nn-Sg+guess+nf"}, {"vqagyness", "vqagyness+guess"}},
      {"zoowbiing", {"zoowbi+V-PrPart+guess+nf"}, {"zoowbiing", "zoowbiing+guess"}},
      {"rphvcmqezness",
       {"rphvcmqezness+Nn-Sg+guess+nf"},
       {"rphvcmqezness", "rphvcmqezness+guess"}},
      // Repaired.
      {"walkng", {"walk+V-PrPart+guess+nf"}, {"walking+guess"}},
      {"walkign", {"walk+V-PrPart+guess+nf"}, {"walking+guess"}},
      {"talkde", {"talk+V-Past+guess+nf"}, {"talked+guess"}},
      {"helllo", {"helly+Adv+guess+nf"}, {"helly+guess"}},
      {"ruglad", {"rugla+V-Past+guess+nf"}, {"ruglaed+guess"}},
      {"mutrlai", {"mutraly+Adv+guess+nf"}, {"mutraly+guess"}},
      {"xzd", {"xz+V-Past+guess+nf"}, {"xzed+guess"}},
      {"vaafjend", {"vaafjn+V-Past+guess+nf"}, {"vaafjned+guess"}},
      {"tqrbzn", {"tqrbz+V-PrPart+guess+nf"}, {"tqrbzing+guess"}},
      {"mjcd", {"mjc+V-Past+guess+nf"}, {"mjced+guess"}},
      {"e", {"+V-Past+guess+nf"}, {"ed", "ed+guess"}},
      {"runningg", {"runn+V-PrPart+guess+nf"}, {"running+guess"}},
      // Repaired in a search that runs out.
      {"uhjbztmli", {"uhjbztmly+Adv+guess+nf"}, {"uhjbztmly+guess"}},
      {"arqlljg", {"arqljly+Adv+guess+nf"}, {"arqljly+guess"}},
      {"bookshelf", {"bookshely+Adv+guess+nf"}, {"bookshely+guess"}},
      {"greatday", {"greatdaly+Adv+guess+nf"}, {"greatdaly+guess"}},
      // Beyond repair, with and without running out.
      {"okapi", {}, {}},
      {"quokka", {}, {}},
      {"swwvt", {}, {}},
      {"zarm", {}, {}},
      {"abcdefgh", {}, {}},
      {"doorknob", {}, {}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(with_lexicon.up(c.word), c.with_lexicon) << c.word;
    EXPECT_EQ(without_lexicon.up(c.word), c.without_lexicon) << c.word;
  }
}

// The lookup leaves out repairs whose results would all rank after the best
// answer found so far. Over generated unknown words, with and without the
// lexicon, its answers are those of the search that walks every repair,
// for every word whose full search ends within the budget.
TEST(GuesserLookupTest, LeavingOutOutrankedRepairsKeepsTheAnswers) {
  const std::shared_ptr<AFst> guesser = test_language_guesser();
  GuesserLookup with_lexicon(guesser, test_language_guessed(), nullptr);
  GuesserLookup without_lexicon(guesser, nullptr, nullptr);
  int compared = 0;
  for (const std::string& word : testing::unknown_words(400, 2029)) {
    for (GuesserLookup* lookup : {&with_lexicon, &without_lexicon}) {
      const auto expected = testing::full_search_answers(*lookup, word);
      if (!expected) continue;
      ++compared;
      EXPECT_EQ(lookup->up(word), *expected) << word;
    }
  }
  // Most words are compared (about half run out of the budget in full).
  EXPECT_GT(compared, 300);
}

TEST(GuesserLookupTest, WordLengthLimit) {
  std::string longest;
  for (int i = 0; i < 49; ++i) longest += static_cast<char>('a' + (i % 3));
  std::string too_long = longest + "a";
  ASSERT_EQ(too_long.size(), 50u);
  WordTrie words({longest, too_long});
  GuesserLookup lookup(words.network(), nullptr, nullptr);
  EXPECT_THAT(lookup.up(longest), ElementsAre(longest, longest + "+guess"));
  EXPECT_THAT(lookup.up(too_long), IsEmpty());
  // Two-byte letters count as two bytes: 25 of them are 50 bytes.
  std::string umlauts;
  for (int i = 0; i < 25; ++i) umlauts += (i % 2) ? "ä" : "ö";
  WordTrie umlaut_words({umlauts, umlauts.substr(2)});
  GuesserLookup umlaut_lookup(umlaut_words.network(), nullptr, nullptr);
  EXPECT_THAT(umlaut_lookup.up(umlauts), IsEmpty());
  EXPECT_THAT(umlaut_lookup.up(umlauts.substr(2)), ::testing::SizeIs(2));
}

TEST(GuesserLookupTest, Utf8Errors) {
  GuesserLookup lookup(WordTrie({"ab"}).network(), nullptr, nullptr);
  EXPECT_THROW(lookup.up("a\xC3"), utf8::exception);
  EXPECT_THROW(lookup.up("\xFF"), utf8::exception);
  // A word too long to be guessed is not decoded.
  EXPECT_THAT(lookup.up(std::string(60, 'a') + "\xFF"), IsEmpty());
}

TEST(GuesserLookupTest, WithoutLexiconTheFormsAreTheAnswer) {
  // The guesser writes a form with tags after the letters.
  TestNetwork net;
  net.path({"w", "a", "l", "k"}, {"walk", "eps", "eps", "+Vb"});
  GuesserLookup lookup(net.network(), nullptr, nullptr);
  // A form that begins with the word: bare, then marked.
  EXPECT_THAT(lookup.up("walk"), ElementsAre("walk+Vb", "walk+Vb+guess"));
  // A form reached by a repair does not begin with the word.
  EXPECT_THAT(lookup.up("wakl"), ElementsAre("walk+Vb+guess"));
}

TEST(GuesserLookupTest, ConverterAppliesToTheFormsInTheLexicon) {
  TestNetwork net;
  net.path({"p", "a", "r", "i", "s"}, {"P", "a", "r", "i", "s"});
  auto guesser = net.network();
  auto names = lexicon({{"paris", "Paris+Prop"}});
  GuesserLookup folded(guesser, names, std::make_shared<LookupConverterLowercase>());
  GuesserLookup plain(guesser, names, nullptr);
  EXPECT_THAT(folded.up("paris"), ElementsAre("Paris+Prop+guess+nf"));
  EXPECT_THAT(plain.up("paris"), IsEmpty());
}

TEST(GuesserLookupTest, FilterSortsByRepairsThenScoreKeepingTheOrderFound) {
  GuesserLookup lookup(WordTrie({"x"}).network(), nullptr, nullptr);
  std::vector<ResultEntry> results = {
      result("d", 0.9, 1),  result("a2", 0.95, 1), result("b", 1.0, 0),
      result("e", 0.99, 2), result("a1", 0.95, 1), result("c", 0.97, 1),
  };
  // Without a lexicon the first form taken is the answer.
  EXPECT_THAT(filter(&lookup, "zz", results), ElementsAre("b+guess"));
  EXPECT_THAT(forms(results), ElementsAre("b", "c", "a2", "a1", "d", "e"));
}

TEST(GuesserLookupTest, FilterTakesTheFirstFormWithReadings) {
  GuesserLookup lookup(WordTrie({"x"}).network(),
                       lexicon({{"walks", "walk+Vb-Sg3"}, {"walls", "wall+Nn-Pl"}}), nullptr);
  std::vector<ResultEntry> results = {result("wakls", 0.9, 1), result("walls", 0.8, 1),
                                      result("walks", 0.85, 1)};
  // "wakls" has no readings; "walks" scores higher than "walls".
  EXPECT_THAT(filter(&lookup, "wlaks", results), ElementsAre("walk+Vb-Sg3+guess+nf"));
  std::vector<ResultEntry> none = {result("wxyz", 1.0, 0)};
  EXPECT_THAT(filter(&lookup, "qq", none), IsEmpty());
  std::vector<ResultEntry> empty;
  EXPECT_THAT(filter(&lookup, "w", empty), IsEmpty());
}

TEST(GuesserLookupTest, FilterAnswersAFormThatBeginsWithTheWordAtOnce) {
  GuesserLookup lookup(WordTrie({"x"}).network(), lexicon({{"walls", "wall+Nn-Pl"}}), nullptr);
  // The first form that begins with the word decides, even without
  // readings: the later form with readings is not taken.
  std::vector<ResultEntry> results = {result("wallsy", 1.0, 0), result("walls", 0.9, 1)};
  EXPECT_THAT(filter(&lookup, "walls", results), IsEmpty());
  std::vector<ResultEntry> prefixed = {result("walls", 1.0, 0), result("walls", 0.9, 1)};
  EXPECT_THAT(filter(&lookup, "wall", prefixed), ElementsAre("wall+Nn-Pl+guess+nf"));
}

TEST(GuesserLookupTest, NetworkWithoutStartStateAndNullNetwork) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable in, out;
  in.AddSymbol("eps");
  out.AddSymbol("eps");
  transducer->SetInputSymbols(&in);
  transducer->SetOutputSymbols(&out);
  GuesserLookup lookup(std::make_shared<AFst>(transducer), lexicon({{"a", "a+X"}}), nullptr);
  EXPECT_THAT(lookup.up("a"), IsEmpty());
  EXPECT_THROW(GuesserLookup(nullptr, nullptr, nullptr), std::invalid_argument);
}

TEST(GuesserLookupTest, ConfigurationIsHandedOnButNotRead) {
  GuesserLookup lookup(WordTrie({"walk"}).network(), nullptr, nullptr);
  lookup.set_guesser(std::make_shared<nlohmann::json>(nlohmann::json{{"anything", 1}}));
  EXPECT_THAT(lookup.up("walk"), ElementsAre("walk", "walk+guess"));
  lookup.set_guesser(nullptr);
  EXPECT_THAT(lookup.up("walk"), ElementsAre("walk", "walk+guess"));
}

TEST(GuesserLookupTest, PrintResults) {
  GuesserLookup lookup(WordTrie({"walk"}).network(), nullptr, nullptr);
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("walk"); }),
            "  -g- walk\n  -g- walk+guess\n");
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("zzz"); }), "");
  EXPECT_EQ(zel::testing::capture_stdout([] { indent(3); }), "      ");
}

TEST(GuesserLookupTest, AllLowercase) {
  struct Case {
    std::string text;
    bool lower;
  };
  const Case cases[] = {
      {"", true},      {"walk", true},   {"straße", true}, {"ärger", true},
      {"Walk", false}, {"wALK", false},  {"walk2", false}, {"walk-on", false},
      {"a b", false},  {"Ärger", false}, {"ǆ", true},      {"ǅ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(all_lowecase(c.text), c.lower) << c.text;
  EXPECT_THROW(all_lowecase("ab\xC3"), utf8::exception);
}

}  // namespace
}  // namespace afst
}  // namespace zel
