#include "compiler/driver/test_expectations.h"

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "api/client_document_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Attributes = std::vector<std::pair<std::string, std::string>>;

TEST(ExpectedResult, DecoratorValues) {
  struct Case {
    const char* value;
    const char* text;
    const char* id;
    const char* uri;
  };
  const Case cases[] = {
      {"New   York = City", "New   York", "NewYork", "City"},
      {" New York=City ", "New York", "NewYork", "City"},
      {"a = b = Equation", "a = b", "a=b", "Equation"},  // the last "=" splits
      {"Paris", "Paris", "Paris", ""},
      {"\tParis\n=\tCity\r", "Paris", "Paris", "City"},
      {"don\xE2\x80\x99t = Negation", "don\xE2\x80\x99t", "don't", "Negation"},
      {"= City", "", "", "City"},
  };
  for (const Case& c : cases) {
    const ExpectedResult result(c.value);
    EXPECT_EQ(result.text, c.text) << c.value;
    EXPECT_EQ(result.id, c.id) << c.value;
    EXPECT_EQ(result.uri, c.uri) << c.value;
    EXPECT_FALSE(result.found);
  }
}

TEST(ExpectedResult, WholeSentenceKeepsItsBlanksAndStraightensQuotes) {
  const ExpectedResult result(" It\xE2\x80\x99s  New York.", "City");
  EXPECT_EQ(result.text, " It's  New York.");
  EXPECT_EQ(result.id, "It'sNewYork.");
  EXPECT_EQ(result.uri, "City");
}

TEST(ExpectedResult, IdentifierTrimsInPlace) {
  std::string text = "\x01 a\tb c \x0D ";
  EXPECT_EQ(make_string_identifier(text), "abc");
  EXPECT_EQ(text, "a\tb c");
}

TEST(ExpectedResult, DefaultUriOnlyFillsEmptyNames) {
  std::vector<ExpectedResult> list = {ExpectedResult("a"), ExpectedResult("b = Other")};
  set_default_uri(list, "Rule");
  EXPECT_EQ(list[0].uri, "Rule");
  EXPECT_EQ(list[1].uri, "Other");
}

// Concept name and covered text of every collected concept.
std::vector<std::string> collected(const CollectConcepts& concepts) {
  std::vector<std::string> out;
  for (const auto& [found, data] : concepts.concepts) {
    out.push_back(found.uri + "=" + data.text + "|" + data.id);
  }
  return out;
}

TEST(CollectConcepts, CoveredTextsInDocumentOrderWithoutSentenceConcepts) {
  omr::common::testing::ClientDocument doc;
  doc.sentence(0, 20)
      .concept_item(0, 20, "Sentence")
      .concept_item(0, 8, "City", {{"_rule", "x:1"}})
      .token(0, 3, "New")
      .token(4, 8, "York")
      .concept_item(9, 12, "Word")
      .token(9, 12, "is")
      .concept_item(13, 40, "Tail")  // ends beyond the last token
      .token(13, 16, "big");
  doc.sentence(21, 24).concept_item(21, 23, "Go").token(21, 23, "Go");
  const CollectConcepts concepts(doc.document);
  EXPECT_THAT(collected(concepts),
              ElementsAre("City=New York|NewYork", "Word=is|is", "Tail=big|big", "Go=Go|Go"));
  EXPECT_EQ(concepts.concepts[0].second.text, "New York");
  EXPECT_EQ(concepts.concepts[0].first.attributes, (Attributes{{"_rule", "x:1"}}));
}

// One found concept over "New York" for the matching cases.
struct Found {
  std::string uri;
  std::string first_word;
  Attributes attributes;
};

void build(omr::common::testing::ClientDocument& doc, const std::vector<Found>& found) {
  uint32_t at = 0;
  for (const Found& f : found) {
    doc.sentence(at, at + 8)
        .concept_item(at, at + 8, f.uri, f.attributes)
        .token(at, at + 3, f.first_word)
        .token(at + 4, at + 8, "York");
    at += 9;
  }
}

TEST(CollectResults, MatchingByNameTextAndOrigin) {
  const std::string here = "dom/src/a.kav:3";
  struct Case {
    const char* name;
    std::vector<Found> found;
    std::string value;
    std::string location;
    bool expect_found;
    std::vector<std::string> warnings;
  };
  const std::vector<Case> cases = {
      {"blanks do not count", {{"City", "New", {}}}, "New   York = City", here, true, {}},
      {"other text warns, a later match still counts",
       {{"City", "Old", {{"_rule", here}}}, {"City", "New", {{"_rule", here}}}},
       "New York = City",
       here,
       true,
       {"  @match(warning): rule matches also 'Old York' as 'City'."}},
      {"other text only", {{"City", "Old", {}}}, "New York = City", here, false,
       {"  @match(warning): rule matches also 'Old York' as 'City'."}},
      {"other name", {{"Town", "New", {}}}, "New York = City", here, false, {}},
      {"from this rule and another",
       {{"City", "New", {{"_rule", "x/b.kav:9"}, {"_rule", "z/" + here}}}},
       "New York = City",
       here,
       true,
       {"    Found overlapping rule : x/b.kav:9"}},
      {"from another rule only",
       {{"City", "New", {{"_rule", "x/b.kav:9"}}}},
       "New York = City",
       here,
       false,
       {"    Found overlapping rule : x/b.kav:9", "    Rule matches but from rule : [x/b.kav:9,]"}},
      {"no rule information", {{"City", "New", {{"kind", "big"}}}}, "New York = City", here, true,
       {}},
      {"no location: any origin", {{"City", "New", {{"_rule", "x/b.kav:9"}}}}, "New York = City",
       "", true, {}},
      {"filter prefix", {{"kav::filter::Hidden", "New", {}}}, "New York = kav::filter", here,
       true, {}},
      {"prefix only for the filter", {{"Cityscape", "New", {}}}, "New York = City", here, false,
       {}},
      {"no concept name matches only an empty name", {{"City", "New", {}}}, "New York", "",
       false, {}},
  };
  for (const Case& c : cases) {
    omr::common::testing::ClientDocument doc;
    build(doc, c.found);
    const CollectConcepts concepts(doc.document);
    std::vector<ExpectedResult> list = {ExpectedResult(c.value)};
    collect_results(ast::node::Rule(), c.location, list, concepts);
    EXPECT_EQ(list[0].found, c.expect_found) << c.name;
    EXPECT_EQ(list[0].warnings, c.warnings) << c.name;
    EXPECT_EQ(check_for_errors(list), !c.expect_found) << c.name;
  }
}

