#include "language/measurement.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/reading.h"
#include "language/token_flags.h"
#include "language/tokenizer_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::TokenizedDocument;
using testing::properties_of;
using testing::readings_of;

const std::shared_ptr<LanguageModule>& english() {
  static const std::shared_ptr<LanguageModule> module =
      testing::load_test_language(testing::test_language_folder().string());
  return module;
}

// One token as the tests see it: literal, offsets, readings, properties and
// flags.
struct Piece {
  std::string literal;
  uint32_t begin;
  uint32_t end;
  std::string readings;
  std::string properties;
  uint64_t flags;
};

bool operator==(const Piece& a, const Piece& b) {
  return a.literal == b.literal && a.begin == b.begin && a.end == b.end &&
         a.readings == b.readings && a.properties == b.properties && a.flags == b.flags;
}

std::ostream& operator<<(std::ostream& out, const Piece& p) {
  return out << "{" << p.literal << " " << p.begin << "-" << p.end << " [" << p.readings
             << "] {" << p.properties << "} 0x" << std::hex << p.flags << std::dec << "}";
}

std::vector<Piece> pieces_of(const TokenizedDocument& document) {
  std::vector<Piece> pieces;
  for (const Token* t : document.tokens()) {
    pieces.push_back({t->literal, t->begin, t->end, readings_of(*t), properties_of(*t), t->flags});
  }
  return pieces;
}

constexpr uint64_t kFinal = token_flags::readings_final;
constexpr uint64_t kCandidate = token_flags::measure_candidate;
constexpr uint64_t kUnit = token_flags::measure_unit;

// The test language's measure expression is (\$|£|€)?([0-9]+)(km|...|m|...)?;
// its rules give 514 to an amount with a currency sign and 511 to a number
// with letters.
TEST(Measurement, TokensAreCutByTheGroupsOfTheMeasureExpression) {
  struct Case {
    std::string text;
    std::vector<Piece> pieces;
    uint64_t sentence_flags;
  };
  const Case cases[] = {
      {"$100",
       {{"$", 0, 1, "Nn-Sym:$", "currency", kFinal},
        {"100", 1, 4, "Num:100", "", kFinal}},
       0},
      {"100km",
       {{"100", 0, 3, "Num:100", "_not_a_noun_", kFinal},
        {"km", 3, 5, "Nn-Sym:km", "unit", kFinal}},
       0},
      // Metre or million: decided after the dictionary pass.
      {"100m",
       {{"100", 0, 3, "Num:100", "_not_a_noun_", 0},
        {"m", 3, 4, "", "_mc_", kCandidate}},
       sentence_flags::has_measure_candidate},
      {"$5m",
       {{"$", 0, 1, "Nn-Sym:$", "currency", kFinal},
        {"5", 1, 2, "Num:5", "", kFinal},
        {"m", 2, 3, "", "measure", kCandidate | kUnit}},
       sentence_flags::has_measure_candidate},
      // A currency sign of more than one byte.
      {"\xE2\x82\xAC" "20",
       {{"\xE2\x82\xAC", 0, 3, "Nn-Sym:\xE2\x82\xAC", "currency", kFinal},
        {"20", 3, 5, "Num:20", "", kFinal}},
       0},
      // A number with letters that is no measurement keeps its own readings,
      // final.
      {"5.5m", {{"5.5m", 0, 4, "Num:5.5m", "_not_a_noun_,alphanum,nf", kFinal}}, 0},
      {"3rd", {{"3rd", 0, 3, "Num:3rd", "_not_a_noun_,alphanum,nf", kFinal}}, 0},
      // One group only: nothing to cut.
      {"100", {{"100", 0, 3, "Num:100", "", 0}}, 0},
      // A word is never a measurement.
      {"km", {{"km", 0, 2, "", "word", 0}}, 0},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(english(), c.text);
    ASSERT_TRUE(document.add_sentence()) << c.text;
    EXPECT_EQ(pieces_of(document), c.pieces) << c.text;
    EXPECT_EQ(document.sentences().back()->flags, c.sentence_flags) << c.text;
  }
}

TEST(Measurement, MagnitudesAreNumbers) {
  TokenizedDocument document(english(), "");
  auto* sentence = new Sentence(10, 14);
  document.blackboard().annotations->push_back(sentence);
  auto* token = new Token(10, 14, "100k");
  sentence->annotations.push_back(token);
  SubMatch value;
  value.text = "100";
  value.matched = true;
  SubMatch unit;
  unit.text = "k";
  unit.matched = true;
  apply_measurement_value_unit(sentence, token, value, unit);
  EXPECT_EQ(pieces_of(document), (std::vector<Piece>{
                                     {"100", 10, 13, "Num:100", "", kFinal},
                                     {"k", 13, 14, "Num:k", "_mc_,measure", 0}}));
  EXPECT_EQ(sentence->flags, 0u);
}

