#include "core-afst/compound_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <atomic>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/output_capture_testutil.h"
#include "base/string_util.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Entries = std::vector<std::pair<std::string, std::string>>;
using json = nlohmann::json;

using testing::lexicon;

// A split from "output|output|...", the components laid end to end over
// their literals' lengths (offsets do not matter to the ranking).
CompoundSplit split_of(const std::string& outputs) {
  CompoundSplit split;
  int64_t at = 0;
  for (const auto& output : zel::string::split_vector(outputs, '|', true)) {
    EndOffsetResultPartV2 part(at, 0, output);
    at += static_cast<int64_t>(part.literal().size());
    part.end = at;
    split.push_back(part);
  }
  return split;
}

std::string outputs_of(const CompoundSplit& split) {
  std::string text;
  for (const auto& part : split) {
    if (!text.empty()) text += '|';
    text += part.output;
  }
  return text;
}

// ---------------------------------------------------------------------------
// Ranking.

struct RankCase {
  const char* name;
  std::string word;
  std::vector<std::string> splits;  // in the order found
  bool chosen;                      // a non-negative result
  std::vector<std::string> kept;
};

void PrintTo(const RankCase& c, std::ostream* os) { *os << c.name; }

class RankTable : public ::testing::TestWithParam<RankCase> {};

