#include "language/disambiguation.h"

#include <memory>
#include <string>
#include <vector>

#include <fst/symbol-table.h>
#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "core-afst/afst.h"
#include "language/disambiguation_engine.h"
#include "language/morph_data.h"
#include "language/token_flags.h"
#include "language/tokenizer_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::TokenizedDocument;
using testing::make_language;

const char kRules[] = R"(
$Space = [\p{White_Space}];
$Space+;
[a-z]+ {200};
)";

// A postagger transducer without states: present, but with no rules.
std::shared_ptr<afst::AFst> empty_postagger() {
  auto transducer = std::make_shared<afst::AFst::Transducer>();
  fst::SymbolTable symbols;
  symbols.AddSymbol("eps");
  transducer->SetInputSymbols(&symbols);
  transducer->SetOutputSymbols(&symbols);
  return std::make_shared<afst::AFst>(transducer);
}

// A reading of part of speech "Nn-Sg" with `components` component readings
// and the weight.
MorphData reading(size_t components, double weight = 1.0) {
  MorphData r("Nn-Sg", "s" + std::to_string(components), weight);
  for (size_t i = 0; i < components; ++i) r.components.emplace_back("Nn-Sg", "c", 1.0);
  return r;
}

std::vector<size_t> component_counts(const Token& token) {
  std::vector<size_t> counts;
  for (const MorphData& r : token.readings) counts.push_back(r.components.size());
  return counts;
}

std::vector<double> weights(const Token& token) {
  std::vector<double> found;
  for (const MorphData& r : token.readings) found.push_back(r.weight);
  return found;
}

// A blackboard bound to a language without lookups, with an empty
// document list.
class Document {
 public:
  Document() : document_(make_language(kRules), "") {}

  Blackboard& blackboard() { return document_.blackboard(); }

  Sentence* add_sentence() {
    auto* sentence = new Sentence(0, 0);
    blackboard().annotations->push_back(sentence);
    return sentence;
  }

  static Token* add_token(AnnotationCollection& list, uint64_t flags,
                          const std::vector<MorphData>& readings) {
    auto* token = new Token(0, 1, "w");
    token->flags = flags;
    for (const MorphData& r : readings) token->readings.push_back(r);
    list.push_back(token);
    return token;
  }

 private:
  TokenizedDocument document_;
};

TEST(AutoDisambiguate, CompoundReadingsKeepFallingComponentCounts) {
  struct Case {
    std::vector<size_t> components;
    uint64_t flags;
    std::vector<size_t> kept;
  };
  const Case cases[] = {
      {{2, 3, 1, 1, 0}, token_flags::compound, {2, 1, 0}},
      {{0, 2, 1}, token_flags::compound, {0}},
      {{3, 2, 2, 1}, token_flags::compound | token_flags::tagged, {3, 2, 1}},
      {{1}, token_flags::compound, {1}},
      {{}, token_flags::compound, {}},
      // Without the compound flag nothing is pruned.
      {{2, 3, 1, 1, 0}, token_flags::tagged, {2, 3, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    Document document;
    std::vector<MorphData> readings;
    for (size_t n : c.components) readings.push_back(reading(n));
    Token* in_sentence =
        Document::add_token(document.add_sentence()->annotations, c.flags, readings);
    // A token met directly in the document list is pruned the same way.
    Token* loose =
        Document::add_token(*document.blackboard().annotations, c.flags, readings);
    EXPECT_TRUE(auto_disambiguate(document.blackboard()));
    EXPECT_EQ(component_counts(*in_sentence), c.kept);
    EXPECT_EQ(component_counts(*loose), c.kept);
  }
}

// The stems tell which readings survived: the first of equal counts stays.
TEST(AutoDisambiguate, KeepsTheFirstOfEachCount) {
  Document document;
  std::vector<MorphData> readings = {reading(2), reading(1), reading(1)};
  readings[1].stem = "first";
  readings[2].stem = "second";
  Token* token = Document::add_token(document.add_sentence()->annotations,
                                     token_flags::compound, readings);
  auto_disambiguate(document.blackboard());
  ASSERT_EQ(token->readings.size(), 2u);
  EXPECT_EQ(token->readings.back().stem, "first");
}

// A language without a postagger transducer has no rules: its ambiguous
// tokens keep all their readings.
TEST(Disambiguate, WithoutPostaggerNothingChanges) {
  Document document;
  ASSERT_EQ(document.blackboard().morph_data->postagger, nullptr);
  Token* token = Document::add_token(document.add_sentence()->annotations, 0,
                                     {reading(0, 0.5), reading(0, 0.25)});
  EXPECT_TRUE(disambiguate(document.blackboard()));
  EXPECT_EQ(weights(*token), (std::vector<double>{0.5, 0.25}));
}

// Tokens with fewer than two readings are never handed to the engine.
TEST(Disambiguate, UnambiguousTokensAreNotWeighed) {
  Document document;
  document.blackboard().morph_data->postagger = empty_postagger();
  Sentence* sentence = document.add_sentence();
  Token* single = Document::add_token(sentence->annotations, 0, {reading(0, 0.5)});
  Token* none = Document::add_token(sentence->annotations, 0, {});
  EXPECT_TRUE(disambiguate(document.blackboard()));
  EXPECT_EQ(weights(*single), (std::vector<double>{0.5}));
  EXPECT_TRUE(none->readings.empty());
}

// With a postagger, a token of two or more readings is handed to the
// engine, in a sentence and only there. The engine cannot weigh readings in
// this build and says so rather than leave them as if they were weighed.
TEST(Disambiguate, AmbiguousTokensReachTheEngine) {
  Document document;
  document.blackboard().morph_data->postagger = empty_postagger();
  // A token directly in the document list is not a sentence's token.
  Token* loose = Document::add_token(*document.blackboard().annotations, 0,
                                     {reading(0, 0.5), reading(0, 0.25)});
  EXPECT_TRUE(disambiguate(document.blackboard()));
  EXPECT_EQ(weights(*loose), (std::vector<double>{0.5, 0.25}));

  Document::add_token(document.add_sentence()->annotations, 0,
                      {reading(0, 0.5), reading(0, 0.25)});
  EXPECT_THROW(disambiguate(document.blackboard()), zel::Exception);
}

TEST(DisambiguationEngine, NeedsAPostagger) {
  core::MorphData data;
  EXPECT_THROW(disambiguation::Engine engine(data), zel::Exception);
}

// remove_irrelevant keeps the readings of the greatest weight, in order.
TEST(DisambiguationEngine, RemoveIrrelevantKeepsTheBest) {
  struct Case {
    std::vector<double> weights;
    std::vector<double> kept;
  };
  const Case cases[] = {
      {{0.5, 0.25, 0.5, 0.1}, {0.5, 0.5}},
      {{0.1, 0.2, 0.3}, {0.3}},
      {{1.0}, {1.0}},
      {{}, {}},
  };
  core::MorphData data;
  data.postagger = empty_postagger();
  disambiguation::Engine engine(data);
  for (const Case& c : cases) {
    AnnotationCollection list;
    std::vector<MorphData> readings;
    for (double w : c.weights) readings.push_back(reading(0, w));
    Token* token = Document::add_token(list, 0, readings);
    list.push_back(new EndOfStream(1));
    engine.reset(&list);
    engine.remove_irrelevant(RawPtrIterator(token));
    EXPECT_EQ(weights(*token), c.kept);
    // Other annotations are passed over.
    engine.remove_irrelevant(RawPtrIterator(list.tail));
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
