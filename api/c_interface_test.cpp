// The C interface as a host drives it: handles, the error record, the
// return conventions and the engine, analyzer, domain and result functions,
// over the test language and the demo domain of the build tree.

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/guarded.h"
#include "api/kavero.h"
#include "api/object.h"
#include "api/result_texts.h"
#include "api/return_conventions.h"
#include "base/exception.h"
#include "base/json_exception.h"

namespace zel {
namespace api {
namespace {

const std::string kMorvik = std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik";

std::string engine_options() {
  return nlohmann::json{{"root_path", std::string(KAVERO_BINARY_DIR) + "/testdata/language"},
                        {"morvik", kMorvik}}
      .dump();
}

// A fresh, zeroed record.
struct Record : zel_exception {
  Record() { std::memset(static_cast<zel_exception*>(this), 0, sizeof(zel_exception)); }
  std::string text() const { return std::string(message, strnlen(message, sizeof message)); }
};

// Handles released at the end of a test, in the order made.
class Host : public ::testing::Test {
 protected:
  ~Host() override {
    for (zel_object* h : handles_) zel_api_dec_ref(h, nullptr);
  }
  zel_object* keep(zel_object* h) {
    if (h != nullptr) handles_.push_back(h);
    return h;
  }
  zel_object* engine() {
    if (engine_ == nullptr) {
      Record e;
      const std::string options = engine_options();
      engine_ = keep(zel_api_get_engine(options.c_str(), options.size(), &e));
      EXPECT_EQ(e.code, 0) << e.text();
    }
    return engine_;
  }
  zel_object* analyzer(const char* options = R"({"language":"english"})") {
    Record e;
    zel_object* a = keep(zel_api_get_analyzer(engine(), options, 0, &e));
    EXPECT_EQ(e.code, 0) << e.text();
    return a;
  }
  zel_object* analyse(zel_object* a, const std::string& text, const char* options = nullptr) {
    Record e;
    zel_object* r = keep(zel_api_analyze_document(a, text.data(), text.size(), options, 0, &e));
    EXPECT_EQ(e.code, 0) << e.text();
    return r;
  }
  static std::string json(zel_object* result) {
    Record e;
    size_t length = 0;
    const char* text = zel_api_get_result_json_buffer(result, &length, &e);
    EXPECT_EQ(e.code, 0) << e.text();
    return text == nullptr ? std::string("(null)") : std::string(text, length);
  }