TEST_P(RankTable, Ranks) {
  const RankCase& c = GetParam();
  std::vector<CompoundSplit> splits;
  for (const auto& split : c.splits) splits.push_back(split_of(split));
  const int32_t result = get_most_likely_components(c.word, splits);
  EXPECT_EQ(result >= 0, c.chosen) << result;
  std::vector<std::string> kept;
  for (const auto& split : splits) kept.push_back(outputs_of(split));
  EXPECT_EQ(kept, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    CompoundRanking, RankTable,
    ::testing::Values(
        RankCase{"NoSplit", "haus", {}, false, {}},
        RankCase{"OneSplitOfOne", "haus", {"Haus+Nn"}, false, {}},
        RankCase{"OneSplitOfTwo", "haustür", {"Haus+Nn|Tür+Nn"}, true, {"Haus+Nn|Tür+Nn"}},
        // The word is an entry as a whole: no answer, whatever else splits.
        RankCase{"WholeEntryWins", "haustür", {"Haus+Nn|Tür+Nn", "Haustür+Nn"}, false, {}},
        // Fewest components win, wherever they were found.
        RankCase{"FewerComponents", "abcd", {"A+X|B+X|Cd+X", "Ab+X|Cd+X"}, true, {"Ab+X|Cd+X"}},
        // Equal counts, first literals of different lengths: both, in the
        // order found.
        RankCase{"FirstLiteralsDiffer",
                 "abcd",
                 {"Abc+X|D+X", "A+X|Bcd+X", "Ab+X|Cd+X"},
                 true,
                 {"Abc+X|D+X", "A+X|Bcd+X"}},
        // All literal lengths equal: the first two.
        RankCase{"SameLengthsThroughout",
                 "abcd",
                 {"ab+X|cd+X", "ab+Y|cd+Y", "ab+Z|cd+Z"},
                 true,
                 {"ab+X|cd+X", "ab+Y|cd+Y"}},
        // The first difference after an equal start: the split whose
        // literals spell the word's beginning.
        RankCase{"FirstSpellsTheWord",
                 "abcdef",
                 {"ab+X|cd+X|ef+X", "ab+X|c+X|def+X"},
                 true,
                 {"ab+X|cd+X|ef+X"}},
        RankCase{"SecondSpellsTheWord",
                 "abcdef",
                 {"ab+X|zz+X|ef+X", "ab+X|c+X|def+X"},
                 true,
                 {"ab+X|c+X|def+X"}},
        // Byte-wise and case-sensitive.
        RankCase{
            "CaseCounts", "abcdef", {"ab+X|CD+X|ef+X", "ab+X|c+X|def+X"}, true, {"ab+X|c+X|def+X"}},
        RankCase{"NeitherBeforeTheLast",
                 "abcdef",
                 {"ab+X|zz+X|ef+X", "ab+X|y+X|yyy+X", "ab+X|c+X|d+X"},
                 true,
                 {"ab+X|zz+X|ef+X", "ab+X|y+X|yyy+X"}},
        // The difference at the last place, neither spelling the word: a
        // noun decides.
        RankCase{"LastPlaceNounFirst",
                 "abzzzz",
                 {"ab+X|cdef+Nn-Sg", "ab+X|cde+Adj"},
                 true,
                 {"ab+X|cdef+Nn-Sg"}},
        RankCase{"LastPlaceNounSecond",
                 "abzzzz",
                 {"ab+X|cdef", "ab+X|cde+Nn-Sg"},
                 true,
                 {"ab+X|cde+Nn-Sg"}},
        // A second split's noun counts only when the first has no tags at
        // all there.
        RankCase{"LastPlaceFirstTagged",
                 "abzzzz",
                 {"ab+X|cdef+Adj", "ab+X|cde+Nn-Sg", "ab+X|c+X"},
                 true,
                 {"ab+X|cdef+Adj", "ab+X|cde+Nn-Sg", "ab+X|c+X"}},
        // "+Nn" is too short for a noun: nothing decides, all stay.
        RankCase{"LastPlaceShortTag",
                 "abzzzz",
                 {"ab+X|cdef+Nn", "ab+X|cde+Adj", "a+X|b+X"},
                 true,
                 {"ab+X|cdef+Nn", "ab+X|cde+Adj", "a+X|b+X"}}),
    [](const ::testing::TestParamInfo<RankCase>& info) { return info.param.name; });

TEST(CompoundRankingTest, FilterGenetives) {
  std::vector<CompoundSplit> splits = {
      split_of("Haus+Nn|Tür+Nn-Sg+gen|Griff+Nn"), split_of("Haus+Nn|Tür+Nn-Sg+gen"),
      CompoundSplit(), split_of("Haus+Nn-Sg+def|Tür+Nn"), split_of("Haus+Nn|Türgriff+Nn")};
  filter_genetives(splits);
  ASSERT_EQ(splits.size(), 2u);
  EXPECT_EQ(outputs_of(splits[0]), "Haus+Nn|Tür+Nn-Sg+gen");  // the last may carry them
  EXPECT_EQ(outputs_of(splits[1]), "Haus+Nn|Türgriff+Nn");
}

// ---------------------------------------------------------------------------
// Answer texts.

struct StemCase {
  const char* name;
  std::string word;
  CompoundSplit split;
  std::string v3;
};

void PrintTo(const StemCase& c, std::ostream* os) { *os << c.name; }

CompoundSplit parts(std::vector<EndOffsetResultPartV2> list) { return list; }

class StemTable : public ::testing::TestWithParam<StemCase> {};

TEST_P(StemTable, ConstructStemV3) {
  const StemCase& c = GetParam();
  EXPECT_EQ(construct_stem_v3(c.word, c.split), c.v3);
}

INSTANTIATE_TEST_SUITE_P(
    CompoundStems, StemTable,
    ::testing::Values(
        StemCase{"TwoNouns", "Haustür", parts({{0, 4, "Haus+Nn-Sg"}, {4, 8, "Tür+Nn-Sg"}}),
                 "#$Haustür#Haus+Nn-Sg#Tür+Nn-Sg"},
        // The surface keeps the word's case; only the last lemma's initial
        // is lowered.
        StemCase{"SurfaceAsWritten", "HAUSTÜR", parts({{0, 4, "Haus+Nn-Sg"}, {4, 8, "Tür+Nn-Sg"}}),
                 "#$HAUStür#Haus+Nn-Sg#Tür+Nn-Sg"},
        StemCase{"LinkingCharacterInTheSurface", "Arbeitsamt",
                 parts({{0, 6, "Arbeit+Nn-Sg"}, {7, 10, "Amt+Nn-Sg"}}),
                 "#$Arbeitsamt#Arbeit+Nn-Sg#Amt+Nn-Sg"},
        StemCase{"ThreeComponents", "Haustürgriff",
                 parts({{0, 4, "Haus+Nn-Sg"}, {4, 8, "Tür+Nn-Sg"}, {8, 13, "Griff+Nn-Sg"}}),
                 "#$Haustürgriff#Haus+Nn-Sg#Tür+Nn-Sg#Griff+Nn-Sg"},
        StemCase{"MultiByteInitial", "Bauärger",
                 parts({{0, 3, "Bau+Nn-Sg"}, {3, 9, "Ärger+Nn-Sg"}}),
                 "#$Bauärger#Bau+Nn-Sg#Ärger+Nn-Sg"},
        StemCase{"LowerCaseLemmaKept", "Himmelblau",
                 parts({{0, 6, "Himmel+Nn-Sg"}, {6, 10, "blau+Adj"}}),
                 "#$Himmelblau#Himmel+Nn-Sg#blau+Adj"},
        // An emptied prefix adds its surface but no component.
        StemCase{"EmptiedFirst", "Unglück", parts({{0, 2, ""}, {2, 8, "Glück+Nn-Sg"}}),
                 "#$Unglück#Glück+Nn-Sg"},
        // An emptied last component adds no lemma.
        StemCase{"EmptiedLast", "Haustürer",
                 parts({{0, 4, "Haus+Nn-Sg"}, {4, 8, "Tür+Nn-Sg"}, {8, 10, ""}}),
                 "#$Haustür#Haus+Nn-Sg#Tür+Nn-Sg"},
        StemCase{"LastWithoutLemma", "Hausx", parts({{0, 4, "Haus+Nn-Sg"}, {4, 5, "+Sfx"}}),
                 "#$Haus#Haus+Nn-Sg#+Sfx"},
        StemCase{"OutputWithItsOwnHash", "Haustür",
                 parts({{0, 4, "#Haus+Nn-Sg"}, {4, 8, "Tür+Nn-Sg"}}),
                 "#$Haustür#Haus+Nn-Sg#Tür+Nn-Sg"},
        // A word holding "#" gets the plain component list.
        StemCase{"HashInTheWord", "#haustür", parts({{1, 5, "Haus+Nn-Sg"}, {5, 9, "#Tür+Nn-Sg"}}),
                 "#Haus+Nn-Sg##Tür+Nn-Sg"},
        // Offsets beyond the word copy the word, no more.
        StemCase{"StartBeyondTheWord", "ab", parts({{0, 1, "A+X"}, {10, 12, "B+X"}}),
                 "#$abb#A+X#B+X"},
        StemCase{"NoComponent", "haus", CompoundSplit(), "#$"}),
    [](const ::testing::TestParamInfo<StemCase>& info) { return info.param.name; });

TEST(CompoundStemTest, OtherWriters) {
  const CompoundSplit split = parts({{0, 4, "Haus+Nn-Sg"}, {4, 5, ""}, {5, 9, "#Tür+Nn-Sg"}});
  EXPECT_EQ(construct_stem_v2("ignored", split), "#Haus+Nn-Sg##Tür+Nn-Sg");
  EXPECT_EQ(construct_literal("Haus-Tür", split), "#$Haus-Tür#Haus+Nn-Sg#Tür+Nn-Sg");

  EXPECT_EQ(fst_label_stem("Haus+Nn-Sg+Neut"), "Haus");
  EXPECT_EQ(fst_label_stem("Haus"), "Haus");
  EXPECT_EQ(fst_label_stem("+Nn"), "");
  EXPECT_EQ(has_properties("Haus+Nn-Sg+Neut"), 10u);
  EXPECT_EQ(has_properties("Haus+Nn-Sg"), std::string::npos);
  EXPECT_EQ(has_properties("Haus"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The lookups.

const Entries kGerman = {
    {"haus", "Haus+Nn-Sg"},         {"tür", "Tür+Nn-Sg"},     {"griff", "Griff+Nn-Sg"},
    {"türgriff", "Türgriff+Nn-Sg"}, {"boot", "Boot+Nn-Sg"},   {"bootshaus", "Bootshaus+Nn-Sg"},
    {"arbeit", "Arbeit+Nn-Sg"},     {"amt", "Amt+Nn-Sg"},     {"gast", "Gast+Nn-Sg"},
    {"gasthaus", "Gasthaus+Nn-Sg"}, {"bahn", "Bahn+Nn-Sg"},   {"bahnhof", "Bahnhof+Nn-Sg"},
    {"hofladen", "Hofladen+Nn-Sg"}, {"laden", "Laden+Nn-Sg"},
};

TEST(CompoundLookupTest, TypeCodes) {
  auto network = lexicon(kGerman);
  EXPECT_EQ(CompoundLookupV2(network, nullptr).type(), 3);
  EXPECT_EQ(CompoundLookupV3(network, nullptr, json()).type(), 4);
  EXPECT_EQ(CompoundLookupNumbers(network, nullptr, json()).type(), 5);
}

TEST(CompoundLookupTest, Answers) {
  auto network = lexicon(kGerman);
  auto lower = std::make_shared<LookupConverterLowercase>();
  CompoundLookupV2 v2(network, lower);
  CompoundLookupV3 v3(network, lower, json::object());
  CompoundLookupNumbers numbers(network, lower, json::object());
  for (LookupInterface* lookup : std::vector<LookupInterface*>{&v2, &v3, &numbers}) {
    SCOPED_TRACE(lookup->type());
    // An entry as a whole: nothing, also where it splits too.
    EXPECT_THAT(lookup->up("Haus"), IsEmpty());
    EXPECT_THAT(lookup->up("Gasthaus"), IsEmpty());
    EXPECT_THAT(lookup->up("Hausboot"), ElementsAre("#$Hausboot#Haus+Nn-Sg#Boot+Nn-Sg"));
    EXPECT_THAT(lookup->up("Arbeitsamt"), ElementsAre("#$Arbeitsamt#Arbeit+Nn-Sg#Amt+Nn-Sg"));
    // Two components beat three: Haus + Türgriff, not Haus + Tür + Griff.
    EXPECT_THAT(lookup->up("Haustürgriff"),
                ElementsAre("#$Haustürgriff#Haus+Nn-Sg#Türgriff+Nn-Sg"));
    EXPECT_THAT(lookup->up("Hausxyz"), IsEmpty());
    EXPECT_THAT(lookup->up(""), IsEmpty());
  }
  // Two two-component splits whose first literals differ in length: both,
  // the longer first component first (as found).
  for (LookupInterface* lookup : std::vector<LookupInterface*>{&v2, &v3, &numbers}) {
    EXPECT_THAT(lookup->up("Bahnhofladen"),
                ElementsAre("#$Bahnhofladen#Bahnhof+Nn-Sg#Laden+Nn-Sg",
                            "#$Bahnhofladen#Bahn+Nn-Sg#Hofladen+Nn-Sg"));
  }
}

TEST(CompoundLookupTest, GenitivesInsideASplit) {
  auto network =
      lexicon({{"haus", "Haus+Nn-Sg"}, {"tür", "Tür+Nn-Sg+gen"}, {"griff", "Griff+Nn-Sg"}});
  EXPECT_THAT(CompoundLookupV2(network, nullptr).up("haustürgriff"),
              ElementsAre("#$haustürgriff#Haus+Nn-Sg#Tür+Nn-Sg+gen#Griff+Nn-Sg"));
  EXPECT_THAT(CompoundLookupNumbers(network, nullptr, json()).up("haustürgriff"),
              ElementsAre("#$haustürgriff#Haus+Nn-Sg#Tür+Nn-Sg+gen#Griff+Nn-Sg"));
  // The third lookup drops the split.
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json()).up("haustürgriff"), IsEmpty());
  // As the last component the tag is no obstacle.
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json()).up("haustür"),
              ElementsAre("#$haustür#Haus+Nn-Sg#Tür+Nn-Sg+gen"));
}

