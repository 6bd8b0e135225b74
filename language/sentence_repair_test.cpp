#include "language/sentence_repair.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/reading.h"
#include "language/token_flags.h"
#include "language/sentence_layout_testutil.h"
#include "language/sentence_repair_reference_testutil.h"
#include "language/tokenizer_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::TokenizedDocument;
using testing::expect_consistent;
using testing::make_language;
using testing::properties_of;
using testing::readings_of;
using testing::tokens_of;

// Break rules whose statuses give the tokens what the repair reads: full
// stops and marks are sentence punctuation (501), quotes "Punct-Quote"
// (503), "#" line punctuation (506), "-" a line breaker (500), "etc." and
// "Dr." abbreviations (510); some names are given names, family names or
// proper nouns through the language's own rows.
const char kRules[] = R"(
$Letter = [\p{L}\p{M}];
$Space = [\p{White_Space}];
$Space+;
$Letter+ {200};
[.!?] {501};
[,:] {502};
[\"\u201C\u201D\u201E\u00AB\u00BB] {503};
'#' {506};
'-' {500};
'etc.' {510};
'Dr.' {510};
'John' {601};
'Anna' {601};
'Smith' {602};
'Li' {602};
'Paris' {603};
)";

std::shared_ptr<LanguageModule> repair_language() {
  static const auto language =
      make_language(kRules, {{601, "giv"}, {602, "fam"}, {603, "+Prop-Std"}});
  return language;
}

// A document cut into sentences where `marked` holds "|": the text is
// `marked` with every "|" read as a blank, and each stretch between marks
// is tokenized as one sentence and indexed, as a sentence splitter leaves
// them.
class Document {
 public:
  explicit Document(const std::string& marked)
      : document_(repair_language(), blanks_for_marks(marked)) {
    uint32_t begin = 0;
    for (size_t i = 0; i <= marked.size(); ++i) {
      if (i < marked.size() && marked[i] != '|') continue;
      const uint32_t end = static_cast<uint32_t>(i);
      if (document_.add_sentence(begin, end)) {
        Sentence* sentence = document_.sentences().back();
        blackboard().sentences.emplace_back(sentence->begin,
                                            SentenceInfo(sentence));
      } else {
        blackboard().annotations->erase(blackboard().annotations->tail);
      }
      begin = end + 1;
    }
  }

  Blackboard& blackboard() { return document_.blackboard(); }
  std::vector<Sentence*> sentences() const { return document_.sentences(); }

  Token* token(const std::string& literal, int n = 1) {
    for (Token* t : document_.all_tokens()) {
      if (t->literal == literal && --n == 0) return t;
    }
    return nullptr;
  }

  // The literals of every sentence, joined by blanks, sentences by " / ".
  std::string layout() const {
    std::string out;
    for (Sentence* sentence : document_.sentences()) {
      if (!out.empty()) out += " / ";
      std::string words;
      for (Token* t : tokens_of(sentence->annotations)) {
        if (!words.empty()) words += " ";
        words += t->literal;
      }
      out += words;
    }
    return out;
  }

 private:
  static std::string blanks_for_marks(std::string text) {
    for (char& c : text) {
      if (c == '|') c = ' ';
    }
    return text;
  }

  TokenizedDocument document_;
};

std::string words(int n, const std::string& word) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i > 0) out += " ";
    out += word;
  }
  return out;
}

// The document after a repair: per sentence, every token as its literal,
// its properties and its readings.
std::string described(const std::vector<Sentence*>& sentences) {
  std::string out;
  for (Sentence* sentence : sentences) {
    out += "[";
    for (Token* t : tokens_of(sentence->annotations)) {
      out += " " + t->literal + "{" + properties_of(*t) + "}/" + readings_of(*t);
    }
    out += " ]\n";
  }
  return out;
}

