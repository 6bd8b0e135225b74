#include "language/apostrophe_repair.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "base/regex.h"
#include "engine/engine.h"
#include "language/test_language_testutil.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace kavero {
namespace {

// One piece of a sentence: its bytes in the document and the literal of its
// token (the tokenizer may have normalised it); a piece without literal is
// white space and makes no token.
struct Piece {
  std::string bytes;
  std::string literal;
  bool apostrophe = false;
};

// A blackboard holding one sentence laid out as the tokenizer leaves it:
// the "Sentence" concept, the tokens, the end annotation and the end of
// stream.
class Document {
 public:
  Document(const std::vector<Piece>& pieces, const std::string& expression) {
    if (!expression.empty()) blackboard.apostrophes = Regex(expression, false);
    auto* sentence = new Sentence(0, 0);
    blackboard.annotations->push_back(sentence);
    uint32_t at = 0;
    for (const Piece& piece : pieces) {
      const uint32_t begin = at;
      at += piece.bytes.size();
      blackboard.text += piece.bytes;
      if (piece.literal.empty()) continue;
      auto* token = new Token(begin, at, piece.literal);
      add_properties(token);
      if (piece.apostrophe) {
        token->flags |= token_flags::apostrophe;
        sentence->flags |= sentence_flags::has_apostrophe;
      }
      sentence->annotations.push_back(token);
      tokens.push_back(token);
    }
    blackboard.text_length = blackboard.text.size();
    sentence->begin = tokens.front()->begin;
    sentence->end = tokens.back()->end;
    auto* concept_annotation =
        new Concept(sentence->begin, sentence->end, "Sentence");
    sentence->annotations.insert_before(tokens.front(), concept_annotation);
    auto* end = new EndAnnotation(sentence->end);
    end->add(concept_annotation);
    concept_annotation->end_annotation = end;
    sentence->annotations.push_back(end);
    sentence->annotations.push_back(new EndOfStream(sentence->end));
    this->sentence = sentence;
  }

  void repair() { fix_apostrophes(blackboard, *sentence); }

  // The tokens now in the sentence as literal@begin-end, with "'" after
  // those flagged as apostrophe tokens.
  std::string tokens_now() const {
    std::string text;
    for (Annotation* a : sentence->annotations) {
      const Token* token = annotation_cast<Token>(a);
      if (token == nullptr) continue;
      if (!text.empty()) text += " ";
      text += token->literal + "@" + std::to_string(token->begin) + "-" +
              std::to_string(token->end);
      if (token->flags & token_flags::apostrophe) text += "'";
    }
    return text;
  }

  bool holds(const Token* token) const {
    for (Annotation* a : sentence->annotations) {
      if (a == token) return true;
    }
    return false;
  }

