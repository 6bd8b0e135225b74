#include "language/reading.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {
namespace {

MorphData reading(const std::string& pos,
                  const std::vector<std::string>& properties = {},
                  const std::vector<MorphData>& components = {}) {
  MorphData r(pos, "stem", 1.0);
  r.properties = properties;
  r.components = components;
  return r;
}

std::unique_ptr<Token> token(const std::vector<MorphData>& readings,
                             const std::set<std::string>& properties = {}) {
  auto t = std::make_unique<Token>(0, 1, "x");
  t->readings.assign(readings.begin(), readings.end());
  t->properties = properties;
  return t;
}

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

TEST(ReadingTests, RootTests) {
  auto t = token({reading("Nn-Sg"), reading("V-Pres-3-Sg")});
  EXPECT_TRUE(has_pos(t.get(), 0x200000u));
  EXPECT_TRUE(has_pos(t.get(), 0x10000000u));
  EXPECT_FALSE(has_pos(t.get(), 0x200001u));    // a full tag id
  EXPECT_FALSE(has_pos(t.get(), 0x10200000u));  // two root bits
  EXPECT_FALSE(has_pos(t.get(), 0x10000u));
  EXPECT_FALSE(has_pos(token({}).get(), 0x200000u));
  // An unknown tag has root 0.
  EXPECT_TRUE(has_pos(token({reading("Xy")}).get(), 0u));
}

TEST(ReadingTests, PrefixTests) {
  auto t = token({reading("Nn-Sg"), reading("Punct-Close")});
  EXPECT_TRUE(has_pos(t.get(), "Nn-S"));
  EXPECT_TRUE(has_pos(t.get(), "Nn"));
  EXPECT_TRUE(has_pos(t.get(), ""));
  EXPECT_TRUE(has_pos(t.get(), "Punct"));
  EXPECT_FALSE(has_pos(t.get(), "nn"));
  EXPECT_FALSE(has_pos(t.get(), "Nn-Sg-"));
  EXPECT_TRUE(is_punctuation(t.get()));
  EXPECT_FALSE(is_punctuation(token({reading("Nn-Sg")}).get()));
  EXPECT_FALSE(has_pos(token({}).get(), ""));
}

TEST(ReadingTests, ComponentTests) {
  auto t = token({reading("Nn-Sg", {}, {reading("Nn"), reading("V-Inf")}),
                  reading("Adj")});
  EXPECT_TRUE(has_pos_components(t.get(), "V"));
  EXPECT_TRUE(has_pos_components(t.get(), 0x10000000u));
  EXPECT_FALSE(has_pos(t.get(), "V"));
  EXPECT_FALSE(has_pos(t.get(), 0x10000000u));
  EXPECT_TRUE(has_pos_components(t.get(), "Adj"));
  EXPECT_FALSE(has_pos_components(t.get(), "Det"));
  EXPECT_FALSE(has_pos_components(t.get(), 0x100000u));
  // One level of components only.
  auto deep = token({reading("Nn", {}, {reading("Nn", {}, {reading("V")})})});
  EXPECT_FALSE(has_pos_components(deep.get(), "V"));
  EXPECT_FALSE(has_pos_components(deep.get(), 0x10000000u));
}

TEST(ReadingTests, OpenQuotes) {
  EXPECT_TRUE(is_open_quote(token({reading("Punct-Quote")}).get()));
  EXPECT_TRUE(is_open_quote(
      token({reading("Punct-Close"), reading("Punct-Open")}).get()));
  auto close = token({reading("Punct-Close")});
  EXPECT_FALSE(is_open_quote(close.get()));
  EXPECT_TRUE(is_punctuation(close.get()));
  EXPECT_FALSE(is_open_quote(token({reading("Punct-Quotes")}).get()));
  Sentence sentence(0, 1);
  Concept concept_annotation(0, 1, "Punct-Quote");
  EXPECT_FALSE(is_open_quote(&sentence));
  EXPECT_FALSE(is_open_quote(&concept_annotation));
  EXPECT_FALSE(is_open_quote(nullptr));
}

TEST(ReadingTests, SentenceBeginCandidates) {
  struct Case {
    std::vector<const char*> tags;
    bool candidate;
  };
  const Case cases[] = {
      {{"Det", "Nn-Std"}, false}, {{"Nn-Std", "Det"}, false},
      {{"Pron"}, true},           {{"Adj-Std"}, false},
      {{"V", "Adj"}, true},       {{"Adj", "Adv"}, true},
      {{"Prop", "Num", "Punct"}, false},
      {{"Emoji"}, false},         {{"Unknown", "Conj"}, true},
      {{}, false},                {{"Aux"}, true},
      {{"Part"}, true},           {{"Prep"}, true},
  };
  for (const Case& c : cases) {
    std::vector<MorphData> readings;
    std::string shown;
    for (const char* tag : c.tags) {
      readings.push_back(reading(tag));
      shown += std::string(tag) + " ";
    }
    EXPECT_EQ(is_sentence_begin_candidate(token(readings).get()), c.candidate)
        << shown;
  }
}

TEST(ReadingTests, Properties) {
  auto t = token({reading("Nn-Sg", {"Sg", "fam"})});
  EXPECT_TRUE(has_property(*t, "fam"));
  EXPECT_TRUE(has_token_property(t.get(), "Sg"));
  EXPECT_FALSE(has_property(*t, "Pl"));
  auto own = token({}, {"nf"});
  EXPECT_TRUE(has_property(*own, "nf"));
  EXPECT_FALSE(has_property(*own, "n"));
  // Components are not searched.
  auto deep = token({reading("Nn", {}, {reading("Nn", {"deep"})})});
  EXPECT_FALSE(has_property(*deep, "deep"));
}

TEST(ReadingTests, RemoveReadingsByProperty) {
  auto t = token({reading("Nn-Sym", {"unit"}), reading("Num", {"value"}),
                  reading("Nn-Sym", {"x", "unit"}),
                  reading("Adj", {}, {reading("Nn", {"unit"})})});
  remove_pos_with_morpho_syntax(t.get(), "unit");
  ASSERT_EQ(t->readings.size(), 2u);
  EXPECT_EQ(t->readings.front().pos(), "Num");
  EXPECT_EQ(t->readings.back().pos(), "Adj");
  remove_pos_with_morpho_syntax(t.get(), "none");
  EXPECT_EQ(t->readings.size(), 2u);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
