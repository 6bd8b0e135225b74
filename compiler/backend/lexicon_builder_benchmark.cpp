// The lexicon build over 200,000 generated entries (4 to 12 letters, a
// fifth of them two words, 1% patterns), in one group and spread over four
// streams, with "threads" 1, 2, 4 and 8. Reports entries per second.

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "base/options.h"
#include "compiler/backend/lexicon_builder.h"
#include "compiler/backend/lexicon_statements.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/driver/uniq_name.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace {

using namespace zel::compiler;

constexpr int kEntries = 200000;

const std::vector<std::string>& generated_entries() {
  static const std::vector<std::string> entries = [] {
    std::mt19937 random(49);
    std::uniform_int_distribution<int> length(4, 12);
    std::uniform_int_distribution<int> letter('a', 'z');
    auto word = [&] {
      std::string text;
      for (int n = length(random); n > 0; --n) text += static_cast<char>(letter(random));
      return text;
    };
    std::vector<std::string> made;
    made.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
      std::string text = word();
      if (i % 5 == 1) text += " " + word();
      if (i % 100 == 3) text = text.substr(0, 3) + "(s|es)?";
      made.push_back(text);
    }
    return made;
  }();
  return entries;
}

void BM_BuildLexicons(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int streams = static_cast<int>(state.range(1));
  const char* names[] = {"literal", "stem", "normalized_literal", "canonical"};
  const auto folder = std::filesystem::temp_directory_path() / generate_uniq_name("bench-", "");
  std::filesystem::create_directories(folder);
  for (auto _ : state) {
    state.PauseTiming();
    Blackboard blackboard(zel::convert_string_to_api_options(
        R"({"threads":")" + std::to_string(threads) + R"("})"));
    BlackboardBinding binding(&blackboard);
    blackboard.domain_database =
        std::make_shared<DomainDatabase>(blackboard, (folder / "b.dom").string(), -1, true);
    {
      ResultStore store(blackboard);
      ast::node::AssignCaptureGroup capture;
      capture.uri_ = "Word";
      const auto& entries = generated_entries();
      for (size_t i = 0; i < entries.size(); ++i) {
        add_entity_to_cache(store, std::string("entities_") + names[i % streams], entries[i],
                            capture, std::string(), 1);
      }
      state.ResumeTiming();
      build_lexicons(store);
      state.PauseTiming();
    }
    blackboard.domain_database.reset();
    state.ResumeTiming();
  }
  std::filesystem::remove_all(folder);
  state.counters["entries_per_second"] = benchmark::Counter(
      static_cast<double>(kEntries) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildLexicons)
    ->ArgsProduct({{1, 2, 4, 8}, {1, 4}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