  api::Analyzer analyzer{nullptr, nullptr, nullptr};
  Blackboard blackboard{&analyzer, nullptr, nullptr, 0};
  Sentence* sentence = nullptr;
  // The tokens as made, in order.
  std::vector<Token*> tokens;
};

const char kRightQuote[] = "\xE2\x80\x99";  // U+2019

TEST(ApostropheRepair, ElidedArticleIsCutAfterTheApostrophe) {
  struct Case {
    const char* quote;
    const char* tokens;
  };
  // With the right single quotation mark the literal has one byte where the
  // document has three: the first token still ends after the mark.
  const Case cases[] = {
      {"'", "l'@0-2' été@2-7'"},
      {kRightQuote, "l'@0-4' été@4-9'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quote);
    Document doc({{"l", "l"}, {c.quote, "'", true}, {"été", "été"}}, "(l').+");
    doc.repair();
    EXPECT_EQ(doc.tokens_now(), c.tokens);
    // The first two token objects are reused, the third is gone.
    EXPECT_TRUE(doc.holds(doc.tokens[0]));
    EXPECT_TRUE(doc.holds(doc.tokens[1]));
    EXPECT_EQ(doc.sentence->annotations.size(), 5u);
  }
}

TEST(ApostropheRepair, RebuiltTokensGetFreshPropertiesAndNoReadings) {
  Document doc({{"L", "L"}, {"'", "'", true}, {"Été", "Été"}}, "(L').+");
  doc.tokens[0]->properties.insert("stale");
  doc.tokens[0]->readings.emplace_back("Prop-Std", "L", 1.0);
  doc.tokens[1]->readings.emplace_back("Punct-Quote", "'", 1.0);
  doc.repair();
  ASSERT_EQ(doc.tokens_now(), "L'@0-2' Été@2-7'");
  EXPECT_EQ(doc.tokens[0]->properties,
            (std::set<std::string>{"init-cap", "nf"}));
  EXPECT_EQ(doc.tokens[1]->properties,
            (std::set<std::string>{"init-cap", "nf"}));
  EXPECT_TRUE(doc.tokens[0]->readings.empty());
  EXPECT_TRUE(doc.tokens[1]->readings.empty());
}

TEST(ApostropheRepair, OnlyDirectNeighboursJoin) {
  struct Case {
    std::vector<Piece> pieces;
    const char* expression;
    const char* tokens;
  };
  const Case cases[] = {
      // No previous token: the apostrophe token takes the first part and the
      // next token the second; both stay.
      {{{"go", "go"}, {" ", ""}, {"'", "'", true}, {"twas", "twas"}},
       "('t)was",
       "go@0-2 't@3-5' was@5-8'"},
      // No next token: the previous token takes the first part, the
      // apostrophe token the rest and keeps its end.
      {{{"rock", "rock"}, {"'", "'", true}, {" ", ""}, {"on", "on"}},
       "(roc)k'",
       "roc@0-3' k'@3-5' on@6-8"},
      // No neighbour at all: the token stays as it is.
      {{{"a", "a"}, {" ", ""}, {"'", "'", true}, {" ", ""}, {"b", "b"}},
       "(')",
       "a@0-1 '@2-3' b@4-5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    Document doc(c.pieces, c.expression);
    doc.repair();
    EXPECT_EQ(doc.tokens_now(), c.tokens);
  }
}

TEST(ApostropheRepair, WordWithoutNeighboursIsSplitIntoTwoTokens) {
  struct Case {
    std::vector<Piece> pieces;
    const char* expression;
    const char* tokens;
  };
  const Case cases[] = {
      // Contractions and possessives the tokenizer left whole.
      {{{"It's", "It's", true}, {" ", ""}, {"fine", "fine"}},
       "([A-Za-z]+)'s",
       "It@0-2' 's@2-4' fine@5-9"},
      {{{"don't", "don't", true}}, "([A-Za-z]+)n't", "do@0-2' n't@2-5'"},
      {{{"dog's", "dog's", true}, {" ", ""}, {"ball", "ball"}},
       "([A-Za-z]+)'s",
       "dog@0-3' 's@3-5' ball@6-10"},
      // The right single quotation mark is one byte in the literal and
      // three in the document: the second part starts before the mark.
      {{{std::string("It") + kRightQuote + "s", "It's", true}},
       "([A-Za-z]+)'s",
       "It@0-2' 's@2-6'"},
      {{{std::string("l") + kRightQuote + "été", "l'été", true}},
       "(l').+",
       "l'@0-4' été@4-9'"},
      // Punctuation touching the word: the joined text fails, the word
      // alone is cut.
      {{{"don't", "don't", true}, {".", "."}},
       "([A-Za-z]+)n't",
       "do@0-2' n't@2-5' .@5-6"},
      {{{"(", "("}, {"dog's", "dog's", true}, {")", ")"}},
       "([A-Za-z]+)'s",
       "(@0-1 dog@1-4' 's@4-6' )@6-7"},
      // Two such words in a row: each is split once.
      {{{"We'll", "We'll", true}, {" ", ""}, {"I've", "I've", true}},
       "([A-Za-z]+)'(ll|ve)",
       "We@0-2' 'll@2-5' I@6-7' 've@7-10'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tokens);
    Document doc(c.pieces, c.expression);
    Token* word = nullptr;
    for (Token* token : doc.tokens) {
      if (word == nullptr && (token->flags & token_flags::apostrophe)) {
        word = token;
      }
    }
    word->flags |= token_flags::skip_lookup;
    doc.repair();
    EXPECT_EQ(doc.tokens_now(), c.tokens);
    // The word's own token object keeps the first part; the new one takes
    // its tokenizer flags along.
    ASSERT_TRUE(doc.holds(word));
    const auto* second = annotation_cast<Token>(word->next);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->flags & token_flags::skip_lookup, 0u);
    EXPECT_TRUE(second->readings.empty());
  }
}

TEST(ApostropheRepair, PunctuationThatTheWordAloneDoesNotMatchStays) {
  // Neither the joined text nor the word alone gives a cut inside: the
  // word keeps its neighbours and only loses the property.
  Document doc({{"o'clock", "o'clock", true}, {".", "."}}, "([A-Za-z]+)'s");
  doc.tokens[0]->properties.insert("apostrophe");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "o'clock@0-7' .@7-8");
  EXPECT_EQ(doc.tokens[0]->properties.count("apostrophe"), 0u);
  // The word alone matches without a cut: it is not folded with the
  // full stop either.
  Document whole({{"O'Neil", "O'Neil", true}, {".", "."}}, "O'[A-Z][a-z]+");
  whole.repair();
  EXPECT_EQ(whole.tokens_now(), "O'Neil@0-6' .@6-7");
}

TEST(ApostropheRepair, SplitTokenGetsItsOwnProperties) {
  Document doc({{"O'Neil's", "O'Neil's", true}}, "([A-Za-z']+)'s");
  doc.tokens[0]->readings.emplace_back("Prop", "O'Neil's", 1.0);
  doc.repair();
  ASSERT_EQ(doc.tokens_now(), "O'Neil@0-6' 's@6-8'");
  EXPECT_EQ(doc.tokens[0]->properties,
            (std::set<std::string>{"init-cap", "nf"}));
  EXPECT_TRUE(doc.tokens[0]->readings.empty());
  const auto* second = annotation_cast<Token>(doc.tokens[0]->next);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->properties.empty());
}

TEST(ApostropheRepair, WholeWordWhenNoGroupCutsInside) {
  // Expressions that match "l'été" but give no cut strictly inside it.
  const char* const expressions[] = {
      "l'.+",        // no group
      "l'.+()",      // a group that is empty at the end
      "()l'.+",      // a group that ends at the start
      "(l'.+)",      // a group that ends at the end
      "(x)?(l'.+)",  // the first group takes no part, the second ends at the
                     // end
  };
  for (const char* expression : expressions) {
    SCOPED_TRACE(expression);
    Document doc({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, expression);
    doc.repair();
    EXPECT_EQ(doc.tokens_now(), "l'été@0-7'");
    EXPECT_TRUE(doc.holds(doc.tokens[1]));
  }
  // The first group that takes part decides.
  Document doc({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, "(x)?(l')été");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "l'@0-2' été@2-7'");
}

TEST(ApostropheRepair, FoldedTokenTakesThePreviousTokensProperties) {
  Document doc({{"O", "O"}, {"'", "'", true}, {"Neil", "Neil"}},
               "O'[A-Z][a-z]+");
  doc.tokens[1]->properties.insert("quote");
  doc.tokens[1]->readings.emplace_back("Punct-Quote", "'", 1.0);
  doc.tokens[2]->properties.insert("next-only");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "O'Neil@0-6'");
  EXPECT_EQ(doc.tokens[1]->properties,
            (std::set<std::string>{"init-cap", "nf", "quote"}));
  EXPECT_TRUE(doc.tokens[1]->readings.empty());
}

TEST(ApostropheRepair, NoMatchOnlyDropsTheApostropheProperty) {
  Document doc({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, "(d').+");
  doc.tokens[1]->properties = {"apostrophe", "quote"};
  doc.tokens[1]->readings.emplace_back("Punct-Quote", "'", 1.0);
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "l@0-1 '@1-2' été@2-7");
  EXPECT_EQ(doc.tokens[1]->properties, std::set<std::string>{"quote"});
  EXPECT_EQ(doc.tokens[1]->readings.size(), 1u);
}

TEST(ApostropheRepair, NothingToDoWithoutExpressionOrMarkedSentence) {
  Document no_expression({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, "");
  no_expression.repair();
  EXPECT_EQ(no_expression.tokens_now(), "l@0-1 '@1-2' été@2-7");

  Document unmarked({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, "(l').+");
  unmarked.sentence->flags = 0;
  unmarked.repair();
  EXPECT_EQ(unmarked.tokens_now(), "l@0-1 '@1-2' été@2-7");
}

TEST(ApostropheRepair, EveryApostropheTokenOfTheSentence) {
  Document doc({{"l", "l"},
                {"'", "'", true},
                {"été", "été"},
                {" ", ""},
                {"d", "d"},
                {kRightQuote, "'", true},
                {"or", "or"}},
               "([ld]').+");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "l'@0-2' été@2-7' d'@8-12' or@12-14'");
}

TEST(ApostropheRepair, RebuiltTokensAreNotRepairedAgain) {
  // "was" comes out with the apostrophe flag and "!" right after it;
  // repairing it again would join them into "was!".
  Document doc({{"'", "'", true}, {"twas", "twas"}, {"!", "!"}}, "('t)was!?");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "'t@0-2' was@2-5' !@5-6");
}

TEST(ApostropheRepair, CutAfterDecomposedCharactersLandsOnACharacterBoundary) {
  // The document writes each é as e and a combining acute accent (3 bytes);
  // the literal holds the composed form (2 bytes).
  Document doc({{"Re\xCC\x81ne\xCC\x81", "Réné"}, {"'", "'", true}, {"s", "s"}},
               "(.+)'s");
  doc.repair();
  EXPECT_EQ(doc.tokens_now(), "Réné@0-8' 's@8-10'");
}

TEST(ApostropheRepair, MappingTable) {
  struct Case {
    std::vector<Piece> pieces;
    std::vector<int> table;
  };
  const Case cases[] = {
      // One byte for three: every later position moves by two.
      {{{"l", "l"}, {kRightQuote, "'", true}, {"été", "été"}},
       {0, 1, 4, 0, 6, 7, 0, 9}},
      // A base letter and its combining mark are one character.
      {{{"e\xCC\x81", "é"}, {"'", "'", true}, {"e", "e"}}, {0, 0, 3, 4, 5}},
      // The same bytes map to themselves at every character boundary.
      {{{"a", "a"}, {"'", "'", true}, {"é", "é"}}, {0, 1, 2, 0, 4}},
  };
  for (const Case& c : cases) {
    Document doc(c.pieces, "x");
    const std::string joined = doc.tokens[0]->literal + doc.tokens[1]->literal +
                               doc.tokens[2]->literal;
    EXPECT_EQ(get_utf8_mapping_tbl(doc.blackboard, joined, doc.tokens[0],
                                   doc.tokens[1], doc.tokens[2]),
              c.table)
        << joined;
  }
}

TEST(ApostropheRepair, TokenOutsideTheTextRaises) {
  Document doc({{"l", "l"}, {"'", "'", true}, {"été", "été"}}, "(l').+");
  doc.tokens[2]->end = 40;
  EXPECT_THROW(doc.repair(), std::exception);
}

// The tokens of a whole analysis with the test language, whose tokenizer
// keeps words with an apostrophe whole and whose expression cuts
// contractions, possessives and elided articles.
class TestLanguage {
 public:
  TestLanguage() {
    const std::string folder = testing::test_language_folder().string();
    engine_ = std::make_shared<Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", folder}, {"morvik", folder}}.dump()));
    std::shared_ptr<IOptions> options =
        convert_string_to_api_options(R"({"language": "english"})");
    handle_ = new api::Analyzer(engine_, engine_->get_language_module(options),
                                options);
  }
  ~TestLanguage() { handle_->dec_ref(); }

