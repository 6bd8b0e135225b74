#include "compiler/driver/statement_decorators.h"

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/options.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct Source {
  std::string name;  // under the scratch folder
  std::string text;
};

// Compiles the sources through the result store into the scratch folder's
// domain, then runs the rule tests over them as the compile driver does,
// each source made the current one in turn. Diagnostics of the test run
// are kept by source as "type line code: message".
class RuleTests {
 public:
  explicit RuleTests(const nlohmann::json& options = {{"language", "english"}})
      : compilation_(with_morvik(options)) {
    mask(~std::uint64_t{0});
  }

  // Returns whether the build recorded no error.
  bool build(const std::vector<Source>& sources) {
    for (const Source& source : sources) {
      const std::string path = compilation_.folder.str(source.name);
      compilation_.blackboard.set_source_filename(path);
      ParseResult parsed =
          parse_kavero_source(compilation_.blackboard, source.text, path, nullptr);
      if (!parsed.ok) return false;
      parsed_.emplace_back(path, std::move(parsed.root));
    }
    {
      auto store = compilation_.store();
      for (const auto& [path, root] : parsed_) {
        compilation_.blackboard.set_source_filename(path);
        store->open(path);
        store->collect(root);
        store->close(path);
      }
      store->finalize();
    }
    compilation_.close_database();
    const bool ok = !results::has_errors();
    compilation_.blackboard.domain_file = compilation_.dom();
    compilation_.blackboard.diagnostics->reset();
    return ok;
  }

  void run() {
    std::shared_ptr<DomainBuilderInterface> runner =
        get_visitor_statement_decorator(compilation_.blackboard);
    for (const auto& [path, root] : parsed_) {
      compilation_.blackboard.set_source_filename(path);
      runner->open(path);
      runner->collect(root);
      runner->close(path);
    }
    runner->finalize();
  }

  std::vector<std::string> lines(const std::string& sink) {
    const std::string key = sink == "app" ? sink : compilation_.folder.str(sink);
    std::vector<std::string> out;
    for (const DiagnosticsInfo& info : (*compilation_.blackboard.diagnostics)[key]) {
      std::ostringstream line;
      line << diagnostic_type_to_string(info) << " " << info.line << " 0x" << std::hex
           << info.code << ": " << info.message;
      out.push_back(anonymous(line.str()));
    }
    return out;
  }

  // The codes reported: every bit outside is masked.
  void mask(std::uint64_t codes) { compilation_.blackboard.error_code_mask = codes; }

  // The text with the scratch folder's place written as "<dir>".
  std::string anonymous(std::string text) {
    const std::string id = get_debug_id(compilation_.folder.str("a.kav"));
    const std::string folder = id.substr(0, id.size() - std::string("a.kav").size());
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
      text.replace(at, folder.size(), "<dir>/");
    }
    return text;
  }

 private:
  static std::string with_morvik(nlohmann::json options) {
    options["morvik"] = zel::testing::test_language_folder().string();
    options["update_lexicons"] = "none";
    return options.dump();
  }

  testing::Compilation compilation_;
  std::vector<std::pair<std::string, ast::node::Root>> parsed_;
};

const char kCityRule[] = "rule:{ <\"New\"> <\"York\"> } = City;\n";

std::string summary(int rules, int tests, int failed) {
  return "note -1 0x0: TestResult: " + std::to_string(rules) + " rules, " +
         std::to_string(tests) + " tests, " + std::to_string(failed) + " failed";
}

std::string missing(int line, const std::string& name) {
  return "error " + std::to_string(line) + " 0x0:  Concept '" + name +
         "' is not found in project or in the dependencies of the project or you meant '" +
         name + "' to be a literal or a stem.";
}

