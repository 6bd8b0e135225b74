// The result, internal and metadata JSON of hand-built documents.

#include "api/result_json.h"

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "api/result_json_filters.h"
#include "api/result_json_internal.h"
#include "api/result_json_metadata.h"
#include "domain/lexicon_lookup.h"
#include "language/offset_table.h"

namespace zel {
namespace kavero {
namespace {

using testing::build_document;
using testing::load_document;
using testing::make_blackboard;

// A document built from the compact text (analysis/document_testutil.h) on
// a blackboard with those document and analyzer options, language english.
struct Doc {
  Doc(const std::string& text, const std::string& document_options = "{}",
      const std::string& analyzer_options = "{}")
      : blackboard(make_blackboard(document_options, analyzer_options)) {
    if (!text.empty()) load_document(*blackboard, build_document(text));
    blackboard->language = "english";
  }

  // The n-th concept of the document in list order (the "Sentence"
  // concepts count).
  Concept& concept_at(int n) {
    for (Annotation* s = blackboard->annotations->head; s != nullptr; s = s->next) {
      for (Annotation* a = static_cast<Sentence*>(s)->annotations.head; a != nullptr;
           a = a->next) {
        if (a->kind == kConceptKind && n-- == 0) return *static_cast<Concept*>(a);
      }
    }
    throw std::out_of_range("no such concept");
  }

  // Marks every concept but the "Sentence" ones for output.
  Doc& import_all() {
    for (int n = 0;; ++n) {
      try {
        Concept& c = concept_at(n);
        if (c.uri != "Sentence") c.flags.set(kImport);
      } catch (const std::out_of_range&) {
        return *this;
      }
    }
  }

  std::string json() {
    std::ostringstream out;
    stream_json_api_format(*blackboard, out);
    return out.str();
  }
  std::string internal() {
    std::ostringstream out;
    stream_internal_results_json_format(*blackboard, out);
    return out.str();
  }
  std::string metadata() {
    std::ostringstream out;
    stream_json_api_metadata(*blackboard, out);
    return out.str();
  }

  std::unique_ptr<Blackboard> blackboard;
};

TEST(ResultJson, WorkedExampleByteForByte) {
  Doc doc("[Person{gender=male} John{init-cap}/Prop-Std] left/V-Past:leave", R"({"id":"d1"})");
  doc.import_all();
  EXPECT_EQ(doc.json(),
            R"({"id":"d1","language":"english","sentences":[ [1,0,9,[[2,0,4,"Person",)"
            R"({"gender":["male"]}],[3,0,4,"John",["init-cap"],[["John", "Prop-Std"]]],)"
            R"([3,5,9,"left",[],[["leave", "V-Past"]]]]]]})");
}

TEST(ResultJson, Layouts) {
  struct Case {
    const char* name;
    std::string text;
    std::string document_options;
    std::string analyzer_options;
    std::string expected;
  } const cases[] = {
      {"the analyzer's id is not the document's", "a/Det", "{}", R"({"id":"x"})",
       R"({"language":"english","sentences":[ [1,0,1,[[3,0,1,"a",[],[["a", "Det"]]]]]]})"},
      {"no sentences keeps the blank", "", "{}", "{}",
       R"({"language":"english","sentences":[ ]})"},
      {"an id is escaped", "", R"({"id":"a\"b"})", "{}",
       R"({"id":"a\"b","language":"english","sentences":[ ]})"},
      {"a token without properties and readings", "x", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,1,[[3,0,1,"x",[],[]]]]]})"},
      {"a concept without attributes", "[City Paris/Prop]", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,5,[[2,0,5,"City",{}],)"
       R"([3,0,5,"Paris",[],[["Paris", "Prop"]]]]]]})"},
      {"two values of one name share an array", "[City{a=1;a=2} Paris]", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,5,[[2,0,5,"City",{"a":["1","2"]}],)"
       R"([3,0,5,"Paris",[],[]]]]]})"},
      {"hidden names", "[City{_x=1;inherit_y=2;z=3} Paris]", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,5,[[2,0,5,"City",{"z":["3"]}],)"
       R"([3,0,5,"Paris",[],[]]]]]})"},
      {"rule_info shows _ names", "[City{_x=1;inherit_y=2;z=3} Paris]", "{}",
       R"({"dbg":"rule_info"})",
       R"({"language":"english","sentences":[ [1,0,5,[[2,0,5,"City",{"_x":["1"],"z":["3"]}],)"
       R"([3,0,5,"Paris",[],[]]]]]})"},
      {"properties beginning with _ are left out", "x{_p,q}/N+_r+s", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,1,[[3,0,1,"x",["q"],[["x", "N","s"]]]]]]})"},
      {"components nest", "dogs/Nn-Pl:dog(Nn:do(Suf:g))", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,4,[[3,0,4,"dogs",[],)"
       R"([["dog", "Nn-Pl",[["do", "Nn",[["g", "Suf"]]]]]]]]]]})"},
      {"a sentence whose items are all filtered out", "[$tmp x]", "{}", "{}",
       R"({"language":"english","sentences":[ [1,0,1,[[3,0,1,"x",[],[]]]]]})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Doc doc(c.text, c.document_options, c.analyzer_options);
    doc.import_all();
    EXPECT_EQ(doc.json(), c.expected);
  }
}