 private:
  std::vector<zel_object*> handles_;
  zel_object* engine_ = nullptr;
};

TEST(ErrorRecord, OneCodePerExceptionClass) {
  struct Case {
    const char* name;
    void (*raise)();
    int32_t code;
    const char* message;
  } const cases[] = {
      {"JSON", [] { throw JSONThrowException(R"({"a":1})"); }, 5, R"({"a":1})"},
      {"library", [] { throw Exception(std::ostringstream("lib")); }, 1, "lib"},
      {"runtime", [] { throw std::runtime_error("rt"); }, 3, "rt"},
      {"range (a runtime error)", [] { throw std::range_error("range"); }, 3, "range"},
      {"logic", [] { throw std::logic_error("lg"); }, 4, "lg"},
      {"out of range (a logic error)", [] { throw std::out_of_range("oor"); }, 4, "oor"},
      {"other standard", [] { throw std::bad_alloc(); }, 2, "std::bad_alloc"},
      {"no standard class", [] { throw 42; }, 2, kUnknownFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record e;
    EXPECT_EQ(guarded(&e, -1, [&] { c.raise(); return 7; }), -1);
    EXPECT_EQ(e.code, c.code);
    EXPECT_EQ(e.text(), c.message);
  }
  Record untouched;
  EXPECT_EQ(guarded(&untouched, -1, [] { return 7; }), 7);
  EXPECT_EQ(untouched.code, 0);
  EXPECT_EQ(untouched.text(), "");
}

TEST(ErrorRecord, LongMessagesAreCutAtACharacterAndTerminated) {
  struct Case {
    std::string text;
    std::string kept;
  } const cases[] = {
      {std::string(2000, 'a'), std::string(1023, 'a')},
      {std::string(1023, 'a'), std::string(1023, 'a')},
      {std::string(1024, 'a'), std::string(1023, 'a')},
      // A two-byte character across the cut goes whole.
      {std::string(1022, 'a') + "\xC3\xA9" + "b", std::string(1022, 'a')},
      {std::string(1021, 'a') + "\xC3\xA9" + "b", std::string(1021, 'a') + "\xC3\xA9"},
      // A four-byte character that would end past the field.
      {std::string(1020, 'a') + "\xF0\x9F\x98\x80", std::string(1020, 'a')},
  };
  for (const Case& c : cases) {
    Record e;
    std::memset(e.message, 'x', sizeof e.message);
    fill_error(&e, 1, c.text.data(), c.text.size());
    EXPECT_EQ(e.text(), c.kept) << c.text.size();
    EXPECT_EQ(e.message[sizeof e.message - 1], '\0');
    EXPECT_EQ(e.message[c.kept.size()], '\0');
  }
  fill_error(nullptr, 1, "ignored", 7);  // a null record is not written
}

TEST(ErrorRecord, NothingLeavesAnExportedFunctionAsAnException) {
  guarded_entry_hook = [] { throw 42; };
  Record e;
  zel_object* engine = zel_api_get_engine(nullptr, 0, &e);
  guarded_entry_hook = nullptr;
  EXPECT_EQ(engine, nullptr);
  EXPECT_EQ(e.code, 2);
  EXPECT_EQ(e.text(), kUnknownFailure);
}

TEST(ReturnConventions, CopyAfterProbe) {
  const std::string text = "0123456789";
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  size_t size = 0;
  EXPECT_EQ(copy_after_probe(text, buffer, &size), 0);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(buffer[0], 'x');
  size = 9;
  EXPECT_EQ(copy_after_probe(text, buffer, &size), 0);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(copy_after_probe(text, buffer, &size), 1);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::string(buffer, 11), text + '\0');
}

TEST(ReturnConventions, CopyAfterIntProbe) {
  // Twelve bytes to write: the text and its terminator.
  const std::string text = "01234567890";
  char buffer[16];
  int size = 12;
  EXPECT_EQ(copy_after_int_probe(text, 12, buffer, &size), 0);
  EXPECT_EQ(size, 13);
  EXPECT_EQ(copy_after_int_probe(text, 12, buffer, &size), 1);
  EXPECT_EQ(size, 11);
  EXPECT_STREQ(buffer, text.c_str());
  EXPECT_EQ(copy_after_int_probe(text, 12, buffer, nullptr), 0);
}

TEST(ReturnConventions, CopyCut) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(copy_cut("abcde", buffer, 5), 5u);
  EXPECT_EQ(std::string(buffer, 6), "abcdex");  // not terminated
  EXPECT_EQ(copy_cut("abc", buffer, 5), 3u);
  EXPECT_EQ(std::string(buffer, 5), std::string("abc\0\0", 5));
  EXPECT_EQ(copy_cut("abcdefgh", buffer, 4), 8u);
  EXPECT_EQ(copy_cut("abc", nullptr, 0), 3u);
}

// An object that tells when it is deleted.
struct Watched : Object {
  explicit Watched(bool* deleted) : deleted(deleted) {}
  ~Watched() override { *deleted = true; }
  bool* deleted;
};

TEST(Handles, ReferenceCounts) {
  bool deleted = false;
  zel_object* h = (new Watched(&deleted))->handle();
  EXPECT_EQ(zel_api_construct(h, nullptr), h);
  EXPECT_EQ(zel_api_add_ref(h, nullptr), 1u);
  EXPECT_EQ(zel_api_dec_ref(h, nullptr), 1u);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(zel_api_dec_ref(h, nullptr), 0u);
  EXPECT_TRUE(deleted);
}

TEST_F(Host, HandlesOutliveWhatMadeThem) {
  Record e;
  const std::string options = engine_options();
  zel_object* engine = zel_api_get_engine(options.c_str(), 0, &e);
  zel_object* a = zel_api_get_analyzer(engine, R"({"language":"english"})", 0, &e);
  ASSERT_EQ(e.code, 0) << e.text();
  zel_api_dec_ref(engine, &e);  // the analyzer keeps the engine
  zel_object* result = zel_api_analyze_document(a, "The dog runs.", 13, nullptr, 0, &e);
  ASSERT_NE(result, nullptr) << e.text();
  zel_api_dec_ref(a, &e);  // the result keeps the analyzer
  EXPECT_NE(json(result).find("\"dog\""), std::string::npos);
  zel_api_dec_ref(result, &e);
  EXPECT_EQ(e.code, 0);
}

TEST_F(Host, EngineFunctions) {
  Record e;
  zel_object* defaults = keep(zel_api_get_engine(nullptr, 12345, &e));
  EXPECT_NE(defaults, nullptr) << e.text();
  size_t length = 0;
  const char* info = zel_api_engine_info(engine(), &length, &e);
  ASSERT_NE(info, nullptr) << e.text();
  EXPECT_EQ(std::strlen(info), length);
  EXPECT_EQ(info, engine_info_data.c_str());
  EXPECT_TRUE(nlohmann::json::parse(info).is_object());
  const char* languages = zel_api_engine_languages(engine(), &length, &e);
  ASSERT_NE(languages, nullptr);
  EXPECT_NE(std::string(languages).find("english"), std::string::npos);
  EXPECT_STREQ(zel_api_language_longname("en", &e), "english");
  EXPECT_EQ(zel_api_language_longname(nullptr, &e), nullptr);
  EXPECT_EQ(e.code, 4);

  // The root path, cut to a buffer of given length.
  Record p;
  char buffer[4096];
  const size_t full = zel_api_engine_property(engine(), "root_path", 9, buffer, sizeof buffer, &p);
  EXPECT_EQ(p.code, 0) << p.text();
  EXPECT_EQ(std::strlen(buffer), full);
  EXPECT_EQ(zel_api_engine_property(engine(), "root_path", 9, buffer, 3, &p), full);
  Record null_name;
  EXPECT_EQ(zel_api_engine_property(engine(), nullptr, 3, buffer, 3, &null_name), 0u);
  EXPECT_EQ(null_name.code, 4);
}

TEST_F(Host, OptionTextsThatAreNotJsonFail) {
  Record e;
  EXPECT_EQ(zel_api_get_engine("{root_path:", 0, &e), nullptr);
  EXPECT_EQ(e.code, 1);
  EXPECT_NE(e.text().find("{root_path:"), std::string::npos) << e.text();
  Record a;
  EXPECT_EQ(zel_api_get_analyzer(engine(), "language=english", 0, &a), nullptr);
  EXPECT_EQ(a.code, 1);
  Record d;
  zel_object* an = analyzer();
  EXPECT_EQ(zel_api_analyze_document(an, "x", 1, "{", 0, &d), nullptr);
  EXPECT_EQ(d.code, 1);
  // Null and empty option texts are empty sets.
  Record ok;
  EXPECT_NE(keep(zel_api_analyze_document(an, "x", 1, "", 99, &ok)), nullptr) << ok.text();
}

TEST_F(Host, NullHandlesAndUnknownLanguages) {
  Record e;
  EXPECT_EQ(zel_api_get_analyzer(nullptr, R"({"language":"english"})", 0, &e), nullptr);
  EXPECT_EQ(e.code, 1);
  EXPECT_EQ(e.text(), "Engine has not been initialized.");
  Record d;
  EXPECT_EQ(zel_api_analyze_document(nullptr, "x", 1, nullptr, 0, &d), nullptr);
  EXPECT_EQ(d.code, 1);
  EXPECT_EQ(d.text(), "Analyzer has not been initialized.");
  Record u;
  EXPECT_EQ(zel_api_get_analyzer(engine(), R"({"language":"klingon"})", 0, &u), nullptr);
  EXPECT_NE(u.code, 0);
  EXPECT_NE(u.text(), "");
  Record p;
  zel_object* result = analyse(analyzer(), "x");
  EXPECT_EQ(zel_api_domain_process(nullptr, result, &p), nullptr);
  EXPECT_EQ(p.code, 1);
}

// Every call that takes an engine, domain or result handle answers a null
// one with an error record (code 1) instead of following it.
TEST_F(Host, NullHandlesGiveAnErrorRecord) {
  struct Case {
    const char* call;
    std::function<bool(zel_exception*)> run;  // true when the call answered "nothing"
    const char* text;
  };
  size_t length = 0;
  char buffer[8];
  const std::vector<Case> cases = {
      {"load_domain",
       [](zel_exception* e) {
         return zel_api_load_domain(nullptr, "demo", nullptr, 0, e) == nullptr;
       },
       "Engine has not been initialized."},
      {"engine_info",
       [&](zel_exception* e) { return zel_api_engine_info(nullptr, &length, e) == nullptr; },
       "Engine has not been initialized."},
      {"engine_languages",
       [&](zel_exception* e) { return zel_api_engine_languages(nullptr, &length, e) == nullptr; },
       "Engine has not been initialized."},
      {"engine_property",
       [&](zel_exception* e) {
         return zel_api_engine_property(nullptr, "x", 1, buffer, 8, e) == 0;
       },
       "Engine has not been initialized."},
      {"release_domain",
       [](zel_exception* e) { return !zel_api_engine_release_domain(nullptr, "x", 1, e); },
       "Engine has not been initialized."},
      {"domain_filename",
       [&](zel_exception* e) { return zel_api_domain_filename(nullptr, buffer, &length, e) == 0; },
       "Domain has not been initialized."},
      {"result_json",
       [&](zel_exception* e) {
         return zel_api_get_result_json_buffer(nullptr, &length, e) == nullptr;
       },
       "Result has not been initialized."},
      {"result_id",
       [&](zel_exception* e) {
         return zel_api_get_result_id_buffer(nullptr, &length, e) == nullptr;
       },
       "Result has not been initialized."},
      {"result_language",
       [&](zel_exception* e) {
         return zel_api_get_result_language_buffer(nullptr, &length, e) == nullptr;
       },
       "Result has not been initialized."},
      {"byte_offset",
       [](zel_exception* e) { return zel_api_get_byte_offset(nullptr, 0, e) == 0xFFFFFFFFu; },
       "Result has not been initialized."},
  };
  for (const Case& c : cases) {
    Record e;
    EXPECT_TRUE(c.run(&e)) << c.call;
    EXPECT_EQ(e.code, 1) << c.call;
    EXPECT_EQ(e.text(), c.text) << c.call;
  }
  Record p;
  EXPECT_EQ(zel_api_domain_process(nullptr, nullptr, &p), nullptr);
  EXPECT_EQ(p.code, 1);
}

TEST_F(Host, AnalysisResults) {
  zel_object* a = analyzer();
  Record e;
  size_t size = 0;
  EXPECT_EQ(zel_api_analyze_filename(a, nullptr, &size, &e), 0);
  std::vector<char> name(size + 1);
  EXPECT_EQ(zel_api_analyze_filename(a, name.data(), &size, &e), 1);
  EXPECT_NE(std::string(name.data()).find("english.language"), std::string::npos);

  zel_object* result = analyse(a, "The dog runs.", R"({"id":"doc-1"})");
  size_t length = 0;
  EXPECT_STREQ(zel_api_get_result_id_buffer(result, &length, &e), "doc-1");
  EXPECT_EQ(length, 5u);
  EXPECT_STREQ(zel_api_get_result_language_buffer(result, &length, &e), "english");
  EXPECT_NE(zel_api_get_result_annotations(result, &e), nullptr);
  EXPECT_EQ(json(result), json(result));
  EXPECT_EQ(json(result).rfind(R"({"id":"doc-1","language":"english","sentences":[ [1,0,13,)", 0),
            0u);
  EXPECT_STREQ(zel_api_get_result_json_metadata_buffer(result, &length, &e), "{}");
  const char* internal = zel_api_get_internal_result_json_buffer(result, &length, &e);
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(internal, debug_buffer.c_str());
  EXPECT_NE(std::string(internal).find("\"Sentence\""), std::string::npos);
  EXPECT_EQ(e.code, 0) << e.text();

  // Without a profiler the profile is empty and the internal text emptied.
  length = 7;
  const char* profile = zel_api_get_profiling_json_buffer(result, &length, &e);
  ASSERT_NE(profile, nullptr);
  EXPECT_STREQ(profile, "");
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(debug_buffer, "");

  // Code points: "é" is one, two bytes.
  zel_object* unicode = analyse(a, "\xC3\xA9t\xC3\xA9 dog", R"({"unicode_offset":true})");
  EXPECT_EQ(zel_api_get_byte_offset(unicode, 4, &e), 6u);
  EXPECT_NE(json(unicode).find("[3,0,3,"), std::string::npos) << json(unicode);
}

TEST_F(Host, ResultJsonReadBackPrintsTheSameText) {
  zel_object* a = analyzer();
  const std::string first = json(analyse(a, "The dog runs. Alice visited London.", R"({"id":"7"})"));
  zel_object* again = analyse(a, first, R"({"input_type":"json","id":"7"})");
  EXPECT_EQ(json(again), first);
  // A document read from JSON has no offset table.
  Record e;
  EXPECT_EQ(zel_api_get_byte_offset(again, 0, &e), 0xFFFFFFFFu);
  EXPECT_EQ(e.code, 1);
  EXPECT_EQ(e.text(), "unkown unicode offset mapping");
}

TEST_F(Host, ConceptsAndReadings) {
  zel_object* result = analyse(analyzer(R"({"language":"english","hmm":"false"})"),
                               "The dog runs fast.");
  Record e;
  // A concept over "dog runs"; the end is the end of "runs".
  void* added = zel_api_add_concept(result, 4, 12, "Animal", false, &e);
  ASSERT_NE(added, nullptr) << e.text();
  EXPECT_EQ(zel_api_get_concept(result, 4, 12, "Animal", false, &e), added);
  EXPECT_EQ(zel_api_get_concept(result, 4, 12, "animal", false, &e), nullptr);
  EXPECT_NE(json(result).find(R"([2,4,12,"Animal",{}])"), std::string::npos) << json(result);
  // Up to the end of the sentence: the last token is covered.
  EXPECT_NE(zel_api_add_concept(result, 13, 18, "Tail", false, &e), nullptr);
  EXPECT_NE(json(result).find(R"([2,13,18,"Tail",{}])"), std::string::npos) << json(result);
  // A begin that is no token's.
  EXPECT_EQ(zel_api_add_concept(result, 5, 12, "Animal2", false, &e), nullptr);
  EXPECT_EQ(e.code, 0) << e.text();

  const std::string before = json(result);
  zel_api_remove_pos(result, 0, 18, "No-Such-Pos", false, &e);
  EXPECT_EQ(json(result), before);
  ASSERT_NE(before.find("\"Nn-Pl\""), std::string::npos) << before;
  zel_api_remove_pos(result, 4, 12, "Nn-Pl", false, &e);
  EXPECT_EQ(json(result).find("\"Nn-Pl\""), std::string::npos);
  EXPECT_EQ(e.code, 0) << e.text();
}

TEST_F(Host, DemoDomain) {
  Record e;
  zel_object* domain = keep(zel_api_load_domain(engine(), "demo", nullptr, 0, &e));
  ASSERT_NE(domain, nullptr) << e.text();
  size_t size = 0;
  EXPECT_EQ(zel_api_domain_filename(domain, nullptr, &size, &e), 0);
  std::vector<char> name(size + 1);
  EXPECT_EQ(zel_api_domain_filename(domain, name.data(), &size, &e), 1);
  EXPECT_EQ(std::string(name.data()), kMorvik + "/demo.dom");
  zel_object* result = analyse(analyzer(), "Alice visited London.");
  EXPECT_EQ(zel_api_domain_process(domain, result, &e), result);
  EXPECT_EQ(e.code, 0) << e.text();
  const std::string printed = json(result);
  EXPECT_NE(printed.find(R"([2,0,5,"Person",)"), std::string::npos) << printed;
  EXPECT_NE(printed.find(R"([2,14,20,"City",{}])"), std::string::npos) << printed;

  Record missing;
  EXPECT_EQ(zel_api_load_domain(engine(), "no-such-domain", nullptr, 0, &missing), nullptr);
  EXPECT_NE(missing.code, 0);
}

}  // namespace
}  // namespace api
}  // namespace zel