// A random text of the pieces the repair looks at, with "|" where the
// splitter would have cut; `pieces` of them.
std::string random_marked_text(std::mt19937& random, int pieces) {
  static const char* const kPieces[] = {
      "go", "home", "we", "stay", "The", "Then", "John", "Anna", "Smith", "Li",
      "Paris", "etc.", "Dr.", ".", ".", "!", "?", ",", ":", "\"", "\"",
      "\u201C", "\u201D", "\u201E", "\u00AB", "\u00BB", "#", "-"};
  static const char* const kBetween[] = {" ", " ", " ", "", "", "  ", "\n", "|"};
  auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  std::string text = kPieces[pick(std::size(kPieces))];
  for (int i = 1; i < pieces; ++i) {
    text += kBetween[pick(std::size(kBetween))];
    text += kPieces[pick(std::size(kPieces))];
  }
  return text;
}

// The repair must give what the plain repair gives, on short texts and on
// sentences long enough to be cut at the token limit.
TEST(SentenceRepair, SameResultsAsThePlainRepair) {
  std::mt19937 random(30);
  for (int i = 0; i < 600; ++i) {
    const int pieces = i % 40 == 39 ? 300 + static_cast<int>(random() % 300)
                                    : 2 + static_cast<int>(random() % 60);
    const std::string marked = random_marked_text(random, pieces);
    Document repaired(marked);
    Document plain(marked);
    fix_sentences(repaired.blackboard());
    testing::reference_fix_sentences(plain.blackboard());
    ASSERT_EQ(described(repaired.sentences()), described(plain.sentences())) << marked;
    expect_consistent(repaired.blackboard(), marked);
  }
}

TEST(SentenceRepair, TokenLimitFromTheEnvironment) {
  const char* saved = std::getenv("KAVERO_MAX_NROF_TOKENS");
  const std::string kept = saved != nullptr ? saved : "";
  unsetenv("KAVERO_MAX_NROF_TOKENS");
  EXPECT_EQ(get_kavero_max_nrof_tokens(), 150);
  setenv("KAVERO_MAX_NROF_TOKENS", "7", 1);
  EXPECT_EQ(get_kavero_max_nrof_tokens(), 7);
  if (saved != nullptr) {
    setenv("KAVERO_MAX_NROF_TOKENS", kept.c_str(), 1);
  } else {
    unsetenv("KAVERO_MAX_NROF_TOKENS");
  }
}