TEST(CompoundLookupTest, ConverterOnlyForTheSearch) {
  auto network = lexicon(kGerman);
  // Without a converter only the lexicon's own writing matches.
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json()).up("Hausboot"), IsEmpty());
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json()).up("hausboot"),
              ElementsAre("#$hausboot#Haus+Nn-Sg#Boot+Nn-Sg"));
}

// Lower-casing changes byte lengths: "İ" (2 bytes) becomes "i" (1 byte),
// "Ⱥ" (2 bytes) becomes "ⱥ" (3 bytes). The surface of the answer is still
// the word's own, cut at the right characters.
TEST(CompoundLookupTest, SurfaceWhenLowerCasingChangesLengths) {
  auto network = lexicon({{"istanbul", "Istanbul+Prop"},
                          {"haus", "Haus+Nn-Sg"},
                          {"ⱥⱥⱥ", "Ⱥⱥⱥ+Nn-Sg"},
                          {"b", "B+Nn-Sg"}});
  auto lower = std::make_shared<LookupConverterLowercase>();
  for (int variant = 0; variant < 3; ++variant) {
    std::unique_ptr<LookupInterface> lookup;
    if (variant == 0) lookup = std::make_unique<CompoundLookupV2>(network, lower);
    if (variant == 1) lookup = std::make_unique<CompoundLookupV3>(network, lower, json());
    if (variant == 2) lookup = std::make_unique<CompoundLookupNumbers>(network, lower, json());
    SCOPED_TRACE(lookup->type());
    EXPECT_THAT(lookup->up("İstanbulhaus"), ElementsAre("#$İstanbulhaus#Istanbul+Prop#Haus+Nn-Sg"));
    EXPECT_THAT(lookup->up("ȺȺȺb"), ElementsAre("#$ȺȺȺb#Ⱥⱥⱥ+Nn-Sg#B+Nn-Sg"));
    EXPECT_THAT(lookup->up("ȺȺȺhaus"), ElementsAre("#$ȺȺȺhaus#Ⱥⱥⱥ+Nn-Sg#Haus+Nn-Sg"));
  }
}