TEST(ResultJson, EscapesEveryString) {
  // Ordinary names print byte for byte; quotes, backslashes and control
  // bytes in any string are escaped so that the result stays valid JSON.
  Doc doc("a");
  Token& token = *static_cast<Token*>(
      static_cast<Sentence*>(doc.blackboard->annotations->head)->annotations.head->next);
  token.literal = "a\"b\\c\td";
  token.properties = {"p\"q"};
  token.readings.emplace_back("P\\os", "st\"em", 1.0);
  token.readings.back().properties = {"x\ny"};
  doc.blackboard->language = "eng\"lish";
  EXPECT_EQ(doc.json(),
            R"({"language":"eng\"lish","sentences":[ [1,0,1,[[3,0,1,"a\"b\\c\td",["p\"q"],)"
            R"([["st\"em", "P\\os","x\ny"]]]]]]})");
}

TEST(ResultJson, SentenceAttributesAreAFifthElement) {
  Doc doc("x");
  Concept& sentence = doc.concept_at(0);
  sentence.add(Attribute("lang", std::string("en")), kOwnList);
  EXPECT_EQ(doc.json(),
            R"({"language":"english","sentences":[ [1,0,1,[[3,0,1,"x",[],[]]],{"lang":["en"]}]]})");
}

TEST(ResultJson, ConceptFilters) {
  using Flags = unsigned;  // bit 0 deleted, bit 2 import
  struct Case {
    std::string uri;
    Flags flags;
    bool import_only;  // left out by each filter
    bool kac;
    bool nothing;
  } const cases[] = {
      {"City", 0, true, false, false},
      {"City", 4, false, false, false},
      {"City", 5, true, true, false},
      {"$tmp", 4, true, false, false},
      {":x", 4, true, false, false},
      {"$tmp", 0, true, true, false},
      {"", 4, false, false, false},
      {"", 0, true, false, false},
      {"kav::filter", 5, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri + " flags " + std::to_string(c.flags));
    Concept concept_annotation(0, 1, c.uri);
    concept_annotation.flags = std::bitset<kConceptFlagCount>(c.flags);
    EXPECT_EQ(v2::ImportOnlyFilter()(concept_annotation), c.import_only);
    EXPECT_EQ(v2::KacFilter()(concept_annotation), c.kac);
    EXPECT_EQ(v2::FilterNothing()(concept_annotation), c.nothing);
  }
}

TEST(ResultJson, AnnotationFilterOptionChoosesTheFilter) {
  const std::string text = "[City Paris]";
  Doc plain(text);
  EXPECT_EQ(plain.json().find("City"), std::string::npos) << "not marked for output";
  Doc debug(text, R"({"annotation_filter":"__debug__"})");
  const std::string all = debug.json();
  EXPECT_NE(all.find("[2,0,5,\"Sentence\",{}]"), std::string::npos) << all;
  EXPECT_NE(all.find("[2,0,5,\"City\",{}]"), std::string::npos) << all;
  Doc compiler(text, "{}", R"({"annotation_filter":"__compiler__"})");
  EXPECT_NE(compiler.json().find("\"City\""), std::string::npos);
}

