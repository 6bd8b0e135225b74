#include "matcher/stream_encoding.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "base/error_message_testutil.h"
#include "core-afst/lookup_network_testutil.h"
#include "domain/domain_facade.h"
#include "domain/encoder_facade.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using afst::testing::TestNetwork;
using zel::testing::build_document;
using zel::testing::find_token;

// A command symbol: the command's code point and its argument.
std::string command(uint32_t code, const std::string& argument = "") {
  std::string text;
  utf8::append(code, std::back_inserter(text));
  return text + argument;
}
std::string code_point(uint32_t code) { return command(code); }

const std::string kLiteral = command(0xEF01);
const std::string kStems = command(0xEF02);
const std::string kPos = command(0xEF03);
const std::string kStemsAndComponents = command(0xEF05);
const std::string kHead = command(0xEF06);
const std::string kEnd = command(0xEF07);
std::string emit(int id) { return command(0xEF00, std::to_string(id)); }
std::string property(const std::string& text) { return command(0xEF04, text); }
std::string pos_class(uint32_t root_bit) { return command(0xEF08, code_point(root_bit >> 16)); }
std::string length(uint32_t a) { return command(0xEF09, code_point(a)); }
std::string length(uint32_t a, uint32_t b) { return command(0xEF09, code_point(a) + code_point(b)); }

// The ids of a document: per sentence its tokens and concepts with their
// ids ("ab:7", "ab-c:7,7", "[City:4"; nothing after ":" for none) and, after
// "|", its candidate ids in hexadecimal.
std::string ids(const AnnotationCollection& document) {
  std::ostringstream out;
  for (const Annotation* s = document.head; s != nullptr; s = s->next) {
    const auto* sentence = annotation_cast<Sentence>(s);
    if (sentence == nullptr) continue;
    if (s != document.head) out << "\n";
    for (const Annotation* a = sentence->annotations.head; a != nullptr; a = a->next) {
      if (const auto* token = annotation_cast<Token>(a)) {
        out << token->literal << ":";
        for (size_t i = 0; i < token->encodings.size(); ++i) {
          out << (i ? "," : "") << token->encodings[i];
        }
        out << " ";
      } else if (const auto* c = annotation_cast<Concept>(a)) {
        if (c->uri == "Sentence") continue;
        out << "[" << c->uri << ":" << c->encoding << " ";
      }
    }
    out << "|";
    for (uint32_t id : sentence->ids) out << " " << std::hex << id << std::dec;
  }
  return out.str();
}

class StreamEncodingTest : public ::testing::Test {
 protected:
  // Encodes the document (see build_document) with the network as the
  // token encoder.
  std::string encode(TestNetwork& network, const std::string& text) {
    network.network();  // gives the transducer its symbol tables
    domain->token_encoder = std::make_unique<EncoderFacade>(network.transducer());
    return encode(text);
  }
  std::string encode(const std::string& text) {
    blackboard = zel::testing::make_blackboard();
    document = build_document(text);
    zel::testing::load_document(*blackboard, document);
    EXPECT_TRUE(encode_stream(*blackboard, domain));
    return ids(*document.sentences);
  }

  std::shared_ptr<DomainFacade> domain = std::make_shared<DomainFacade>("dom");
  std::unique_ptr<Blackboard> blackboard;
  zel::testing::TestDocument document;
};

TEST_F(StreamEncodingTest, LiteralPathsNeedTheWholeLiteralOrAHyphen) {
  TestNetwork network;
  network.path({kLiteral, "a", "b", emit(7)}, {});
  EXPECT_EQ(encode(network, "ab abc ab-c a"), "ab:7 abc: ab-c:7 a: | 10000007");
}

TEST_F(StreamEncodingTest, APathThatBeginsWithACharacterMatchesNothing) {
  TestNetwork network;
  network.path({"a", "b", emit(7)}, {});
  network.path({"??", emit(8)}, {});
  EXPECT_EQ(encode(network, "ab b"), "ab: b: |");
}

TEST_F(StreamEncodingTest, EveryPathThatEmitsAddsItsId) {
  TestNetwork network;
  network.path({kStems, "g", "o", emit(3)}, {});
  network.path({kLiteral, "??", "??", "??", "??", emit(12)}, {});
  network.path({kLiteral, ":upper:", "??", "??", "??", emit(2)}, {});
  EXPECT_EQ(encode(network, "Went/V:go|Vpast:go go/V"), "Went:2,3,3,12 go:3 | 10000002 10000003 1000000c");
}

