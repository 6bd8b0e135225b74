// The C interface's domain, compilation, language-identification, filter,
// version and pipeline functions, called as a host calls them.

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/kavero.h"
#include "api/result_texts.h"
#include "base/scratch_folder_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace api {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const std::string kMorvik = std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik";

struct Record : zel_exception {
  Record() { std::memset(static_cast<zel_exception*>(this), 0, sizeof(zel_exception)); }
  std::string text() const { return std::string(message, strnlen(message, sizeof message)); }
};

// Handles released at the end of a test.
class Services : public ::testing::Test {
 protected:
  ~Services() override {
    for (auto it = handles_.rbegin(); it != handles_.rend(); ++it) zel_api_dec_ref(*it, nullptr);
  }
  zel_object* keep(zel_object* h) {
    if (h != nullptr) handles_.push_back(h);
    return h;
  }
  zel_object* engine() {
    if (engine_ == nullptr) {
      Record e;
      const std::string options =
          json{{"root_path", std::string(KAVERO_BINARY_DIR) + "/testdata/language"},
               {"morvik", kMorvik}}
              .dump();
      engine_ = keep(zel_api_get_engine(options.c_str(), options.size(), &e));
      EXPECT_EQ(e.code, 0) << e.text();
    }
    return engine_;
  }
  zel_object* analyse(const std::string& text) {
    Record e;
    zel_object* a = keep(zel_api_get_analyzer(engine(), R"({"language":"english"})", 0, &e));
    zel_object* r = keep(zel_api_analyze_document(a, text.data(), text.size(), nullptr, 0, &e));
    EXPECT_EQ(e.code, 0) << e.text();
    return r;
  }
  static std::string result_json(zel_object* result) {
    Record e;
    size_t length = 0;
    const char* text = zel_api_get_result_json_buffer(result, &length, &e);
    EXPECT_EQ(e.code, 0) << e.text();
    return text == nullptr ? std::string("(null)") : std::string(text, length);
  }

  zel::testing::ScratchFolder folder_;

 private:
  std::vector<zel_object*> handles_;
  zel_object* engine_ = nullptr;
};

using ConceptList = int (*)(const char*, char*, int*, zel_exception*);

