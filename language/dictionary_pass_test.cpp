#include "language/dictionary_pass.h"

#include <gtest/gtest.h>
#include <utf8.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "core-afst/lookup_interface.h"
#include "language/language_module.h"
#include "language/lookup_condition.h"
#include "language/lookup_proxy.h"
#include "language/morph_data.h"
#include "language/token_flags.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using Answers = std::map<std::string, std::vector<std::string>>;
using testing::properties_of;
using testing::readings_of;
using testing::TokenizedDocument;

// A lexicon with fixed answers. Like the real lookups it refuses a word that
// is not valid UTF-8.
class FixedLexicon : public afst::LookupInterface {
 public:
  explicit FixedLexicon(Answers answers) : answers_(std::move(answers)) {}
  int32_t type() const override { return 1; }
  std::vector<std::string> up(const std::string& word) override {
    if (!utf8::is_valid(word.begin(), word.end())) {
      throw std::runtime_error("invalid utf-8 in a looked-up word");
    }
    ++asked[word];
    auto it = answers_.find(word);
    return it == answers_.end() ? std::vector<std::string>{} : it->second;
  }
  std::map<std::string, int> asked;

 private:
  Answers answers_;
};

// Words, numbers with or without letters before them, and punctuation each
// make a piece; "Dr." is "Dr" and "." unless the sentence splitter forces
// it into one token.
const char kRules[] = R"(
$Letter = [\p{L}\p{M}];
$Digit = [0-9];
$Space = [\p{White_Space}];
$Space+;
$Letter+ {200};
$Letter+ $Digit+ {100};
$Digit+ {100};
$Digit+ $Letter+ {511};
[.!?] {501};
[,;:] {502};
["] {503};
[\u0027\u2019] {513};
'#' $Letter+ {2000};
'<' [a-z]+ '>' {512};
)";

// The lexicons of one test; names other than "main", "second" and "guess"
// are named lookups.
struct Lexicons {
  Answers main;
  Answers second;
  Answers guess;
  std::map<std::string, Answers> named;
};

struct Scene {
  Lexicons lexicons;
  // Document options; header detection is off unless a test asks for it.
  std::string options = R"({"detect_headers": "false"})";
  std::vector<SpanMark> spans;
  nlohmann::json conditions = nlohmann::json::array();
  std::string apostrophe;
  std::vector<std::pair<int32_t, std::string>> mapper = {{2000, "hashtag"}};
  std::string measure;
};

// A document tokenized by kRules (one sentence per line of the text) whose
// dictionary data are the scene's lexicons.
class Document {
 public:
  Document(const std::string& text, const Scene& scene) {
    auto language = testing::make_language(kRules, scene.mapper, scene.measure);
    language->module_data->apostrophe_expression = scene.apostrophe;
    language->module_data->conditions =
        make_conditions(nlohmann::json{{"conditions", scene.conditions}});
    document_ =
        std::make_unique<TokenizedDocument>(language, text, scene.options);
    Blackboard& bb = blackboard();
    auto data = std::make_shared<core::MorphData>();
    data->add(proxy(scene.lexicons.main));
    if (!scene.lexicons.second.empty()) data->add(proxy(scene.lexicons.second));
    if (!scene.lexicons.guess.empty()) {
      data->guessers.push_back(proxy(scene.lexicons.guess));
    }
    bb.morph_data = data;
    bb.named_lookups.clear();
    for (const auto& [name, answers] : scene.lexicons.named) {
      bb.named_lookups[name].push_back(proxy(answers));
    }
    for (const SpanMark& span : scene.spans) bb.spans.push_back(span);
    uint32_t begin = 0;
    while (begin <= text.size()) {
      size_t end = text.find('\n', begin);
      if (end == std::string::npos) end = text.size();
      document_->add_sentence(begin, static_cast<uint32_t>(end));
      begin = static_cast<uint32_t>(end) + 1;
    }
  }

  void first_pass() { add_dictionary_lookup_information(blackboard()); }

  Blackboard& blackboard() { return document_->blackboard(); }

  std::vector<Token*> tokens() const { return document_->all_tokens(); }
  std::string literals() const {
    std::string joined;
    for (const Token* token : tokens()) {
      joined += (joined.empty() ? "" : " | ") + token->literal;
    }
    return joined;
  }
  // The first token with that literal.
  Token& token(const std::string& literal) const {
    for (Token* token : tokens()) {
      if (token->literal == literal) return *token;
    }
    throw std::out_of_range("no token " + literal);
  }

