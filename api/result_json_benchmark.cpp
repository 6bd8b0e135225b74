// Printing the result JSON against analysing the text, in the same run.
//
// The text is the analyzer benchmark's generated English of about 1 MB
// (analysis/generated_text_testutil.h), analysed as one document with the
// test language through the C interface (zel_api_analyze_document), then
// printed (zel_api_get_result_json_buffer). Each iteration times both.
// Counters: "analysis tokens/s", "print tokens/s" and "print/analysis",
// the printing time divided by the analysis time. Target: printing takes
// at most a third of the analysis time (about 1.4 million tokens per
// second against the analysis target of 460,000): every host prints every
// document, so printing must not rival analysis.

#include <chrono>
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/generated_text_testutil.h"
#include "api/handle_accessors.h"
#include "api/kavero.h"

namespace zel {
namespace api {
namespace {

size_t count_tokens(zel_object* result) {
  size_t tokens = 0;
  const kavero::Blackboard& blackboard = *get_blackboard(result);
  for (const kavero::Annotation* s = blackboard.annotations->head; s != nullptr; s = s->next) {
    for (const kavero::Annotation* a = static_cast<const kavero::Sentence*>(s)->annotations.head;
         a != nullptr; a = a->next) {
      if (a->kind == kavero::kTokenKind) ++tokens;
    }
  }
  return tokens;
}

void BM_AnalyseThenPrintResultJson(benchmark::State& state) {
  const std::string text = testing::generated_text(static_cast<size_t>(state.range(0)));
  const std::string options =
      nlohmann::json{{"root_path", std::string(KAVERO_BINARY_DIR) + "/testdata/language"},
                     {"morvik", std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik"}}
          .dump();
  zel_exception error = {};
  zel_object* engine = zel_api_get_engine(options.c_str(), options.size(), &error);
  zel_object* analyzer = zel_api_get_analyzer(engine, R"({"language":"english"})", 0, &error);
  if (error.code != 0) {
    state.SkipWithError(error.message);
    return;
  }
  using Clock = std::chrono::steady_clock;
  double analysis_seconds = 0;
  double print_seconds = 0;
  size_t tokens = 0;
  size_t printed_bytes = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    zel_object* result =
        zel_api_analyze_document(analyzer, text.data(), text.size(), nullptr, 0, &error);
    const Clock::time_point analysed = Clock::now();
    size_t length = 0;
    const char* json = zel_api_get_result_json_buffer(result, &length, &error);
    const Clock::time_point printed = Clock::now();
    benchmark::DoNotOptimize(json);
    analysis_seconds += std::chrono::duration<double>(analysed - start).count();
    print_seconds += std::chrono::duration<double>(printed - analysed).count();
    tokens = count_tokens(result);
    printed_bytes = length;
    zel_api_dec_ref(result, &error);
  }
  if (error.code != 0) state.SkipWithError(error.message);
  const double iterations = static_cast<double>(state.iterations());
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["json bytes"] = static_cast<double>(printed_bytes);
  state.counters["analysis tokens/s"] = tokens * iterations / analysis_seconds;
  state.counters["print tokens/s"] = tokens * iterations / print_seconds;
  state.counters["print/analysis"] = print_seconds / analysis_seconds;
  zel_api_dec_ref(analyzer, &error);
  zel_api_dec_ref(engine, &error);
}
BENCHMARK(BM_AnalyseThenPrintResultJson)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace api
}  // namespace zel