// Each case is one document, cut where "|" stands, and the sentences the
// repair leaves.
TEST(SentenceRepair, Cases) {
  struct Case {
    const char* name;
    std::string marked;
    std::string repaired;
  };
  const Case cases[] = {
      {"nothing to repair", "Go home.|We stay.", "Go home . / We stay ."},
      // A closed quotation that ends with sentence punctuation, followed by
      // a capitalised word.
      {"quotation ends a sentence", "He said \"Go home.\" Then he left.",
       "He said \" Go home . \" / Then he left ."},
      // A quotation that does not end in sentence punctuation is stepped
      // over.
      {"quotation inside", "He said \"go\" and Then left.",
       "He said \" go \" and Then left ."},
      // Sentence punctuation, then a quote that opens a quotation.
      {"quote after a full stop", "He left. \"Run, now\" she said.",
       "He left . / \" Run , now \" she said ."},
      // A quote two blanks after a full stop starts a new sentence, unless
      // an earlier quote is still open (an odd number of quotes seen).
      {"quote two blanks after a full stop", "He left.  \"run now",
       "He left . / \" run now"},
      {"quote after a full stop inside an open quotation",
       "\u00ABHe left.  \"run now", "\u00AB He left . \" run now"},
      // „ closed by “ and directly followed by another opening quote.
      {"opening quote after a quotation", "Er sagte \u201Ehallo\u201C \u201Eja\u201D",
       "Er sagte \u201E hallo \u201C / \u201E ja \u201D"},
      {"header mark after a full stop", "Done. # Next step", "Done . / # Next step"},
      {"header mark two blanks away", "Done.  # Next step", "Done . # Next step"},
      {"line breaker after a full stop", "Done. - next item", "Done . / - next item"},
      {"colon after a full stop", "Done.: next", "Done . : next"},
      {"abbreviation at a line end", "See etc.\nThen we go.",
       "See etc. / Then we go ."},
      {"abbreviation and a proper noun", "See etc.\nParis is far.",
       "See etc. Paris is far ."},
      {"abbreviation and a lower-case word", "See etc.\nthen we go.",
       "See etc. then we go ."},
      {"abbreviation without line feed", "See etc. Then we go.",
       "See etc. Then we go ."},
      // Two cuts in one pass: each cuts the sentence the previous one made.
      {"two abbreviation cuts", "See etc.\nThen etc.\nNow go.",
       "See etc. / Then etc. / Now go ."},
      {"given and family name", "I met John|Smith today.", "I met John Smith today ."},
      {"single given name", "I met|John|Smith today.", "I met / John Smith today ."},
      {"family name too short", "I met John|Li today.", "I met John / Li today ."},
      {"no family name", "I met John|Then left.", "I met John / Then left ."},
      // The sentence between has a single token: its own token is its last
      // word, not the given name of the sentence before it.
      {"no join over a one-word sentence", "I met John|Yes|Smith came.",
       "I met John / Yes / Smith came ."},
  };
  for (const Case& c : cases) {
    Document document(c.marked);
    fix_sentences(document.blackboard());
    EXPECT_EQ(document.layout(), c.repaired) << c.name;
    expect_consistent(document.blackboard(), c.name);
  }
}

// The token limit of 150: a run of 400 words becomes sentences of 150, 150
// and 100 tokens.
TEST(SentenceRepair, LongSentencesAreCutAtTheLimit) {
  Document document(words(400, "w"));
  fix_sentences(document.blackboard());
  expect_consistent(document.blackboard(), "400 words");
  std::vector<size_t> sizes;
  for (Sentence* sentence : document.sentences()) {
    sizes.push_back(tokens_of(sentence->annotations).size());
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{150, 150, 100}));
}

// The limit is read once, when the program starts. Run from a program
// started with "KAVERO_MAX_NROF_TOKENS" set to 1, every sentence of two or
// more tokens is cut after each token; otherwise the test runs itself again
// in such a program.
TEST(SentenceRepair, TokenLimitOfOneCutsAfterEveryToken) {
  const char* limit = std::getenv("KAVERO_MAX_NROF_TOKENS");
  if (limit == nullptr || std::string(limit) != "1") {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string command =
        "KAVERO_MAX_NROF_TOKENS=1 '" + self +
        "' --gtest_filter=SentenceRepair.TokenLimitOfOneCutsAfterEveryToken";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return;
  }
  struct Case {
    std::string marked;
    std::string repaired;
  };
  const Case cases[] = {
      {"One", "One"},
      {"We stay.", "We / stay / ."},
      {"Go home|We stay here", "Go / home / We / stay / here"},
  };
  for (const Case& c : cases) {
    Document document(c.marked);
    fix_sentences(document.blackboard());
    EXPECT_EQ(document.layout(), c.repaired) << c.marked;
    expect_consistent(document.blackboard(), c.marked);
  }
}

// Tokens inside a closed quotation are not counted: with 148 words, a
// quotation of five and more words after it, the first cut comes six
// tokens later than the limit alone would make it.
TEST(SentenceRepair, QuotedTokensDoNotCount) {
  Document document(words(148, "w") + " \"q q q q q\" " + words(10, "x"));
  fix_sentences(document.blackboard());
  expect_consistent(document.blackboard(), "quotation");
  const std::vector<Sentence*> sentences = document.sentences();
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(tokens_of(sentences[0]->annotations).size(), 156u);
  EXPECT_EQ(tokens_of(sentences[1]->annotations).size(), 9u);
}

