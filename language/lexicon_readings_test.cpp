#include "language/lexicon_readings.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "base/output_capture_testutil.h"
#include "language/reading.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {
namespace {

// pos ":" stem ["@" weight] ["[" properties "]"] ["(" components ")"]
std::string show(const MorphData& r) {
  std::ostringstream out;
  out << r.pos() << ":" << r.stem;
  if (r.weight != 1.0) out << "@" << r.weight;
  if (!r.properties.empty()) {
    out << "[";
    for (size_t i = 0; i < r.properties.size(); ++i) {
      out << (i ? "," : "") << r.properties[i];
    }
    out << "]";
  }
  if (!r.components.empty()) {
    out << "(";
    for (size_t i = 0; i < r.components.size(); ++i) {
      out << (i ? " " : "") << show(r.components[i]);
    }
    out << ")";
  }
  return out.str();
}

std::string show(const Token& token) {
  std::string text;
  for (const MorphData& r : token.readings) {
    text += (text.empty() ? "" : " | ") + show(r);
  }
  return text;
}

std::string show(const std::set<std::string>& properties) {
  std::string text;
  for (const std::string& p : properties) text += (text.empty() ? "" : ",") + p;
  return text;
}

struct EntryCase {
  std::string output;
  // The readings, as show() writes them.
  std::string readings;
  // The token's properties afterwards.
  std::string token_properties;
  bool compound_flag;
  // A part of what is written on standard error; empty for nothing.
  std::string error;
};

// Every form of the output grammar, read into a fresh token "Haustür".
TEST(ImportResult, OutputGrammar) {
  const EntryCase cases[] = {
      // Plain entries.
      {"Haus+Nn-Sg+Neut", "Nn-Sg:Haus@0.5[Neut]", "", false, ""},
      {"run+V-Pres+3+Sg", "V-Pres:run@0.5[3,Sg]", "", false, ""},
      {"\\#+Punct", "Punct:#@0.5", "", false, ""},
      {"\\\\+Punct", "Punct:\\@0.5", "", false, ""},
      {"Haus+", ":Haus@0.5", "", false, ""},
      {"a++Nn-Sg", "Nn-Sg:a@0.5", "", false, ""},
      {"Haus", "", "", false,
       "Internal Error: Invalid dictionary entry.[Haus], missing + in output "
       "label to separate the POS and the stem.\n"},
      {"\\", "", "", false, "Invalid dictionary entry.[\\]"},
      {"", "", "", false, "Invalid dictionary entry.[]"},
      // Compounds: stem joined from the components, the last part of speech.
      {"#Haus+Nn-Sg#tür+Nn-Sg", "Nn-Sg:Haustür[compound](Nn-Sg:Haus Nn-Sg:tür)",
       "", true, ""},
      {"#Haus+Nn-Sg+Neut#tür+Nn-Sg+Fem",
       "Nn-Sg:Haustür[compound](Nn-Sg:Haus[Neut] Nn-Sg:tür[Fem])", "", true,
       ""},
      {"#tür+Nn-Sg", "Nn-Sg:tür[compound](Nn-Sg:tür)", "", true, ""},
      // Token properties before the components.
      {"#+sep#Haus+Nn-Sg#tür+Nn-Sg",
       "Nn-Sg:Haustür[compound](Nn-Sg:Haus Nn-Sg:tür)", "sep", true, ""},
      {"#+sep+link#Haus+Nn-Sg#tür+Nn-Sg",
       "Nn-Sg:Haustür[compound](Nn-Sg:Haus Nn-Sg:tür)", "link,sep", true, ""},
      // A head group names the stem; the part of speech is still derived.
      {"#$Haustür#haus+Nn-Sg#tür+Nn-Sg",
       "Nn-Sg:Haustür[compound](Nn-Sg:haus Nn-Sg:tür)", "", true, ""},
      {"#+sep#$Tür#haus+Nn-Sg#tür+Nn-Sg",
       "Nn-Sg:Tür[compound](Nn-Sg:haus Nn-Sg:tür)", "sep", true, ""},
      // A head group with both keeps both and still gets its components.
      {"#$Haustür+Nn-Std#haus+Nn-Sg#tür+Nn-Pl",
       "Nn-Std:Haustür[compound](Nn-Sg:haus Nn-Pl:tür)", "", true, ""},
      // A clitic: the stem without it, the part of speech before it.
      {"#geht+V-Pres#s+Clit", "V-Pres:geht[clitic](V-Pres:geht Clit:s)", "",
       true, ""},
      {"#Haus+Nn-Sg#tür+Adj#s+Clit",
       "Adj:Haustür[clitic](Nn-Sg:Haus Adj:tür Clit:s)", "", true, ""},
      // A clitic before the last component is an ordinary part that is not
      // counted.
      {"#s+Clit#tür+Nn-Sg", "Nn-Sg:stür[compound](Clit:s Nn-Sg:tür)", "", true,
       ""},
      // A component without part of speech.
      {"#Haus+Nn-Sg#tür",
       // The last component gives neither stem nor part of speech.
       ":[compound](Nn-Sg:Haus none:tür)", "missing_pos", true,
       "Error in dictionary fst:[#Haus+Nn-Sg#tür], literal:[Haustür]. Missing "
       "Pos for component:tür\n"},
      {"#tür#Haus+Nn-Sg", "Nn-Sg:Haus[compound](none:tür Nn-Sg:Haus)",
       "missing_pos", true, "Missing Pos for component:tür\n"},
      {"##Haus+Nn-Sg", "Nn-Sg:Haus[compound](none:no_stem Nn-Sg:Haus)",
       "missing_pos", true, "Missing Pos for component:\n"},
      // Invalid compounds: the fallback reading, no components.
      {"#", "Nn-Std:Haustür", "invalid", true, ""},
      {"#+sep", "Nn-Std:Haustür", "invalid,sep", true, ""},
      {"#+compound#", "Nn-Std:Haustür", "invalid", true, ""},
      {"#$Haus", "Nn-Std:Haustür", "invalid", true, ""},
      {"#s+Clit", "Nn-Std:Haustür", "invalid", true, ""},
      {"#a+Clit#s+Clit", "Nn-Std:Haustür", "invalid", true, ""},
      {"#tür", "Nn-Std:Haustür", "invalid", true, ""},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.output);
    Token token(0, 8, "Haustür");
    const std::string err = testing::capture_stderr(
        [&] { import_result_in_token_obj(&token, c.output, 0.5); });
    EXPECT_EQ(show(token), c.readings);
    EXPECT_EQ(show(token.properties), c.token_properties);
    EXPECT_EQ((token.flags & token_flags::compound) != 0, c.compound_flag);
    if (c.error.empty()) {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_NE(err.find(c.error), std::string::npos) << err;
    }
  }
}