TEST_F(Services, ConceptListsOfCompiledDomains) {
  const std::string two = (folder_.path() / "two.dom").string();
  kavero::testing::write_compiled_domain("capture B A\n", two);
  const std::string none = (folder_.path() / "none.dom").string();
  kavero::testing::write_compiled_domain("", none);
  // A name that JSON must escape.
  const std::string odd = (folder_.path() / "odd.dom").string();
  kavero::testing::write_compiled_domain("capture Q\\x\n", odd);

  struct Case {
    const char* form;
    ConceptList list;
    std::string domain;
    int size;
    int answer;
    int size_after;
    std::string text;  // written when the answer is 1
  };
  const ConceptList comma = zel_api_get_domain_concept_list;
  const ConceptList array = zel_api_get_domain_concepts;
  const std::vector<Case> cases = {
      {"comma", comma, two, 4, 0, 5, ""},
      {"comma", comma, two, 5, 1, 3, "A,B"},
      {"json", array, two, 10, 0, 11, ""},
      {"json", array, two, 11, 1, 9, R"(["A","B"])"},
      {"comma", comma, none, 1, 1, 0, ""},
      {"comma", comma, none, 0, 0, 1, ""},
      {"json", array, none, 2, 0, 3, ""},
      {"json", array, none, 3, 1, 2, "[]"},
      // The count is of the escaped text.
      {"json", array, odd, 9, 0, 10, ""},
      {"json", array, odd, 10, 1, 8, R"(["Q\\x"])"},
      {"comma", comma, odd, 4, 0, 5, ""},
      {"comma", comma, odd, 5, 1, 3, "Q\\x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.form) + " " + c.domain + " " + std::to_string(c.size));
    std::vector<char> buffer(32, '#');
    int size = c.size;
    Record e;
    EXPECT_EQ(c.list(c.domain.c_str(), buffer.data(), &size, &e), c.answer);
    EXPECT_EQ(e.code, 0) << e.text();
    EXPECT_EQ(size, c.size_after);
    if (c.answer == 1) {
      EXPECT_EQ(std::string(buffer.data(), strnlen(buffer.data(), buffer.size())), c.text);
    } else {
      EXPECT_EQ(buffer[0], '#');
    }
    // The JSON form parses.
    if (c.answer == 1 && std::string(c.form) == "json") {
      EXPECT_TRUE(json::parse(c.text).is_array());
    }
  }

  for (ConceptList list : {comma, array}) {
    std::vector<char> buffer(8, '#');
    Record e;
    // A null size answers 0 at once.
    EXPECT_EQ(list(two.c_str(), buffer.data(), nullptr, &e), 0);
    EXPECT_EQ(e.code, 0);
    // A domain that does not exist: 0, buffer and size untouched.
    int size = 8;
    const std::string missing = (folder_.path() / "missing.dom").string();
    EXPECT_EQ(list(missing.c_str(), buffer.data(), &size, &e), 0);
    EXPECT_EQ(e.code, 1) << e.text();
    EXPECT_EQ(size, 8);
    EXPECT_EQ(buffer[0], '#');
  }
}

TEST_F(Services, DomainInfo) {
  Record e;
  zel_object* domain = keep(zel_api_load_domain(engine(), "demo", nullptr, 0, &e));
  ASSERT_NE(domain, nullptr) << e.text();
  const char* info = zel_api_domain_info(domain, &e);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(e.code, 0) << e.text();
  EXPECT_EQ(json::parse(info)["dom"]["run_order"], json::array({kMorvik + "/demo.dom"})) << info;

  Record failed;
  info = zel_api_domain_info(nullptr, &failed);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info, "");
  EXPECT_EQ(failed.code, 4);
}

TEST_F(Services, CompilationReturnsTheReport) {
  folder_.write("good/a.kav", "rule:{ <\"Alice\"> } = Person;\n");
  const fs::path bad = folder_.write("bad/a.kav", "rule:{ <\"Alice\" } = Person;\n");
  Record e;
  std::string options = json{{"domains", folder_.str("good")}}.dump();
  const char* report = zel_api_compile_domain(options.data(), options.size(), &e);
  ASSERT_NE(report, nullptr) << e.text();
  EXPECT_EQ(e.code, 0) << e.text();
  EXPECT_EQ(json::parse(report), json::parse(R"({"return":true,"sink":{}})"));
  EXPECT_TRUE(fs::exists(folder_.path() / "good" / "domain.dom"));

  options = json{{"domains", folder_.str("bad")}}.dump();
  report = zel_api_compile_domain(options.data(), options.size(), &e);
  ASSERT_NE(report, nullptr) << e.text();
  const json failed = json::parse(report);
  EXPECT_EQ(failed["return"], false);
  EXPECT_TRUE(failed["sink"].contains(bad.string())) << report;
  EXPECT_FALSE(fs::exists(folder_.path() / "bad" / "domain.dom"));
}

TEST_F(Services, ADomainFolderIsCompiledWhenItIsLoaded) {
  folder_.write("people/a.kav", "rule:{ <\"Alice\"> } = Person;\n");
  folder_.write("people/domain.dom_info", R"({"concepts": ["Person"]})");
  Record e;
  zel_object* domain =
      keep(zel_api_load_domain(engine(), folder_.str("people").c_str(), nullptr, 0, &e));
  ASSERT_NE(domain, nullptr) << e.text();
  EXPECT_TRUE(fs::exists(folder_.path() / "people" / "domain.dom"));
  zel_object* result = analyse("Alice came home.");
  ASSERT_EQ(zel_api_domain_process(domain, result, &e), result) << e.text();
  EXPECT_NE(result_json(result).find("\"Person\""), std::string::npos) << result_json(result);
}

