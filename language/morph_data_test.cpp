#include "language/morph_data.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "core-afst/lookup_interface.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/lookup_descriptor.h"
#include "language/lookup_proxy.h"
#include "language/lookup_type.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;
using Answer = std::vector<std::string>;

const fs::path kTestLanguage = testing::test_language_folder();

// The document the lookups answer through: a blackboard of an analyzer with
// no engine, language or options. Only its lookup cache is used here.
struct Document {
  api::Analyzer analyzer{nullptr, nullptr, nullptr};
  Blackboard blackboard{&analyzer, nullptr, nullptr, 0};
};

// A lexicon lookup with fixed answers that counts the questions it gets.
class CountingLookup : public afst::LookupInterface {
 public:
  explicit CountingLookup(std::map<std::string, Answer> answers)
      : answers_(std::move(answers)) {}
  int32_t type() const override { return 1; }
  std::vector<std::string> up(const std::string& word) override {
    ++asked[word];
    auto it = answers_.find(word);
    return it == answers_.end() ? Answer{} : it->second;
  }
  std::map<std::string, int> asked;

 private:
  std::map<std::string, Answer> answers_;
};

TEST(LookupProxy, AppendsItsPropertiesAndCachesWhatItFound) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  auto lexicon = std::make_shared<CountingLookup>(
      std::map<std::string, Answer>{{"runs", {"run+Nn-Pl", "run+V-Pres-3-Sg"}}});
  core::LookupProxy proxy(lexicon, &blackboard);
  EXPECT_EQ(proxy.properties(), "");
  EXPECT_EQ(proxy.lookup("runs"), (Answer{"run+Nn-Pl", "run+V-Pres-3-Sg"}));

  core::LookupProxy marked(lexicon, &blackboard);
  marked.set_properties("+measure");
  EXPECT_NE(marked.id(), proxy.id());
  EXPECT_EQ(marked.lookup("runs"),
            (Answer{"run+Nn-Pl+measure", "run+V-Pres-3-Sg+measure"}));
  EXPECT_EQ(lexicon->asked["runs"], 2);

  // Answers come from the cache now; each proxy keeps its own.
  EXPECT_EQ(proxy.lookup("runs"), (Answer{"run+Nn-Pl", "run+V-Pres-3-Sg"}));
  EXPECT_EQ(marked.lookup("runs"),
            (Answer{"run+Nn-Pl+measure", "run+V-Pres-3-Sg+measure"}));
  EXPECT_EQ(lexicon->asked["runs"], 2);

  // Without the cache the lexicon is asked every time, and nothing is kept.
  EXPECT_EQ(marked.lookup_no_cache("runs"),
            (Answer{"run+Nn-Pl+measure", "run+V-Pres-3-Sg+measure"}));
  EXPECT_EQ(lexicon->asked["runs"], 3);
  EXPECT_EQ(marked.lookup_no_cache("walks"), Answer{});

  // An empty answer is not cached: the lexicon is asked again.
  EXPECT_EQ(proxy.lookup("walks"), Answer{});
  EXPECT_EQ(proxy.lookup("walks"), Answer{});
  EXPECT_EQ(lexicon->asked["walks"], 3);
  EXPECT_EQ(blackboard.lookup_cache->lookup(proxy.id(), "walks"), nullptr);

  // Cleared, the cache asks the lexicon again.
  blackboard.lookup_cache->clear();
  proxy.lookup("runs");
  EXPECT_EQ(lexicon->asked["runs"], 4);
}