TEST_F(StreamEncodingTest, EveryPathCountsAlsoWhereTheirLabelsAgree) {
  // Two patterns with the same labels, side by side: merged for the search.
  TestNetwork side_by_side;
  side_by_side.path({kLiteral, "a", emit(7)}, {});
  side_by_side.path({kLiteral, "a", emit(7)}, {});
  side_by_side.path({kLiteral, "??", emit(8)}, {});
  EXPECT_EQ(encode(side_by_side, "a b"), "a:7,7,8 b:8 | 10000007 10000008");
  // Two paths with the same labels meeting in one state.
  TestNetwork meeting;
  for (int i = 0; i < 4; ++i) meeting.add_state();
  meeting.arc(0, kLiteral, "eps", 1);
  meeting.arc(0, kLiteral, "eps", 2);
  meeting.arc(1, "a", "eps", 3);
  meeting.arc(2, "a", "eps", 3);
  meeting.arc(3, emit(7), "eps", 4);
  EXPECT_EQ(encode(meeting, "a b"), "a:7,7 b: | 10000007");
}

TEST_F(StreamEncodingTest, PartOfSpeechTextsEndAtTheirEndOrAHyphen) {
  TestNetwork network;
  network.path({kPos, "N", "n", kEnd, emit(5)}, {});
  EXPECT_EQ(encode(network, "a/Nn b/Nn-Pl c/Nnx d/V e/Nn|Nn-Sg"),
            "a:5 b:5 c: d: e:5,5 | 10000005");
}

TEST_F(StreamEncodingTest, LiteralLengthsCountBytes) {
  TestNetwork network;
  network.path({length(2, 4), emit(9)}, {});
  network.path({length(1), emit(1)}, {});
  EXPECT_EQ(encode(network, "a ab abc abcd abcde é"),
            "a:1 ab:9 abc:9 abcd:9 abcde: é:9 | 10000001 10000009");
}

TEST_F(StreamEncodingTest, PropertiesOfTheTokenCountOnceOfItsReadingsEach) {
  TestNetwork network;
  network.path({property("Pl"), emit(4)}, {});
  network.path({property("nf"), emit(6)}, {});
  EXPECT_EQ(encode(network, "a{Pl}/Nn+Pl|V+Pl b/Nn+Pl|V+Pl c/Nn+Sg d{nf}"),
            "a:4 b:4,4 c: d:6 | 10000004 10000006");
}

TEST_F(StreamEncodingTest, PartOfSpeechClassesTestTheReadingsRoot) {
  TestNetwork network;
  network.path({pos_class(0x200000), emit(11)}, {});  // Nn
  EXPECT_EQ(encode(network, "a/Nn-Pl b/V c/Nn|Nn-Sg"), "a:11 b: c:11,11 | 1000000b");
}

TEST_F(StreamEncodingTest, ComponentAndHeadStems) {
  TestNetwork network;
  network.path({kStemsAndComponents, "x", emit(1)}, {});
  network.path({kHead, "y", emit(2)}, {});
  network.path({kHead, "z", emit(3)}, {});
  EXPECT_EQ(encode(network, "xy/Nn:z(Nn:x,Nn:y) x/Nn:x z/Nn:z"),
            "xy:1,2 x:1 z:3 | 10000001 10000002 10000003");
}

TEST_F(StreamEncodingTest, ATestAfterAStemTestsTheSameReading) {
  // From the state after the stem two arcs: a head stem and then a part of
  // speech class. The class must test the reading whose stem matched, also
  // after the head's search went through every reading.
  TestNetwork network;
  for (int i = 0; i < 7; ++i) network.add_state();
  network.arc(0, kStems, "eps", 1);
  network.arc(1, "g", "eps", 2);
  network.arc(2, "o", "eps", 3);
  network.arc(3, kHead, "eps", 4);
  network.arc(4, "q", "eps", 5);
  network.arc(3, pos_class(0x200000), "eps", 6);  // Nn
  network.arc(6, emit(1), "eps", 7);
  EXPECT_EQ(encode(network, "went/V:go|Nn:walk goes/Nn:go"), "went: goes:1 | 10000001");
}

TEST_F(StreamEncodingTest, ConceptsGetTheIdOfTheirUri) {
  domain->concept_ids = {{"City", 4}, {"Country", 9}};
  EXPECT_EQ(encode("[City Paris] [Town Lyon] [Country [City Rome]]"),
            "[City:4 Paris: [Town:0 Lyon: [Country:9 [City:4 Rome: | 20000004 20000009");
}

TEST_F(StreamEncodingTest, NoEncoderAndNoConceptMapGiveNoIds) {
  EXPECT_EQ(encode("[City Paris] is"), "[City:0 Paris: is: |");
  TestNetwork network;
  network.transducer()->DeleteStates();
  EXPECT_EQ(encode(network, "is"), "is: |");
}

