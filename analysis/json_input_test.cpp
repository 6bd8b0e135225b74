#include "analysis/json_input.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "analysis/navigation.h"
#include "base/exception.h"
#include "base/options.h"
#include "engine/engine.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::dump;
using zel::testing::find_concept;
using zel::testing::find_token;
using zel::testing::kDumpAttributes;
using zel::testing::kDumpFlags;
using zel::testing::kDumpOffsets;
using zel::testing::kDumpReadings;
using zel::testing::list_faults;

constexpr unsigned kAll = kDumpOffsets | kDumpReadings | kDumpAttributes | kDumpFlags;

std::unique_ptr<Blackboard> read(const std::string& json_text) {
  std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard();
  json_to_annotations_v2(*blackboard, json_text.data(), json_text.size());
  return blackboard;
}

// The message of the error reading the text raises; empty when none.
std::string error_of(const std::string& json_text) {
  std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard();
  try {
    json_to_annotations_v2(*blackboard, json_text.data(), json_text.size());
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

TEST(JsonInput, ReadsSentencesTokensReadingsAndConcepts) {
  auto blackboard = read(
      R"({"sentences":[ [1,0,9,[[2,0,4,"Person",{"gender":["male"],"n":"1"}],)"
      R"([3,0,4,"John",["init-cap","word","init-cap"],[["John", "Prop-Std","proper"]]],)"
      R"([3,5,9,"left",[],[["leave", "V-Past"],["left","Adj","x",[["l","Nn"],["eft","Nn-Sg"]]]]]]],)"
      R"([1,10,14,[[3,10,14,"Next",[],[]]],{"kind":["title","head"]}]]})");
  const AnnotationCollection& document = *blackboard->annotations;
  EXPECT_EQ(dump(document, kAll),
            "@0-9 [Sentence@0-9 [Person@0-4{gender=male;n=1}!import "
            "John@0-4{init-cap,word}/Prop-Std+proper ]Person@4-4 "
            "left@5-9/V-Past:leave|Adj+x(Nn:l,Nn-Sg:eft) ]Sentence@9-9 $@9-9\n"
            "@10-14 [Sentence@10-14{kind=title;kind=head} Next@10-14 ]Sentence@14-14 "
            "$@14-14");
  EXPECT_EQ(list_faults(document), "");

  // Readings weigh 1; the "Sentence" concepts are not imported.
  for (const MorphData& reading : find_token(document, "left")->readings) {
    EXPECT_EQ(reading.weight, 1.0);
  }
  EXPECT_FALSE(find_concept(document, "Sentence")->flags.test(kImport));
  EXPECT_TRUE(find_concept(document, "Person")->flags.test(kImport));

  // The sentence index finds both sentences.
  ASSERT_EQ(blackboard->sentences.size(), 2u);
  EXPECT_EQ(blackboard->sentences[1].first, 10u);
  EXPECT_EQ(get_sentence(*blackboard, 12)->sentence->begin, 10u);
}

TEST(JsonInput, EndAnnotations) {
  struct Case {
    const char* name;
    const char* items;  // the items of one sentence 0..20
    const char* layout;
  } cases[] = {
      {"an empty sentence closes its concept at its end", "[]",
       "@0-20 [Sentence@0-20 ]Sentence@20-20 $@20-20"},
      {"concepts ending at one token share its end annotation, the later "
       "beginning first",
       R"([[2,0,9,"A"],[3,0,4,"a",[],[]],[2,5,9,"B"],[3,5,9,"b",[],[]],[3,10,20,"c",[],[]]])",
       "@0-20 [Sentence@0-20 [A@0-9 a@0-4 [B@5-9 b@5-9 ]B,A@9-9 c@10-20 ]Sentence@20-20 "
       "$@20-20"},
      {"a concept ending inside a token is closed after it",
       R"([[2,0,2,"A"],[3,0,4,"a",[],[]],[3,5,20,"b",[],[]]])",
       "@0-20 [Sentence@0-20 [A@0-2 a@0-4 ]A@4-4 b@5-20 ]Sentence@20-20 $@20-20"},
      // Like the sentence's own concept, which is closed first.
      {"a concept ending after the last token is closed at the end of the list",
       R"([[2,0,18,"A"],[3,0,4,"a",[],[]],[3,5,9,"b",[],[]]])",
       "@0-20 [Sentence@0-20 [A@0-18 a@0-4 b@5-9 ]A,Sentence@20-20 $@20-20"},
      {"the sentence's own concept item is not read twice",
       R"([[2,0,20,"Sentence",{"k":"v"}],[3,0,20,"a",[],[]]])",
       "@0-20 [Sentence@0-20 a@0-20 ]Sentence@20-20 $@20-20"},
      {"a later concept named Sentence is an ordinary concept",
       R"([[2,0,4,"A"],[2,0,4,"Sentence"],[3,0,4,"a",[],[]],[3,5,20,"b",[],[]]])",
       "@0-20 [Sentence@0-20 [A@0-4 [Sentence@0-4 a@0-4 ]Sentence,A@4-4 b@5-20 "
       "]Sentence@20-20 $@20-20"},
      {"items of other kinds are skipped",
       R"([[4,3,3],[5,true,2.5],[1,0,1],[3,0,20,"a",[],[]]])",
       "@0-20 [Sentence@0-20 a@0-20 ]Sentence@20-20 $@20-20"},
      {"fractions of offsets are dropped",
       R"([[3,0.9,3.7,"a",[],[]],[3,4,20,"b",[],[]]])",
       "@0-20 [Sentence@0-20 a@0-3 b@4-20 ]Sentence@20-20 $@20-20"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto blackboard = read(std::string(R"({"sentences":[[1,0,20,)") + c.items + "]]}");
    EXPECT_EQ(dump(*blackboard->annotations, kDumpOffsets), c.layout);
  }
}

TEST(JsonInput, ConceptsAreImportedAndClosed) {
  auto blackboard = read(
      R"({"sentences":[[1,0,9,[[2,0,9,"Sentence"],[2,0,9,"A"],[2,0,4,"B"],)"
      R"([3,0,4,"a",[],[]],[3,5,9,"b",[],[]]]]]})");
  const AnnotationCollection& document = *blackboard->annotations;
  EXPECT_EQ(list_faults(document), "");
  for (const char* uri : {"A", "B"}) {
    SCOPED_TRACE(uri);
    Concept* c = find_concept(document, uri);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->flags.test(kImport));
    ASSERT_NE(c->end_annotation, nullptr);
    EXPECT_EQ(c->end_annotation->end, c->end);
  }
}

TEST(JsonInput, SentenceLists) {
  struct Case {
    const char* name;
    const char* json;
    size_t sentences;
  } cases[] = {
      {"an empty sentence list", R"({"sentences":[]})", 0},
      {"a document without sentences", R"({"document":{}})", 0},
      {"a document that is null", R"({"document":null})", 0},
      {"sentences that are null", R"({"sentences":null})", 0},
      {"a document hides the top-level sentences",
       R"({"document":{"sentences":[[1,0,1,[]]]},"sentences":[[1,0,1,[]],[1,1,2,[]]]})", 1},
      {"sentences from an object, in the order of their names",
       R"({"sentences":{"b":[1,5,6,[]],"a":[1,0,1,[]]}})", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto blackboard = read(c.json);
    EXPECT_EQ(blackboard->annotations->size(), c.sentences);
    EXPECT_EQ(blackboard->sentences.size(), c.sentences);
  }
}

TEST(JsonInput, TheIdComesFromTheTopLevel) {
  auto with_id = read(R"({"id":"d7","document":{"id":"inner","sentences":[]}})");
  EXPECT_EQ(with_id->options->get("id"), "d7");
  EXPECT_EQ(with_id->id(), "d7");
  auto without = read(R"({"document":{"id":"inner"}})");
  EXPECT_FALSE(without->options->has("id"));
}

TEST(JsonInput, TheLanguageIsSet) {
  const std::string morvik = std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik";
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", morvik}, {"morvik", morvik}}.dump()));
  auto blackboard = zel::testing::make_blackboard("{}", "{}", engine);
  const std::string text = R"({"language":"english","sentences":[]})";
  json_to_annotations_v2(*blackboard, text.data(), text.size());
  EXPECT_EQ(blackboard->language, "english");
  ASSERT_NE(blackboard->language_module, nullptr);
}

TEST(JsonInput, ReadsExactlyTheGivenLength) {
  // The text goes on past the length with no NUL: only the length counts.
  const std::string buffer = R"({"sentences":[[1,0,3,[]]]}trailing garbage)";
  const size_t length = std::strlen(R"({"sentences":[[1,0,3,[]]]})");
  std::vector<char> bytes(buffer.begin(), buffer.end());
  auto blackboard = zel::testing::make_blackboard();
  json_to_annotations_v2(*blackboard, bytes.data(), length);
  EXPECT_EQ(blackboard->annotations->size(), 1u);

  // A length that cuts the document short is an error.
  auto cut = zel::testing::make_blackboard();
  EXPECT_THROW(json_to_annotations_v2(*cut, bytes.data(), length - 1), std::runtime_error);

  // No text at all.
  auto none = zel::testing::make_blackboard();
  EXPECT_THROW(json_to_annotations_v2(*none, nullptr, 0), std::runtime_error);
  EXPECT_THROW(json_to_annotations_v2(*none, nullptr, 5), std::runtime_error);
}

TEST(JsonInput, FormatErrors) {
  struct Case {
    const char* name;
    const char* json;
    const char* message;  // after the prefix
  } cases[] = {
      {"a syntax error", R"({"sentences":[)", "parse error at line 1, column 15"},
      {"text after the value", R"({"sentences":[]} {})", "parse error at line 1, column 18"},
      {"comments", R"({"sentences":[] /* no */})", "parse error at line 1, column 17"},
      {"a top-level array", R"([[1,0,1,[]]])",
       "Invalid document object, missing 'sentence' section."},
      {"no sentences", R"({"language":"english"})",
       "Invalid document object, missing 'sentence' section."},
      {"a language that is no text", R"({"language":1,"sentences":[]})",
       "type must be string, but is number"},
      {"a document that is no object", R"({"document":[],"sentences":[]})",
       "the document member must be a JSON object"},
      {"a sentence that is no array", R"({"sentences":[5]})", "cannot use at() with number"},
      {"an offset that is a text", R"({"sentences":[[1,"0",1,[]]]})",
       "type must be number, but is string"},
      {"a negative offset", R"({"sentences":[[1,-1,1,[]]]})", "is no byte offset"},
      {"an offset beyond 32 bits", R"({"sentences":[[1,0,4294967296,[]]]})",
       "is no byte offset"},
      {"items that are no array", R"({"sentences":[[1,0,1,{}]]})",
       "the items of a sentence must be a JSON array"},
      {"a literal that is no text", R"({"sentences":[[1,0,1,[[3,0,1,7,[],[]]]]]})",
       "type must be string, but is number"},
      {"a skipped item's offsets are still numbers",
       R"({"sentences":[[1,0,1,[[4,"x",1]]]]})", "type must be number, but is string"},
      {"attributes that are no object",
       R"({"sentences":[[1,0,1,[[2,0,1,"A",["x"]]]]]})", "attributes must be a JSON object"},
      {"an attribute value that is no text",
       R"({"sentences":[[1,0,1,[[2,0,1,"A",{"k":[1]}]]]]})", "type must be string, but is number"},
      {"a reading stem that is no text",
       R"({"sentences":[[1,0,1,[[3,0,1,"a",[],[[1,"Nn"]]]]]]})", "type must be string, but is number"},
      {"readings that are no array",
       R"({"sentences":[[1,0,1,[[3,0,1,"a",[],{}]]]]})", "readings must be a JSON array"},
      // Short arrays.
      {"a sentence of three entries", R"({"sentences":[[1,0,1]]})",
       "a sentence has 3 entries, at least 4 are needed"},
      {"an empty sentence", R"({"sentences":[[]]})",
       "a sentence has 0 entries, at least 1 are needed"},
      {"an item of two entries", R"({"sentences":[[1,0,1,[[3,0]]]]})",
       "an item has 2 entries, at least 3 are needed"},
      {"a token item without readings", R"({"sentences":[[1,0,1,[[3,0,1,"a",[]]]]]})",
       "a token item has 5 entries, at least 6 are needed"},
      {"a token item without properties", R"({"sentences":[[1,0,1,[[3,0,1,"a"]]]]})",
       "a token item has 4 entries, at least 5 are needed"},
      {"a concept item without URI", R"({"sentences":[[1,0,1,[[2,0,1]]]]})",
       "a concept item has 3 entries, at least 4 are needed"},
      {"a reading of one entry", R"({"sentences":[[1,0,1,[[3,0,1,"a",[],[["a"]]]]]]})",
       "a reading has 1 entries, at least 2 are needed"},
      {"a component reading of one entry",
       R"({"sentences":[[1,0,1,[[3,0,1,"a",[],[["a","Nn",[["b"]]]]]]]]})",
       "a reading has 1 entries, at least 2 are needed"},
      // Offsets out of order.
      {"a sentence that ends before it begins", R"({"sentences":[[1,5,4,[]]]})",
       "the sentence 5..4 ends before it begins"},
      {"sentences out of order", R"({"sentences":[[1,5,9,[]],[1,0,4,[]]]})",
       "the sentence 0..4 begins before the sentence before it ends"},
      {"overlapping sentences", R"({"sentences":[[1,0,9,[]],[1,5,12,[]]]})",
       "the sentence 5..12 begins before the sentence before it ends"},
      {"an item that ends before it begins",
       R"({"sentences":[[1,0,9,[[3,4,2,"a",[],[]]]]]})", "an item 4..2 ends before it begins"},
      {"an item past its sentence", R"({"sentences":[[1,0,9,[[3,4,12,"a",[],[]]]]]})",
       "an item 4..12 lies outside its sentence"},
      {"an item before its sentence", R"({"sentences":[[1,5,9,[[2,0,6,"A"]]]]})",
       "an item 0..6 lies outside its sentence"},
      {"tokens out of order",
       R"({"sentences":[[1,0,9,[[3,5,9,"b",[],[]],[3,0,4,"a",[],[]]]]]})",
       "an item 0..4 begins before the token before it ends"},
      {"a concept listed after a token it begins at",
       R"({"sentences":[[1,0,9,[[3,0,4,"a",[],[]],[2,0,4,"A"]]]]})",
       "an item 0..4 begins before the token before it ends"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string message = error_of(c.json);
    EXPECT_THAT(message, ::testing::StartsWith("Invalid kav/json format,"));
    EXPECT_THAT(message, ::testing::HasSubstr(c.message));
    // The JSON library's own tags never reach the user.
    EXPECT_THAT(message, ::testing::Not(::testing::HasSubstr("[json.exception")));
  }
  // The prefix is followed directly by the text of the fault.
  EXPECT_EQ(error_of("[]"),
            "Invalid kav/json format,Invalid document object, missing 'sentence' section.");
}

// A document's bytes appear in a message as a short, escaped excerpt.
TEST(JsonInput, MessagesQuoteShortExcerpts) {
  const std::string message =
      error_of("{\"sentences\":[[1,0,1,[[3,0,1,\"" + std::string(100000, 'w') + "\x01");
  EXPECT_THAT(message, ::testing::StartsWith("Invalid kav/json format,parse error at line 1"));
  EXPECT_LT(message.size(), 300u) << message.substr(0, 300);
  EXPECT_THAT(error_of("{\"sentences\":[\"\xFF\"]}"),
              ::testing::HasSubstr("ill-formed UTF-8 byte; last read: '\\\"\\xFF'"));
}

// Nesting is refused at 257 levels wherever it is; 256 levels are read.
TEST(JsonInput, NestingIsBounded) {
  // The run of brackets is an entry of the concept item that is never read.
  auto nested = [](std::size_t levels) {
    return "{\"sentences\":[[1,0,1,[[2,0,1,\"A\",{\"k\":[\"v\"]}," +
           std::string(levels - 5, '[') + std::string(levels - 5, ']') + "]]]]}";
  };
  EXPECT_EQ(error_of(nested(256)), "");
  EXPECT_EQ(error_of(nested(257)),
            "Invalid kav/json format,the JSON nests deeper than 256 levels (at byte " +
                std::to_string(nested(257).find(std::string(252, '[')) + 251) + ")");
  // Brackets in texts do not count.
  EXPECT_EQ(error_of("{\"id\":\"" + std::string(1000, '[') + "\\\"[\",\"sentences\":[]}"),
            "");
}

TEST(JsonInput, FaultsAreStandardRuntimeErrors) {
  auto blackboard = zel::testing::make_blackboard();
  const std::string text = "{";
  try {
    json_to_annotations_v2(*blackboard, text.data(), text.size());
    FAIL() << "accepted";
  } catch (const zel::Exception&) {
    FAIL() << "not a plain runtime error";
  } catch (const std::runtime_error&) {
  }
}

TEST(JsonInput, ComponentReadingsBothWays) {
  struct Case {
    const char* reading;
    const char* dumped;
  } cases[] = {
      // One component reading given as a reading.
      {R"(["s","Nn","p",["cs","Cp"]])", "a/Nn:s+p(Cp:cs)"},
      // A list of component readings, as the printer writes them, nested.
      {R"(["s","Nn",[["c1","A",[["d","B"]]],["c2","C","q"]]])",
       "a/Nn:s(A:c1(B:d),C:c2+q)"},
      {R"(["s","Nn",[],7,null,"p"])", "a/Nn:s+p"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reading);
    auto blackboard = read(std::string(R"({"sentences":[[1,0,1,[[3,0,1,"a",[],[)") +
                           c.reading + "]]]]]}");
    Token* token = find_token(*blackboard->annotations, "a");
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(zel::testing::dump(*blackboard->annotations, kDumpReadings),
              std::string("[Sentence ") + c.dumped + " ]Sentence $");
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
