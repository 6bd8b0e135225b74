// A small plugin for the tests of plugin loading and of the plugin C
// interface. It does not link libkavero.so: it takes the kavero_plugin_*
// functions from the process that loads it.
//
// Functions, for every text-returning operation:
//   "echo"         the text of its first argument ("" without one);
//   "tokens"       the literals of the match's sentence, joined by blanks;
//   "mark"         walks the match's sentence, inserts the concept "Marked"
//                  over the tokens of the concept that carries the call and
//                  gives it the attribute "words" (their literals); answers
//                  "marked", or "" when nothing was inserted;
//   "init_count"   how often initialize ran;
//   "unload_count" how often unload ran;
//   "release_count" how often release_document ran.
// Any other function reports code 4 "sample: no function " + its name.
//
// Variants, one macro each:
//   SAMPLE_INIT_ERROR   initialize reports code 1 "sample: cannot start";
//   SAMPLE_INIT_FALSE   initialize answers false;
//   SAMPLE_INIT_THROWS  initialize throws std::runtime_error "sample: thrown";
//   SAMPLE_NO_SYMBOL    the object is exported as "not_the_plugin";
//   SAMPLE_UNRESOLVED   "echo" calls a function no library defines.

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/kavero_plugin.h"
#include "matcher/plugin_api.h"

using zel::kavero::plugins::API;
using zel::kavero::plugins::DataObject;
using zel::kavero::plugins::MatchContextRecord;

#ifdef SAMPLE_UNRESOLVED
extern "C" const char* kavero_plugin_no_such_function(void);
#endif

namespace {

int init_count = 0;
int unload_count = 0;
int release_count = 0;
thread_local MatchContextRecord context{};

char* copy(const std::string& text) {
  char* out = new char[text.size() + 1];
  std::memcpy(out, text.c_str(), text.size() + 1);
  return out;
}

void fail(zel_exception* error, int code, const std::string& message) {
  error->code = code;
  std::snprintf(error->message, sizeof error->message, "%s", message.c_str());
}

// Inserts "Marked" over the tokens of the calling concept.
std::string mark() {
  void* call = context.concept_annotation;
  if (call == nullptr || context.sentence == nullptr) return "";
  const uint32_t begin = kavero_plugin_get_begin_offset(call);
  const uint32_t end = kavero_plugin_get_end_offset(call);
  void* first = nullptr;
  std::string words;
  for (void* a = kavero_plugin_sentence_begin(context.sentence); a != nullptr;
       a = kavero_plugin_get_next(a)) {
    if (kavero_plugin_get_type(a) != 3) continue;
    if (kavero_plugin_get_begin_offset(a) < begin || kavero_plugin_get_end_offset(a) > end) {
      continue;
    }
    if (first == nullptr) first = a;
    if (!words.empty()) words += " ";
    words += kavero_plugin_token_literal(a);
  }
  if (first == nullptr) return "";
  MatchContextRecord record = context;
  void* marked = kavero_plugin_update_concept_in_collection(
      &record, first, kavero_plugin_concept_get_end(call), "Marked");
  if (marked == nullptr) return "";
  kavero_plugin_concept_add_attribute(marked, "words", words.c_str());
  return "marked";
}

char* answer(const char* function, const std::vector<DataObject>& arguments,
             zel_exception* error) {
  const std::string name = function;
  if (name == "echo") {
#ifdef SAMPLE_UNRESOLVED
    (void)arguments;
    return copy(kavero_plugin_no_such_function());
#else
    return copy(arguments.empty() || arguments[0].kind != 1 ? "" : arguments[0].value);
#endif
  }
  if (name == "tokens") {
    if (context.sentence == nullptr) return copy("");
    return copy(kavero_plugin_range_literal(kavero_plugin_sentence_begin(context.sentence),
                                            nullptr, " "));
  }
  if (name == "mark") return copy(mark());
  if (name == "init_count") return copy(std::to_string(init_count));
  if (name == "unload_count") return copy(std::to_string(unload_count));
  if (name == "release_count") return copy(std::to_string(release_count));
  fail(error, 4, "sample: no function " + name);
  return nullptr;
}

class SamplePlugin : public API {
 public:
  bool initialize(const char*, zel_exception* error) override {
    ++init_count;
#if defined(SAMPLE_INIT_ERROR)
    fail(error, 1, "sample: cannot start");
    return true;
#elif defined(SAMPLE_INIT_FALSE)
    (void)error;
    return false;
#elif defined(SAMPLE_INIT_THROWS)
    (void)error;
    throw std::runtime_error("sample: thrown");
#else
    (void)error;
    return true;
#endif
  }
  char* open_document(const char*, const char* function,
                      const std::vector<DataObject>& arguments,
                      zel_exception* error) noexcept override {
    return answer(function, arguments, error);
  }
  char* close_document(const char*, const char* function,
                       const std::vector<DataObject>& arguments,
                       zel_exception* error) noexcept override {
    return answer(function, arguments, error);
  }
  char* call(const char*, const char* function, const std::vector<DataObject>& arguments,
             zel_exception* error) noexcept override {
    return answer(function, arguments, error);
  }
  char* trigger(const char*, const char* function, const std::vector<DataObject>& arguments,
                zel_exception* error) noexcept override {
    return answer(function, arguments, error);
  }
  void release_document(zel_exception*) override { ++release_count; }
  void free_result(char* text) override { delete[] text; }
  void unload(zel_exception*) override { ++unload_count; }
  void set_plugin_context(const MatchContextRecord* record) override {
    context = record != nullptr ? *record : MatchContextRecord{};
  }
  void set_document_property(const char*, const char*, zel_exception*) override {}
};

}  // namespace

#ifdef SAMPLE_NO_SYMBOL
extern "C" __attribute__((visibility("default"))) SamplePlugin not_the_plugin;
SamplePlugin not_the_plugin;
#else
extern "C" __attribute__((visibility("default"))) SamplePlugin plugin;
SamplePlugin plugin;
#endif