TEST_F(Services, ADomainFolderThatDoesNotCompileCannotBeLoaded) {
  folder_.write("people/a.kav", "rule:{ <\"Alice\" } = Person;\n");
  Record e;
  EXPECT_EQ(zel_api_load_domain(engine(), folder_.str("people").c_str(), nullptr, 0, &e), nullptr);
  EXPECT_NE(e.code, 0);
  const std::string message = e.text();
  EXPECT_EQ(message.rfind("Cannot build domain:" + folder_.str("people") + ":\n", 0), 0u) << message;
  EXPECT_NE(message.find("a.kav"), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(folder_.path() / "people" / "domain.dom"));
}

TEST_F(Services, TokenizerRulesAreCompiledIntoTheirCacheFile) {
  const fs::path rules = folder_.path() / "english.tokenizer";
  fs::copy_file(kMorvik + "/english.tokenizer", rules);
  Record e;
  zel_api_compile_tokenizer_file(rules.string().c_str(), &e);
  EXPECT_EQ(e.code, 0) << e.text();
  EXPECT_TRUE(fs::exists(rules.string() + "_cache"));
  EXPECT_GT(fs::file_size(rules.string() + "_cache"), 0u);

  Record missing;
  zel_api_compile_tokenizer_file((folder_.path() / "none.tokenizer").string().c_str(), &missing);
  EXPECT_NE(missing.code, 0);
}

TEST_F(Services, LanguageIdentification) {
  Record e;
  zel_object* lid = keep(zel_api_get_lid_engine(engine(), nullptr, 0, &e));
  ASSERT_NE(lid, nullptr) << e.text();
  const std::string text = "The dog and the cat were in the house with the children.";
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  const size_t length =
      zel_api_language_identification(lid, text.data(), text.size(), buffer, sizeof buffer, &e);
  EXPECT_EQ(e.code, 0) << e.text();
  const std::string answer(buffer, length);
  ASSERT_EQ(answer.size(), 7u) << answer;
  // An answer of 7 bytes into one byte: one byte copied, no terminator, 7.
  char one[2] = {'#', '#'};
  EXPECT_EQ(zel_api_language_identification(lid, text.data(), text.size(), one, 1, &e), 7u);
  EXPECT_EQ(one[0], answer[0]);
  EXPECT_EQ(one[1], '#');

  zel_object* section =
      keep(zel_api_language_identification_section(lid, text.data(), text.size(), &e));
  ASSERT_NE(section, nullptr) << e.text();
  const char* sections = zel_api_language_identification_section_json(section, nullptr);
  ASSERT_NE(sections, nullptr);
  EXPECT_NO_THROW(json::parse(sections)) << sections;
  EXPECT_EQ(zel_api_language_identification_section_json(section, nullptr), sections);

  // A text pointer that is null with a length.
  Record null_text;
  EXPECT_EQ(zel_api_language_identification(lid, nullptr, 3, buffer, sizeof buffer, &null_text),
            0u);
  EXPECT_EQ(null_text.code, 4);
}