  std::map<std::string, std::shared_ptr<FixedLexicon>> lexicons;

 private:
  std::shared_ptr<core::ILookup> proxy(const Answers& answers) {
    auto lexicon = std::make_shared<FixedLexicon>(answers);
    made_.push_back(lexicon);
    return std::make_shared<core::LookupProxy>(lexicon, &blackboard());
  }

  std::unique_ptr<TokenizedDocument> document_;
  std::vector<std::shared_ptr<FixedLexicon>> made_;
};

bool has_flag(const Token& token, uint64_t flag) {
  return (token.flags & flag) != 0;
}

TEST(DictionaryPass, AbbreviationBeforeAName) {
  Scene scene;
  scene.lexicons.main = {{"Smith", {"Smith+Prop-Std+fam"}},
                         {"came", {"come+V-Past"}}};
  scene.spans = {{0, 3, SpanMark::kAbbreviation}};
  Document doc("Dr. Smith came.", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "Dr. | Smith | came | .");
  const Token& dr = doc.token("Dr.");
  EXPECT_EQ(readings_of(dr), "Prop-Std:Dr.@0.1");
  EXPECT_EQ(properties_of(dr), "abbrev,init-cap,init-token,nf");
  EXPECT_FALSE(has_flag(dr, token_flags::sentence_end));
  EXPECT_EQ(readings_of(doc.token("Smith")), "Prop-Std:Smith");
  EXPECT_EQ(properties_of(doc.token("Smith")), "init-cap");

  // An abbreviation lookup that knows the word gives its readings instead.
  scene.lexicons.named["abbrev"] = {{"Dr.", {"doctor+Nn-Std"}}};
  Document known("Dr. Smith came.", scene);
  known.first_pass();
  EXPECT_EQ(readings_of(known.token("Dr.")), "Nn-Std:doctor");
  EXPECT_EQ(properties_of(known.token("Dr.")), "abbrev,init-cap,init-token");
}

TEST(DictionaryPass, FullStopBeforeAFunctionWordEndsTheSentence) {
  Scene scene;
  scene.lexicons.main = {{"the", {"the+Det"}}, {"house", {"house+Nn-Sg"}}};
  scene.spans = {{0, 4, SpanMark::kAbbreviation}};
  Document doc("etc. The house", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "etc | . | The | house");
  const std::vector<Token*> tokens = doc.tokens();
  EXPECT_EQ(tokens[0]->begin, 0u);
  EXPECT_EQ(tokens[0]->end, 3u);
  EXPECT_FALSE(has_flag(*tokens[0], token_flags::abbreviation_range));
  EXPECT_EQ(readings_of(*tokens[0]), "Nn-Std:etc");
  EXPECT_EQ(tokens[1]->begin, 3u);
  EXPECT_EQ(tokens[1]->end, 4u);
  EXPECT_EQ(readings_of(*tokens[1]), "Punct-Std:.");
  EXPECT_EQ(tokens[1]->flags,
            token_flags::sentence_end | token_flags::readings_final);
  // "The" is not looked up lower-cased here: it does not start this
  // sentence, so it is an unknown capitalised word.
  EXPECT_EQ(readings_of(*tokens[2]), "Prop-Std:The");
  EXPECT_EQ(readings_of(*tokens[3]), "Nn-Sg:house");
}

TEST(DictionaryPass, KnownAbbreviationBeforeAFunctionWordKeepsItsFullStop) {
  Scene scene;
  scene.lexicons.main = {{"the", {"the+Det"}}};
  scene.lexicons.named["abbrev"] = {{"etc.", {"etc.+Adv"}}};
  scene.spans = {{0, 4, SpanMark::kAbbreviation}};
  Document doc("etc. The", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "etc. | The");
  const Token& etc = doc.token("etc.");
  EXPECT_EQ(readings_of(etc), "Adv:etc.");
  EXPECT_EQ(
      etc.flags & (token_flags::sentence_end | token_flags::readings_final),
      token_flags::sentence_end | token_flags::readings_final);
}

