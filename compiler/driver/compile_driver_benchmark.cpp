// Whole compilations through build_domain over generated sources
// (generated_sources_testutil.h): about 10,000 rules and a 100,000-entry
// lexicon.
//
//   BM_FullBuild/threads        one source, built fully ("force") with
//                               "threads" 1 and 4;
//   BM_RebuildNothingChanged    the same rules over 100 sources, built once
//                               (not timed), then compiled again unchanged;
//   BM_RebuildOneSourceEdited   the same, then one source gets a new rule
//                               and is compiled again.
//
// Targets: full build within 40 s at one thread and 25 s at four; nothing
// changed within 1 s; one source edited within 3 s.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "compiler/driver/compile_driver.h"
#include "compiler/driver/generated_sources_testutil.h"
#include "compiler/driver/uniq_name.h"

namespace {

namespace fs = std::filesystem;
using zel::compiler::testing::GeneratedSourcesLayout;

// A scratch folder for one benchmark, removed at its end.
class Scratch {
 public:
  Scratch() : path(fs::temp_directory_path() / zel::compiler::generate_uniq_name("bench-", "")) {
    fs::create_directories(path);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

// Compiles and checks the verdict; a failed build ends the benchmark.
bool compile(benchmark::State& state, const nlohmann::json& options) {
  const nlohmann::json report = nlohmann::json::parse(zel::compiler::build_domain(options.dump()));
  if (report.value("return", false)) return true;
  state.SkipWithError(("the build failed: " + report.dump().substr(0, 400)).c_str());
  return false;
}

nlohmann::json folder_options(const fs::path& sources, const fs::path& output) {
  return {{"domains", sources.string()}, {"output_file", output.string()}};
}

void BM_FullBuild(benchmark::State& state) {
  Scratch scratch;
  GeneratedSourcesLayout layout;
  const auto paths = zel::compiler::testing::write_rule_sources(layout, scratch.path);
  const nlohmann::json options = {{"input_files", paths.front().string()},
                                  {"output_file", (scratch.path / "full.dom").string()},
                                  {"force", "true"},
                                  {"threads", std::to_string(state.range(0))}};
  for (auto _ : state) {
    if (!compile(state, options)) break;
  }
}
BENCHMARK(BM_FullBuild)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(4)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

// The 100 sources written and built fully; returns the folder options.
nlohmann::json built_hundred_sources(benchmark::State& state, const Scratch& scratch,
                                     std::vector<fs::path>& paths) {
  GeneratedSourcesLayout layout;
  layout.sources = 100;
  const fs::path sources = scratch.path / "sources";
  fs::create_directories(sources);
  paths = zel::compiler::testing::write_rule_sources(layout, sources);
  // The sources are older than the domain built from them.
  const auto past = fs::last_write_time(paths.front()) - std::chrono::seconds(10);
  for (const fs::path& path : paths) fs::last_write_time(path, past);
  nlohmann::json options = folder_options(sources, scratch.path / "domain.dom");
  options["threads"] = "4";
  compile(state, options);
  return options;
}

void BM_RebuildNothingChanged(benchmark::State& state) {
  Scratch scratch;
  std::vector<fs::path> paths;
  const nlohmann::json options = built_hundred_sources(state, scratch, paths);
  for (auto _ : state) {
    if (!compile(state, options)) break;
  }
}
BENCHMARK(BM_RebuildNothingChanged)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RebuildOneSourceEdited(benchmark::State& state) {
  Scratch scratch;
  std::vector<fs::path> paths;
  const nlohmann::json options = built_hundred_sources(state, scratch, paths);
  int edit = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path& edited = paths[static_cast<size_t>(edit) % paths.size()];
    // Written after the domain, so newer than it (time stamps are compared
    // at the file system's precision).
    std::ofstream(edited, std::ios::app) << zel::compiler::testing::edited_rule(edit);
    ++edit;
    state.ResumeTiming();
    if (!compile(state, options)) break;
  }
}
BENCHMARK(BM_RebuildOneSourceEdited)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