// A converter that changes the number of characters: the answer copies the
// converted word, whose offsets the search found.
class SharpSConverter : public ILookupConverter {
 public:
  std::string operator()(const std::string& text) override {
    std::string lowered = LookupConverterLowercase()(text);
    zel::string::replace_all(lowered, "ß", "ss");
    return lowered;
  }
};

TEST(CompoundLookupTest, ConverterChangingTheCharacterCount) {
  auto network = lexicon({{"strassen", "Straße+Nn-Pl"}, {"bahn", "Bahn+Nn-Sg"}});
  CompoundLookupV3 lookup(network, std::make_shared<SharpSConverter>(), json());
  EXPECT_THAT(lookup.up("Straßenbahn"), ElementsAre("#$strassenbahn#Straße+Nn-Pl#Bahn+Nn-Sg"));
  // A converter that keeps the count keeps the word's own surface.
  EXPECT_THAT(lookup.up("STRASSENBAHN"), ElementsAre("#$STRASSENbahn#Straße+Nn-Pl#Bahn+Nn-Sg"));
}

TEST(CompoundLookupTest, MaxComponentsConfiguration) {
  auto network = lexicon({{"a", "A+X"}, {"b", "B+X"}, {"c", "C+X"}});
  auto limit = [&](const json& config) {
    return CompoundLookupV3(network, nullptr, config).max_components();
  };
  EXPECT_EQ(limit(json()), 12);
  EXPECT_EQ(limit(json::array({1, 2})), 12);
  EXPECT_EQ(limit(json{{"other", 3}}), 12);
  EXPECT_EQ(limit(json{{"max_components", 3}}), 3);
  EXPECT_EQ(limit(json{{"max_components", -2}}), -2);
  EXPECT_EQ(limit(json{{"max_components", 2.9}}), 2);
  EXPECT_EQ(limit(json{{"max_components", -2.9}}), -2);
  EXPECT_EQ(limit(json{{"max_components", true}}), 1);
  EXPECT_EQ(limit(json{{"max_components", false}}), 0);
  EXPECT_EQ(limit(json{{"max_components", 1e20}}), 2147483647);
  EXPECT_EQ(limit(json{{"max_components", 99999999999ull}}), 2147483647);
  EXPECT_EQ(limit(json{{"max_components", -99999999999ll}}), -2147483647 - 1);
  for (const json& bad : {json("3"), json(nullptr), json::array(), json::object()}) {
    try {
      CompoundLookupV3(network, nullptr, json{{"max_components", bad}});
      ADD_FAILURE() << bad;
    } catch (const json::type_error& e) {
      EXPECT_EQ(e.id, 302);
      EXPECT_THAT(e.what(), ::testing::HasSubstr("type must be number, but is "));
    }
  }
  EXPECT_THROW(CompoundLookupNumbers(network, nullptr, json{{"max_components", "3"}}),
               json::type_error);

  // The limit at work: three components need a limit of 2.
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json{{"max_components", 2}}).up("abc"),
              ElementsAre("#$abc#A+X#B+X#C+X"));
  EXPECT_THAT(CompoundLookupV3(network, nullptr, json{{"max_components", 1}}).up("abc"), IsEmpty());
  EXPECT_THAT(CompoundLookupNumbers(network, nullptr, json{{"max_components", 1}}).up("abc"),
              IsEmpty());
  // The second lookup's limit is fixed: 13 components, not 14.
  CompoundLookupV2 v2(network, nullptr);
  EXPECT_THAT(v2.up(std::string(13, 'a')), ElementsAre("#$aaaaaaaaaaaaa" + [] {
                std::string list;
                for (int i = 0; i < 13; ++i) list += "#A+X";
                return list;
              }()));
  EXPECT_THAT(v2.up(std::string(14, 'a')), IsEmpty());
}

