#include "language/lookup_condition.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "base/exception.h"

namespace zel {
namespace kavero {
namespace {

using nlohmann::json;

MorphData reading(const std::string& pos, const std::string& stem = "stem",
                  const std::vector<std::string>& properties = {},
                  const std::vector<MorphData>& components = {}) {
  MorphData r(pos, stem, 1.0);
  r.properties = properties;
  r.components = components;
  return r;
}

std::unique_ptr<Token> token(const std::string& literal,
                             const std::vector<MorphData>& readings = {},
                             const std::set<std::string>& properties = {}) {
  auto t = std::make_unique<Token>(0, static_cast<uint32_t>(literal.size()),
                                   literal);
  t->readings.assign(readings.begin(), readings.end());
  t->properties = properties;
  return t;
}

LookupConditions conditions_of(const char* section) {
  return make_conditions(json::parse(std::string("{\"conditions\":") +
                                     section + "}"));
}

TEST(LookupConditions, WithoutTheSectionTokensWithoutReadingsAreLookedUp) {
  for (const json& configuration :
       {json::object(), json::parse(R"({"hmm": "x.hmm"})"), json::array(),
        json()}) {
    LookupConditions conditions = make_conditions(configuration);
    ASSERT_EQ(conditions.size(), 1u) << configuration;
    auto* property = dynamic_cast<PropertyLookup*>(conditions[0].get());
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->entries(),
              (std::vector<PropertyLookup::Entry>{{"nf", false}}));
    EXPECT_EQ(property->mode(), LookupConditionInterface::kOverwrite);
  }
  auto unknown = token("xyzzy", {}, {"nf"});
  auto known = token("house", {reading("Nn-Sg", "house")});
  LookupConditions conditions = make_conditions(json::object());
  EXPECT_EQ(get_condition(conditions, unknown.get()), conditions[0].get());
  EXPECT_EQ(get_condition(conditions, known.get()), nullptr);
}

TEST(LookupConditions, EmptySectionsGiveNoCondition) {
  EXPECT_TRUE(conditions_of("null").empty());
  EXPECT_TRUE(conditions_of("[]").empty());
  EXPECT_TRUE(conditions_of("{}").empty());
  auto unknown = token("xyzzy", {}, {"nf"});
  EXPECT_EQ(get_condition(conditions_of("[]"), unknown.get()), nullptr);
}

TEST(LookupConditions, PartOfSpeechRootOrPrefix) {
  LookupConditions conditions = conditions_of(
      R"([{"type": "pos", "value": "Nn"}, {"type": "pos", "value": "Nn-Pl"},
          {"type": "pos", "value": "Punct"}])");
  ASSERT_EQ(conditions.size(), 3u);
  auto* root = dynamic_cast<PosIdLookup*>(conditions[0].get());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->root(), 0x200000u);
  auto* prefix = dynamic_cast<PosStartWithLookup*>(conditions[1].get());
  ASSERT_NE(prefix, nullptr);
  EXPECT_EQ(prefix->prefix(), "Nn-Pl");
  auto* punct = dynamic_cast<PosIdLookup*>(conditions[2].get());
  ASSERT_NE(punct, nullptr);
  EXPECT_EQ(punct->root(), 0x08000000u);

  // Readings and the components of readings both count.
  auto noun = token("houses", {reading("Nn-Pl", "house")});
  auto compound = token("doorbells",
                        {reading("Adj", "x", {}, {reading("Nn-Pl", "bell")})});
  auto verb = token("walks", {reading("V-Pres-3-Sg", "walk")});
  auto bare = token("?");
  EXPECT_TRUE(conditions[0]->is_valid(noun.get()));
  EXPECT_TRUE(conditions[1]->is_valid(noun.get()));
  EXPECT_TRUE(conditions[0]->is_valid(compound.get()));
  EXPECT_TRUE(conditions[1]->is_valid(compound.get()));
  EXPECT_FALSE(conditions[0]->is_valid(verb.get()));
  EXPECT_FALSE(conditions[1]->is_valid(verb.get()));
  EXPECT_FALSE(conditions[0]->is_valid(bare.get()));
  EXPECT_FALSE(conditions[1]->is_valid(bare.get()));
  EXPECT_FALSE(conditions[2]->is_valid(noun.get()));
}