TEST(Measurement, WithoutAMeasureExpressionNothingIsCut) {
  const char rules[] = R"(
$Space = [\p{White_Space}];
$Space+;
[0-9]+ [a-z]+ {511};
)";
  TokenizedDocument document(testing::make_language(rules), "100km");
  ASSERT_TRUE(document.add_sentence());
  EXPECT_EQ(pieces_of(document),
            (std::vector<Piece>{{"100km", 0, 5, "Num:100km", "_not_a_noun_,alphanum,nf", 0}}));
}

MorphData reading(const std::string& pos, const std::string& stem,
                  const std::vector<std::string>& properties) {
  MorphData r(pos, stem, 1.0);
  r.properties = properties;
  return r;
}

// The readings a lexicon gives "m": metre and million.
void give_unit_readings(Token* token) {
  token->readings.clear();
  token->readings.push_back(reading("Nn-Sym", "metre", {"unit"}));
  token->readings.push_back(reading("Num", "million", {"value"}));
}

std::string stems_of(const Token& token) {
  std::string out;
  for (const MorphData& r : token.readings) out += (out.empty() ? "" : ",") + r.stem;
  return out;
}

TEST(Measurement, UnitWordsAreDecidedByTheWordAfterThem) {
  struct Case {
    std::string text;
    // Readings given to the tokens after the number, by literal.
    std::vector<std::pair<std::string, MorphData>> readings;
    std::string stems;
    bool measure;
  };
  const Case cases[] = {
      {"5m people", {{"people", reading("Nn-Pl", "people", {})}}, "million", false},
      {"5m tall.", {{"tall", reading("Adj-Std", "tall", {})}}, "metre", false},
      {"5m stretch", {{"stretch", reading("Nn-Sg", "stretch", {})}}, "metre", true},
      {"5m in", {{"in", reading("Prep", "in", {})}}, "metre", false},
      // Adjectives are passed over up to the noun.
      {"5m young people",
       {{"young", reading("Adj-Std", "young", {})}, {"people", reading("Nn-Pl", "people", {})}},
       "million",
       false},
      // A unit or a currency after it: the amount is a magnitude.
      {"5m $", {}, "million", false},
      {"5m", {}, "metre", false},
  };
  for (const Case& c : cases) {
    TokenizedDocument document(english(), c.text);
    ASSERT_TRUE(document.add_sentence()) << c.text;
    Token* m = nullptr;
    for (Token* token : document.tokens()) {
      if (token->literal == "m") m = token;
      for (const auto& [literal, r] : c.readings) {
        if (token->literal == literal) token->readings.push_back(r);
      }
    }
    ASSERT_NE(m, nullptr) << c.text;
    give_unit_readings(m);
    fix_measurements(document.blackboard(), *document.sentences().back());
    EXPECT_EQ(stems_of(*m), c.stems) << c.text;
    EXPECT_EQ(m->properties.count("measure") > 0, c.measure) << c.text;
  }
}

TEST(Measurement, MagnitudeAfterACurrencyKeepsItsValueReadings) {
  TokenizedDocument document(english(), "$5m people");
  ASSERT_TRUE(document.add_sentence());
  Token* m = document.tokens()[2];
  ASSERT_EQ(m->literal, "m");
  give_unit_readings(m);
  fix_measurements(document.blackboard(), *document.sentences().back());
  EXPECT_EQ(stems_of(*m), "million");
}

TEST(Measurement, NothingToDecide) {
  // The sentence has no candidate mark.
  TokenizedDocument unmarked(english(), "5m people");
  ASSERT_TRUE(unmarked.add_sentence());
  Sentence& sentence = *unmarked.sentences().back();
  sentence.flags = 0;
  give_unit_readings(unmarked.tokens()[1]);
  fix_measurements(unmarked.blackboard(), sentence);
  EXPECT_EQ(stems_of(*unmarked.tokens()[1]), "metre,million");

  // The document has no dictionary to have read the unit word.
  TokenizedDocument no_lexicon(
      testing::make_language(
          "$Space = [\\p{White_Space}]; $Space+; [0-9]+ [a-z]+ {511};", {}, "([0-9]+)(m)?"),
      "5m");
  ASSERT_TRUE(no_lexicon.add_sentence());
  ASSERT_EQ(no_lexicon.tokens().size(), 2u);
  give_unit_readings(no_lexicon.tokens()[1]);
  fix_measurements(no_lexicon.blackboard(), *no_lexicon.sentences().back());
  EXPECT_EQ(stems_of(*no_lexicon.tokens()[1]), "metre,million");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