TEST(ImportResult, ReadingsCarryTagIds) {
  Token token(0, 3, "Haus");
  import_result_in_token_obj(&token, "Haus+", 1.0);
  import_result_in_token_obj(&token, "#s+Clit#geht+V-Pres", 0.3);
  ASSERT_EQ(token.readings.size(), 2u);
  EXPECT_EQ(token.readings.front().pos_id(), 0u);
  const MorphData& compound = token.readings.back();
  EXPECT_EQ(compound.pos_id(), MorphData("V-Pres", "", 1).pos_id());
  EXPECT_NE(compound.pos_id(), 0u);
  // The compound's own weight is 1 whatever was asked.
  EXPECT_EQ(compound.weight, 1.0);
  for (const MorphData& part : compound.components) EXPECT_EQ(part.weight, 1.0);
}

TEST(ImportResult, AppendsAfterEarlierReadings) {
  Token token(0, 3, "dog");
  token.readings.emplace_back("Punct", "dog", 1.0);
  import_result_in_token_obj(&token, "dog+Nn-Sg", 0.25);
  EXPECT_EQ(show(token), "Punct:dog | Nn-Sg:dog@0.25");
}

TEST(LoadOutputs, AssignReplacesWithWeightsOneOverN) {
  Token token(0, 4, "bill");
  token.readings.emplace_back("Punct", "bill", 1.0);
  assign_afst_results_token_obj(
      &token, {"bill+Nn-Sg", "bill+V-Inf", "Bill+Prop-Std+giv"});
  ASSERT_EQ(token.readings.size(), 3u);
  const double third = 1.0 / 3.0;
  std::vector<std::string> pos;
  for (const MorphData& r : token.readings) {
    EXPECT_DOUBLE_EQ(r.weight, third);
    pos.push_back(r.pos());
  }
  EXPECT_EQ(pos, (std::vector<std::string>{"Nn-Sg", "V-Inf", "Prop-Std"}));
  EXPECT_EQ(token.readings.back().properties, std::vector<std::string>{"giv"});
}