TEST(LookupConditions, Properties) {
  struct Case {
    const char* properties;
    std::vector<PropertyLookup::Entry> entries;
  };
  const Case cases[] = {
      {"nf", {{"nf", false}}},
      {"nf,!foreign", {{"nf", false}, {"foreign", true}}},
      {"!nf", {{"nf", true}}},
      {"", {}},
      {"a,,!", {{"a", false}, {"", false}, {"", true}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PropertyLookup(c.properties).entries(), c.entries)
        << c.properties;
  }

  PropertyLookup unknown_native("nf,!foreign");
  PropertyLookup not_unknown("!nf");
  PropertyLookup everything("");
  auto plain = token("xyz", {}, {"nf"});
  auto foreign = token("xyz", {}, {"nf", "foreign"});
  // A reading's property list counts like the token's own set.
  auto foreign_reading =
      token("xyz", {reading("Nn", "xyz", {"foreign"})}, {"nf"});
  auto known = token("house", {reading("Nn-Sg", "house")});
  EXPECT_TRUE(unknown_native.is_valid(plain.get()));
  EXPECT_FALSE(unknown_native.is_valid(foreign.get()));
  EXPECT_FALSE(unknown_native.is_valid(foreign_reading.get()));
  EXPECT_FALSE(unknown_native.is_valid(known.get()));
  EXPECT_FALSE(not_unknown.is_valid(plain.get()));
  EXPECT_TRUE(not_unknown.is_valid(known.get()));
  EXPECT_TRUE(everything.is_valid(plain.get()));
  EXPECT_TRUE(everything.is_valid(known.get()));
}

TEST(LookupConditions, RegexMatchesTheWholeLiteralWhateverTheInput) {
  LookupConditions conditions = conditions_of(
      R"([{"type": "regex", "value": "[A-Z]+s", "input": "stem"}])");
  ASSERT_EQ(conditions.size(), 1u);
  EXPECT_TRUE(conditions[0]->is_valid(token("NGOs", {reading("Nn", "ngo")}).get()));
  EXPECT_FALSE(conditions[0]->is_valid(token("NGOs!").get()));
  EXPECT_FALSE(conditions[0]->is_valid(token("ngos").get()));
  EXPECT_FALSE(conditions[0]->is_valid(token("xNGOs").get()));
}

TEST(LookupConditions, InputAndAction) {
  LookupConditions conditions = conditions_of(
      R"([{"type": "property", "value": "nf"},
          {"type": "property", "value": "nf", "action": "merge",
           "input": "stem"},
          {"type": "property", "value": "nf", "action": "overwrite",
           "input": "literal"}])");
  ASSERT_EQ(conditions.size(), 3u);
  EXPECT_EQ(conditions[0]->mode(), LookupConditionInterface::kOverwrite);
  EXPECT_EQ(conditions[1]->mode(), LookupConditionInterface::kMerge);
  EXPECT_EQ(conditions[2]->mode(), LookupConditionInterface::kOverwrite);

  auto with_reading =
      token("Häuser", {reading("Nn-Pl", "Haus", {"Pl"})}, {"nf", "cap"});
  auto without = token("Xyz", {}, {"nf"});
  EXPECT_EQ(conditions[0]->text(with_reading.get()), "Häuser");
  EXPECT_EQ(conditions[1]->text(with_reading.get()), "Haus");
  EXPECT_EQ(conditions[1]->text(without.get()), "Xyz");
  EXPECT_EQ(conditions[2]->text(with_reading.get()), "Häuser");

  conditions[1]->action(with_reading.get());
  EXPECT_EQ(with_reading->readings.size(), 1u);
  EXPECT_EQ(with_reading->properties, (std::set<std::string>{"nf", "cap"}));
  conditions[0]->action(with_reading.get());
  EXPECT_TRUE(with_reading->readings.empty());
  EXPECT_TRUE(with_reading->properties.empty());
}

TEST(LookupConditions, TheFirstConditionThatHoldsActs) {
  // An object's members are taken in key order, not in written order.
  LookupConditions conditions = conditions_of(
      R"({"b": {"type": "property", "value": "nf", "action": "merge"},
          "a": {"type": "regex", "value": "[0-9]+"}})");
  ASSERT_EQ(conditions.size(), 2u);
  EXPECT_NE(dynamic_cast<RegexLookup*>(conditions[0].get()), nullptr);
  auto number = token("1984", {}, {"nf"});
  auto word = token("xyz", {}, {"nf"});
  auto known = token("house", {reading("Nn-Sg", "house")});
  EXPECT_EQ(get_condition(conditions, number.get()), conditions[0].get());
  EXPECT_EQ(get_condition(conditions, word.get()), conditions[1].get());
  EXPECT_EQ(get_condition(conditions, known.get()), nullptr);

  AnyLookup any;
  EXPECT_TRUE(any.is_valid(known.get()));
  EXPECT_EQ(any.text(known.get()), "house");
}

TEST(LookupConditions, ConfigurationErrors) {
  const std::string prefix =
      "Invalid language configuration in conditions sections. ";
  struct Case {
    const char* section;
    std::string message;
  };
  const Case cases[] = {
      {R"([{"type": "lemma", "value": "x"}])", prefix + "type not supported"},
      {R"([{"type": 1, "value": "x"}])", prefix + "type not supported"},
      {R"([{"type": "lemma"}])", prefix + "type not supported"},
      {R"([{"value": "x"}])", prefix + "type missing"},
      {R"(["pos"])", prefix + "type missing"},
      {R"("pos")", prefix + "type missing"},
      {"3", prefix + "type missing"},
      {"true", prefix + "type missing"},
      {R"([{"type": "pos"}])", prefix + "value missing"},
      {R"([{"type": "regex"}])", prefix + "value missing"},
      {R"([{"type": "pos", "value": "Nn", "action": "replace"}])",
       prefix + "unknown action, choices [overwrite,merge]"},
      {R"([{"type": "pos", "value": "Nn", "input": "root"}])",
       "Invalid input configuration in conditions sections. unknown "
       "input_type, choices [literal,stem]"},
      // A bad entry after good ones still fails the whole list.
      {R"([{"type": "pos", "value": "Nn"}, {"type": "x", "value": "y"}])",
       prefix + "type not supported"},
  };
  for (const Case& c : cases) {
    try {
      conditions_of(c.section);
      ADD_FAILURE() << "no error for " << c.section;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.section;
    }
  }

  const char* type_errors[] = {
      R"([{"type": "pos", "value": 3}])",
      R"([{"type": "property", "value": ["nf"]}])",
      R"([{"type": "pos", "value": "Nn", "action": 1}])",
      R"([{"type": "pos", "value": "Nn", "input": null}])",
  };
  for (const char* section : type_errors) {
    try {
      conditions_of(section);
      ADD_FAILURE() << "no error for " << section;
    } catch (const json::type_error& e) {
      EXPECT_EQ(e.id, 302) << section;
      EXPECT_NE(std::string(e.what()).find("type must be string, but is "),
                std::string::npos);
    }
  }

  EXPECT_THROW(conditions_of(R"([{"type": "regex", "value": "(ab"}])"),
               std::runtime_error);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