TEST(LookupChain, TheFirstLookupThatKnowsTheWordAnswersAlone) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  auto none = std::make_shared<CountingLookup>(std::map<std::string, Answer>{});
  auto names = std::make_shared<CountingLookup>(
      std::map<std::string, Answer>{{"Paris", {"Paris+Prop-Std"}}});
  auto words = std::make_shared<CountingLookup>(std::map<std::string, Answer>{
      {"Paris", {"paris+Nn-Sg"}}, {"runs", {"run+Nn-Pl"}}});
  core::LookupChain chain = {std::make_shared<core::LookupProxy>(none, &blackboard),
                             std::make_shared<core::LookupProxy>(names, &blackboard),
                             std::make_shared<core::LookupProxy>(words, &blackboard)};
  EXPECT_EQ(core::lookup_chain(chain, "Paris"), Answer{"Paris+Prop-Std"});
  EXPECT_EQ(words->asked["Paris"], 0);
  EXPECT_EQ(core::lookup_chain(chain, "runs"), Answer{"run+Nn-Pl"});
  EXPECT_EQ(core::lookup_chain_no_cache(chain, "Paris"), Answer{"Paris+Prop-Std"});
  EXPECT_EQ(names->asked["Paris"], 2);
  EXPECT_EQ(core::lookup_chain_no_cache(chain, "dogs"), Answer{});
  EXPECT_EQ(core::lookup_chain(core::LookupChain{}, "Paris"), Answer{});
  EXPECT_EQ(core::lookup_chain_no_cache(core::LookupChain{}, "Paris"), Answer{});
}

// The test language's chains: the main lexicon, the names lexicon (adding
// "+proper"), the main lexicon again with lower-casing; the rare-word
// lexicon as guesser; and two named chains.
class TestLanguageChains : public ::testing::Test {
 protected:
  TestLanguageChains()
      : engine_(convert_string_to_api_options(
            json{{"root_path", kTestLanguage.string()},
                 {"morvik", kTestLanguage.string()}}
                .dump())),
        config_(json::parse(R"({
          "morph_chain": [
            {"file": "english.fst", "lookup": "plain"},
            {"file": "english-names.fst", "properties": ["proper"]},
            {"file": "english.fst", "transform": "tolower"}],
          "not_found": [{"file": "english-rare.fst"}],
          "property_chain": {
            "abbrev": [{"file": "english-abbrev.fst", "properties": "abbrev"}],
            "apostrophe": [{"file": "english.fst", "transform": "tolower",
                            "properties": "apostrophe"}]}})")) {
    std::vector<fs::path> folders = {kTestLanguage};
    main_ = create_lookup_chain_descriptors(&engine_, config_, "morph_chain", folders);
    guessers_ = create_lookup_chain_descriptors(&engine_, config_, "not_found", folders);
    named_ = create_named_lookup_descriptors(&engine_, config_, folders);
  }

  // Dictionary data as a document binding the language makes it.
  std::shared_ptr<core::MorphData> bind(Blackboard& blackboard, bool guesser = true) {
    auto data = std::make_shared<core::MorphData>();
    data->lookups = create_lookup_chain_from_descriptors(main_, &blackboard);
    if (guesser) data->guessers = create_lookup_chain_from_descriptors(guessers_, &blackboard);
    return data;
  }

  Engine engine_;
  json config_;
  core::MorphDataDescriptors main_;
  core::MorphDataDescriptors guessers_;
  core::NamedMorphDataDescriptors named_;
};

TEST_F(TestLanguageChains, AnswerInChainOrder) {
  const Answer runs = {"run+Nn-Pl", "run+V-Pres-3-Sg"};
  struct Case {
    std::string word;
    Answer first, others, lookup, guess;
  } const cases[] = {
      {"runs", runs, runs, runs, {}},
      {"Runs", {}, runs, runs, {}},
      {"Paris", {}, {"Paris+Prop-Std+proper"}, {"Paris+Prop-Std+proper"}, {}},
      {"Smith", {}, {"Smith+Prop-Std+proper"}, {"Smith+Prop-Std+proper"},
       {"smith+Nn-Sg+guessed"}},
      {"SMITH", {}, {"smith+Nn-Sg"}, {"smith+Nn-Sg"}, {}},
      {"quokka", {}, {}, {}, {"quokka+Nn-Sg+guessed"}},
      {"xyzzy", {}, {}, {}, {}},
  };
  // Every order of the four questions on one document gives the same
  // answers: no lookup answers with what another one found.
  const std::vector<std::vector<int>> orders = {{0, 1, 2, 3}, {3, 2, 1, 0}, {2, 0, 3, 1}};
  for (const Case& c : cases) {
    for (const std::vector<int>& order : orders) {
      Document document;
      Blackboard& blackboard = document.blackboard;
      auto data = bind(blackboard);
      for (int question : order) {
        switch (question) {
          case 0: EXPECT_EQ(data->first(c.word), c.first) << c.word << " first"; break;
          case 1: EXPECT_EQ(data->others(c.word), c.others) << c.word << " others"; break;
          case 2: EXPECT_EQ(data->lookup(c.word), c.lookup) << c.word << " lookup"; break;
          case 3: EXPECT_EQ(data->guess(c.word), c.guess) << c.word << " guess"; break;
        }
      }
    }
  }
}

