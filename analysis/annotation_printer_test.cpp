#include "analysis/annotation_printer.h"

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "analysis/document_testutil.h"
#include "base/output_capture_testutil.h"
#include "language/pos_table.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::TestDocument;
using zel::testing::build_document;
using zel::testing::capture_stdout;
using zel::testing::find_concept;
using zel::testing::find_token;

std::string id(const std::string& pos) {
  return std::to_string(zel::language::pos_table::id(pos));
}

std::string print(const AnnotationCollection& list) {
  std::ostringstream out;
  RawAnnotationPrinter printer(out);
  EXPECT_TRUE(printer.visit(list));
  return out.str();
}

TEST(RawAnnotationPrinter, DocumentDump) {
  TestDocument doc = build_document(
      "[Person{name=Jo;age=3} [Given Jo/Prop-Giv:John+giv] Lu{b,a}/Nn@0.25+p+q(Nn:l+c,Adj:u)]\n"
      "?/Punct x");
  Concept* person = find_concept(*doc.sentences, "Person");
  person->attributes.store = std::make_shared<Attributes>();
  person->attributes.store->add("gender", "m");
  Concept* given = find_concept(*doc.sentences, "Given");
  given->flags.set(kDeleted);
  given->instance_index = 3;
  given->instance_key = "k7";

  const std::string expected =
      "Sentence:(0,5)\n"
      " c(0,5):Sentence { \n"
      " c(0,5):Person { l:age:3;l:name:Jo;s:gender:m;\n"
      "x c(0,2), lid=3:, did=k7::Given { \n"
      "  t(0,2) Jo\n"
      "\tJohn:Prop-Giv(" + id("Prop-Giv") + "),r=1 ((( giv )))\n"
      " e(2,2): }:Given\n"
      "  t(3,5) Lu\n"
      "\tLu:Nn(" + id("Nn") + "),r=0.25 ((( p, q )))\n"
      "\t\tl:Nn(" + id("Nn") + "),r=1 ( c )\n"
      "\t\tu:Adj(" + id("Adj") + "),r=1 @(a, b, )\n"
      " e(5,5): }:Person }:Sentence\n"
      " eos(5,5):\n"
      "Sentence:(6,9)\n"
      " c(6,9):Sentence { \n"
      "  t(6,7) ?\n"
      "\t?:Punct(" + id("Punct") + "),r=1\n"
      "  t(8,9) x\n"
      "\t{not-found}\n"
      " e(9,9): }:Sentence\n"
      " eos(9,9):\n";
  EXPECT_EQ(print(*doc.sentences), expected);
}

TEST(RawAnnotationPrinter, OffsetsPast2GiBPrintAsTheyAre) {
  TestDocument doc = build_document("w/Nn");
  const uint32_t shift = 0xFFFFFFF0u;
  for (Annotation* a = doc.sentences->head; a != nullptr; a = a->next) {
    a->begin += shift;
    a->end += shift;
    for (Annotation* b : annotation_cast<Sentence>(a)->annotations) {
      b->begin += shift;
      b->end += shift;
    }
  }
  const std::string expected =
      "Sentence:(4294967280,4294967281)\n"
      " c(4294967280,4294967281):Sentence { \n"
      "  t(4294967280,4294967281) w\n"
      "\tw:Nn(" + id("Nn") + "),r=1\n"
      " e(4294967281,4294967281): }:Sentence\n"
      " eos(4294967281,4294967281):\n";
  EXPECT_EQ(print(*doc.sentences), expected);
}

TEST(RawAnnotationPrinter, DocumentWithoutSentencesWritesNothing) {
  AnnotationCollection empty;
  EXPECT_EQ(print(empty), "");
}

TEST(RawAnnotationPrinter, OneAnnotationAtATime) {
  TestDocument doc = build_document("[A [B dog/Nn]]");
  std::ostringstream out;
  RawAnnotationPrinter printer(out);
  const Token* dog = find_token(*doc.sentences, "dog");
  // The end annotation after dog closes all three concepts; among equal
  // begins the one attached last comes first.
  EXPECT_TRUE(printer.visit(static_cast<const Annotation*>(dog->next)));
  EXPECT_EQ(out.str(), " e(3,3): }:B }:A }:Sentence\n");
  // The token's own operation answers false: nothing to go into.
  EXPECT_FALSE(printer.visit(*dog));
}

TEST(RawAnnotationPrinter, ComponentsNestWithoutLimit) {
  TestDocument doc = build_document("w/Nn(Nn:a(Nn:b(Nn:c+z)))");
  const Token* w = find_token(*doc.sentences, "w");
  std::ostringstream out;
  RawAnnotationPrinter printer(out);
  printer.visit(*w);
  const std::string nn = id("Nn");
  EXPECT_EQ(out.str(), "  t(0,1) w\n"
                       "\tw:Nn(" + nn + "),r=1\n"
                       "\t\ta:Nn(" + nn + "),r=1\n"
                       "\t\t\tb:Nn(" + nn + "),r=1\n"
                       "\t\t\t\tc:Nn(" + nn + "),r=1 ( z )\n");
}

TEST(PrintAnnotationRange, FromTheConceptUpToItsEndAnnotation) {
  TestDocument doc = build_document("[Sentence2 [A big/Adj dog/Nn] barks]");
  Concept* a = find_concept(*doc.sentences, "A");
  const std::string adj = id("Adj");
  const std::string nn = id("Nn");
  EXPECT_EQ(capture_stdout([&] { print_annotaion_range(a); }),
            " c(0,7):A { \n"
            "  t(0,3) big\n\tbig:Adj(" + adj + "),r=1\n"
            "  t(4,7) dog\n\tdog:Nn(" + nn + "),r=1\n");
  // Without an end annotation: to the end of the list.
  a->end_annotation = nullptr;
  EXPECT_EQ(capture_stdout([&] { print_annotaion_range(a); }),
            " c(0,7):A { \n"
            "  t(0,3) big\n\tbig:Adj(" + adj + "),r=1\n"
            "  t(4,7) dog\n\tdog:Nn(" + nn + "),r=1\n"
            " e(7,7): }:A\n"
            "  t(8,13) barks\n\t{not-found}\n"
            " e(13,13): }:Sentence2 }:Sentence\n"
            " eos(13,13):\n");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
