#include "analysis/navigation.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::build_document;
using testing::load_document;
using testing::make_blackboard;
using testing::sentence_at;
using testing::TestDocument;

// The annotation at a 0-based position of a list; null past its end.
Annotation* at(const AnnotationCollection& list, int index) {
  Annotation* a = list.head;
  for (; a != nullptr && index > 0; --index) a = a->next;
  return a;
}

// How a test names an annotation: its literal, "[URI", "]" or "$".
std::string name_of(const Annotation* a) {
  if (a == nullptr) return "null";
  switch (a->kind) {
    case kTokenKind:
      return static_cast<const Token*>(a)->literal;
    case kConceptKind:
      return "[" + static_cast<const Concept*>(a)->uri;
    case kEndAnnotationKind:
      return "]";
    case kEndOfStreamKind:
      return "$";
    default:
      return "sentence";
  }
}

TEST(GetSentence, FindsTheLastSentenceBeginningAtOrBeforeTheOffset) {
  TestDocument doc = build_document("a b\nc d\ne");
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  EXPECT_EQ(get_sentence(*blackboard, 0), nullptr);
  EXPECT_EQ(get_sentence(*blackboard, 5), nullptr);

  // A document whose first sentence begins at offset 3.
  blackboard->annotations = doc.sentences;
  for (int i = 0; i < 3; ++i) {
    blackboard->sentences.emplace_back(3 + 7 * i, SentenceInfo(sentence_at(*doc.sentences, i)));
  }
  struct Case {
    unsigned offset;
    int sentence;  // -1: none
  } const cases[] = {{0, 0}, {2, -1}, {3, 0}, {9, 0}, {10, 1}, {16, 1},
                     {17, 2}, {18, 2}, {1000, 2}};
  for (const Case& c : cases) {
    const SentenceInfo* found =
        get_sentence(static_cast<const Blackboard&>(*blackboard), c.offset);
    if (c.sentence < 0) {
      EXPECT_EQ(found, nullptr) << c.offset;
      continue;
    }
    ASSERT_NE(found, nullptr) << c.offset;
    EXPECT_EQ(found, &blackboard->sentences[c.sentence].second) << c.offset;
    EXPECT_EQ(found->sentence, sentence_at(*doc.sentences, c.sentence));
    EXPECT_EQ(found->annotations, &sentence_at(*doc.sentences, c.sentence)->annotations);
  }
}

TEST(FindToken, StepsOverOtherAnnotationsAndNotTheStart) {
  TestDocument doc = build_document("[City New/Prop York/Prop] is/V big/Adj");
  const AnnotationCollection& list = sentence_at(*doc.sentences, 0)->annotations;
  // 0 [Sentence, 1 [City, 2 New, 3 York, 4 ], 5 is, 6 big, 7 ], 8 $
  struct Case {
    int from;
    int n;
    std::string previous, next;
  } const cases[] = {
      {5, 1, "York", "big"}, {5, 2, "New", "null"}, {5, 3, "null", "null"},
      {3, 1, "New", "is"},   {1, 1, "null", "New"}, {1, 4, "null", "big"},
      {1, 5, "null", "null"}, {8, 1, "big", "null"}, {0, 2, "null", "York"},
  };
  for (const Case& c : cases) {
    RawPtrIterator from(at(list, c.from));
    EXPECT_EQ(name_of(find_previous_token(from, c.n)), c.previous) << c.from << " " << c.n;
    EXPECT_EQ(name_of(find_next_token(from, c.n)), c.next) << c.from << " " << c.n;
  }
  EXPECT_EQ(find_previous_token(RawPtrIterator(), 1), nullptr);
  EXPECT_EQ(find_next_token(RawPtrIterator(), 1), nullptr);
}