TEST_F(TestLanguageChains, NamedChainsKeepTheirOwnAnswers) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  auto data = bind(blackboard);
  NamedLookupChains named = create_named_lookup_from_descriptors(named_, &blackboard);
  ASSERT_EQ(named.size(), 2u);
  // The main chain's lower-casing lookup and the "apostrophe" chain read the
  // same lexicon; each answers with its own properties.
  EXPECT_EQ(data->lookup("Don't"), Answer{"do+Aux-Fin+Neg"});
  EXPECT_EQ(core::lookup_chain(named["apostrophe"], "Don't"),
            Answer{"do+Aux-Fin+Neg+apostrophe"});
  EXPECT_EQ(core::lookup_chain_no_cache(named["abbrev"], "e.g."), Answer{"e.g.+Adv+abbrev"});
  EXPECT_EQ(data->lookup("e.g."), Answer{});
}

TEST_F(TestLanguageChains, WithoutTheGuesserNothingIsGuessed) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  auto data = bind(blackboard, false);
  EXPECT_EQ(data->guess("quokka"), Answer{});
  EXPECT_EQ(data->guess("Smith"), Answer{});
}

TEST_F(TestLanguageChains, ShortChains) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  core::MorphData empty;
  for (const char* word : {"runs", "Paris", ""}) {
    EXPECT_EQ(empty.first(word), Answer{});
    EXPECT_EQ(empty.others(word), Answer{});
    EXPECT_EQ(empty.lookup(word), Answer{});
    EXPECT_EQ(empty.guess(word), Answer{});
  }
  core::MorphData one;
  one.add(core::MorphData::create(main_[1], &blackboard));
  EXPECT_EQ(one.end() - one.begin(), 1);
  EXPECT_EQ(one.first("Paris"), Answer{"Paris+Prop-Std+proper"});
  EXPECT_EQ(one.lookup("Paris"), one.first("Paris"));
  EXPECT_EQ(one.others("Paris"), Answer{});
}

TEST_F(TestLanguageChains, LookupTypesWithoutALookupAreRefusedByName) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  struct Case {
    uint64_t type;
    std::string name;
  } const cases[] = {{2, "compound"}};
  for (const Case& c : cases) {
    core::MorphDataDescriptor descriptor = main_[0];
    descriptor.type = c.type;
    EXPECT_EQ(message_of([&] { core::MorphData::create(descriptor, &blackboard); }),
              "The lookup type '" + c.name + "' (" + std::to_string(c.type) +
                  ") has no lookup.");
  }
  core::MorphDataDescriptor guesser = main_[0];
  guesser.type = core::kLookupGuesser;
  EXPECT_EQ(message_of([&] { core::MorphData::create(guesser, &blackboard); }),
            "Missing 'guesser' morph file in the language config file");
}

TEST_F(TestLanguageChains, CompoundLookupsOfEveryType) {
  Document document;
  Blackboard& blackboard = document.blackboard;
  core::MorphDataDescriptor descriptor = main_[2];  // english.fst, lower-cased
  const json entry = {{"max_components", 1}};
  // "airports" is an entry of its own; "airportbank" splits.
  for (uint64_t type : {core::kLookupCompoundV2, core::kLookupCompoundV3,
                        core::kLookupCompoundNumbers}) {
    descriptor.type = type;
    descriptor.config = nullptr;
    auto lookup = core::MorphData::create(descriptor, &blackboard);
    EXPECT_EQ(lookup->lookup_no_cache("Airportbank"),
              (Answer{"#$Airportbank#airport+Nn-Sg#bank+Nn-Sg"}))
        << type;
    EXPECT_EQ(lookup->lookup_no_cache("airports"), Answer{}) << type;
    EXPECT_EQ(lookup->lookup_no_cache("airportbankairport").size(), 1u) << type;
    // Types 4 and 5 read their limit from their entry: at most two
    // components here.
    descriptor.config = &entry;
    lookup = core::MorphData::create(descriptor, &blackboard);
    EXPECT_EQ(lookup->lookup_no_cache("airportbankairport").size(),
              type == core::kLookupCompoundV2 ? 1u : 0u)
        << type;
  }
}

