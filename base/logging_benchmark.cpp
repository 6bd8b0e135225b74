// What a log site costs when no logger takes its message (the common case
// in production), and a cache hit of the process-wide expression cache.

#include <benchmark/benchmark.h>

#include "base/logging.h"
#include "base/regex.h"

namespace {

void BM_LogSiteThatNoLoggerTakes(benchmark::State& state) {
  // Loggers of other ids and one of the site's id at a lower level.
  for (std::uint16_t id : {1u, 2u, 3u}) {
    zel::wlog::add_logger({id, zel::wlog::kLevelTrace, [](std::uint16_t, const char*) {}});
  }
  zel::wlog::add_logger({zel::wlog::kRuntimeId, zel::wlog::kLevelError,
                         [](std::uint16_t, const char*) {}});
  for (auto _ : state) {
    zel::wlog::log(zel::wlog::kRuntimeId, zel::wlog::kLevelDebug,
                   [](std::ostream& os) { os << "[Bench] never composed"; });
  }
}
BENCHMARK(BM_LogSiteThatNoLoggerTakes)->ThreadRange(1, 4);

void BM_ProcessWideRegexCacheHit(benchmark::State& state) {
  zel::kav_regex("[A-Z][a-z]+ [0-9]{1,3}");
  for (auto _ : state) {
    benchmark::DoNotOptimize(zel::kav_regex("[A-Z][a-z]+ [0-9]{1,3}"));
  }
}
BENCHMARK(BM_ProcessWideRegexCacheHit);

}  // namespace
