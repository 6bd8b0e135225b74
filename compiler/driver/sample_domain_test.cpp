// The sample domain of samples/domain: its rule sources compile into a
// domain that the runtime loads and runs over the analysed sample text,
// finding London as a City, Alice as a Person and the sample's company.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/kavero.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/input_stream.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"

namespace zel {
namespace compiler {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kSampleFolder = fs::path(KAVERO_SOURCE_DIR) / "samples" / "domain";
const fs::path kSampleText = fs::path(KAVERO_SOURCE_DIR) / "samples" / "english.txt";
const std::string kLanguageRoot = std::string(KAVERO_BINARY_DIR) + "/testdata/language";

std::vector<fs::path> sample_sources() {
  std::vector<fs::path> sources;
  for (const auto& entry : fs::directory_iterator(kSampleFolder)) {
    if (entry.path().extension() == ".kav") sources.push_back(entry.path());
  }
  std::sort(sources.begin(), sources.end());
  return sources;
}

// Compiles the sample sources as a build pass does, straight through the
// result store, into folder/"d.dom".
void compile_with_result_store(testing::Compilation& compilation) {
  auto store = compilation.store();
  for (const fs::path& source : sample_sources()) {
    SCOPED_TRACE(source.string());
    compilation.blackboard.set_source_filename(source.string());
    ParseResult parsed = parse_kavero_source(compilation.blackboard,
                                             zel::testing::read_file(source), source.string(),
                                             compilation.blackboard.options);
    std::string diagnostics;
    for (const std::string& text : collect_formatted_errors(parsed.sinks)) diagnostics += text + "\n";
    ASSERT_TRUE(parsed.ok) << diagnostics;
    input_stream::visit(compilation.blackboard, parsed.root);
    input_stream::apply(compilation.blackboard, parsed.root);
    store->open(source.string());
    store->collect(parsed.root);
    store->close(source.string());
  }
  store->finalize();
  store.reset();
  compilation.close_database();
}

struct Record : zel_exception {
  Record() { std::memset(static_cast<zel_exception*>(this), 0, sizeof(zel_exception)); }
  std::string text() const { return std::string(message, strnlen(message, sizeof message)); }
};

// Compiles a domain folder into `output` through the C interface with the
// rules' own tests on (test language "english"); returns the report, or
// the empty text (with a failure) when the call raised.
std::string compile_with_rule_tests(const fs::path& domain, const std::string& output) {
  const std::string options = json{{"domains", domain.string()},
                                   {"output_file", output},
                                   {"unit_test", "true"},
                                   {"language", "english"},
                                   {"morvik", kLanguageRoot + "/morvik"}}
                                  .dump();
  Record e;
  const char* report = zel_api_compile_domain(options.c_str(), options.size(), &e);
  EXPECT_EQ(e.code, 0) << e.text();
  return report == nullptr ? std::string() : std::string(report);
}

// Runs the domain `name` over the sample text, analysed with the test
// language, through the C interface; returns the result JSON.
std::string run_sample(const std::string& name) {
  Record e;
  const std::string options =
      json{{"root_path", kLanguageRoot}, {"morvik", kLanguageRoot + "/morvik"}}.dump();
  zel_object* engine = zel_api_get_engine(options.c_str(), options.size(), &e);
  EXPECT_EQ(e.code, 0) << e.text();
  zel_object* analyzer = zel_api_get_analyzer(engine, R"({"language":"english"})", 0, &e);
  EXPECT_EQ(e.code, 0) << e.text();
  zel_object* domain = zel_api_load_domain(engine, name.c_str(), nullptr, 0, &e);
  EXPECT_EQ(e.code, 0) << e.text();
  const std::string text = zel::testing::read_file(kSampleText);
  zel_object* result = zel_api_analyze_document(analyzer, text.data(), text.size(), nullptr, 0, &e);
  EXPECT_EQ(e.code, 0) << e.text();
  std::string out;
  if (domain != nullptr && result != nullptr) {
    zel_api_domain_process(domain, result, &e);
    EXPECT_EQ(e.code, 0) << e.text();
    size_t length = 0;
    const char* printed = zel_api_get_result_json_buffer(result, &length, &e);
    if (printed != nullptr) out.assign(printed, length);
  }
  for (zel_object* handle : {result, domain, analyzer, engine}) {
    if (handle != nullptr) zel_api_dec_ref(handle, nullptr);
  }
  return out;
}

// The concepts of a result JSON other than sentences, each as its name,
// the text it covers and its attributes ("City London country=GB").
std::vector<std::string> concepts_of(const std::string& result, const std::string& text) {
  std::vector<std::string> found;
  const json document = json::parse(result);
  for (const json& sentence : document.at("sentences")) {
    for (const json& annotation : sentence.at(3)) {
      if (annotation.at(0) != 2 || annotation.at(3) == "Sentence") continue;
      const size_t begin = annotation.at(1).get<size_t>();
      const size_t end = annotation.at(2).get<size_t>();
      std::string line =
          annotation.at(3).get<std::string>() + " " + text.substr(begin, end - begin);
      for (const auto& [key, values] : annotation.at(4).items()) {
        for (const json& value : values) line += " " + key + "=" + value.get<std::string>();
      }
      found.push_back(line);
    }
  }
  return found;
}

// Every concept the sample domain finds in the sample text, with the
// attributes of its lexicons, rules, captures and on statement.
const std::vector<std::string> kSampleConcepts = {
    "Person Alice category=human kind=first_name",
    "City London country=GB",
    "Employment Alice Smith works for Northwind Bank",
    "Person Alice Smith category=human kind=full_name",
    "GivenName Alice part=first",
    "FamilyName Smith part=last",
    "Company Northwind Bank kind=named",
    "CompanyName Northwind part=name",
    "City Paris country=FR",
};

TEST(SampleDomain, CompiledThroughTheResultStoreItFindsCitiesPersonsAndCompanies) {
  testing::Compilation compilation("{}");
  compile_with_result_store(compilation);
  zel::testing::ScratchFolder folder;
  fs::copy_file(compilation.dom(), folder.path() / "domain.dom");
  fs::copy_file(kSampleFolder / "domain.dom_info", folder.path() / "domain.dom_info");
  const std::string result = run_sample(folder.str("domain.dom"));
  EXPECT_THAT(concepts_of(result, zel::testing::read_file(kSampleText)),
              ::testing::ElementsAreArray(kSampleConcepts))
      << result;
}

// The names of the entries of a folder, sorted.
std::vector<std::string> listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// As the main job does it: compiled by the C interface into another
// folder, beside a copy of the description.
TEST(SampleDomain, CompiledByTheCInterfaceItFindsCitiesPersonsAndCompanies) {
  const std::vector<std::string> before = listing(kSampleFolder);
  zel::testing::ScratchFolder folder;
  const std::string options =
      json{{"domains", kSampleFolder.string()}, {"output_file", folder.str("domain.dom")}}.dump();
  Record e;
  const char* report = zel_api_compile_domain(options.c_str(), options.size(), &e);
  ASSERT_EQ(e.code, 0) << e.text();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(json::parse(report).value("return", false), true) << report;
  EXPECT_EQ(json::parse(report)["sink"], json::object()) << report;  // not even a warning
  EXPECT_EQ(listing(kSampleFolder), before);  // nothing written beside the sources
  fs::copy_file(kSampleFolder / "domain.dom_info", folder.path() / "domain.dom_info");
  const std::string result = run_sample(folder.str("domain.dom"));
  EXPECT_THAT(concepts_of(result, zel::testing::read_file(kSampleText)),
              ::testing::ElementsAreArray(kSampleConcepts))
      << result;
}

// Every rule of the sample carries its own test ("@test:" and "@expected:"
// lines); all of them pass against the compiled domain.
TEST(SampleDomain, TheRulesOwnTestsPass) {
  zel::testing::ScratchFolder folder;
  const std::string report = compile_with_rule_tests(kSampleFolder, folder.str("domain.dom"));
  ASSERT_FALSE(report.empty());
  const json parsed = json::parse(report);
  EXPECT_EQ(parsed.value("return", false), true) << report;
  EXPECT_EQ(parsed["sink"]["app"].dump(),
            R"([{"code":0,"msg":"TestResult: 4 rules, 4 tests, 0 failed","type":"note"}])")
      << report;
}

// A copy of the sample whose expectation no rule meets: the compilation
// fails, the summary counts the failed test, and the source's report holds
// the failed test's error lines.
TEST(SampleDomain, ABrokenExpectationFailsWithTheTestsErrorLines) {
  zel::testing::ScratchFolder folder;
  const fs::path copy = folder.path() / "sample";
  fs::copy(kSampleFolder, copy);
  std::string text = zel::testing::read_file(copy / "companies.kav");
  const std::string expected = "@expected: Northwind Bank = Company";
  ASSERT_NE(text.find(expected), std::string::npos);
  text.replace(text.find(expected), expected.size(), "@expected: Bank = Company");
  folder.write("sample/companies.kav", text);

  const std::string report = compile_with_rule_tests(copy, folder.str("domain.dom"));
  ASSERT_FALSE(report.empty());
  const json parsed = json::parse(report);
  EXPECT_EQ(parsed.value("return", true), false) << report;
  EXPECT_EQ(parsed["sink"]["app"].dump(),
            R"([{"code":0,"msg":"TestResult: 4 rules, 4 tests, 1 failed","type":"note"}])")
      << report;
  std::string errors;
  for (const auto& [source, entries] : parsed["sink"].items()) {
    if (source == "app") continue;
    for (const json& entry : entries) {
      if (entry.value("type", "") == "error") errors += entry.value("msg", "") + "\n";
    }
  }
  EXPECT_NE(errors.find("(failed)"), std::string::npos) << report;
  EXPECT_NE(errors.find("Bank"), std::string::npos) << report;
  // The domain itself was built completely, so it stays for its tests.
  EXPECT_TRUE(fs::exists(folder.path() / "domain.dom"));
}

// A copy of the sample folder, loaded by its name, is compiled on load.
TEST(SampleDomain, ACopyOfTheFolderIsCompiledOnLoad) {
  zel::testing::ScratchFolder folder;
  const fs::path copy = folder.path() / "sample";
  fs::copy(kSampleFolder, copy);
  const std::string result = run_sample(copy.string());
  EXPECT_TRUE(fs::exists(copy / "domain.dom"));
  EXPECT_THAT(concepts_of(result, zel::testing::read_file(kSampleText)),
              ::testing::ElementsAreArray(kSampleConcepts))
      << result;
}

}  // namespace
}  // namespace compiler
}  // namespace zel
