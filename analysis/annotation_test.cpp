#include "analysis/annotation.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/document_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::build_document;
using zel::testing::dump;
using zel::testing::find_concept;
using zel::testing::kDumpOffsets;
using zel::testing::sentence_at;

TEST(AnnotationModel, TwoSentenceDocumentLayout) {
  zel::testing::TestDocument doc = build_document(
      "The/Det [Animal big/Adj dog/Nn-Sg] runs/V-Pres-3-Sg|Nn-Pl\n"
      "[Person [Name John/Prop] Smith/Prop] [Verb left/V]");
  EXPECT_EQ(doc.text, "The big dog runs John Smith left");
  EXPECT_EQ(dump(*doc.sentences),
            "[Sentence The [Animal big dog ]Animal runs ]Sentence $\n"
            "[Sentence [Person [Name John ]Name Smith ]Person [Verb left "
            "]Verb,Sentence $");
  EXPECT_EQ(dump(*doc.sentences, kDumpOffsets),
            "@0-16 [Sentence@0-16 The@0-3 [Animal@4-11 big@4-7 dog@8-11 "
            "]Animal@11-11 runs@12-16 ]Sentence@16-16 $@16-16\n"
            "@17-32 [Sentence@17-32 [Person@17-27 [Name@17-21 John@17-21 "
            "]Name@21-21 Smith@22-27 ]Person@27-27 [Verb@28-32 left@28-32 "
            "]Verb,Sentence@32-32 $@32-32");

  // The document list holds sentences only, in ascending begin order.
  std::vector<uint32_t> begins;
  for (const Annotation* a : *doc.sentences) {
    ASSERT_EQ(a->kind, kSentenceKind);
    begins.push_back(a->begin);
  }
  EXPECT_EQ(begins, (std::vector<uint32_t>{0, 17}));

  // Every concept is attached to the end annotation that lists it.
  for (const char* uri : {"Animal", "Person", "Name", "Verb"}) {
    const Concept* c = find_concept(*doc.sentences, uri);
    ASSERT_NE(c, nullptr) << uri;
    ASSERT_NE(c->end_annotation, nullptr) << uri;
    EXPECT_EQ(c->end_annotation->end, c->end) << uri;
    const auto& closed = c->end_annotation->concepts;
    EXPECT_NE(std::find(closed.begin(), closed.end(), c), closed.end());
  }
  // The last end annotation of a sentence closes its "Sentence" concept,
  // after the concepts that begin later.
  const Sentence* second = sentence_at(*doc.sentences, 1);
  const Concept* sentence_concept =
      annotation_cast<Concept>(second->annotations.head);
  ASSERT_NE(sentence_concept, nullptr);
  EXPECT_EQ(sentence_concept->uri, "Sentence");
  EXPECT_EQ(sentence_concept->end_annotation,
            second->annotations.tail->prev);
  EXPECT_EQ(second->annotations.tail->kind, kEndOfStreamKind);
  EXPECT_EQ(second->annotations.tail->next, nullptr);
}

TEST(AnnotationModel, EndAnnotationOrdersByDescendingBegin) {
  Concept a(10, 20, "A"), b(4, 20, "B"), c(10, 20, "C"), d(12, 20, "D");
  EndAnnotation end(20);
  end.add(&a);
  end.add(&b);
  end.add(&c);
  EXPECT_EQ(end.concepts, (std::vector<Annotation*>{&c, &a, &b}));
  end.add(&d);
  EXPECT_EQ(end.concepts, (std::vector<Annotation*>{&d, &c, &a, &b}));
  // Adding does not attach: callers set the concept's end annotation.
  EXPECT_EQ(a.end_annotation, nullptr);
  EXPECT_EQ(end.begin, 20u);
}

TEST(AnnotationModel, TokenEncodingsStayAscendingWithDuplicates) {
  Token token(0, 3, "dog");
  for (unsigned id : {5u, 3u, 5u}) token.push(id);
  EXPECT_EQ(token.encodings, (std::vector<uint32_t>{3, 5, 5}));
  EXPECT_TRUE(token.has(5));
  EXPECT_TRUE(token.has(3));
  EXPECT_FALSE(token.has(4));
  EXPECT_FALSE(token.has(6));
  EXPECT_FALSE(token.has(0));
}