// Sentence punctuation that does not end a sentence becomes plain "Punct".
TEST(SentenceRepair, Demotion) {
  struct Case {
    std::string text;
    // Which of the text's sentence marks, in order, end up as "Punct".
    std::vector<std::string> readings;
  };
  const Case cases[] = {
      // A full stop before a lower-case word.
      {"He left . then came", {"Punct:."}},
      // Two marks in a row: the first gives way to the second.
      {"What ?!", {"Punct:?", "Punct-Sent:!"}},
      {"Done. Then more.", {"Punct:.", "Punct-Sent:."}},
      // An abbreviation's full stop is kept for the colon after it.
      {"Done.: more", {"Punct-Sent:."}},
  };
  for (const Case& c : cases) {
    Document document(c.text);
    fix_sentences(document.blackboard());
    expect_consistent(document.blackboard(), c.text);
    std::vector<std::string> found;
    for (Sentence* sentence : document.sentences()) {
      for (Token* t : tokens_of(sentence->annotations)) {
        if (t->literal == "." || t->literal == "?" || t->literal == "!") {
          found.push_back(readings_of(*t));
        }
      }
    }
    EXPECT_EQ(found, c.readings) << c.text;
  }
}

// A full stop that the dictionary pass split off a word ends the sentence
// whatever follows it.
TEST(SentenceRepair, SplitFullStopEndsTheSentence) {
  Document document("See etc . and more");
  document.token(".")->flags |= token_flags::sentence_end;
  fix_sentences(document.blackboard());
  EXPECT_EQ(document.layout(), "See etc . / and more");
  expect_consistent(document.blackboard(), "split full stop");
}

// The first word of a sentence made by a cut is its initial token; the
// sentence cut off ends at its last remaining token.
TEST(SentenceRepair, NewSentenceStartsWithAnInitialToken) {
  Document cut("Done. # Next step");
  ASSERT_EQ(properties_of(*cut.token("Next")), "init-cap,nf");
  fix_sentences(cut.blackboard());
  expect_consistent(cut.blackboard(), "cut before a header mark");
  const std::vector<Sentence*> sentences = cut.sentences();
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(sentences[0]->end, 5u);
  Token* next = cut.token("Next");
  EXPECT_EQ(properties_of(*next), "init-cap,init-token");
  EXPECT_EQ(cut.token("#")->properties.count("init-token"), 0u);
}

// A joined sentence loses its index pair; the "Sentence" concept of the
// joined sentence ends where the second one ended.
TEST(SentenceRepair, JoinKeepsTheIndexInStep) {
  Document document("Hello there.|I met John|Smith today.|Bye now.");
  Sentence* third = document.sentences()[2];
  const uint32_t end = third->end;
  fix_sentences(document.blackboard());
  expect_consistent(document.blackboard(), "join");
  const std::vector<Sentence*> sentences = document.sentences();
  ASSERT_EQ(sentences.size(), 3u);
  EXPECT_EQ(sentences[1]->end, end);
  EXPECT_EQ(static_cast<Concept*>(sentences[1]->annotations.head)->end, end);
  EXPECT_EQ(document.blackboard().sentences[2].second.sentence, sentences[2]);
}

// The index stays in step across cuts and joins in several sentences.
TEST(SentenceRepair, IndexStaysInStepOverManySentences) {
  Document document(
      "Go. - one|I met Anna|Smith. # two|" + words(160, "w") +
      "|See etc.\nThen go.|End.");
  fix_sentences(document.blackboard());
  expect_consistent(document.blackboard(), "many");
  EXPECT_EQ(document.layout(),
            "Go . / - one / I met Anna Smith . / # two / " + words(150, "w") +
                " / " + words(10, "w") + " / See etc. / Then go . / End .");
}

