#include "core-afst/endings_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/output_capture_testutil.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string reversed(const std::string& text) {
  std::u32string code_points = utf8::utf8to32(text);
  return utf8::utf32to8(std::u32string(code_points.rbegin(), code_points.rend()));
}

// An endings network: each ending is stored backwards, as the lookup reads
// words from their end.
std::shared_ptr<AFst> endings(const std::vector<std::pair<std::string, std::string>>& entries) {
  testing::TestNetwork net;
  for (const auto& [ending, output] : entries) net.word(reversed(ending), output);
  return net.network();
}

TEST(EndingsLookupTest, SplitsTheWordAtEachEndingFound) {
  EndingsLookup lookup(endings({{"ung", "ung+Nn-Sg+Fem"}, {"erung", "erung+Nn-Sg"}}), nullptr);
  EXPECT_EQ(lookup.type(), 8);
  // Both endings, in the order the walk meets them: the shorter one first.
  EXPECT_THAT(lookup.up("Kalwerung"), ElementsAre("#$Kalwerung#Kalwer+Prop#ung+Nn-Sg+Fem+reverse",
                                                  "#$Kalwerung#Kalw+Prop#erung+Nn-Sg+reverse"));
  // A word without a known ending.
  EXPECT_THAT(lookup.up("Kalwerheit"), IsEmpty());
  // Heads keep their own bytes.
  EXPECT_THAT(lookup.up("Kölnxung"), ElementsAre("#$Kölnxung#Kölnx+Prop#ung+Nn-Sg+Fem+reverse"));
}

TEST(EndingsLookupTest, WhichWordsAreLookedUp) {
  EndingsLookup lookup(endings({{"ung", "ung+Nn-Sg"}}), nullptr);
  struct Case {
    std::string word;
    bool answered;
  };
  const std::vector<Case> cases = {
      {"Kalwung", false},     // 7 bytes
      {"Kalwnung", true},     // 8 bytes
      {"kalwerung", false},   // lower-case initial
      {"9alwerung", false},   // digit
      {"Älwerung", false},    // a capital, but not an ASCII one (9 bytes)
      {"_Kalwerung", false},  // punctuation
      {"KALWERUNG", false},   // the ending is matched as written
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!lookup.up(c.word).empty(), c.answered) << c.word;
  }
}

TEST(EndingsLookupTest, HeadsOfTwoCharactersOrFewerAreDropped) {
  EndingsLookup lookup(endings({{"ung", "ung+Nn-Sg"}, {"lerung", "lerung+Nn-Sg"}}), nullptr);
  // "Ka" + "lerung": a head of 2 code points gives nothing.
  EXPECT_THAT(lookup.up("Kalerung"), ElementsAre("#$Kalerung#Kaler+Prop#ung+Nn-Sg+reverse"));
  // "Kak" + "lerung": a head of 3 code points is enough.
  EXPECT_THAT(lookup.up("Kaklerung"), ElementsAre("#$Kaklerung#Kakler+Prop#ung+Nn-Sg+reverse",
                                                  "#$Kaklerung#Kak+Prop#lerung+Nn-Sg+reverse"));
  // Code points, not bytes: "Kä" is 3 bytes but 2 characters.
  EXPECT_THAT(lookup.up("Kälerung"), ElementsAre("#$Kälerung#Käler+Prop#ung+Nn-Sg+reverse"));
}

TEST(EndingsLookupTest, EndingStemIsTheOutputUpToItsFirstPlus) {
  EndingsLookup lookup(endings({{"heit", "heit"}, {"ismus", "+Nn-Sg"}, {"ung", "u+Noun"}}),
                       nullptr);
  // Without "+" the whole output is the ending's stem.
  EXPECT_THAT(lookup.up("Gorbaheit"), ElementsAre("#$Gorbaheit#Gorba+Prop#heit+reverse"));
  // An output beginning with "+" gives an empty stem.
  EXPECT_THAT(lookup.up("Gorbaismus"), ElementsAre("#$Gorba#Gorba+Prop#+Nn-Sg+reverse"));
  // The nine-letter word with the ending "ung" mapped to u+Noun.
  EXPECT_THAT(lookup.up("Kalwerung"), ElementsAre("#$Kalweru#Kalwer+Prop#u+Noun+reverse"));
}

TEST(EndingsLookupTest, ConverterIsNeverApplied) {
  auto network = endings({{"ung", "ung+Nn-Sg"}});
  EndingsLookup folded(network, std::make_shared<LookupConverterLowercase>());
  EndingsLookup plain(network, nullptr);
  for (const std::string word : {"Kalwerung", "KalwerUNG", "KALWERUNG"}) {
    EXPECT_EQ(folded.up(word), plain.up(word)) << word;
  }
  EXPECT_THAT(folded.up("KalwerUNG"), IsEmpty());
}

TEST(EndingsLookupTest, NetworksThatGiveNothingAndBadInput) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable symbols("s");
  symbols.AddSymbol("eps");
  transducer->SetInputSymbols(&symbols);
  transducer->SetOutputSymbols(&symbols);
  EndingsLookup no_start(transducer, nullptr);
  EXPECT_THAT(no_start.up("Kalwerung"), IsEmpty());

  EndingsLookup lookup(endings({{"ung", "ung+Nn-Sg"}}), nullptr);
  EXPECT_THROW(lookup.up("Kalwerun\xff"), utf8::exception);
  EXPECT_THROW(lookup.up("Kalwerung\xc3"), utf8::exception);
  EXPECT_THROW(EndingsLookup(std::shared_ptr<AFst>(), nullptr), std::invalid_argument);
}

TEST(EndingsLookupTest, PrintResults) {
  EndingsLookup lookup(endings({{"ung", "ung+Nn-Sg"}}), nullptr);
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("Kalwerung"); }),
            "  -c- #$Kalwerung#Kalwer+Prop#ung+Nn-Sg+reverse\n");
  EXPECT_EQ(zel::testing::capture_stdout([&] { lookup.print_results("Kalwerheit"); }), "");
}

}  // namespace
}  // namespace afst
}  // namespace zel
