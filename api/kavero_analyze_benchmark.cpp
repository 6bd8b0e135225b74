// The analysis tool's throughput and memory over generated English text of
// growing size, with the test language, on one core.
//
// The corpus: paragraphs of one to five sentences of five to fifteen words
// of the test lexicon (contractions aside; now and then a word it does not
// know), with commas, separated by blank lines; a fixed pseudo-random
// sequence makes every run read the same text. Its size in MiB is the first argument.
//
// BM_Tool runs the kavero-analyze executable over the corpus (from a file
// on its standard input, its output thrown away) and reports the words of
// the text per second of the tool's processor time, user and system
// ("words/s"; other work on the machine does not count), and the process's
// peak resident memory ("peak_rss_bytes", from the operating system). With the default split (a
// document per paragraph) the peak memory must not grow with the input; the
// second argument 1 runs the whole input as one document ("--split none")
// for comparison. The environment variable KAVERO_ANALYZE_TOOL names
// another build of the tool to measure instead.
//
// BM_StreamAnalysis drives the same streaming code inside this process (a
// document per paragraph, each print made and thrown away), the library's
// own figure without process start and output.
//
// Target: words/s of BM_Tool at least twice that of an established
// tokenizer, analyser and tagger pipeline on one core.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "api/document_splitter.h"
#include "api/stream_analysis.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "engine/engine.h"

namespace zel {
namespace api {
namespace {

const std::string kMorvik = std::string(KAVERO_BINARY_DIR) + "/testdata/language/morvik";

// A fixed linear congruential sequence.
class Sequence {
 public:
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  bool chance(uint32_t percent) { return next() % 100 < percent; }

 private:
  uint64_t state_ = 20261211;
};

// The input words of the test lexicon.
std::vector<std::string> lexicon_words() {
  std::ifstream source(KAVERO_SOURCE_DIR "/language/testdata/morvik/english.lexicon");
  std::vector<std::string> words;
  std::string line;
  while (std::getline(source, line)) {
    const std::size_t colon = line.find(':');
    // Contractions are left out: their repair is measured elsewhere.
    if (colon != std::string::npos && colon > 0 && line.find('\'') > colon) {
      words.push_back(line.substr(0, colon));
    }
  }
  if (words.empty()) throw std::runtime_error("the test lexicon has no words");
  return words;
}

struct Corpus {
  std::string text;
  int64_t words = 0;
};

// About `mib` MiB of text.
Corpus corpus(int64_t mib) {
  static const std::vector<std::string> words = lexicon_words();
  static const char* const kUnknown[] = {"okapi", "quokka", "Zorblax", "narwhal", "helllo"};
  Sequence sequence;
  Corpus out;
  const std::size_t size = static_cast<std::size_t>(mib) << 20;
  while (out.text.size() < size) {
    const uint32_t sentences = 1 + sequence.next() % 5;
    for (uint32_t s = 0; s < sentences; ++s) {
      const uint32_t length = 5 + sequence.next() % 11;
      for (uint32_t w = 0; w < length; ++w) {
        std::string word = sequence.chance(3) ? kUnknown[sequence.next() % 5]
                                              : words[sequence.next() % words.size()];
        if (w == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
        out.text += word;
        ++out.words;
        out.text += w + 1 == length ? (s + 1 == sentences ? "." : ". ")
                    : sequence.chance(8) ? ", "
                                         : " ";
      }
    }
    out.text += "\n\n";
  }
  return out;
}

struct ToolRun {
  double seconds;  // of processor time, user and system, so that other
                   // work on the machine does not count
  int64_t peak_rss_bytes;
};

// Runs the tool over the file with `arguments` added, output to /dev/null,
// messages to the file `messages`.
ToolRun run_tool(const std::string& tool, const std::string& input, const std::string& messages,
                 const std::vector<std::string>& arguments) {
  std::vector<std::string> argv_text = {tool, "--morvik", kMorvik};
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : argv_text) argv.push_back(argument.data());
  argv.push_back(nullptr);

  // The operating system's peak for the child counts what it shares with
  // this process until it runs the tool, so the caller keeps no corpus in
  // memory.
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot start the tool");
  if (child == 0) {
    const int in = open(input.c_str(), O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    const int err = open(messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::ifstream message(messages);
    std::string line;
    std::getline(message, line);
    const std::string how = WIFSIGNALED(status) ? " (signal " + std::to_string(WTERMSIG(status)) + ")" : "";
    throw std::runtime_error("the tool failed: " + tool + how + ": " + line);
  }
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return {seconds(usage.ru_utime) + seconds(usage.ru_stime),
          static_cast<int64_t>(usage.ru_maxrss) * 1024};
}

void BM_Tool(benchmark::State& state) {
  const char* other = std::getenv("KAVERO_ANALYZE_TOOL");
  const std::string tool = other != nullptr ? other : KAVERO_BINARY_DIR "/bin/kavero-analyze";
  Corpus text = corpus(state.range(0));
  testing::ScratchFolder scratch;
  const std::string input = scratch.write("corpus.txt", text.text).string();
  const auto bytes = static_cast<int64_t>(text.text.size());
  std::string().swap(text.text);
  std::vector<std::string> arguments;
  if (state.range(1) == 1) arguments = {"--split", "none"};

  double seconds = 0;
  int64_t peak = 0;
  for (auto _ : state) {
    const ToolRun run = run_tool(tool, input, scratch.str("messages.txt"), arguments);
    state.SetIterationTime(run.seconds);
    seconds += run.seconds;
    if (run.peak_rss_bytes > peak) peak = run.peak_rss_bytes;
  }
  state.SetBytesProcessed(bytes * state.iterations());
  state.counters["words/s"] =
      static_cast<double>(text.words) * static_cast<double>(state.iterations()) / seconds;
  state.counters["peak_rss_bytes"] = static_cast<double>(peak);
}
BENCHMARK(BM_Tool)
    ->Args({1, 0})
    ->Args({4, 0})
    ->Args({16, 0})
    ->Args({32, 0})
    ->Args({1, 1})
    ->Args({4, 1})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_StreamAnalysis(benchmark::State& state) {
  const Corpus text = corpus(state.range(0));
  auto engine = std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", kMorvik + "/.."}, {"morvik", kMorvik}}.dump()));
  StreamAnalysis analysis(engine, convert_string_to_api_options(R"({"language": "english"})"));
  std::ostringstream discarded;
  for (auto _ : state) {
    std::istringstream in(text.text);
    DocumentSplitter documents(in, DocumentSplitter::kParagraphs, "corpus");
    std::string document;
    while (documents.next(document)) {
      analysis.analyse(document, discarded);
      discarded.str(std::string());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(text.text.size()) * state.iterations());
  state.counters["words/s"] = benchmark::Counter(
      static_cast<double>(text.words) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StreamAnalysis)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace api
}  // namespace zel