  // The tokens as literal@begin-end, "'" after apostrophe tokens, and "!"
  // after a token left without readings.
  std::string tokens(const std::string& text) {
    Blackboard blackboard(handle_, convert_string_to_api_options("{}"),
                          text.data(), text.size());
    blackboard.analyzer->generate(blackboard, text.data(), text.size());
    std::string out;
    for (Annotation* a : *blackboard.annotations) {
      auto* sentence = annotation_cast<Sentence>(a);
      if (sentence == nullptr) continue;
      for (Annotation* b : sentence->annotations) {
        const Token* token = annotation_cast<Token>(b);
        if (token == nullptr) continue;
        if (!out.empty()) out += " ";
        out += token->literal + "@" + std::to_string(token->begin) + "-" +
               std::to_string(token->end);
        if (token->flags & token_flags::apostrophe) out += "'";
        if (token->readings.empty()) out += "!";
      }
    }
    return out;
  }

 private:
  std::shared_ptr<Engine> engine_;
  api::Analyzer* handle_ = nullptr;
};

TEST(ApostropheRepair, WholeAnalysesOfWordsWithAnApostrophe) {
  struct Case {
    std::string text;
    const char* tokens;
  };
  const std::string rsquo = kRightQuote;
  const Case cases[] = {
      // Contractions.
      {"It's fine.", "It@0-2' 's@2-4' fine@5-9 .@9-10"},
      {"We don't know.", "We@0-2 do@3-5' n't@5-8' know@9-13 .@13-14"},
      {"They'll go, we can't.",
       "They@0-4' 'll@4-7' go@8-10 ,@10-11 we@12-14 ca@15-17' n't@17-20' "
       ".@20-21"},
      // Possessives, also before punctuation.
      {"The dog's ball.", "The@0-3 dog@4-7' 's@7-9' ball@10-14 .@14-15"},
      {"It is the dog's.", "It@0-2 is@3-5 the@6-9 dog@10-13' 's@13-15' .@15-16"},
      // Elided articles.
      {"We saw l'été.", "We@0-2 saw@3-6 l'@7-9' été@9-14' .@14-15"},
      // The right single quotation mark: three bytes in the document.
      {"It" + rsquo + "s fine.", "It@0-2' 's@2-6' fine@7-11 .@11-12"},
      {"We saw l" + rsquo + "été.",
       "We@0-2 saw@3-6 l'@7-11' été@11-16' .@16-17"},
      // A name the expression keeps whole.
      {"O'Neil came.", "O'Neil@0-6' came@7-11 .@11-12"},
  };
  TestLanguage language;
  for (const Case& c : cases) {
    EXPECT_EQ(language.tokens(c.text), c.tokens) << c.text;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