TEST(LoadOutputs, EmptyListKeepsTheTokenizersReadings) {
  Token token(0, 1, ",");
  token.readings.emplace_back("Punct", ",", 1.0);
  assign_afst_results_token_obj(&token, {});
  append_afst_results_token_obj(&token, {});
  EXPECT_EQ(show(token), "Punct:,");
}

TEST(LoadOutputs, AppendKeepsEarlierReadings) {
  Token token(0, 4, "bill");
  token.readings.emplace_back("Nn-Std", "bill", 1.0);
  append_afst_results_token_obj(&token, {"bill+Nn-Sg", "bill+V-Inf"});
  EXPECT_EQ(show(token), "Nn-Std:bill | Nn-Sg:bill@0.5 | V-Inf:bill@0.5");
}

TEST(LoadOutputs, MalformedOutputStillCountsForTheWeight) {
  Token token(0, 4, "bill");
  testing::capture_stderr([&] {
    assign_afst_results_token_obj(&token, {"bill", "bill+V-Inf"});
  });
  EXPECT_EQ(show(token), "V-Inf:bill@0.5");
}

TEST(LoadOutputs, TagPropertyMarksTheToken) {
  Token plain(0, 4, "#fun");
  assign_afst_results_token_obj(&plain, {"fun+Nn-Sg"});
  EXPECT_EQ(plain.flags & token_flags::tagged, 0u);

  // The property may come from the output itself.
  Token from_output(0, 4, "#fun");
  assign_afst_results_token_obj(&from_output, {"#+tag#fun+Nn-Sg"});
  EXPECT_NE(from_output.flags & token_flags::tagged, 0u);

  Token tagged(0, 4, "#fun");
  tagged.properties.insert("tag");
  append_afst_results_token_obj(&tagged, {"fun+Nn-Sg"});
  EXPECT_NE(tagged.flags & token_flags::tagged, 0u);

  // No outputs: nothing was received.
  Token nothing(0, 4, "#fun");
  nothing.properties.insert("tag");
  assign_afst_results_token_obj(&nothing, {});
  EXPECT_EQ(nothing.flags & token_flags::tagged, 0u);
}

TEST(MergeLookupResults, AppendsOnlyNewTexts) {
  struct Case {
    std::vector<std::string> target, other, merged;
  };
  const Case cases[] = {
      {{"a", "b"}, {"b", "c", "c"}, {"a", "b", "c"}},
      {{}, {"b", "b"}, {"b", "b"}},  // an empty target takes all as they are
      {{"a"}, {}, {"a"}},
      {{"ab"}, {"a", "abc", "ab"}, {"ab", "a", "abc"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> target = c.target;
    std::vector<std::string> other = c.other;
    merge_lookup_results(target, other);
    EXPECT_EQ(target, c.merged);
    EXPECT_EQ(other, c.other);
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