TEST(AnnotationModel, ConceptEncodingAndDeletedFlag) {
  Concept c(0, 3, "City");
  EXPECT_EQ(c.encoding, 0u);
  EXPECT_TRUE(c.flags.none());
  c.push(7);
  c.push(9);
  EXPECT_EQ(c.encoding, 9u);
  EXPECT_TRUE(c.has(9));
  EXPECT_FALSE(c.has(7));
  c.flags.set(kDeleted);
  EXPECT_TRUE(c.deleted());
  EXPECT_FALSE(c.has(9));
}

TEST(AnnotationModel, OtherKindsCarryNoEncoding) {
  EndAnnotation end(4);
  EndOfStream eos(4);
  Sentence sentence(0, 4);
  for (IIsEncodable* a : std::vector<IIsEncodable*>{&end, &eos, &sentence}) {
    a->push(3);
    EXPECT_FALSE(a->has(3));
    a->requires_match(true);
    EXPECT_FALSE(a->requires_match());
  }
}

TEST(AnnotationModel, SentenceIdsAndChangedFlag) {
  Sentence s(0, 10);
  EXPECT_TRUE(s.changed);
  EXPECT_EQ(s.flags, 0u);
  EXPECT_TRUE(s.ids.empty());
  s.changed = false;
  s.add_id(Sentence::kTokenIdBit | 5);
  EXPECT_TRUE(s.changed);
  s.changed = false;
  s.add_id(Sentence::kConceptIdBit | 5);
  s.add_id(Sentence::kTokenIdBit | 5);
  EXPECT_TRUE(s.changed);
  EXPECT_EQ(s.ids, (std::set<uint32_t>{0x10000005, 0x20000005}));
}

TEST(AnnotationModel, KindsAndCasts) {
  struct Case {
    Annotation* annotation;
    uint32_t kind;
  };
  Sentence s(0, 1);
  Concept c(0, 1, "X");
  Token t(0, 1, "x");
  EndAnnotation e(1);
  EndOfStream o(1);
  for (const Case& k : {Case{&s, 1}, Case{&c, 2}, Case{&t, 3}, Case{&e, 4},
                        Case{&o, 5}}) {
    EXPECT_EQ(k.annotation->kind, k.kind);
    EXPECT_EQ(annotation_cast<Sentence>(k.annotation) != nullptr, k.kind == 1);
    EXPECT_EQ(annotation_cast<Concept>(k.annotation) != nullptr, k.kind == 2);
    EXPECT_EQ(annotation_cast<Token>(k.annotation) != nullptr, k.kind == 3);
    EXPECT_EQ(annotation_cast<EndAnnotation>(k.annotation) != nullptr,
              k.kind == 4);
    EXPECT_EQ(annotation_cast<EndOfStream>(k.annotation) != nullptr,
              k.kind == 5);
  }
  EXPECT_EQ(annotation_cast<Token>(static_cast<Annotation*>(nullptr)),
            nullptr);
}

TEST(AnnotationModel, ConceptFlagNames) {
  const char* expected[] = {"deleted",  "shorted_match", "import",
                            "filtered", "to_resolve",    "to_delete"};
  for (size_t bit = 0; bit < kConceptFlagCount; ++bit) {
    EXPECT_STREQ(concept_flag_name(static_cast<ConceptFlag>(bit)),
                 expected[bit]);
  }
}

TEST(AnnotationModel, ConceptForwardsToItsAttributes) {
  Concept c(0, 3, "Person");
  EXPECT_EQ(c.add("name", "Ann", kStoreWhenShared), 1u);
  EXPECT_EQ(c.add(Attribute("name", std::string("Ann")), kStoreWhenShared),
            0u);
  Attributes more;
  more.add("age", "3");
  more.add("name", "Anna");
  EXPECT_EQ(c.add(more, kStoreWhenShared), 2u);
  EXPECT_TRUE(c.has_attribute("age"));
  EXPECT_EQ(c.get_attribute("name"), "Ann");

  c.attributes.store = std::make_shared<Attributes>();
  c.attributes.store->add("name", "Stored");
  c.attributes.store->add("city", "Rome");
  c.remove_attributes("name");  // own list only
  EXPECT_EQ(c.get_attribute("name"), "Stored");
  c.remove_attribute("name", "Stored");
  EXPECT_FALSE(c.has_attribute("name"));
  c.clear_attributes();
  EXPECT_TRUE(c.attributes.own.empty());
  EXPECT_EQ(c.get_attribute("city"), "Rome");
}