TEST_F(StreamEncodingTest, ClearingWipesEveryId) {
  TestNetwork network;
  network.path({kLiteral, "a", emit(7)}, {});
  domain->concept_ids = {{"City", 4}};
  EXPECT_EQ(encode(network, "[City a] b\n[Town a]"), "[City:4 a:7 b: | 10000007 20000004\n[Town:0 a:7 | 10000007");
  clear_encoded_stream(*blackboard);
  EXPECT_EQ(ids(*document.sentences), "[City:0 a: b: |\n[Town:0 a: |");
}

TEST_F(StreamEncodingTest, ALabelWithoutTextStopsTheEncoding) {
  TestNetwork network;
  network.path({kLiteral, "a", emit(7)}, {});
  const int state = network.add_state();
  network.raw_arc(0, 99, 0, state);
  network.network();
  domain->token_encoder = std::make_unique<EncoderFacade>(network.transducer());
  blackboard = zel::testing::make_blackboard();
  document = build_document("a a");
  zel::testing::load_document(*blackboard, document);
  EXPECT_THROW(encode_stream(*blackboard, domain), std::out_of_range);
  EXPECT_EQ(ids(*document.sentences), "a:7 a: | 10000007");
}

TEST_F(StreamEncodingTest, AConceptInsertedLaterGetsTheIdOfEncoding) {
  domain->concept_ids = {{"City", 4}};
  encode("Paris is");
  blackboard->set_current_domain(domain);
  Token* paris = find_token(*document.sentences, "Paris");
  Concept* city = (*blackboard->collector)(paris, paris->next, "City", "", nullptr, "rule_1");
  ASSERT_NE(city, nullptr);
  const std::string inserted = ids(*document.sentences);
  EXPECT_EQ(inserted, encode("[City Paris] is"));
}

// Encoders refused when the domain loads: a cycle through a command would
// never end.
TEST(EncoderFacadeTest, RefusesCyclesThroughCommands) {
  struct Case {
    const char* name;
    std::vector<std::string> cycle;  // labels from state 1 back to state 1
    bool refused;
  };
  const std::vector<Case> cases = {
      {"characters only", {"a", "??", ":digit:"}, false},
      {"a rewinding literal", {"a", kLiteral}, true},
      {"an end of part", {kEnd}, true},
      {"a property", {"x", property("Pl")}, true},
  };
  for (const Case& c : cases) {
    TestNetwork network;
    network.arc(0, kLiteral, "eps", network.add_state());
    int from = 1;
    for (size_t i = 0; i < c.cycle.size(); ++i) {
      const int to = i + 1 == c.cycle.size() ? 1 : network.add_state();
      network.arc(from, c.cycle[i], "eps", to);
      from = to;
    }
    network.arc(1, emit(1), "eps", network.add_state());
    network.network();
    if (c.refused) {
      EXPECT_THAT(zel::testing::message_of([&] { EncoderFacade facade(network.transducer()); }),
                  ::testing::HasSubstr("cycle"))
          << c.name;
    } else {
      EXPECT_NO_THROW(EncoderFacade facade(network.transducer())) << c.name;
    }
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

// The encoder as the compiler writes it (one optimised transducer of every
// token pattern), over a document analysed with the test language.
TEST(StreamEncodingCompiledTest, TokensOfAnAnalysedDocument) {
  zel::testing::ScratchFolder folder;
  // token old;  token <walk>;  token Nn;  token Nn-Sg;  token The/Det;
  // token length(3);  token <man>/Nn;  token {nf}
  testing::write_compiled_domain(
      "token 1 literal=London\n"
      "token 2 stem=walk\n"
      "token 3 pos=Nn\n"
      "token 4 pos=Nn-Sg\n"
      "token 5 literal=The pos=Det\n"
      "token 6 length=3\n"
      "token 7 stem=man pos=Nn\n"
      "token 8 prop=nf\n",
      folder.str("d.dom"));
  auto domain = std::make_shared<DomainFacade>("d");
  domain->token_encoder = std::make_unique<EncoderFacade>(
      afst::serialization::open_file(folder.str("d.dom")), "token_encoder");
  zel::testing::AnalysedDocument document(zel::testing::test_language_folder(),
                                          "The old man walks in London. Zorblax runs.");
  ASSERT_TRUE(encode_stream(document.blackboard(), domain));
  // The readings: The/Det-Def old/Adj man/Nn-Sg walks/V-Pres-3-Sg:walk in/Prep
  // London/Prop-Std; Zorblax/Prop-Std runs/V-Pres-3-Sg:run (no token "nf").
  EXPECT_EQ(ids(document.sentences()),
            "The:5,6 old:6 man:3,4,6,7 walks:2 in: London:1 .: | "
            "10000001 10000002 10000003 10000004 10000005 10000006 10000007\n"
            "Zorblax: runs: .: |");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
