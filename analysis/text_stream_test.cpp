#include "analysis/text_stream.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <utf8.h>

#include "analysis/document_testutil.h"
#include "base/output_capture_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::TestDocument;
using zel::testing::build_document;
using zel::testing::capture_stdout;
using zel::testing::find_concept;
using zel::testing::find_token;

std::string text_of(const annotation_stream_info& stream) {
  return std::string(stream.text.begin(), stream.text.end());
}

// "offset:position" for every start entry, in table order.
std::string begins_of(const annotation_stream_info& stream) {
  std::ostringstream out;
  for (const auto& entry : stream.begin_map) {
    out << (out.tellp() > 0 ? " " : "") << entry.first << ":" << entry.second;
  }
  return out.str();
}

// "position:offset" for every end entry, in table order.
std::string ends_of(const annotation_stream_info& stream) {
  std::ostringstream out;
  for (const auto& entry : stream.end_map) {
    out << (out.tellp() > 0 ? " " : "") << entry.first << ":" << entry.second;
  }
  return out.str();
}

// Two sentences; the document text is
//   "Häuser Hausbau - e_mail USA _ ÉCOLE"
// with Häuser 0-7, Hausbau 8-15, - 16-17, e_mail 18-24, USA 25-28, _ 29-30,
// ÉCOLE 31-37. USA is an imported tag (flag 0x10) whose reading has two
// parts; e_mail and ÉCOLE have no readings.
TestDocument stream_document() {
  TestDocument doc = build_document(
      "Häuser/Nn-Pl:Haus Hausbau/Nn-Sg:Hausbau(Nn:Haus,Nn:Bau) -/Punct e_mail\n"
      "[Country{canonical=United\\ States} USA{tag}/Prop(Prop:United,Prop:States)]"
      " _/Punct [Place{canonical=} ÉCOLE]");
  find_token(*doc.sentences, "USA")->flags |= 0x10;
  return doc;
}

TEST(TextStream, EveryKindOverAHandBuiltDocument) {
  struct Case {
    text_stream_type kind;
    std::string text;
    std::string begins;
    std::string ends;
  };
  const Case cases[] = {
      {literal_stream, "Häuser Hausbau - e_mail USA _ ÉCOLE ",
       "0:0 8:8 16:16 18:18 25:25 29:29 31:31",
       "7:7 15:15 17:17 24:24 28:28 30:30 37:37"},
      // Stems; the tagged token gives the stems of its parts, each with the
      // token's offsets, after a start entry of its own; tokens without
      // readings give their literal and no entries.
      {stem_stream, "Haus Hausbau - e_mail United States _ ÉCOLE ",
       "0:0 8:5 16:13 25:22 25:22 25:29 29:36",
       "4:7 12:15 14:17 28:28 35:28 37:30"},
      // Folded and lower-cased; the lone "-" and "_" are left out, e_mail
      // is not.
      {normalized_literal_stream, "hauser hausbau e_mail usa ecole ",
       "0:0 8:7 18:15 25:22 31:26", "6:7 14:15 21:24 25:28 31:37"},
      {normalized_stem_stream, "haus hausbau e_mail united states ecole ",
       "0:0 8:5 25:20 25:20 25:27", "4:7 12:15 26:28 33:28"},
      // Lower-cased, not folded: "école" keeps its accent.
      {component_stream, "haus haus bau - e_mail united states _ école ",
       "0:0 8:5 8:10 16:14 25:23 25:30 29:37",
       "4:7 9:15 13:15 15:17 29:28 36:28 38:30"},
      {head_stream, "haus bau - e_mail states _ école ",
       "0:0 8:5 16:9 25:18 29:25", "4:7 8:15 10:17 24:28 26:30"},
      // Concepts with a canonical form, an empty one included; the
      // "Sentence" concepts have none.
      {canonical_stream, "United States , ,", "25:0 31:15", "13:28 15:37"},
      {no_stream, "", "", ""},
  };
  TestDocument doc = stream_document();
  for (const Case& c : cases) {
    SCOPED_TRACE(get_stream_name(c.kind) + " (" + std::to_string(c.kind) + ")");
    const annotation_stream_info stream = get_annotation_buffer(*doc.sentences, c.kind);
    EXPECT_EQ(stream.stream_type, 0u);
    EXPECT_EQ(text_of(stream), c.text);
    EXPECT_EQ(begins_of(stream), c.begins);
    EXPECT_EQ(ends_of(stream), c.ends);
  }
}

TEST(TextStream, ASentenceListGivesTheStreamOfThatSentence) {
  TestDocument doc = stream_document();
  const Sentence* second = zel::testing::sentence_at(*doc.sentences, 1);
  const annotation_stream_info stream =
      get_annotation_buffer(second->annotations, literal_stream);
  EXPECT_EQ(text_of(stream), "USA _ ÉCOLE ");
  EXPECT_EQ(begins_of(stream), "25:0 29:4 31:6");
  EXPECT_EQ(ends_of(stream), "3:28 5:30 12:37");
}