// A lexicon as the build makes it from text: minimal, entries sharing their
// beginnings ("haus" ends inside "haustür"), one output label per character.
TEST(CompoundLookupTest, LexiconFromText) {
  std::istringstream text(
      "haus:Haus[+Nn-Sg]\n"
      "haustür:Haustür[+Nn-Sg]\n"
      "tür:Tür[+Nn-Sg]\n"
      "türgriff:Türgriff[+Nn-Sg]\n"
      "griff:Griff[+Nn-Sg]\n"
      "arbeit:Arbeit[+Nn-Sg]\n"
      "amt:Amt[+Nn-Sg]\n"
      "zwei:zwei[+Num-Std]\n"
      "und:und[+Conj-Coord]\n"
      "zwanzig:zwanzig[+Num-Std]\n"
      "un:un[+Prefix]\n"
      "glück:Glück[+Nn-Sg]\n");
  CompoundLookupV3 lookup(std::make_shared<AFst>(build_lexicon(text, "test")),
                          std::make_shared<LookupConverterLowercase>(), json());
  EXPECT_THAT(lookup.up("Haustürgriff"), ElementsAre("#$Haustürgriff#Haustür+Nn-Sg#Griff+Nn-Sg",
                                                     "#$Haustürgriff#Haus+Nn-Sg#Türgriff+Nn-Sg"));
  EXPECT_THAT(lookup.up("Arbeitsamt"), ElementsAre("#$Arbeitsamt#Arbeit+Nn-Sg#Amt+Nn-Sg"));
  EXPECT_THAT(lookup.up("Zweiundzwanzig"),
              ElementsAre("#$Zweiundzwanzig#zwei+Num-Std#und+Conj-Coord#zwanzig+Num-Std"));
  EXPECT_THAT(lookup.up("Hausundzwanzig"), IsEmpty());
  EXPECT_THAT(lookup.up("Unglück"), ElementsAre("#$Unglück#Glück+Nn-Sg"));
  EXPECT_THAT(lookup.up("Haustür"), IsEmpty());
}