TEST_F(Services, OutputFilters) {
  Record e;
  zel_object* domain = keep(zel_api_load_domain(engine(), "demo", nullptr, 0, &e));
  ASSERT_NE(domain, nullptr) << e.text();
  zel_object* result = analyse("Alice visited London.");
  ASSERT_EQ(zel_api_domain_process(domain, result, &e), result) << e.text();
  const std::string before = result_json(result);
  ASSERT_NE(before.find("\"Person\""), std::string::npos) << before;
  ASSERT_NE(before.find("\"City\""), std::string::npos) << before;

  // A null filter handle leaves the result as it was.
  EXPECT_EQ(zel_api_filter_process(nullptr, result, &e), result);
  EXPECT_EQ(result_json(result), before);

  const std::string text = "City|Person|Town";
  zel_object* filter = keep(zel_api_create_filter(text.data(), text.size(), &e));
  ASSERT_NE(filter, nullptr) << e.text();
  size_t length = 0;
  EXPECT_STREQ(zel_api_filter_info(filter, &length, &e), "City|Person|Town");
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(filter_info_data, "City|Person|Town");

  zel_object* cities = keep(zel_api_create_filter("City", 4, &e));
  // The filter takes away only what it does not name: here the sentence
  // concept.
  EXPECT_EQ(zel_api_filter_process(filter, result, &e), result);
  std::string without_sentence = before;
  const std::string sentence = R"([2,0,21,"Sentence",{}],)";
  ASSERT_NE(without_sentence.find(sentence), std::string::npos) << before;
  without_sentence.erase(without_sentence.find(sentence), sentence.size());
  EXPECT_EQ(result_json(result), without_sentence);
  EXPECT_EQ(zel_api_filter_process(cities, result, &e), result);
  const std::string after = result_json(result);
  EXPECT_EQ(after.find("\"Person\""), std::string::npos) << after;
  EXPECT_NE(after.find(R"([2,14,20,"City",{}])"), std::string::npos) << after;
  // A second filter that accepts Person brings nothing back.
  EXPECT_EQ(zel_api_filter_process(filter, result, &e), result);
  EXPECT_EQ(result_json(result), after);
  EXPECT_EQ(e.code, 0) << e.text();

  Record bad;
  EXPECT_EQ(zel_api_create_filter("a(", 2, &bad), nullptr);
  EXPECT_NE(bad.code, 0);
  Record null_result;
  EXPECT_EQ(zel_api_filter_process(filter, nullptr, &null_result), nullptr);
  EXPECT_EQ(null_result.code, 4);
}

TEST_F(Services, VersionFormats) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {{"1.2.3", true}, {"1.2.3.4", false}, {"7", true},     {"latest", true},
               {"dev", true},   {"1.x", false},     {"", false},     {"1.2", true}};
  for (const auto& c : cases) {
    Record e;
    EXPECT_EQ(zel_api_is_valid_version_format(c.text, std::strlen(c.text), &e), c.valid)
        << c.text;
    EXPECT_EQ(e.code, 0);
  }
  Record e;
  EXPECT_FALSE(zel_api_is_valid_version_format(nullptr, 2, &e));
  EXPECT_EQ(e.code, 4);
}

TEST_F(Services, PipelineExpansion) {
  const fs::path a = folder_.folder("a");
  const fs::path b = folder_.folder("b");
  folder_.file("a/one.dom");
  folder_.file("b/two.dom");
  // A folder, two colons, a second folder and a trailing colon: the two
  // folders only.
  const std::string folders = a.string() + "::" + b.string() + ":";
  const std::string pipeline = "one,two";
  Record e;
  const char* expanded =
      zel_api_expand_pipeline(pipeline.data(), pipeline.size(), folders.data(), folders.size(),
                              true, true, nullptr, 0, &e);
  ASSERT_NE(expanded, nullptr);
  EXPECT_EQ(e.code, 0) << e.text();
  EXPECT_EQ(expanded, pipline_data.c_str());
  const json components = json::parse(expanded);
  ASSERT_EQ(components.size(), 2u) << expanded;
  EXPECT_EQ(components[0]["filename"], (a / "one.dom").string());
  EXPECT_EQ(components[1]["filename"], (b / "two.dom").string());

  // A component of an unknown kind: the empty text and a JSON message.
  const std::string unknown = folder_.file("notes.txt").string();
  Record failed;
  expanded = zel_api_expand_pipeline(unknown.data(), unknown.size(), folders.data(),
                                     folders.size(), true, true, "", 0, &failed);
  ASSERT_NE(expanded, nullptr);
  EXPECT_STREQ(expanded, "");
  EXPECT_EQ(pipline_data, "");
  EXPECT_EQ(failed.code, 5);
  const json message = json::parse(failed.text());
  EXPECT_EQ(message["exception_type"], "pipeline_error");
  EXPECT_EQ(message["name"], unknown);
}

}  // namespace
}  // namespace api
}  // namespace zel
