#include "language/apostrophe_repair.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/regex.h"
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

TEST(ApostropheRepair, SplitWithoutNeighboursChangesNothing) {
  Document doc({{"''", "''", true}}, "x");
  make_split_token(doc.sentence->annotations, "''", 1, 1, nullptr,
                   doc.tokens[0], nullptr);
  EXPECT_EQ(doc.tokens_now(), "''@0-2'");
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

}  // namespace
}  // namespace kavero
}  // namespace zel