TEST(TextStream, OffsetsPast2GiBSortAfterTheOthers) {
  // Offsets of a document past 2 GiB: the tables keep document order.
  TestDocument doc = build_document("a b c");
  const uint32_t offsets[] = {0x7FFFFFFEu, 0x80000000u, 0xFFFFFFF0u};
  int i = 0;
  for (Annotation* a = zel::testing::sentence_at(*doc.sentences, 0)->annotations.head;
       a != nullptr; a = a->next) {
    if (a->kind != kTokenKind) continue;
    a->begin = offsets[i++];
    a->end = a->begin + 1;
  }
  const annotation_stream_info stream = get_annotation_buffer(*doc.sentences, literal_stream);
  EXPECT_EQ(begins_of(stream), "2147483646:0 2147483648:2 4294967280:4");
  EXPECT_EQ(ends_of(stream), "1:2147483647 3:2147483649 5:4294967281");
  // A lookup by document offset finds the piece that starts there.
  const auto found = stream.begin_map.lower_bound(0x80000000u);
  ASSERT_NE(found, stream.begin_map.end());
  EXPECT_EQ(found->second, 2u);
}

TEST(TextStream, TaggedTokenWithoutPartsHasAStartEntryOnly) {
  TestDocument doc = build_document("USA/Prop next/Adv");
  find_token(*doc.sentences, "USA")->flags |= 0x10;
  const annotation_stream_info stream = get_annotation_buffer(*doc.sentences, stem_stream);
  EXPECT_EQ(text_of(stream), "next ");
  EXPECT_EQ(begins_of(stream), "0:0 4:0");
  EXPECT_EQ(ends_of(stream), "4:8");
}

TEST(TextStream, InvalidCodePointEndsItsPieceWithAWarning) {
  // U+D800 encoded as UTF-8: well formed bytes, but no scalar value.
  TestDocument doc = build_document("ab\xED\xA0\x80" "cd next/Adv");
  annotation_stream_info stream;
  const std::string out = capture_stdout(
      [&] { stream = get_annotation_buffer(*doc.sentences, literal_stream); });
  EXPECT_EQ(out, "Warning utf8::invalid_code_point\n");
  // What came before the code point stays; the stream goes on.
  EXPECT_EQ(text_of(stream), "ab next ");
  EXPECT_EQ(begins_of(stream), "0:0 8:3");
  EXPECT_EQ(ends_of(stream), "2:7 7:12");
}

TEST(TextStream, MalformedUtf8Raises) {
  TestDocument doc = build_document("ok/Adv");
  find_token(*doc.sentences, "ok")->literal = "o\xFFk";
  EXPECT_THROW(get_annotation_buffer(*doc.sentences, literal_stream), utf8::exception);
  EXPECT_THROW(get_annotation_buffer(*doc.sentences, normalized_literal_stream),
               utf8::exception);
}

TEST(TextView, LiteralTextOfARange) {
  TestDocument doc = build_document(
      "[Animal the/Det big/Adj dog/Nn] barks/V\n"
      "again/Adv");
  const Concept* animal = find_concept(*doc.sentences, "Animal");
  EXPECT_EQ(get_annotation_string(RawPtrIterator(const_cast<Concept*>(animal)),
                                  RawPtrIterator(animal->end_annotation)),
            "the big dog");
  // The document list: sentences are entered.
  EXPECT_EQ(get_annotation_string(doc.sentences->begin(), doc.sentences->end()),
            "the big dog barks again");
  // From the second sentence on, blanks and control bytes trimmed.
  find_token(*doc.sentences, "again")->literal = "\r\n again \t";
  EXPECT_EQ(get_annotation_string(RawPtrIterator(doc.sentences->tail), RawPtrIterator()),
            "again");
  // An end that the walk never meets stops at the end of the list.
  EXPECT_EQ(get_annotation_string(RawPtrIterator(animal->end_annotation),
                                  RawPtrIterator(const_cast<Concept*>(animal))),
            "barks");
  EXPECT_EQ(get_annotation_string(RawPtrIterator(), RawPtrIterator()), "");
}

// Sets the offsets of the tokens of a document's first sentence, in order.
void place_tokens(const TestDocument& doc,
                  std::initializer_list<std::pair<uint32_t, uint32_t>> offsets) {
  auto next = offsets.begin();
  for (Annotation* a = zel::testing::sentence_at(*doc.sentences, 0)->annotations.head; a != nullptr; a = a->next) {
    if (a->kind != kTokenKind) continue;
    a->begin = next->first;
    a->end = next->second;
    ++next;
  }
}

