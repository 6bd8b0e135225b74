#include "core-afst/compound_section_matcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Entries = std::vector<std::pair<std::string, std::string>>;

using testing::lexicon;

// A split as "start-end:output ...".
std::string text_of(const CompoundSplit& split) {
  std::string text;
  for (const auto& part : split) {
    if (!text.empty()) text += ' ';
    text += std::to_string(part.start) + "-" + std::to_string(part.end) + ":" + part.output;
  }
  return text;
}

struct Search {
  bool completed;
  std::vector<std::string> splits;
};

Search search(const AFst& network, const std::string& word, bool numbers, int max_components) {
  ResultsMementoV2 state;
  const char* begin = word.data();
  const char* end = begin + word.size();
  const bool completed =
      numbers ? utf8_iterator::match_section_skip_numbers(state, network, begin, begin, end,
                                                          max_components)
              : utf8_iterator::match_section(state, network, begin, begin, end, max_components);
  // Whatever happened, the path is left empty.
  EXPECT_THAT(state.path, IsEmpty()) << word;
  Search result{completed, {}};
  for (const auto& split : state.splits) result.splits.push_back(text_of(split));
  return result;
}

struct SplitCase {
  const char* name;
  Entries entries;
  std::string word;
  std::vector<std::string> splits;  // in the order found
  bool numbers = false;             // the variant that skips numbers
  int max_components = 12;
  bool completed = true;
};

const Entries kGerman = {
    {"haus", "Haus+Nn-Sg"},     {"tür", "Tür+Nn-Sg"},
    {"arbeit", "Arbeit+Nn-Sg"}, {"amt", "Amt+Nn-Sg"},
    {"un", "un+Prefix"},        {"glück", "Glück+Nn-Sg"},
    {"er", "er+Affix"},         {"zwei", "zwei+Num-Std"},
    {"und", "und+Conj-Coord"},  {"zwanzig", "zwanzig+Num-Std"},
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, Splits) {
  const SplitCase& c = GetParam();
  auto network = lexicon(c.entries);
  const Search found = search(*network, c.word, c.numbers, c.max_components);
  EXPECT_EQ(found.splits, c.splits) << c.word;
  EXPECT_EQ(found.completed, c.completed) << c.word;
}