TEST(MoveToSentence, RelativeMovesAndTheFirstSentenceFallback) {
  TestDocument doc = build_document("a\nb\nc");
  std::unique_ptr<Blackboard> blackboard = make_blackboard();
  load_document(*blackboard, doc);
  Sentence* s[] = {sentence_at(*doc.sentences, 0), sentence_at(*doc.sentences, 1),
                   sentence_at(*doc.sentences, 2)};
  struct Case {
    int from, n;
    int plain, with_fallback;  // sentence index, -1 for none
  } const cases[] = {
      {0, -1, -1, 0}, {2, 1, -1, 0}, {0, 2, 2, 2},  {2, -2, 0, 0},
      {1, 0, 1, 1},   {1, -1, 0, 0}, {1, 5, -1, 0}, {2, -3, -1, 0},
  };
  for (const Case& c : cases) {
    Sentence* plain = c.plain < 0 ? nullptr : s[c.plain];
    Sentence* with_fallback = c.with_fallback < 0 ? nullptr : s[c.with_fallback];
    EXPECT_EQ(move_to_sentence(s[c.from], c.n), plain) << c.from << " " << c.n;
    EXPECT_EQ(move_to_sentence(*blackboard, s[c.from], c.n), with_fallback)
        << c.from << " " << c.n;
  }
  EXPECT_EQ(move_forward_sentence(nullptr, 1), nullptr);
  EXPECT_EQ(move_backward_sentence(s[2], 2), s[0]);
  EXPECT_EQ(move_to_sentence(*make_blackboard(), nullptr, 1), nullptr);
}

TEST(CountTokens, CountsTokensUpToTheEndOfTheRange) {
  TestDocument doc = build_document("[City New/Prop York/Prop] is/V big/Adj");
  const AnnotationCollection& list = sentence_at(*doc.sentences, 0)->annotations;
  struct Case {
    int from, to;
    unsigned count;
  } const cases[] = {{1, 5, 2}, {0, 8, 4}, {3, 3, 0}, {4, 6, 1}, {2, 3, 1}};
  for (const Case& c : cases) {
    RawPtrIterator from(at(list, c.from));
    const RawPtrIterator to(at(list, c.to));
    EXPECT_EQ(count_tokens(from, to), c.count) << c.from << " " << c.to;
    EXPECT_EQ(from, to);
  }
  // A bound that does not follow: the count stops at the end of the list.
  RawPtrIterator from(at(list, 5));
  EXPECT_EQ(count_tokens(from, RawPtrIterator(at(list, 2))), 2u);
  EXPECT_EQ(from.get(), nullptr);
}

TEST(MoveToToken, MovesByTokensBackwardAndByAnnotationsForward) {
  TestDocument doc = build_document("[City Paris/Prop] is/V big/Adj");
  const AnnotationCollection& list = sentence_at(*doc.sentences, 0)->annotations;
  // 0 [Sentence, 1 [City, 2 Paris, 3 ], 4 is, 5 big, 6 ], 7 $
  struct Case {
    int from, n;
    std::string result;
    int position;  // where the iterator ends; -1: empty
  } const cases[] = {
      {1, 2, "]", 3},       // the annotation after the token, an end annotation
      {1, 1, "Paris", 2},   {1, 0, "[City", 1},   {2, 0, "Paris", 2},
      {1, 6, "$", 7},       {1, 7, "null", -1},
      {4, -1, "Paris", 2},  // from a token: the token before it
      {3, -1, "null", 0},
      {6, -1, "is", 4},     // from another annotation: the second token met
      {5, -2, "Paris", 2},  {2, -1, "null", 0},  // the head is never returned
      {0, -1, "null", 0},
  };
  for (const Case& c : cases) {
    RawPtrIterator position(at(list, c.from));
    EXPECT_EQ(name_of(move_to_token(list, position, c.n)), c.result) << c.from << " " << c.n;
    EXPECT_EQ(position.get(), c.position < 0 ? nullptr : at(list, c.position))
        << c.from << " " << c.n;
  }
  RawPtrIterator nothing;
  EXPECT_EQ(move_to_token(list, nothing, 0), nullptr);
  EXPECT_EQ(move_to_token(list, nothing, -1), nullptr);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