// Counts how often annotations of the test die.
int destroyed = 0;

class CountedToken : public Token {
 public:
  using Token::Token;
  ~CountedToken() override { ++destroyed; }
};

class CountedConcept : public Concept {
 public:
  using Concept::Concept;
  ~CountedConcept() override { ++destroyed; }
};

class CountedEnd : public EndAnnotation {
 public:
  using EndAnnotation::EndAnnotation;
  ~CountedEnd() override { ++destroyed; }
};

class CountedSentence : public Sentence {
 public:
  using Sentence::Sentence;
  ~CountedSentence() override { ++destroyed; }
};

TEST(AnnotationModel, DestroyingTheDocumentFreesEveryAnnotationOnce) {
  destroyed = 0;
  int made = 0;
  {
    AnnotationCollection document;
    std::vector<Concept*> all;
    for (uint32_t s = 0; s < 2; ++s) {
      auto* sentence = new CountedSentence(s * 10, s * 10 + 9);
      ++made;
      document.push_back(sentence);
      auto* outer = new CountedConcept(s * 10, s * 10 + 9, "Outer");
      auto* inner = new CountedConcept(s * 10, s * 10 + 4, "Inner");
      auto* token = new CountedToken(s * 10, s * 10 + 4, "word");
      auto* end = new CountedEnd(s * 10 + 4);
      made += 4;
      AnnotationCollection& list = sentence->annotations;
      list.push_back(outer);
      list.push_back(inner);
      list.push_back(token);
      list.push_back(end);
      end->add(inner);
      end->add(outer);
      inner->end_annotation = end;
      outer->end_annotation = end;
      // Concepts point at each other and across sentences; none of these
      // pointers owns.
      inner->parents = std::make_unique<std::vector<Concept*>>();
      inner->parents->push_back(outer);
      for (Concept* earlier : all) inner->parents->push_back(earlier);
      outer->parents = std::make_unique<std::vector<Concept*>>(
          std::vector<Concept*>{inner});
      inner->attributes.share_from_this(outer->attributes,
                                        ConceptAttributes::CAFT_None);
      inner->add("k", "v", kStoreWhenShared);
      all.push_back(inner);
      all.push_back(outer);
    }
    // Unlinking hands an annotation back to the caller.
    Sentence* first = annotation_cast<Sentence>(document.head);
    Annotation* token = first->annotations.unlink(
        first->annotations.head->next->next);
    EXPECT_EQ(destroyed, 0);
    delete token;
    EXPECT_EQ(destroyed, 1);
  }
  EXPECT_EQ(destroyed, made);
}

TEST(AnnotationModel, ListLinksAndEnds) {
  AnnotationCollection list;
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.begin(), list.end());
  auto* b = new Token(2, 3, "b");
  auto* d = new Token(6, 7, "d");
  list.push_back(b);
  list.push_back(d);
  auto* a = new Token(0, 1, "a");
  list.insert_before(b, a);  // the new head
  auto* c = new Token(4, 5, "c");
  list.insert_before(d, c);
  auto* e = new Token(8, 9, "e");
  list.insert_after(d, e);  // the new tail
  EXPECT_EQ(dump(list), "a b c d e");
  EXPECT_EQ(list.head, a);
  EXPECT_EQ(list.tail, e);
  EXPECT_EQ(list.size(), 5u);
  EXPECT_EQ(a->prev, nullptr);
  EXPECT_EQ(e->next, nullptr);

  // Walking back along the previous links.
  std::string backwards;
  for (RawPtrIterator it(list.tail); it != list.end(); --it) {
    backwards += static_cast<Token*>(*it)->literal;
  }
  EXPECT_EQ(backwards, "edcba");

  delete list.unlink(a);
  delete list.unlink(e);
  EXPECT_EQ(list.head, b);
  EXPECT_EQ(list.tail, d);
  EXPECT_EQ(b->prev, nullptr);
  EXPECT_EQ(d->next, nullptr);
  EXPECT_EQ(list.erase(c), d);
  EXPECT_EQ(dump(list), "b d");
  EXPECT_EQ(b->next, d);
  EXPECT_EQ(d->prev, b);
  EXPECT_EQ(list.erase(d), nullptr);
  EXPECT_EQ(list.tail, b);
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.tail, nullptr);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