TEST(ResultJson, UnicodeOffsetsCountCodePoints) {
  const std::string text = "\xC3\xA9t\xC3\xA9 x";  // "été x"
  for (const auto& [options, expected] : std::initializer_list<std::pair<std::string, std::string>>{
           {R"({"unicode_offset":true})", "[1,0,5,[[3,0,3,"},
           {R"({"unicode_offset":true,"input_type":"json"})", "[1,0,7,[[3,0,5,"},
           {R"({})", "[1,0,7,[[3,0,5,"}}) {
    SCOPED_TRACE(options);
    Doc doc(text, options);
    doc.blackboard->offset_table =
        generate_offset_mappings(text.data(), static_cast<int>(text.size()));
    EXPECT_NE(doc.json().find(expected), std::string::npos) << doc.json();
  }
}

TEST(ResultJson, InstanceAttributesAreNotAddedWithoutAnInstance) {
  Doc doc("[Person{a=1} x]");
  doc.import_all();
  const std::string first = doc.json();
  EXPECT_EQ(doc.json(), first);
}

TEST(ResultJson, EncodeTextEscapesQuotesOnly) {
  EXPECT_EQ(v2::json_encode_text(R"(say "hi" \n)"), R"(say \"hi\" \n)");
  EXPECT_EQ(v2::json_encode_text(""), "");
}

TEST(InternalJson, Layouts) {
  Doc empty("");
  EXPECT_EQ(empty.internal(), R"({"sentences":[ ],"streams" : []})");

  Doc doc("[City{_x=1;inherit_y=2} Paris] [$tmp x]");
  doc.concept_at(1).flags.set(kDeleted);
  EXPECT_EQ(doc.internal(),
            R"({"sentences":[ [1,0,7,[[2,0,7,"Sentence",{},{}],)"
            R"([2,0,5,"City",{},{"deleted":["true"]}],[3,0,5,"Paris",[],[]],)"
            R"([2,6,7,"$tmp",{},{}],[3,6,7,"x",[],[]]]]],"streams" : []})");
}

TEST(InternalJson, StreamsLeaveOutEmptySlots) {
  Doc doc("x");
  stream_collection_type& streams = *get_stream_collection(*doc.blackboard);
  streams[1].text = {'a', '"'};
  streams[4].text = {'c'};
  const std::string json = doc.internal();
  EXPECT_NE(json.find(R"("streams" : [{ "type":"lemma","text":"a\""},)"
                      R"({ "type":"component","text":"c"}]})"),
            std::string::npos)
      << json;
}

TEST(MetadataJson, NeverSetAndAppended) {
  Doc doc("x");
  EXPECT_EQ(doc.metadata(), "{}");
  doc.blackboard->set_metadata("document_date", "2024-01-02");
  doc.blackboard->set_metadata("document_date", "2024-02-03");
  doc.blackboard->set_metadata("author", "\xC3\xA9");
  EXPECT_EQ(doc.metadata(),
            "{\"author\":[\"\xC3\xA9\"],\"document_date\":[\"2024-01-02\",\"2024-02-03\"]}");
}

TEST(TokenStreams, JoinWithOneBlankAcrossGaps) {
  // "New York" with a gap, "York-" without one before "-".
  Doc doc("[City New/A:new York/B:york -] [X y z/C:zed]");
  Annotation* york = doc.concept_at(1).next->next;
  Annotation* dash = york->next;
  ASSERT_EQ(static_cast<Token*>(dash)->literal, "-");
  dash->begin = york->end;
  std::stringstream literals;
  v2::get_token_literal_stream(doc.concept_at(1), literals);
  EXPECT_EQ(literals.str(), "New York-");
  std::stringstream stems;
  v2::get_token_stem_stream(doc.concept_at(1), stems);
  EXPECT_EQ(stems.str(), "new york");
  std::stringstream skip;
  v2::get_token_stem_stream(doc.concept_at(2), skip);
  EXPECT_EQ(skip.str(), "zed");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