INSTANTIATE_TEST_SUITE_P(
    CompoundSections, SplitTable,
    ::testing::Values(
        SplitCase{"WholeEntry", kGerman, "haus", {"0-4:Haus+Nn-Sg"}},
        SplitCase{"TwoEntries", kGerman, "haustür", {"0-4:Haus+Nn-Sg 4-8:Tür+Nn-Sg"}},
        SplitCase{"NoSplit", kGerman, "hausboot", {}}, SplitCase{"EmptyWord", kGerman, "", {}},
        // Longer candidates first, each followed depth first.
        SplitCase{"LongestFirst",
                  {{"a", "A+X"}, {"ab", "Ab+X"}, {"abc", "Abc+X"}, {"bc", "Bc+X"}, {"c", "C+X"}},
                  "abc",
                  {"0-3:Abc+X", "0-2:Ab+X 2-3:C+X", "0-1:A+X 1-3:Bc+X"}},
        // Equal ends: the output whose first "#" stands further right
        // first, whatever the order the walk found them in.
        SplitCase{
            "HashBreaksTies", {{"ab", "A#b+X"}, {"ab", "Ab+X"}}, "ab", {"0-2:Ab+X", "0-2:A#b+X"}},
        // Linking characters: the component after them starts one byte
        // after the one before ends.
        SplitCase{"LinkingS", kGerman, "arbeitsamt", {"0-6:Arbeit+Nn-Sg 7-10:Amt+Nn-Sg"}},
        SplitCase{"LinkingHyphen", kGerman, "haus-tür", {"0-4:Haus+Nn-Sg 5-9:Tür+Nn-Sg"}},
        SplitCase{"NoLinkingBeforeTheFirst", kGerman, "samt", {}},
        SplitCase{"LinkingAtTheEnd", kGerman, "haus-", {}},
        // A plain "samt" was taken: the linking "amt" of the same length,
        // sorted after it, is skipped.
        SplitCase{"LinkingSkippedAfterAPlainOne",
                  {{"arbeit", "Arbeit+Nn-Sg"}, {"samt", "Samt+Nn-Sg"}, {"amt", "Amt+Nn-Sg"}},
                  "arbeitsamt",
                  {"0-6:Arbeit+Nn-Sg 6-10:Samt+Nn-Sg"}},
        // The linking "amt" is longer than the plain "s" and sorted first:
        // both are taken.
        SplitCase{
            "LinkingTakenBeforeThePlainOnes",
            {{"arbeit", "Arbeit+Nn-Sg"}, {"s", "s+Abbr"}, {"amt", "Amt+Nn-Sg"}},
            "arbeitsamt",
            {"0-6:Arbeit+Nn-Sg 7-10:Amt+Nn-Sg", "0-6:Arbeit+Nn-Sg 6-7:s+Abbr 7-10:Amt+Nn-Sg"}},
        // "+def" and "+gen" never stand first; later they do.
        SplitCase{"DefNotFirst", {{"haus", "Haus+Nn-Sg+def"}, {"tür", "Tür+Nn-Sg"}}, "haustür", {}},
        SplitCase{"GenNotFirst", {{"haus", "Haus+Nn-Sg+gen"}, {"tür", "Tür+Nn-Sg"}}, "haustür", {}},
        SplitCase{"DefSecond",
                  {{"haus", "Haus+Nn-Sg+def"}, {"tür", "Tür+Nn-Sg"}},
                  "türhaus",
                  {"0-4:Tür+Nn-Sg 4-8:Haus+Nn-Sg+def"}},
        // "+Prefix" stands first or second with an empty output, never
        // third.
        SplitCase{"PrefixFirst", kGerman, "unglück", {"0-2: 2-8:Glück+Nn-Sg"}},
        SplitCase{"PrefixSecond", kGerman, "hausunglück", {"0-4:Haus+Nn-Sg 4-6: 6-12:Glück+Nn-Sg"}},
        SplitCase{"PrefixNotThird", kGerman, "haustürunglück", {}},
        // "+Affix" stands anywhere with an empty output.
        SplitCase{"AffixLast", kGerman, "haustürer", {"0-4:Haus+Nn-Sg 4-8:Tür+Nn-Sg 8-10:"}},
        SplitCase{"AffixFirst", kGerman, "erhaus", {"0-2: 2-6:Haus+Nn-Sg"}},
        // A number word ends a split only after number words and
        // coordinating conjunctions.
        SplitCase{"NumbersAndConjunctions",
                  kGerman,
                  "zweiundzwanzig",
                  {"0-4:zwei+Num-Std 4-7:und+Conj-Coord 7-14:zwanzig+Num-Std"}},
        SplitCase{"NumberAfterANoun", kGerman, "hauszwanzig", {}},
        SplitCase{"NumberAfterANounAndConjunction", kGerman, "hausundzwanzig", {}},
        SplitCase{"NounAfterANumber", kGerman, "zweihaus", {"0-4:zwei+Num-Std 4-8:Haus+Nn-Sg"}},
        // The component limit: max_components + 1 components at most. A
        // branch that goes deeper aborts the whole search; what was found
        // before stays, what would come after is not searched.
        SplitCase{"AllWithinTheLimit",
                  {{"abc", "Abc+X"},
                   {"d", "D+X"},
                   {"ab", "Ab+X"},
                   {"c", "C+X"},
                   {"a", "A+X"},
                   {"bcd", "Bcd+X"}},
                  "abcd",
                  {"0-3:Abc+X 3-4:D+X", "0-2:Ab+X 2-3:C+X 3-4:D+X", "0-1:A+X 1-4:Bcd+X"},
                  false,
                  2},
        SplitCase{"AbortAtTheLimit",
                  {{"abc", "Abc+X"},
                   {"d", "D+X"},
                   {"ab", "Ab+X"},
                   {"c", "C+X"},
                   {"a", "A+X"},
                   {"bcd", "Bcd+X"}},
                  "abcd",
                  {"0-3:Abc+X 3-4:D+X"},
                  false,
                  1,
                  false},
        SplitCase{"LimitZeroAbortsAtTheSecond", kGerman, "haustür", {}, false, 0, false},
        SplitCase{"LimitZeroKeepsWholeEntries", kGerman, "haus", {"0-4:Haus+Nn-Sg"}, false, 0},
        // Runs of digits and underscores.
        SplitCase{"DigitsNeedTheNumberVariant", kGerman, "haus2024", {}},
        SplitCase{"DigitsAtTheEnd", kGerman, "haus2024", {"0-4:Haus+Nn-Sg 4-8:2024+Num"}, true},
        SplitCase{"DigitsBetween",
                  kGerman,
                  "haus12tür",
                  {"0-4:Haus+Nn-Sg 4-6:12+Num 6-10:Tür+Nn-Sg"},
                  true},
        SplitCase{"UnderscoresJoinThePreviousComponent",
                  kGerman,
                  "haus__tür",
                  {"0-6:Haus+Nn-Sg 6-10:Tür+Nn-Sg"},
                  true},
        SplitCase{"UnderscoresAtTheEnd", kGerman, "haus__", {"0-6:Haus+Nn-Sg"}, true},
        SplitCase{"DigitsAndUnderscoresOneRun",
                  kGerman,
                  "haus1_2tür",
                  {"0-4:Haus+Nn-Sg 4-7:1_2+Num 7-11:Tür+Nn-Sg"},
                  true},
        SplitCase{"ArabicIndicDigits",
                  kGerman,
                  "haus\u0662\u0660\u0662\u0664",
                  {"0-4:Haus+Nn-Sg 4-12:\u0662\u0660\u0662\u0664+Num"},
                  true},
        // After a run between two components, the path is clean for the
        // next candidate of the level: "ja" is tried after "jahr".
        SplitCase{
            "RunThenShorterCandidate",
            {{"jahr", "Jahr+Nn-Sg"}, {"ja", "ja+Adv"}, {"hr", "hr+Abbr"}, {"haus", "Haus+Nn-Sg"}},
            "jahr12haus",
            {"0-4:Jahr+Nn-Sg 4-6:12+Num 6-10:Haus+Nn-Sg",
             "0-2:ja+Adv 2-4:hr+Abbr 4-6:12+Num 6-10:Haus+Nn-Sg"},
            true},
        // A run that ends the word ends the search of its branch: it does
        // not go a level deeper and hit the limit there.
        SplitCase{"RunAtTheEndWithinTheLimit",
                  kGerman,
                  "haus2024",
                  {"0-4:Haus+Nn-Sg 4-8:2024+Num"},
                  true,
                  0},
        // The word's digits are never the first component.
        SplitCase{"LeadingDigits", kGerman, "2024haus", {}, true}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(CompoundSectionTest, EntriesOfNoLengthAreNeverTaken) {
  // An epsilon arc into a final state: an entry that consumes nothing,
  // offered at every position.
  testing::TestNetwork net;
  net.set_final(0);
  const int empty = net.add_state();
  net.arc(0, "eps", "Nothing+X", empty);
  net.set_final(empty);
  net.word("haus", "Haus+Nn-Sg");
  net.word("tür", "Tür+Nn-Sg");
  auto network = net.network();
  EXPECT_THAT(search(*network, "haustür", false, 12).splits,
              ElementsAre("0-4:Haus+Nn-Sg 4-8:Tür+Nn-Sg"));
  EXPECT_THAT(search(*network, "", false, 12).splits, IsEmpty());
}

TEST(CompoundSectionTest, NoStartState) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable in, out;
  in.AddSymbol("eps");
  out.AddSymbol("eps");
  transducer->SetInputSymbols(&in);
  transducer->SetOutputSymbols(&out);
  AFst network(transducer);
  const Search found = search(network, "haus", false, 12);
  EXPECT_TRUE(found.completed);
  EXPECT_THAT(found.splits, IsEmpty());
}

TEST(CompoundSectionTest, OffsetsCountFromTheBeginNotTheStart) {
  auto network = lexicon(kGerman);
  const std::string word = "#haustür";
  ResultsMementoV2 state;
  const char* begin = word.data();
  const char* end = begin + word.size();
  EXPECT_TRUE(utf8_iterator::match_section(state, *network, begin + 1, begin, end, 12));
  ASSERT_EQ(state.splits.size(), 1u);
  EXPECT_EQ(text_of(state.splits[0]), "1-5:Haus+Nn-Sg 5-9:Tür+Nn-Sg");
}

TEST(CompoundSectionTest, BadPositionsAndBadText) {
  auto network = lexicon(kGerman);
  const std::string word = "haustür";
  const char* begin = word.data();
  const char* end = begin + word.size();
  ResultsMementoV2 state;
  EXPECT_THROW(utf8_iterator::match_section(state, *network, begin, end, begin, 12),
               std::out_of_range);
  EXPECT_THROW(utf8_iterator::match_section(state, *network, end + 1, begin, end, 12),
               std::logic_error);
  EXPECT_THROW(
      utf8_iterator::match_section_skip_numbers(state, *network, begin, begin + 1, end, 12),
      std::logic_error);
  // Bad UTF-8 where the walk or the run reads it.
  EXPECT_THROW(search(*network, "haus\xff", false, 12), utf8::exception);
  EXPECT_THROW(search(*network, "haus\xff", true, 12), utf8::exception);
}

TEST(CompoundSectionTest, Predicates) {
  EXPECT_TRUE(has_invalid_tags("Haus+Nn-Sg+gen"));
  EXPECT_TRUE(has_invalid_tags("Haus+Nn-Sg+def"));
  EXPECT_FALSE(has_invalid_tags("Haus+def+Nn-Sg"));
  EXPECT_FALSE(has_invalid_tags("gen"));

  EXPECT_TRUE(has_prefix_tag("un+Prefix"));
  EXPECT_TRUE(has_prefix_tag("un+Prefix+Neg"));
  EXPECT_FALSE(has_prefix_tag("un+Adj+Prefix"));  // only right after the first "+"
  EXPECT_FALSE(has_prefix_tag("Prefix"));
  EXPECT_TRUE(has_affix_tag("er+Affix"));
  EXPECT_FALSE(has_affix_tag("er+Prefix"));

  EXPECT_TRUE(skip_characters('_'));
  EXPECT_TRUE(skip_characters('7'));
  EXPECT_TRUE(skip_characters(0x0663));  // ARABIC-INDIC DIGIT THREE
  EXPECT_FALSE(skip_characters('-'));
  EXPECT_FALSE(skip_characters(0x00B2));  // SUPERSCRIPT TWO: no decimal digit
  EXPECT_FALSE(skip_characters('a'));
}

TEST(CompoundSectionTest, LiteralAndTags) {
  EndOffsetResultPartV2 part(0, 4, "Haus+Nn-Sg+Neut");
  EXPECT_EQ(part.literal(), "Haus");
  EXPECT_EQ(part.tags(), "+Nn-Sg+Neut");
  EXPECT_EQ(part.weight, 100);
  // Views of the record's own output, also in a copy.
  EndOffsetResultPartV2 copy = part;
  part.output = "x";
  EXPECT_EQ(copy.literal(), "Haus");
  EXPECT_EQ(part.literal(), "x");
  EXPECT_EQ(part.tags(), "");
}

}  // namespace
}  // namespace afst
}  // namespace zel