TEST(SentenceRepair, ClosingQuotes) {
  struct Case {
    std::string opening;
    std::vector<std::string> closing;
    std::vector<std::string> not_closing;
  };
  const Case cases[] = {
      {"\"", {"\""}, {"\u201C", "'"}},
      {"\u201E", {"\u201C", "\""}, {"\u201D", "\u201E"}},
      {"\u201C", {"\u201D", "\u201C"}, {"\""}},
      {"\u201D", {"\u201C", "\u201D"}, {"\""}},
      {"\u00AB", {"\u00BB"}, {"\u00AB", "\""}},
      {"'", {"'"}, {"\""}},
      {"\u2018", {"\u2019"}, {"\u2018", "'"}},
      {"\u2019", {"\u2018"}, {"\u2019", "'"}},
  };
  for (const Case& c : cases) {
    auto check = [&](const std::string& candidate, bool closes) {
      AnnotationCollection list;
      auto* open = new Token(0, 1, c.opening);
      list.push_back(open);
      list.push_back(new Token(2, 3, "word"));
      auto* close = new Token(4, 5, candidate);
      list.push_back(close);
      list.push_back(new EndOfStream(5));
      EXPECT_TRUE(is_opening_quote(open));
      EXPECT_EQ(find_closing_quote(open), closes ? close : nullptr)
          << c.opening << " ... " << candidate;
    };
    for (const std::string& s : c.closing) check(s, true);
    for (const std::string& s : c.not_closing) check(s, false);
  }
  Token word(0, 4, "word");
  EXPECT_FALSE(is_opening_quote(&word));
  EXPECT_EQ(find_closing_quote(&word), nullptr);
}

// split_sentence and append_sentences undo each other on a sentence whose
// layout they keep.
TEST(SentenceRepair, SplitAndAppend) {
  Document document("I met John today.");
  Blackboard& blackboard = document.blackboard();
  Sentence* sentence = document.sentences()[0];
  Sentence* made =
      split_sentence(*blackboard.annotations, sentence, document.token("today"));
  EXPECT_EQ(document.layout(), "I met John / today .");
  EXPECT_EQ(sentence->end, 10u);
  EXPECT_EQ(made->begin, 11u);
  EXPECT_EQ(made->end, 17u);
  blackboard.sentences.emplace_back(made->begin, SentenceInfo(made));
  expect_consistent(blackboard, "split");

  const auto joined =
      append_sentences(blackboard, *blackboard.annotations, 0, sentence);
  EXPECT_EQ(joined.first, sentence);
  EXPECT_EQ(joined.second, 0u);
  EXPECT_EQ(document.layout(), "I met John today .");
  expect_consistent(blackboard, "appended");

  const auto nothing =
      append_sentences(blackboard, *blackboard.annotations, 0, sentence);
  EXPECT_EQ(nothing.first, nullptr);
  EXPECT_EQ(nothing.second, kNoIndexPosition);
  expect_consistent(blackboard, "nothing to append");
}