TEST(TextView, RealTextKeepsTheDocumentsSpacing) {
  struct Case {
    std::string spec;
    std::initializer_list<std::pair<uint32_t, uint32_t>> offsets;
    std::string real;
  };
  const Case cases[] = {
      // Touching tokens stay together; any gap becomes one blank.
      {"New York ( USA )", {{0, 3}, {6, 10}, {11, 12}, {12, 15}, {15, 16}},
       "New York (USA)"},
      // Tokens beginning with "-" are left out, and leave a gap.
      {"well -known --x", {{0, 4}, {4, 10}, {10, 13}}, "well"},
      {"e - mail", {{0, 1}, {1, 2}, {2, 6}}, "e mail"},
      // Person names give their stems.
      {"J./Prop:John+giv Smith/Prop:SMITH+fam", {{0, 2}, {3, 8}}, "John SMITH"},
      {"Bob/Prop-Gen:Robert", {{0, 3}}, "Robert"},
      // A second reading decides, but the first reading's stem is written.
      {"Bob/Nn:bob|Prop-Gen:Robert", {{0, 3}}, "bob"},
      // Not a person's name, or a guess: the literal.
      {"Paris/Prop:PARIS", {{0, 5}}, "Paris"},
      {"Bob/Prop:Robert+gen+guess", {{0, 3}}, "Bob"},
      {"Bob{guess}/Prop-Gen:Robert", {{0, 3}}, "Bob"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    TestDocument doc = build_document(c.spec);
    place_tokens(doc, c.offsets);
    const AnnotationCollection& list = zel::testing::sentence_at(*doc.sentences, 0)->annotations;
    EXPECT_EQ(get_annotation_real_string(list.begin(), list.end()), c.real);
  }
}

TEST(TextView, CanonicalForms) {
  TestDocument doc = build_document(
      "[Person JEAN-PIERRE] met [Person JEAN -/Punct PIERRE] and "
      "[Person{canonical=Jean\\ Paul} JP] and [Person{canonical=} mr/Nn:Mister o'NEIL]");
  // The three tokens touch, as "JEAN-PIERRE" would be split.
  Token* jean = find_token(*doc.sentences, "JEAN");
  Token* hyphen = find_token(*doc.sentences, "-");
  Token* pierre = find_token(*doc.sentences, "PIERRE");
  hyphen->begin = jean->end;
  hyphen->end = hyphen->begin + 1;
  pierre->begin = hyphen->end;

  struct Case {
    int person;
    std::string canonical;
    std::string person_canonical;
  };
  const Case cases[] = {
      {1, "JEAN-PIERRE", "Jean Pierre"},
      {2, "JEAN - PIERRE", "Jean Pierre"},
      {3, "Jean Paul", "Jean Paul"},
      // An empty canonical attribute counts as none; the real text takes
      // the literal of a common noun.
      {4, "mr o'NEIL", "Mr O'neil"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.person);
    const Concept* person = find_concept(*doc.sentences, "Person", c.person);
    EXPECT_EQ(get_canonical(person), c.canonical);
    EXPECT_EQ(get_person_canonical(person), c.person_canonical);
  }
}

TEST(TextView, PartOfSpeechSequence) {
  TestDocument doc = build_document(
      "[A the/Det-Def big/Adj-Std dog/Nn-Gen] [B a/Det x y/Nn] [C none at/Prep]");
  EXPECT_EQ(get_pos_sequence(find_concept(*doc.sentences, "A")), "DetAdjNn");
  EXPECT_EQ(get_pos_sequence(find_concept(*doc.sentences, "B")), "DetNn");
  // Tokens without readings add nothing.
  EXPECT_EQ(get_pos_sequence(find_concept(*doc.sentences, "C")), "Prep");
  // Without an end annotation the walk runs to the end of the list.
  Concept* b = find_concept(*doc.sentences, "B");
  b->end_annotation = nullptr;
  EXPECT_EQ(get_pos_sequence(b), "DetNnPrep");
}

TEST(TextView, CleanupInputConvertsTypographicPunctuation) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"\u201Cword\u201D", "\"word\""},
      {"it\u2019s", "it\u2019s"},
      {"\u2018a\u201B \u201Ab\u201E\u201F \u2032\u2033\u2035\u2036 \u204E",
       "'a' ,b\"\" '\"'\" *"},
      {"\u0141\u00F3d\u017A \u0142", "l\u00F3d\u017A l"},
      {"plain ASCII\x7F", "plain ASCII\x7F"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cleanup_input(c.in), c.out) << c.in;
  }
  EXPECT_EQ(zel_input_converter.size(), 14u);
  EXPECT_THROW(cleanup_input("\xC3"), utf8::exception);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
