#include "analysis/document_testutil.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace testing {
namespace {

using kavero::Attributes;
using kavero::Concept;
using kavero::MorphData;
using kavero::Token;

TEST(DocumentTestutil, ReadingsRoundTrip) {
  const std::string spec =
      "runs{init-cap,nf}/V-Pres-3-Sg:run@0.5+3+Sg|Nn-Pl:run(Nn:ru+p,Nn)"
      " the/Det dog/Nn-Sg:Dog";
  TestDocument doc = build_document(spec);
  EXPECT_EQ(dump(*doc.sentences, kDumpReadings),
            "[Sentence " + spec + " ]Sentence $");
  const Token* runs = find_token(*doc.sentences, "runs");
  ASSERT_NE(runs, nullptr);
  ASSERT_EQ(runs->readings.size(), 2u);
  const MorphData& first = runs->readings.front();
  EXPECT_EQ(first.pos_id(), 0x10000022u);
  EXPECT_EQ(first.stem, "run");
  EXPECT_EQ(first.weight, 0.5);
  const MorphData& second = runs->readings.back();
  ASSERT_EQ(second.components.size(), 2u);
  EXPECT_EQ(second.components[0].stem, "ru");
  EXPECT_EQ(second.components[1].stem, "");
  EXPECT_EQ(find_token(*doc.sentences, "the")->readings.front().stem, "the");
}

TEST(DocumentTestutil, EscapesBlanksAndEmptyLines) {
  TestDocument doc =
      build_document("\n  a\\/b/Punct\t\\[x\\] c\\ d  \n\n e/V:go\\+it \n");
  EXPECT_EQ(doc.text, "a/b [x] c d e");
  EXPECT_EQ(dump(*doc.sentences, kDumpOffsets | kDumpReadings),
            "@0-11 [Sentence@0-11 a/b@0-3/Punct [x]@4-7 c d@8-11 "
            "]Sentence@11-11 $@11-11\n"
            "@12-13 [Sentence@12-13 e@12-13/V:go+it ]Sentence@13-13 "
            "$@13-13");
  EXPECT_EQ(find_token(*doc.sentences, "e")->readings.front().stem, "go+it");
}

TEST(DocumentTestutil, ConceptsAttributesAndFlags) {
  TestDocument doc = build_document(
      "[Person{name=John;age=3;name=Jo} [A [B John/Prop]] Smith/Prop]");
  EXPECT_EQ(dump(*doc.sentences, kDumpAttributes),
            "[Sentence [Person{age=3;name=John;name=Jo} [A [B John ]B,A "
            "Smith ]Person,Sentence $");
  Concept* b = find_concept(*doc.sentences, "B");
  b->flags.set(kavero::kDeleted);
  b->flags.set(kavero::kImport);
  b->attributes.store = std::make_shared<Attributes>();
  b->attributes.store->add("s", "1");
  EXPECT_EQ(dump(*doc.sentences, kDumpAttributes | kDumpFlags),
            "[Sentence [Person{age=3;name=John;name=Jo} [A [B{|s=1}"
            "!deleted,import John ]B,A Smith ]Person,Sentence $");
}

TEST(DocumentTestutil, FindsByPosition) {
  TestDocument doc = build_document("[X a] [X b]\n[X a]");
  EXPECT_EQ(find_concept(*doc.sentences, "X", 3)->begin, 4u);
  EXPECT_EQ(find_concept(*doc.sentences, "X", 4), nullptr);
  EXPECT_EQ(find_concept(*doc.sentences, "Y"), nullptr);
  EXPECT_EQ(find_token(*doc.sentences, "a", 2)->begin, 4u);
  EXPECT_EQ(find_token(*doc.sentences, "a", 3), nullptr);
  EXPECT_EQ(sentence_at(*doc.sentences, 1)->begin, 4u);
  EXPECT_EQ(sentence_at(*doc.sentences, 2), nullptr);
  EXPECT_EQ(dump(sentence_at(*doc.sentences, 1)->annotations),
            "[Sentence [X a ]X,Sentence $");
}

TEST(DocumentTestutil, EmptyDocument) {
  TestDocument doc = build_document("");
  EXPECT_TRUE(doc.sentences->empty());
  EXPECT_EQ(doc.text, "");
  EXPECT_EQ(dump(*doc.sentences), "");
}

TEST(DocumentTestutil, RefusesWhatItCannotRead) {
  for (const char* bad :
       {"[A x", "x]", "[A ]", "[ x]", "[A]", "x/Nn@abc", "x/Nn,", "x\\",
        "[A{k} x]", "[A{k=v x]", "x/Nn(V", "x{a", "x/Nn)", "a\nb ]"}) {
    EXPECT_THROW(build_document(bad), std::invalid_argument) << bad;
  }
}

}  // namespace
}  // namespace testing
}  // namespace zel