TEST(DictionaryPass, AbbreviationWhenTheNextWordDoesNotStartASentence) {
  struct Case {
    const char* text;
    Answers main;
    const char* readings;
  };
  const Case cases[] = {
      // Lower-case next word.
      {"etc. the", {{"the", {"the+Det"}}}, "Nn-Std:etc.@0.1"},
      // Lower-cased, the next word is a noun.
      {"etc. Houses", {{"houses", {"house+Nn-Pl"}}}, "Nn-Std:etc.@0.1"},
      // The lexicon does not know the next word lower-cased.
      {"etc. Xyz", {}, "Nn-Std:etc.@0.1"},
      // A given name follows.
      {"no. Anna",
       {{"Anna", {"Anna+Prop-Std+giv"}}, {"anna", {"a+Det"}}},
       "Nn-Std:no.@0.1"},
      // A digit first.
      {"3. the", {}, "Num-Std:3.@0.1"},
      // The first character decides, not the first byte (0xC3 read as a
      // character would be the capital Ã).
      {"éd. the", {}, "Nn-Std:éd.@0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Scene scene;
    scene.lexicons.main = c.main;
    const std::string text = c.text;
    scene.spans = {
        {0, static_cast<uint32_t>(text.find(' ')), SpanMark::kAbbreviation}};
    Document doc(text, scene);
    doc.first_pass();
    const Token& first = *doc.tokens().front();
    EXPECT_EQ(doc.tokens().size(), 2u);
    EXPECT_EQ(readings_of(first), c.readings);
    EXPECT_TRUE(first.properties.count("abbrev"));
    EXPECT_TRUE(first.properties.count("nf"));
    EXPECT_FALSE(has_flag(first, token_flags::sentence_end));
  }
}

TEST(SetAbbrevProperties, GuessedReadingByTheFirstCharacter) {
  struct Case {
    const char* word;
    bool got_readings;
    const char* readings;
    const char* properties;
  };
  const Case cases[] = {
      {"Dr.", true, "Prop-Std:Dr.@0.1", "abbrev,nf"},
      {"etc.", true, "Nn-Std:etc.@0.1", "abbrev,nf"},
      {"3.", true, "Num-Std:3.@0.1", "abbrev,nf"},
      // Characters, not bytes: é would be the capital Ã read as a byte, and
      // a full-width capital is upper case.
      {"éd.", true, "Nn-Std:éd.@0.1", "abbrev,nf"},
      {"Über.", true, "Prop-Std:Über.@0.1", "abbrev,nf"},
      {"Ｎｏ.", true, "Prop-Std:Ｎｏ.@0.1", "abbrev,nf"},
      // The word is the stem as it is; a "+" in it cuts nothing.
      {"A+B.", true, "Prop-Std:A+B.@0.1", "abbrev,nf"},
      {"#x.", false, "Punct:#x.", "abbrev"},
      {"-.", false, "Punct:-.", "abbrev"},
      // No full stop: no guess.
      {"Dr", false, "Punct:Dr", "abbrev"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    Token token(0, static_cast<uint32_t>(std::string(c.word).size()), c.word);
    token.readings.emplace_back("Punct", c.word, 1.0);
    EXPECT_EQ(set_abbrev_properties(&token, {}), c.got_readings);
    EXPECT_EQ(readings_of(token), c.readings);
    EXPECT_EQ(properties_of(token), c.properties);
  }
}

TEST(DictionaryPass, NumbersWrittenWithLetters) {
  struct Case {
    const char* word;
    const char* readings;
    bool init_cap;
  };
  const Case cases[] = {
      {"Xyz123", "Prop-Std:Xyz123", true},
      {"X123", "Nn-Std:X123", false},
      {"xy12", "Nn-Std:xy12", false},
      // The first two characters decide, not the first two bytes.
      {"Éte12", "Prop-Std:Éte12", true},
      {"ÉT12", "Nn-Std:ÉT12", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    Scene scene;
    Document doc(std::string("see ") + c.word, scene);
    doc.first_pass();
    const Token& token = doc.token(c.word);
    EXPECT_EQ(readings_of(token), c.readings);
    EXPECT_EQ(token.properties.count("init-cap") != 0, c.init_cap);
    EXPECT_TRUE(token.properties.count("alphanum"));
  }
}

TEST(DictionaryPass, FirstWordOfASentenceAndAfterAColon) {
  Scene scene;
  scene.lexicons.main = {{"Note", {"note+Nn-Sg"}},
                         {"the", {"the+Det"}},
                         {"house", {"house+Nn-Sg"}},
                         {"It", {"it+Pron"}}};
  Document doc("Note: the house\n\"It: \"the house", scene);
  doc.first_pass();
  std::vector<std::string> marked;
  for (const Token* token : doc.tokens()) {
    if (token->properties.count("init-token")) {
      marked.push_back(token->literal + "@" + std::to_string(token->begin));
    }
  }
  // Punctuation after the start or after the colon is passed over.
  EXPECT_EQ(marked,
            (std::vector<std::string>{"Note@0", "the@6", "It@17", "the@22"}));
}

TEST(DictionaryPass, EveryOutputIsAReadingOfWeightOneOverN) {
  Scene scene;
  scene.lexicons.main = {{"bill", {"bill+Nn-Sg", "bill+V-Inf", "bill+V-Pres"}}};
  Document doc("a bill", scene);
  doc.first_pass();
  EXPECT_EQ(readings_of(doc.token("bill")),
            "Nn-Sg:bill@0.333333 | V-Inf:bill@0.333333 | V-Pres:bill@0.333333");
}

TEST(DictionaryPass, LaterLookupsOfTheChainAnswerWhenTheFirstDoesNot) {
  Scene scene;
  scene.lexicons.main = {{"house", {"house+Nn-Sg"}}};
  scene.lexicons.second = {{"Oslo", {"Oslo+Prop-City"}}};
  Document doc("house Oslo", scene);
  doc.first_pass();
  EXPECT_EQ(readings_of(doc.token("Oslo")), "Prop-City:Oslo");
  // An answer takes "nf" away.
  EXPECT_EQ(properties_of(doc.token("Oslo")), "init-cap");
}

TEST(DictionaryPass, UnknownWords) {
  struct Case {
    const char* text;
    bool guesser;
    Answers guess;
    const char* word;
    const char* readings;
    bool not_found;
  };
  const Case cases[] = {
      {"a zq", false, {{"zq", {"zq+V-Inf"}}}, "zq", "Nn-Std:zq", true},
      {"a zq", true, {{"zq", {"zq+V-Inf"}}}, "zq", "V-Inf:zq", true},
      {"a zq", true, {{"zq", {"zq+V-Inf+cleanup"}}}, "zq", "V-Inf:zq", false},
      {"a zq", true, {{"x", {"x+Adj"}}}, "zq", "Nn-Std:zq", true},
      {"a Zq", true, {{"x", {"x+Adj"}}}, "Zq", "Prop-Std:Zq", true},
      // Without the guesser a capitalised word is a noun too.
      {"a Zq", false, {{"x", {"x+Adj"}}}, "Zq", "Nn-Std:Zq", true},
      // One character: punctuation, a capital or a noun, guesser or not.
      {"a §", true, {{"§", {"x+Adj"}}}, "§", "Punct:§", true},
      {"a Q", true, {{"Q", {"x+Adj"}}}, "Q", "Prop-Std:Q", true},
      {"a ä", true, {{"ä", {"x+Adj"}}}, "ä", "Nn-Std:ä", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.guesser ? " guesser" : ""));
    Scene scene;
    scene.lexicons.guess = c.guess;
    scene.options = c.guesser
                        ? R"({"detect_headers": "false"})"
                        : R"({"detect_headers": "false", "guesser": "false"})";
    Document doc(c.text, scene);
    doc.first_pass();
    const Token& token = doc.token(c.word);
    EXPECT_EQ(readings_of(token), c.readings);
    EXPECT_EQ(token.properties.count("nf") != 0, c.not_found);
  }
}

TEST(DictionaryPass, AllCapitalWordsAreLookedUpCapitalisedAndLowerCased) {
  struct Case {
    const char* word;
    Answers main;
    Answers second;
    const char* readings;
  };
  const Case cases[] = {
      {"NATO", {{"Nato", {"NATO+Prop-Org"}}}, {}, "Prop-Org:NATO"},
      {"HOUSE",
       {{"House", {"House+Prop-Std"}}, {"house", {"house+Nn-Sg"}}},
       {},
       "Prop-Std:House@0.5 | Nn-Sg:house@0.5"},
      // The two forms may answer alike: each output once.
      {"RUN",
       {{"Run", {"run+V-Inf"}}, {"run", {"run+V-Inf", "run+Nn-Sg"}}},
       {},
       "V-Inf:run@0.5 | Nn-Sg:run@0.5"},
      // The other lookups of the chain for the lower-cased form.
      {"OSLO", {}, {{"oslo", {"Oslo+Prop-City"}}}, "Prop-City:Oslo"},
      // A word beginning with a character of several bytes stays valid
      // UTF-8 when its first character is capitalised.
      {"ＡＢＣ", {{"Ａｂｃ", {"Abc+Prop-Std"}}}, {}, "Prop-Std:Abc"},
      {"ÄRGER", {{"ärger", {"Ärger+Nn-Sg"}}}, {}, "Nn-Sg:Ärger"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    Scene scene;
    scene.lexicons.main = c.main;
    scene.lexicons.second = c.second;
    Document doc(std::string("see ") + c.word, scene);
    doc.first_pass();
    const Token& token = doc.token(c.word);
    EXPECT_TRUE(token.properties.count("all-cap"));
    EXPECT_EQ(readings_of(token), c.readings);
  }
}

TEST(DictionaryPass, HeaderSentencesLookCapitalisedWordsUpLowerCased) {
  Scene scene;
  scene.options = R"({"detect_headers": "true"})";
  scene.lexicons.main = {{"annual", {"annual+Adj"}},
                         {"report", {"report+Nn-Sg"}}};
  Document doc("Annual Report 2020\nAnnual figures were good today", scene);
  doc.first_pass();
  const std::vector<Token*> tokens = doc.tokens();
  EXPECT_EQ(readings_of(*tokens[0]), "Adj:annual");
  EXPECT_EQ(readings_of(*tokens[1]), "Nn-Sg:report");
  // Not a header: no lower-cased lookup.
  EXPECT_EQ(readings_of(*tokens[3]), "Prop-Std:Annual");

  Blackboard& bb = doc.blackboard();
  auto* first = annotation_cast<Sentence>(bb.annotations->head);
  auto* second = annotation_cast<Sentence>(first->next);
  auto* header = annotation_cast<Concept>(first->annotations.head);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->get_attribute("header"), "true");
  EXPECT_FALSE(annotation_cast<Concept>(second->annotations.head)
                   ->has_attribute("header"));
}

TEST(DictionaryPass, NamedLookups) {
  Scene scene;
  scene.apostrophe = "(l').+";
  scene.lexicons.named["apostrophe"] = {{"été", {"été+Nn-Sg"}}};
  scene.lexicons.named["hashtag"] = {{"#fun", {"fun+Nn-Sg"}}};
  scene.lexicons.main = {{"l'", {"le+Det"}}, {"#fun", {"never+Adv"}}};
  Document doc("l'été #fun", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "l' | été | #fun");
  // The apostrophe lookup knows "été"; "l'" goes to the main lexicon.
  EXPECT_EQ(readings_of(doc.token("été")), "Nn-Sg:été");
  EXPECT_EQ(readings_of(doc.token("l'")), "Det:le");
  // A hashtag is looked up in the lookup its property names.
  const Token& tag = doc.token("#fun");
  EXPECT_EQ(readings_of(tag), "Nn-Sg:fun");
  EXPECT_TRUE(has_flag(tag, token_flags::tagged));
}

TEST(DictionaryPass, PropertyLookupsInSortedOrder) {
  struct Case {
    const char* label;
    std::map<std::string, Answers> named;
    const char* readings;
  };
  // "#fun" carries "hashtag" from the tokenizer and "alpha" and "zeta" added
  // here; the named lookups are asked in the order of the property names and
  // the first that knows the word answers.
  const Case cases[] = {
      {"first known",
       {{"alpha", {{"#fun", {"a+Adj"}}}},
        {"hashtag", {{"#fun", {"h+Nn-Sg"}}}},
        {"zeta", {{"#fun", {"z+Adv"}}}}},
       "Adj:a"},
      {"first silent",
       {{"alpha", {}},
        {"hashtag", {{"#fun", {"h+Nn-Sg"}}}},
        {"zeta", {{"#fun", {"z+Adv"}}}}},
       "Nn-Sg:h"},
      {"only the last",
       {{"alpha", {}}, {"hashtag", {}}, {"zeta", {{"#fun", {"z+Adv"}}}}},
       "Adv:z"},
      // None knows it: the main lexicon is asked.
      {"none", {{"alpha", {}}, {"hashtag", {}}}, "V-Inf:main"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Scene scene;
    scene.lexicons.main = {{"#fun", {"main+V-Inf"}}};
    scene.lexicons.named = c.named;
    Document doc("a #fun", scene);
    Token& tag = doc.token("#fun");
    ASSERT_TRUE(has_flag(tag, token_flags::property_lookup));
    tag.properties.insert("alpha");
    tag.properties.insert("zeta");
    doc.first_pass();
    EXPECT_EQ(readings_of(tag), c.readings);
  }
}

TEST(DictionaryPass, ApostropheLookupTakesNotFoundAway) {
  Scene scene;
  scene.apostrophe = "(l').+";
  scene.lexicons.named["apostrophe"] = {{"Été", {"été+Nn-Sg"}}};
  Document doc("l'Été", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "l' | Été");
  EXPECT_EQ(readings_of(doc.token("Été")), "Nn-Sg:été");
  EXPECT_EQ(properties_of(doc.token("Été")), "init-cap");
}

TEST(DictionaryPass, HeaderPrefixOnlyWhileTheStartIsArmed) {
  Scene scene;
  scene.lexicons.main = {{"Intro", {"intro+Nn-Sg"}},
                         {"see", {"see+V-Inf"}},
                         {"more", {"more+Adv"}}};
  // The quote and "Intro" lie before the first word is marked; "more"
  // after it.
  scene.spans = {{0, 1, SpanMark::kHeaderPrefix},
                 {2, 7, SpanMark::kHeaderPrefix},
                 {12, 16, SpanMark::kHeaderPrefix}};
  Document doc("\" Intro see more", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "\" | Intro | see | more");
  std::vector<std::string> prefixed;
  for (const Token* token : doc.tokens()) {
    if (token->properties.count("hdr-prefix")) prefixed.push_back(token->literal);
  }
  EXPECT_EQ(prefixed, (std::vector<std::string>{"\"", "Intro"}));
}

TEST(DictionaryPass, TokensTheDictionaryDoesNotTouch) {
  Scene scene;
  scene.lexicons.main = {{",", {"x+Adj"}}, {"<b>", {"x+Adj"}}};
  Document doc("a, <b>", scene);
  doc.first_pass();
  // Punctuation keeps the tokenizer's reading.
  EXPECT_EQ(readings_of(doc.token(",")), "Punct-Comma:,");
  EXPECT_EQ(readings_of(doc.token("<b>")), "Markup:<b>");
}

TEST(DictionaryPass, AmbiguousUnitsAreDecidedAtTheEnd) {
  Scene scene;
  scene.measure = "(\\$)?([0-9]+)(m|km)?";
  scene.lexicons.main = {{"m", {"metre+Nn-Sym+unit", "million+Num+value"}},
                         {"people", {"person+Nn-Pl"}}};
  Document doc("5m people", scene);
  doc.first_pass();
  ASSERT_EQ(doc.literals(), "5 | m | people");
  EXPECT_EQ(readings_of(doc.token("m")), "Num:million@0.5");
}

TEST(DictionaryPass, NoMainChainLeavesTheTokenizersReadings) {
  Scene scene;
  Document doc("a zq.", scene);
  doc.blackboard().morph_data = std::make_shared<core::MorphData>();
  doc.first_pass();
  EXPECT_EQ(readings_of(doc.token("zq")), "");
  EXPECT_EQ(readings_of(doc.token(".")), "Punct-Sent:.");
  EXPECT_FALSE(doc.token("a").properties.count("init-token"));
}

TEST(AddLowercaseMorphdata, NewFirstWordOfASentence) {
  struct Case {
    const char* text;
    Answers main;
    const char* word;
    const char* readings;
    const char* properties;
  };
  const Case cases[] = {
      {"The", {{"the", {"the+Det"}}}, "The", "Det:the", "init-cap,nf"},
      {"Bill",
       {{"Bill", {"Bill+Prop-Std"}}, {"bill", {"bill+Nn-Sg"}}},
       "Bill",
       "Prop-Std:Bill@0.5 | Nn-Sg:bill@0.5",
       "init-cap,nf"},
      // Punctuation first: the word after it.
      {"\"The", {{"the", {"the+Det"}}}, "The", "Det:the", "init-cap,nf"},
      // Unknown.
      {"Zq", {}, "Zq", "", "init-cap,nf"},
      {"zq", {}, "zq", "", "nf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Scene scene;
    scene.lexicons.main = c.main;
    Document doc(c.text, scene);
    add_lowercase_morphdata(doc.blackboard(), doc.tokens().front());
    EXPECT_EQ(readings_of(doc.token(c.word)), c.readings);
    EXPECT_EQ(properties_of(doc.token(c.word)), c.properties);
  }

  // Numbers and final readings are left alone.
  Scene scene;
  scene.lexicons.main = {{"12", {"x+Adj"}}};
  Document number("12", scene);
  add_lowercase_morphdata(number.blackboard(), number.tokens().front());
  EXPECT_EQ(readings_of(number.token("12")), "Num:12");

  scene.lexicons.main = {{"the", {"the+Det"}}};
  Document final_readings("The", scene);
  Token& the = final_readings.token("The");
  the.readings.emplace_back("Prop-Std", "The", 1.0);
  the.flags |= token_flags::readings_final;
  add_lowercase_morphdata(final_readings.blackboard(), &the);
  EXPECT_EQ(readings_of(the), "Prop-Std:The");
  EXPECT_EQ(properties_of(the), "init-cap,nf");
}

TEST(SecondPass, ConditionsSelectTokensToLookUpAgain) {
  Scene scene;
  scene.conditions = nlohmann::json::parse(R"([
    {"type": "pos", "value": "Nn-Pl", "action": "merge", "input": "stem"},
    {"type": "property", "value": "nf", "action": "overwrite", "input": "literal"}
  ])");
  scene.lexicons.main = {{"houses", {"house+Nn-Pl"}},
                         {"a", {"a+Det", "a+Nn-Sg"}}};
  Document doc("a houses zq", scene);
  doc.first_pass();
  ASSERT_EQ(readings_of(doc.token("zq")), "Nn-Std:zq");

  // What the lexicons answer now.
  Blackboard& bb = doc.blackboard();
  auto later = std::make_shared<FixedLexicon>(Answers{
      {"house", {"house+Nn-Sg"}}, {"zq", {"zq+V-Inf"}}, {"a", {"x+Adj"}}});
  bb.morph_data->lookups = {std::make_shared<core::LookupProxy>(later, &bb)};
  additional_dictionary_lookup_information(bb);

  // Merge: the stem's readings join the token's.
  EXPECT_EQ(readings_of(doc.token("houses")), "Nn-Pl:house | Nn-Sg:house");
  EXPECT_TRUE(doc.token("houses").properties.count("test"));
  // Overwrite: the readings and properties are replaced.
  EXPECT_EQ(readings_of(doc.token("zq")), "V-Inf:zq");
  EXPECT_EQ(properties_of(doc.token("zq")), "test");
  // No condition holds: untouched, and the sentence is not tagged again.
  EXPECT_EQ(readings_of(doc.token("a")), "Det:a@0.5 | Nn-Sg:a@0.5");
}

TEST(SecondPass, SentenceIsTaggedAgainWhenATokenGotSeveralReadings) {
  Scene scene;
  scene.conditions = nlohmann::json::parse(
      R"([{"type": "pos", "value": "Nn-Pl", "action": "merge", "input": "stem"}])");
  scene.lexicons.main = {{"bills", {"bill+Nn-Pl"}},
                         {"a", {"a+Det", "a+Nn-Sg"}}};
  Document doc("a bills", scene);
  doc.first_pass();
  Blackboard& bb = doc.blackboard();
  auto later = std::make_shared<FixedLexicon>(
      Answers{{"bill", {"bill+Nn-Sg", "bill+V-Inf"}}});
  bb.morph_data->lookups = {std::make_shared<core::LookupProxy>(later, &bb)};
  additional_dictionary_lookup_information(bb);
  // The tagger keeps the readings of one part of speech per token.
  for (const Token* token : doc.tokens()) {
    std::set<std::string> tags;
    for (const MorphData& reading : token->readings) tags.insert(reading.pos());
    EXPECT_EQ(tags.size(), 1u) << token->literal << ": " << readings_of(*token);
  }
}

TEST(SecondPass, LookupsOfANotFoundWord) {
  struct Case {
    const char* text;
    const char* word;
    Answers main;
    Answers second;
    const char* readings;
    const char* properties;
  };
  const Case cases[] = {
      // After an opening quote the lower-cased word is asked too.
      {"\"Zq", "Zq", {{"zq", {"zq+V-Inf"}}}, {}, "V-Inf:zq", "init-cap,test"},
      // All capitals: capitalised and lower-cased.
      {"see ZQX",
       "ZQX",
       {{"Zqx", {"Zqx+Prop-Std"}}, {"zqx", {"zqx+Nn-Sg"}}},
       {},
       "Prop-Std:Zqx@0.5 | Nn-Sg:zqx@0.5",
       "all-cap,test"},
      // A first character of several bytes is capitalised whole.
      {"see ＡＢＣ",
       "ＡＢＣ",
       {{"Ａｂｃ", {"Abc+Prop-Std"}}},
       {},
       "Prop-Std:Abc",
       "all-cap,test"},
      // The other lookups of the chain.
      {"see zq", "zq", {}, {{"zq", {"zq+Adj"}}}, "Adj:zq", "test"},
      // Still unknown: the first pass's fallback stays.
      {"see zq", "zq", {}, {}, "Nn-Std:zq", "nf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Scene scene;
    scene.conditions = nlohmann::json::parse(
        R"([{"type": "property", "value": "nf", "action": "overwrite"}])");
    scene.options = R"({"detect_headers": "false", "guesser": "false"})";
    Document doc(c.text, scene);
    doc.first_pass();
    Blackboard& bb = doc.blackboard();
    bb.morph_data->lookups.clear();
    for (const Answers* answers : {&c.main, &c.second}) {
      bb.morph_data->add(std::make_shared<core::LookupProxy>(
          std::make_shared<FixedLexicon>(*answers), &bb));
    }
    additional_dictionary_lookup_information(bb);
    EXPECT_EQ(readings_of(doc.token(c.word)), c.readings);
    EXPECT_EQ(properties_of(doc.token(c.word)), c.properties);
  }
}

TEST(SecondPass, HeaderSentenceLooksTheLowerCasedWordUp) {
  Scene scene;
  scene.options = R"({"detect_headers": "true"})";
  scene.conditions = nlohmann::json::parse(
      R"([{"type": "property", "value": "init-cap", "action": "overwrite"}])");
  scene.lexicons.main = {{"annual", {"annual+Adj"}},
                         {"report", {"report+Nn-Sg"}}};
  Document doc("Annual Report 2020\nAnnual figures were good today", scene);
  doc.first_pass();
  Blackboard& bb = doc.blackboard();
  auto later = std::make_shared<FixedLexicon>(
      Answers{{"annual", {"annual+Adv"}}, {"report", {"report+V-Inf"}}});
  bb.morph_data->lookups = {std::make_shared<core::LookupProxy>(later, &bb)};
  additional_dictionary_lookup_information(bb);

  const std::vector<Token*> tokens = doc.tokens();
  // In the header the lower-cased answer replaces the readings; the
  // condition's action is not run, so the token keeps its properties.
  EXPECT_EQ(readings_of(*tokens[1]), "V-Inf:report");
  EXPECT_EQ(properties_of(*tokens[1]), "init-cap,test");
  // Outside a header the capitalised word keeps what it had.
  EXPECT_EQ(tokens[3]->literal, "Annual");
  EXPECT_EQ(readings_of(*tokens[3]), "Prop-Std:Annual");
}

// The whole first pass over the test language: its tokenizer, its lookup
// chains (a case-sensitive lexicon, names, the lower-cased lexicon), its
// abbreviation lookup and its guesser.
TEST(DictionaryPass, TestLanguage) {
  TokenizedDocument doc(testing::load_test_language(
                            testing::test_language_folder().string()),
                        "Dr. Smith came.\netc. The bill is big.",
                        R"({"detect_headers": "false"})");
  Blackboard& bb = doc.blackboard();
  bb.spans.push_back({0, 3, SpanMark::kAbbreviation});
  bb.spans.push_back({16, 20, SpanMark::kAbbreviation});
  doc.add_sentence(0, 15);
  doc.add_sentence(16, 37);
  add_dictionary_lookup_information(bb);

  std::vector<std::string> seen;
  for (const Token* token : doc.all_tokens()) {
    seen.push_back(token->literal + " " + readings_of(*token) + " {" +
                   properties_of(*token) + "}");
  }
  EXPECT_EQ(seen, (std::vector<std::string>{
                      // The forced token took the status of its full stop.
                      "Dr. Prop-Abbr:Dr. "
                      "{abbrev,init-cap,init-token,sentence-end}",
                      "Smith Prop-Std:Smith {init-cap,word}",
                      "came V-Past:come {word}",
                      ". Punct-Sent:. {sentence-end}",
                      // A known abbreviation before a function word keeps
                      // its full stop and ends the sentence.
                      "etc. Adv:etc. {abbrev}",
                      "The Det-Def:the {init-cap,init-token,word}",
                      "bill Nn-Sg:bill@0.5 | V-Inf:bill@0.5 {word}",
                      "is Aux-Fin-be:be {word}",
                      "big Adj:big {word}",
                      ". Punct-Sent:. {sentence-end}",
                  }));
  EXPECT_NE(doc.all_tokens()[4]->flags & token_flags::sentence_end, 0u);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