TEST(RuleTestRunner, DecoratorsAndTheirDiagnostics) {
  struct Case {
    const char* name;
    std::vector<Source> sources;
    std::vector<std::string> a;    // diagnostics of a.kav
    std::vector<std::string> app;  // application diagnostics
  };
  const std::vector<Case> cases = {
      {"no decorators: the rules are counted",
       {{"a.kav", std::string(kCityRule) + "rule:{ City <\"rocks\"> } = Claim;\n"}},
       {},
       {summary(2, 0, 0)}},
      {"no rules", {{"a.kav", "define:x = y;\n"}}, {}, {summary(0, 0, 0)}},
      {"a test without expectations expects its whole sentence",
       {{"a.kav", "@test: New York\n" + std::string(kCityRule)}},
       {"note 2 0x0: @test(ok): New York", "note 2 0x0:   @expected(ok): { New York } = City;"},
       {summary(1, 1, 0)}},
      {"an expectation belongs to the last test",
       {{"a.kav", "@test: New York\n@test: I saw New York\n@expected: New York\n" +
                      std::string(kCityRule)}},
       {"note 4 0x0: @test(ok): New York", "note 4 0x0:   @expected(ok): { New York } = City;",
        "note 4 0x0: @test(ok): I saw New York",
        "note 4 0x0:   @expected(ok): { New York } = City;"},
       {summary(1, 2, 0)}},
      {"expectations before any test are ignored",
       {{"a.kav", "@expected: York = City\n@not_expected: City\n@test: New York\n" +
                      std::string(kCityRule)}},
       {"note 4 0x0: @test(ok): New York", "note 4 0x0:   @expected(ok): { New York } = City;"},
       {summary(1, 1, 0)}},
      {"stem off disables tests until stem on",
       {{"a.kav", "@stem: off\n@test: New York\n@expected: York = City\n@stem: on\n" +
                      std::string(kCityRule)}},
       {"warning 2 0x100: Test disabled: 'New York'"},
       {summary(1, 0, 0)}},
      {"not_expected takes one name; the error is at its line and the test still runs",
       {{"a.kav", "@test: New York\n@not_expected: Town = x\n@not_expected: Two words\n"
                  "@not_expected: Town\n" +
                      std::string(kCityRule)}},
       {"error 2 0x0: Invalid test statement '@not_expected' only accepts a URI, ex: "
        "'@not_expected: Person'",
        "error 3 0x0: Invalid test statement '@not_expected' only accepts a URI, ex: "
        "'@not_expected: Person'",
        "note 5 0x0: @test(ok): New York", "note 5 0x0:   @expected(ok): { New York } = City;",
        "note 5 0x0:   @not_expected(ok): Town; has been filterd."},
       {summary(1, 1, 0)}},
      {"another language before the test rejects it silently",
       {{"a.kav", "@language: german\n@test: New York\n@expected: York = City\n" +
                      std::string(kCityRule)}},
       {},
       {summary(1, 0, 0)}},
      {"another language after the test withdraws it",
       {{"a.kav", "@test: New York\n@language: german\n@expected: York = City\n" +
                      std::string(kCityRule)}},
       {"warning 2 0x100: Test disabled: 'New York'"},
       {summary(1, 0, 0)}},
      {"the compile language keeps the test",
       {{"a.kav", "@language: english\n@test: New York\n@language: english\n" +
                      std::string(kCityRule)}},
       {"note 4 0x0: @test(ok): New York", "note 4 0x0:   @expected(ok): { New York } = City;"},
       {summary(1, 1, 0)}},
      {"unknown concepts are reported also for rules without tests; Sentence is known",
       {{"a.kav", std::string(kCityRule) +
                      "rule:{ Person Sentence City Zone[ Area <\"a\"> ] } = Claim;\n"}},
       {missing(2, "Area"), missing(2, "Person"), missing(2, "Zone")},
       {summary(2, 0, 0)}},
      {"tests after the last rule of a source are dropped there",
       {{"a.kav", std::string(kCityRule) + "@test: New York\n@expected: York = City\n"},
        {"b.kav", "rule:{ <\"York\"> } = Town;\n"}},
       {"warning 2 0x100: Test disabled: 'New York'"},
       {summary(2, 0, 0)}},
      {"a dependency is found whichever rule made it",
       {{"a.kav", std::string(kCityRule) + "@test: New York rocks\n@dependency: New York = City\n"
                                           "rule:{ City <\"rocks\"> } = Claim;\n"}},
       {"note 4 0x0: @test(ok): New York rocks",
        "note 4 0x0:   @dependency(ok): { New York } = City;",
        "note 4 0x0:   @expected(ok): { New York rocks } = Claim;"},
       {summary(2, 1, 0)}},
  };
  for (const Case& c : cases) {
    RuleTests tests;
    tests.mask(~std::uint64_t{0});
    ASSERT_TRUE(tests.build(c.sources)) << c.name;
    tests.run();
    EXPECT_THAT(tests.lines("a.kav"), ElementsAreArray(c.a)) << c.name;
    EXPECT_THAT(tests.lines("app"), ElementsAreArray(c.app)) << c.name;
  }
}

