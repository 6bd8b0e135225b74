#include "api/annotation_printer.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "api/client_document_testutil.h"

namespace omr {
namespace common {
namespace {

using testing::reading;

// Two concepts over "New York" (the outer one with attributes) that close
// on one line, a token with properties and a reading with components, and
// a second sentence whose concept is still open at the end of the document.
void fill(testing::ClientDocument& doc) {
  doc.sentence(0, 14)
      .concept_item(0, 8, "City", {{"_rule", "d/src/a.kav:3"}, {"kind", "big"}})
      .concept_item(0, 8, "Place")
      .token(0, 3, "New", {reading("new", "Adj")})
      .token(4, 8, "York", {reading("york", "Prop", {"Std"})}, {"cap", "nf"})
      .token(9, 14, "rocks",
             {reading("rock", "V", {"Pres", "3"}, {reading("ro", "Nn"), reading("ck", "V")}),
              reading("rock", "Nn", {"Pl"})});
  doc.sentence(15, 18).concept_item(15, 17, "Verb").token(15, 17, "Go", {reading("go", "V")});
}

TEST(AnnotationPrinter, PlainListing) {
  testing::ClientDocument doc;
  fill(doc);
  std::ostringstream out;
  AnnotationPrinter(out, true).print(doc.document);
  EXPECT_EQ(out.str(),
            "s(0,14)\n"
            "   {City @ _rule=d/src/a.kav:3; kind=big; \n"
            "   {Place\n"
            "    t(0,3) \"New\" ['new':Adj]\n"
            "    t(4,8) \"York\" (cap, nf)['york':Prop, +Std]\n"
            "   }Place }City\n"
            "    t(9,14) \"rocks\" ['rock':V, +Pres, +3 ['ro':Nn]['ck':V]], ['rock':Nn, +Pl]\n"
            "s(15,18)\n"
            "   {Verb\n"
            "    t(15,17) \"Go\" ['go':V]\n"
            "   }Verb\n");
}

TEST(AnnotationPrinter, RichListingMarksNamesAttributesLiteralsAndStems) {
  testing::ClientDocument doc;
  fill(doc);
  std::ostringstream out;
  AnnotationRichPrinter(out, true).print(doc.document);
  EXPECT_EQ(out.str(),
            "s(0,14)\n"
            "   {<uri>City</uri> @ <default>_rule=d/src/a.kav:3; kind=big; </default>\n"
            "   {<uri>Place</uri>\n"
            "    t(0,3) \"<literal>New</literal>\" ['<stem>new</stem>':Adj]\n"
            "    t(4,8) \"<literal>York</literal>\" (cap, nf)['<stem>york</stem>':Prop, +Std]\n"
            "   }Place }City\n"
            "    t(9,14) \"<literal>rocks</literal>\" ['<stem>rock</stem>':V, +Pres, +3 "
            "['<stem>ro</stem>':Nn]['<stem>ck</stem>':V]], ['<stem>rock</stem>':Nn, +Pl]\n"
            "s(15,18)\n"
            "   {<uri>Verb</uri>\n"
            "    t(15,17) \"<literal>Go</literal>\" ['<stem>go</stem>':V]\n"
            "   }Verb\n");
}

TEST(AnnotationPrinter, OffsetsCanBeLeftOutAndAnEmptyDocumentPrintsNothing) {
  testing::ClientDocument doc;
  doc.sentence(0, 2).token(0, 2, "Hi");
  std::ostringstream out;
  AnnotationPrinter(out, false).print(doc.document);
  EXPECT_EQ(out.str(), "s(0,2)\n    \"Hi\" \n");

  std::ostringstream empty;
  AnnotationPrinter(empty, true).print(AnnotationList());
  EXPECT_EQ(empty.str(), "");
}

}  // namespace
}  // namespace common
}  // namespace omr