// The test language itself, as the engine loads it: after its plain lookups
// its main chain has a compound lookup over its own lexicon of components,
// which answers only for words that the lookups before it do not know.
TEST(TestLanguage, ItsChainAnalysesCompounds) {
  Engine engine(convert_string_to_api_options(
      json{{"root_path", kTestLanguage.string()}, {"morvik", kTestLanguage.string()}}.dump()));
  std::shared_ptr<LanguageModule> module = engine.get_language_module("english");
  ASSERT_NE(module, nullptr);
  const core::MorphDataDescriptors& descriptors = module->module_data->lookup_descriptors;
  ASSERT_EQ(descriptors.size(), 8u);
  EXPECT_EQ(descriptors[3].type, core::kLookupCompoundV3);

  Document document;
  Blackboard& blackboard = document.blackboard;
  core::MorphData data;
  data.lookups = create_lookup_chain_from_descriptors(descriptors, &blackboard);
  struct Case {
    std::string word;
    Answer answer;
  } const cases[] = {
      {"football", {"#$football#foot+Nn-Sg#ball+Nn-Sg"}},
      {"Doorknob", {"#$Doorknob#door+Nn-Sg#knob+Nn-Sg"}},
      // The last component's lemma, the leading ones as written.
      {"Bookshelves", {"#$Bookshelf#book+Nn-Sg#shelf+Nn-Pl"}},
      {"RAINCOATS", {"#$RAINcoat#rain+Nn-Sg#coat+Nn-Pl"}},
      // A linking "s".
      {"craftsmen", {"#$craftsman#craft+Nn-Sg#man+Nn-Pl"}},
      {"raincoatshelf", {"#$raincoatshelf#rain+Nn-Sg#coat+Nn-Sg#shelf+Nn-Sg"}},
      // Four components are more than the entry's "max_components" allows.
      {"footballdoorknob", {}},
      // Words the lexicon lookups know are theirs.
      {"book", {"book+Nn-Sg"}},
      {"Doors", {"door+Nn-Pl"}},
      {"footxyz", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(data.lookup(c.word), c.answer) << c.word;
  // Only the compound lookup knows the compound.
  EXPECT_EQ(data.first("football"), Answer{});
}

// The rest of the test language's main chain: after the plain and compound
// lookups, the lookups that answer what no lexicon holds as written.
TEST(TestLanguage, ItsChainReadsTagsStretchedWordsEndingsAndCharacterClasses) {
  Engine engine(convert_string_to_api_options(
      json{{"root_path", kTestLanguage.string()}, {"morvik", kTestLanguage.string()}}.dump()));
  std::shared_ptr<LanguageModule> module = engine.get_language_module("english");
  ASSERT_NE(module, nullptr);
  const core::MorphDataDescriptors& descriptors = module->module_data->lookup_descriptors;
  ASSERT_EQ(descriptors.size(), 8u);
  EXPECT_EQ(descriptors[4].type, core::kLookupTag);
  EXPECT_EQ(descriptors[5].type, core::kLookupCleaner);
  EXPECT_EQ(descriptors[6].type, core::kLookupEndings);
  EXPECT_EQ(descriptors[7].type, core::kLookupIcu);

  Document document;
  Blackboard& blackboard = document.blackboard;
  core::LookupChain chain = create_lookup_chain_from_descriptors(descriptors, &blackboard);
  struct Case {
    std::string word;
    Answer answer;
  } const cases[] = {
      {"runs", {"run+Nn-Pl", "run+V-Pres-3-Sg"}},
      {"Paris", {"Paris+Prop-Std+proper"}},
      // Hashtags and mentions, split into words.
      {"#BadCat", {"#+hash-tag#bad+Adj#cat+Nn-Sg"}},
      {"#badcat", {"#+hash-tag#bad+Adj#cat+Nn-Sg"}},
      {"@GoodCat", {"#+add-tag#good+Adj#cat+Nn-Sg"}},
      {"#CAT_Day10", {"#+hash-tag#cat+Nn-Sg#day+Nn-Sg#10+Num-Std"}},
      {"#Top_Quux", {"#+hash-tag#Top+Nn-Std+TLNF#Quux+Nn-Std+TLNF"}},
      // Stretched words, in their cleaned forms.
      {"helllo", {"hello+Interj+cleanup"}},
      {"HELLLLO", {"hello+Interj+cleanup"}},
      {"goooood", {"good+Adj+cleanup"}},
      // Long capitalised words, by their endings.
      {"Flurbification", {"#$Flurbification#Flurbifica+Prop#tion+Nn-Sg+reverse"}},
      {"Zorblations", {"#$Zorblation#Zorbla+Prop#tion+Nn-Pl+reverse"}},
      // Whatever is left, by character classes.
      {"Xyzzy", {"Xyzzy+Prop-Std"}},
      {"42", {"42+Num-Std"}},
      {"3.14", {"3.14+Punct"}},
      {"€", {"€+Nn-Sym+currency"}},
      {"(", {"(+Punct-Open"}},
      {"»", {"»+Punct-Close"}},
      {"#", {"\\#+Punct"}},
      {"#xyzzy", {"\\#xyzzy+Punct"}},  // a hashtag that does not split
      // Nothing answers.
      {"xyzzy", {}},
      {"flurbification", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::lookup_chain(chain, c.word), c.answer) << c.word;
    EXPECT_EQ(core::lookup_chain_no_cache(chain, c.word), c.answer) << c.word;
  }
}

// The test language as the engine loads it: its guesser chain looks an
// unknown word up in the rare-word lexicon first, then guesses it from its
// ending.
TEST(TestLanguageGuesser, UnknownWordsGetGuessedReadings) {
  Engine engine(convert_string_to_api_options(
      json{{"root_path", kTestLanguage.string()}, {"morvik", kTestLanguage.string()}}.dump()));
  std::shared_ptr<LanguageModule> module = engine.get_language_module("english");
  ASSERT_NE(module, nullptr);
  const LanguageModuleData& language = *module->module_data;
  Document document;
  Blackboard& blackboard = document.blackboard;
  core::MorphData data;
  data.lookups = create_lookup_chain_from_descriptors(language.lookup_descriptors, &blackboard);
  data.guessers =
      create_lookup_chain_from_descriptors(language.guesser_descriptors, &blackboard);
  struct Case {
    std::string word;
    Answer guess;
    Answer lookup;  // what the main chain answers
  } const cases[] = {
      {"blorfing", {"blorf+V-PrPart+guess+nf"}, {}},
      {"blorfed", {"blorf+V-Past+guess+nf"}, {}},
      {"blorfly", {"blorfly+Adv+guess+nf"}, {}},
      {"blorfness", {"blorfness+Nn-Sg+guess+nf"}, {}},
      // A misspelt ending is repaired.
      {"blorfign", {"blorf+V-PrPart+guess+nf"}, {}},
      // The rare-word lexicon comes first.
      {"quokka", {"quokka+Nn-Sg+guessed"}, {}},
      // No ending in reach, or not all lower case: no guess.
      {"blorf", {}, {}},
      // The main chain's character classes read it as a capitalised word.
      {"Blorfing", {}, {"Blorfing+Prop-Std"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(data.lookup(c.word), c.lookup) << c.word;
    EXPECT_EQ(data.guess(c.word), c.guess) << c.word;
  }
}

TEST(LowercaseConverter, IsNewOnEveryCall) {
  auto first = afst::get_lowercase_converter();
  EXPECT_NE(first, afst::get_lowercase_converter());
  EXPECT_EQ((*first)("Ωmega LONDON"), "ωmega london");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