TEST(RuleTestRunner, FailedTestShowsItsAnalysis) {
  const std::string source =
      "@test: New York\n"
      "@test: I saw New York\n"
      "@expected: saw = City\n"
      "@not_expected: City\n" +
      std::string(kCityRule);
  const std::vector<std::string> verdicts = {
      "note 5 0x0: @test(ok): New York",
      "note 5 0x0:   @expected(ok): { New York } = City;",
      "error 5 0x0: @test(failed): I saw New York",
      "error 5 0x0:   @expected(failed): { saw } = City;",
      "warning 5 0x200:   @match(warning): rule matches also 'New York' as 'City'.",
      "error 5 0x0:   @not_expected(failed)found : City;",
      "error 5 0x0:   @match(failed): rule:{ \"New\" \"York\" }= City ",
  };
  struct Case {
    bool tag_output;
    std::string analysis;
  };
  const Case cases[] = {
      {false,
       "error 5 0x0: \n"
       "  s(0,14)\n"
       "   {Sentence @ header=true; \n"
       "    t(0,1) \"I\" (init-cap, init-token, word)['I':Pron-Pers]\n"
       "    t(2,5) \"saw\" (word)['see':V-Past]\n"
       "   {City @ _domain=<dir>/d.dom; _rule=file://<dir>/a.kav:5; \n"
       "    t(6,9) \"New\" (init-cap, word)['new':Adj]\n"
       "    t(10,14) \"York\" (init-cap, word)['York':Prop-Std]\n"
       "   }City }Sentence\n"},
      {true,
       "error 5 0x0: \n"
       "  s(0,14)\n"
       "   {<uri>Sentence</uri> @ <default>header=true; </default>\n"
       "    t(0,1) \"<literal>I</literal>\" (init-cap, init-token, word)"
       "['<stem>I</stem>':Pron-Pers]\n"
       "    t(2,5) \"<literal>saw</literal>\" (word)['<stem>see</stem>':V-Past]\n"
       "   {<uri>City</uri> @ <default>_domain=<dir>/d.dom; _rule=file://<dir>/a.kav:5; "
       "</default>\n"
       "    t(6,9) \"<literal>New</literal>\" (init-cap, word)['<stem>new</stem>':Adj]\n"
       "    t(10,14) \"<literal>York</literal>\" (init-cap, word)"
       "['<stem>York</stem>':Prop-Std]\n"
       "   }City }Sentence\n"},
  };
  for (const Case& c : cases) {
    RuleTests tests({{"language", "english"}, {"tag_output", c.tag_output ? "true" : "false"}});
    ASSERT_TRUE(tests.build({{"a.kav", source}}));
    tests.run();
    std::vector<std::string> expected = verdicts;
    expected.push_back(c.analysis);
    EXPECT_THAT(tests.lines("a.kav"), ElementsAreArray(expected)) << c.tag_output;
    EXPECT_THAT(tests.lines("app"), ElementsAre(summary(1, 2, 1)));
  }
}

TEST(RuleTestRunner, MaskedCodesHideNotesButNotTheFailure) {
  RuleTests tests;
  tests.mask(~std::uint64_t{0x400 | 0x200 | 0x800});
  ASSERT_TRUE(tests.build({{"a.kav", "@test: New York\n@test: York\n" + std::string(kCityRule) +
                                         "rule:{ Person } = Claim;\n"}}));
  tests.run();
  EXPECT_THAT(tests.lines("a.kav"),
              ElementsAre("error 3 0x0:   @match(failed): rule:{ \"New\" \"York\" }= City "));
  EXPECT_THAT(tests.lines("app"), ElementsAre(summary(2, 2, 1)));
}

TEST(RuleTestRunner, WithoutACompileLanguageNoTestRuns) {
  RuleTests tests(nlohmann::json::object());
  ASSERT_TRUE(tests.build({{"a.kav", "@test: New York\n" + std::string(kCityRule) +
                                         "rule:{ Person } = Claim;\n"}}));
  tests.run();
  EXPECT_THAT(tests.lines("a.kav"), IsEmpty());
  EXPECT_THAT(tests.lines("app"),
              ElementsAre("error -1 0x0: The rule tests need the compile option \"language\"; "
                          "no rule test was run."));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