TEST(CollectResults, NotExpectedRecordsOnlyTheFirstViolation) {
  omr::common::testing::ClientDocument doc;
  build(doc, {{"Sentence", "New", {}}, {"Person", "New", {}}, {"City", "New", {}}});
  const CollectConcepts concepts(doc.document);

  std::vector<NotExpectedResult> list = {NotExpectedResult("Town"), NotExpectedResult("City"),
                                         NotExpectedResult("Person")};
  EXPECT_TRUE(check_for_not_expected_results(ast::node::Rule(), list, concepts));
  EXPECT_THAT(list[0].messages, IsEmpty());
  EXPECT_THAT(list[1].messages, ElementsAre("  @not_expected(failed)found : City;"));
  EXPECT_THAT(list[2].messages, IsEmpty());

  // "Sentence" concepts are never collected.
  std::vector<NotExpectedResult> sentence = {NotExpectedResult("Sentence")};
  EXPECT_FALSE(check_for_not_expected_results(ast::node::Rule(), sentence, concepts));
}

// The diagnostics of one source as "type line code: message".
class Verdicts : public ::testing::Test {
 protected:
  Verdicts() : binding_(&blackboard_) {
    blackboard_.error_code_mask = ~std::uint64_t{0};
    blackboard_.set_source_filename("a.kav");
  }

  std::vector<std::string> lines() {
    std::vector<std::string> out;
    for (const DiagnosticsInfo& info : results::sink("a.kav")) {
      std::ostringstream line;
      line << diagnostic_type_to_string(info) << " " << info.line << " " << info.column << " 0x"
           << std::hex << info.code << ": " << info.message;
      out.push_back(line.str());
    }
    return out;
  }

  Blackboard blackboard_;

 private:
  BlackboardBinding binding_;
};

TEST_F(Verdicts, FailedTestShowsEachResultsStatus) {
  ast::node::Rule rule;
  rule.line = 7;
  TestCase test;
  test.text = "New York and Paris";
  test.dependencies.emplace_back("Paris = Capital");
  test.expected.emplace_back("New York = City");
  test.expected.emplace_back("Paris = City");
  test.not_expected.emplace_back("Person");
  test.not_expected.emplace_back("Town");
  test.dependencies[0].found = true;
  test.expected[0].found = true;
  test.expected[1].warnings = {"  @match(warning): rule matches also 'New York' as 'City'."};
  test.not_expected[0].messages = {"  @not_expected(failed)found : Person;"};

  LOG_TEST_RESULTS(blackboard_, true, rule, "x", test);
  EXPECT_THAT(lines(),
              ElementsAre("error 7 0 0x0: @test(failed): New York and Paris",
                          "error 7 0 0x0:   @dependency(ok): { Paris } = Capital;",
                          "error 7 0 0x0:   @expected(ok): { New York } = City;",
                          "error 7 0 0x0:   @expected(failed): { Paris } = City;",
                          "warning 7 0 0x200:   @match(warning): rule matches also 'New York' "
                          "as 'City'.",
                          "error 7 0 0x0:   @not_expected(failed)found : Person;"));
}

TEST_F(Verdicts, PassedTestIsReportedAsNotes) {
  ast::node::Rule rule;
  rule.line = 4;
  TestCase test;
  test.text = "New York";
  test.expected.emplace_back("New York = City");
  test.expected[0].found = true;
  test.expected[0].warnings = {"    Found overlapping rule : b.kav:2"};
  test.not_expected.emplace_back("Person");

  LOG_TEST_RESULTS(blackboard_, false, rule, "x", test);
  EXPECT_THAT(lines(), ElementsAre("note 4 0 0x0: @test(ok): New York",
                                   "note 4 0 0x0:   @expected(ok): { New York } = City;",
                                   "warning 4 0 0x200:     Found overlapping rule : b.kav:2",
                                   "note 4 0 0x0:   @not_expected(ok): Person; has been filterd."));
}

TEST_F(Verdicts, MaskedCodesHideNotesOfPassedTests) {
  blackboard_.error_code_mask = ~std::uint64_t{0x400};
  ast::node::Rule rule;
  TestCase test;
  test.text = "x";
  LOG_TEST_RESULTS(blackboard_, false, rule, "x", test);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST(StatusMessage, Texts) {
  EXPECT_EQ(status_msg(true), "(ok)");
  EXPECT_EQ(status_msg(false), "(failed)");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