TEST(CompoundLookupTest, GetCandidates) {
  auto network = lexicon(kGerman);
  CompoundLookupV3 lookup(network, std::make_shared<LookupConverterLowercase>(), json());
  const ResultsMementoV2 state = lookup.get_candidates("Haustürgriff");
  EXPECT_THAT(state.path, IsEmpty());
  ASSERT_EQ(state.splits.size(), 2u);
  EXPECT_EQ(outputs_of(state.splits[0]), "Haus+Nn-Sg|Türgriff+Nn-Sg");
  EXPECT_EQ(outputs_of(state.splits[1]), "Haus+Nn-Sg|Tür+Nn-Sg|Griff+Nn-Sg");
}

TEST(CompoundLookupTest, NetworkOfItsOwn) {
  testing::TestNetwork net;
  net.word("haus", "Haus+Nn-Sg");
  net.word("boot", "Boot+Nn-Sg");
  net.network();  // attaches the symbol tables
  EXPECT_THAT(CompoundLookupV2(net.transducer(), nullptr).up("hausboot"),
              ElementsAre("#$hausboot#Haus+Nn-Sg#Boot+Nn-Sg"));
  EXPECT_THAT(CompoundLookupV3(net.transducer(), nullptr, json()).up("hausboot"),
              ElementsAre("#$hausboot#Haus+Nn-Sg#Boot+Nn-Sg"));
  EXPECT_THAT(CompoundLookupNumbers(net.transducer(), nullptr, json()).up("hausboot"),
              ElementsAre("#$hausboot#Haus+Nn-Sg#Boot+Nn-Sg"));
  EXPECT_THROW(CompoundLookupV2(std::shared_ptr<AFst>(), nullptr), std::invalid_argument);
}

TEST(CompoundLookupTest, BadUtf8) {
  auto network = lexicon(kGerman);
  EXPECT_THROW(CompoundLookupV3(network, nullptr, json()).up("haus\xff"), utf8::exception);
}

TEST(CompoundLookupTest, PrintResults) {
  CompoundLookupV3 lookup(lexicon(kGerman), nullptr, json());
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("hausboot"); }),
            "up [hausboot]\n  -- #$hausboot#Haus+Nn-Sg#Boot+Nn-Sg\n");
}

TEST(CompoundLookupTest, ServesConcurrentCalls) {
  CompoundLookupV3 lookup(lexicon(kGerman), std::make_shared<LookupConverterLowercase>(), json());
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 100; ++i) {
        if (lookup.up("Haustürgriff") ==
            std::vector<std::string>{"#$Haustürgriff#Haus+Nn-Sg#Türgriff+Nn-Sg"}) {
          ++right;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(right, 400);
}

}  // namespace
}  // namespace afst
}  // namespace zel
