#include "language/reading.h"

#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/document_testutil.h"

namespace zel {
namespace kavero {
namespace {

// One token built from the compact document text; it lives until the next
// call.
class ReadingTest : public ::testing::Test {
 protected:
  Token* token(const std::string& spec) {
    doc_ = testing::build_document(spec);
    Sentence* sentence = testing::sentence_at(*doc_.sentences, 0);
    // The first annotation is the "Sentence" concept.
    return annotation_cast<Token>(sentence->annotations.head->next);
  }

 private:
  testing::TestDocument doc_;
};

TEST(MorphData, TagIdFollowsThePartOfSpeech) {
  MorphData det("Det", "the", 1.0);
  EXPECT_EQ(det.pos_id(), 0x10000Cu);
  EXPECT_EQ(det.stem, "the");
  EXPECT_EQ(det.weight, 1.0);
  EXPECT_TRUE(det.properties.empty());
  EXPECT_TRUE(det.components.empty());
  EXPECT_EQ(MorphData("det", "the", 1.0).pos_id(), 0u);
  EXPECT_EQ(MorphData("", "", 0.5).pos_id(), 0u);

  MorphData noun("Nn-Std", "x", 1.0);
  noun.set_pos("Prop-Std");
  EXPECT_EQ(noun.pos(), "Prop-Std");
  EXPECT_EQ(noun.pos_id(), 0x4000005u);
  noun.set_pos("unknown");
  EXPECT_EQ(noun.pos_id(), 0u);
}

TEST(MorphData, CopiesAreDeep) {
  MorphData compound("Nn-Sg", "doorbell", 1.0);
  compound.properties = {"Sg", "Sg"};
  compound.components.emplace_back("Nn", "door", 1.0);
  compound.components.emplace_back("Nn", "bell", 1.0);
  compound.components[1].components.emplace_back("V", "ring", 0.5);
  MorphData copy = compound;
  compound.components[1].components[0].stem = "changed";
  compound.components[0].set_pos("V");
  EXPECT_EQ(copy.pos_id(), 0x20000Au);
  EXPECT_EQ(copy.properties, (std::vector<std::string>{"Sg", "Sg"}));
  ASSERT_EQ(copy.components.size(), 2u);
  EXPECT_EQ(copy.components[0].pos(), "Nn");
  EXPECT_EQ(copy.components[1].components[0].stem, "ring");
  EXPECT_EQ(copy.components[1].components[0].weight, 0.5);
}

TEST_F(ReadingTest, RootTests) {
  Token* t = token("dogs/Nn-Sg|V-Pres-3-Sg");
  EXPECT_TRUE(has_pos(t, 0x200000u));
  EXPECT_TRUE(has_pos(t, 0x10000000u));
  EXPECT_FALSE(has_pos(t, 0x200001u));  // a full tag id
  EXPECT_FALSE(has_pos(t, 0x10200000u));  // two root bits
  EXPECT_FALSE(has_pos(t, 0x10000u));
  EXPECT_FALSE(has_pos(token("dogs"), 0x200000u));
  // An unknown tag has root 0.
  EXPECT_TRUE(has_pos(token("dogs/Xy"), 0u));
}

TEST_F(ReadingTest, PrefixTests) {
  Token* t = token("dogs/Nn-Sg|Punct-Close");
  EXPECT_TRUE(has_pos(t, "Nn-S"));
  EXPECT_TRUE(has_pos(t, "Nn"));
  EXPECT_TRUE(has_pos(t, ""));
  EXPECT_TRUE(has_pos(t, "Punct"));
  EXPECT_FALSE(has_pos(t, "nn"));
  EXPECT_FALSE(has_pos(t, "Nn-Sg-"));
  EXPECT_TRUE(is_punctuation(t));
  EXPECT_FALSE(is_punctuation(token("dogs/Nn-Sg")));
  EXPECT_FALSE(has_pos(token("dogs"), ""));
}

TEST_F(ReadingTest, ComponentTests) {
  Token* t = token("doorbell/Nn-Sg(Nn:door,V-Inf:ring)|Adj");
  EXPECT_TRUE(has_pos_components(t, "V"));
  EXPECT_TRUE(has_pos_components(t, 0x10000000u));
  EXPECT_FALSE(has_pos(t, "V"));
  EXPECT_FALSE(has_pos(t, 0x10000000u));
  EXPECT_TRUE(has_pos_components(t, "Adj"));
  EXPECT_FALSE(has_pos_components(t, "Det"));
  EXPECT_FALSE(has_pos_components(t, 0x100000u));
  // One level of components only.
  Token* deep = token("x/Nn(Nn(V))");
  EXPECT_FALSE(has_pos_components(deep, "V"));
}

TEST_F(ReadingTest, OpenQuotes) {
  EXPECT_TRUE(is_open_quote(token("\"/Punct-Quote")));
  EXPECT_TRUE(is_open_quote(token("(/Punct-Close|Punct-Open")));
  Token* close = token(")/Punct-Close");
  EXPECT_FALSE(is_open_quote(close));
  EXPECT_TRUE(is_punctuation(close));
  EXPECT_FALSE(is_open_quote(token("x/Punct-Quotes")));
  Sentence sentence(0, 1);
  Concept concept_annotation(0, 1, "Punct-Quote");
  EXPECT_FALSE(is_open_quote(&sentence));
  EXPECT_FALSE(is_open_quote(&concept_annotation));
  EXPECT_FALSE(is_open_quote(nullptr));
}

TEST_F(ReadingTest, SentenceBeginCandidates) {
  struct Case {
    const char* token;
    bool candidate;
  };
  const Case cases[] = {
      {"The/Det|Nn-Std", false}, {"The/Nn-Std|Det", false},
      {"He/Pron", true},         {"Big/Adj-Std", false},
      {"Go/V|Adj", true},        {"So/Adj|Adv", true},
      {"X/Prop|Num|Punct", false}, {"X/Emoji", false},
      {"X/Unknown|Conj", true},  {"X", false},
      {"A/Aux", true},           {"A/Part", true},
      {"A/Prep", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_sentence_begin_candidate(token(c.token)), c.candidate)
        << c.token;
  }
}

TEST_F(ReadingTest, Properties) {
  Token* t = token("Mum/Nn-Sg+Sg+fam");
  EXPECT_TRUE(t->properties.empty());
  EXPECT_TRUE(has_property(*t, "fam"));
  EXPECT_TRUE(has_token_property(t, "Sg"));
  EXPECT_FALSE(has_property(*t, "Pl"));
  Token* own = token("x{nf}");
  EXPECT_TRUE(has_property(*own, "nf"));
  EXPECT_FALSE(has_property(*own, "n"));
  // Components are not searched.
  EXPECT_FALSE(has_property(*token("x/Nn(Nn+deep)"), "deep"));
}

TEST_F(ReadingTest, RemoveReadingsByProperty) {
  Token* t = token("km/Nn-Sym+unit|Num+value|Nn-Sym:k+unit+x|Adj(Nn+unit)");
  remove_pos_with_morpho_syntax(t, "unit");
  ASSERT_EQ(t->readings.size(), 2u);
  EXPECT_EQ(t->readings.front().pos(), "Num");
  EXPECT_EQ(t->readings.back().pos(), "Adj");
  remove_pos_with_morpho_syntax(t, "none");
  EXPECT_EQ(t->readings.size(), 2u);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