// The end annotation helpers that cuts and joins rely on.
TEST(SentenceRepair, EndAnnotationHelpers) {
  Token word(0, 4, "word");
  EXPECT_FALSE(remove_safe_end_annotation_sentence(nullptr));
  EXPECT_FALSE(remove_safe_end_annotation_sentence(&word));

  Concept sentence_concept(0, 9, "Sentence");
  Concept city(5, 9, "City");
  EndAnnotation alone(9, 9);
  alone.add(&sentence_concept);
  EXPECT_TRUE(remove_safe_end_annotation_sentence(&alone));
  EXPECT_TRUE(alone.concepts.empty());
  EndAnnotation shared(9, 9);
  shared.add(&sentence_concept);
  shared.add(&city);
  EXPECT_FALSE(remove_safe_end_annotation_sentence(&shared));
  EXPECT_EQ(shared.concepts, (std::vector<Annotation*>{&city}));

  // The sentence's concept moves to the last end annotation of its list,
  // behind the concepts that begin after it, in place of another
  // "Sentence" concept, and takes that annotation's end.
  Sentence sentence(0, 20);
  auto* own = new Concept(0, 9, "Sentence");
  sentence.annotations.push_back(own);
  auto* token = new Token(0, 4, "word");
  sentence.annotations.push_back(token);
  auto* first_end = new EndAnnotation(9, 9);
  first_end->add(own);
  own->end_annotation = first_end;
  sentence.annotations.push_back(first_end);
  Concept other_sentence(12, 20, "Sentence");
  Concept later(15, 20, "City");
  auto* last_end = new EndAnnotation(20, 20);
  last_end->add(&other_sentence);
  last_end->add(&later);
  sentence.annotations.push_back(last_end);
  sentence.annotations.push_back(new EndOfStream(20));
  fix_sentence_end_annotation(&sentence);
  EXPECT_EQ(last_end->concepts, (std::vector<Annotation*>{&later, own}));
  EXPECT_EQ(own->end, 20u);
  EXPECT_EQ(own->end_annotation, last_end);

  // Nothing without a "Sentence" concept first.
  Sentence bare(0, 4);
  bare.annotations.push_back(new Token(0, 4, "word"));
  auto* bare_end = new EndAnnotation(4, 4);
  bare.annotations.push_back(bare_end);
  fix_sentence_end_annotation(&bare);
  EXPECT_TRUE(bare_end->concepts.empty());
}

// The initial token is the first one without a punctuation reading; a
// token without readings qualifies.
TEST(SentenceRepair, InitialToken) {
  struct Case {
    std::vector<std::string> pos;  // one reading each; "" for none
    int initial;                   // -1: none
  };
  const Case cases[] = {
      {{"Punct-Quote", "Nn-Sg", "Vb"}, 1},
      {{"Punct", "Punct-Sent", ""}, 2},
      {{"Nn-Sg", "Vb"}, 0},
      {{"Punct", "Punct-Quote"}, -1},
  };
  for (const Case& c : cases) {
    AnnotationCollection list;
    list.push_back(new Concept(0, 9, "Sentence"));
    std::vector<Token*> tokens;
    for (const std::string& pos : c.pos) {
      auto* token = new Token(0, 1, "w");
      if (!pos.empty()) token->readings.emplace_back(pos, "w", 1.0);
      token->properties.insert("nf");
      list.push_back(token);
      tokens.push_back(token);
    }
    set_init_token_attribute(list);
    for (size_t i = 0; i < tokens.size(); ++i) {
      const bool initial = static_cast<int>(i) == c.initial;
      EXPECT_EQ(tokens[i]->properties.count("init-token"), initial ? 1u : 0u)
          << c.initial << " token " << i;
      EXPECT_EQ(tokens[i]->properties.count("nf"), initial ? 0u : 1u)
          << c.initial << " token " << i;
    }
  }
}

TEST(SentenceRepair, TokenTests) {
  Token token(0, 1, ":x");
  EXPECT_TRUE(is_colum(&token));
  EXPECT_FALSE(is_punct_sentence(&token));
  EXPECT_FALSE(is_line_breaker(&token));
  token.readings.emplace_back("Punct-Line", ":", 1.0);
  token.readings.emplace_back("Punct-Quote", ":", 1.0);
  EXPECT_TRUE(is_punct_line(&token));
  EXPECT_TRUE(is_quote(&token));
  EXPECT_FALSE(is_line_breaker(&token));
  token.readings.front().set_pos("Punct");
  EXPECT_TRUE(is_line_breaker(&token));
  token.readings.front().set_pos("Punct-Sent");
  EXPECT_TRUE(is_punct_sentence(&token));
  EXPECT_FALSE(is_abbrev(&token));
  token.properties.insert("abbrev");
  EXPECT_TRUE(is_abbrev(&token));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
