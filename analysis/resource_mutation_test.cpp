// Damaged resource files never end the host. A copy of the test language has
// one of its compiled files (a lexicon, the guesser network, the postagger,
// the identifier's network, the tagger tables) replaced by a byte-mutated
// copy made from a seed; a whole analysis then runs in a child process with a
// time limit. Every seed must give a clear error (a zel::Exception that
// names the damaged file) or a finished analysis; a crash, a hang or a raw
// library message fails the test with its seed.

#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/annotation_printer.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/resource_mutation_testutil.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/language_identifier.h"
#include "language/language_module.h"
#include "language/runtime_log_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using testing::BoundedRun;
using testing::LanguageCopy;

// Words of the lexicon, names, an abbreviation, words only the guesser
// knows, and ambiguous words for the postagger and the tagger.
constexpr char kText[] =
    "The dog runs to the airport again. Peter also walks, e.g. after the rain.\n"
    "He walks to the bank. They want to play. The plans of the train are open.\n"
    "Jumping walked quickly into darkness; the banks are better than before.";
// Words of three languages for the identifier.
constexpr char kSections[] =
    "The bank is near the airport and it is always open. "
    "Der Hund ist aber nicht hier und das ist gut. "
    "De hond is aan de deur en het is goed.";

// One case's time limit. An analysis of the test language takes well under
// a second, also under the sanitizers.
constexpr unsigned kSecondsPerCase = 20;

// The whole road of a document over the language in `root`: the language is
// loaded, the text analysed and printed, and the identifier splits a text
// into its languages.
std::string analyse(const fs::path& root) {
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", root.string()}, {"morvik", (root / "morvik").string()}}
          .dump()));
  std::shared_ptr<LanguageModule> english = engine->get_language_module("english");
  std::unique_ptr<Blackboard> blackboard =
      testing::make_blackboard("{}", "{}", engine, english);
  blackboard->analyzer->generate(*blackboard, kText, sizeof kText - 1);
  std::ostringstream out;
  RawAnnotationPrinter printer(out);
  printer.visit(*blackboard->annotations);
  auto identifier = lid::createStore(engine.get(), convert_string_to_api_options("{}"));
  out << identifier->identify_language_sections(kSections, sizeof kSections - 1);
  return out.str();
}

// What the seeds of one file gave.
struct Tally {
  int same = 0;       // finished as the undamaged language does
  int different = 0;  // finished with another answer
  int clear = 0;      // a zel::Exception naming the file
  int raw = 0;        // any other error
  int crashes = 0;
  int timeouts = 0;
  double slowest = 0;
  std::vector<std::string> examples;  // a few raw messages, crashes, hangs
  std::map<std::string, int> faults;  // clear errors by what they say, numbers left out

  void count_fault(const std::string& message) {
    std::string kind;
    for (char c : message.substr(message.rfind("]: ") == std::string::npos
                                     ? 0
                                     : message.rfind("]: ") + 3)) {
      if (c == '(' || c == '"') break;
      if (!std::isdigit(static_cast<unsigned char>(c))) kind += c;
    }
    ++faults[kind];
  }

  void note(uint32_t seed, const std::string& what) {
    if (examples.size() < 6) examples.push_back("seed " + std::to_string(seed) + ": " + what);
  }
};

void print(const std::string& file, int seeds, const Tally& t) {
  std::cout << "[mutations] " << file << ": " << seeds << " seeds: " << t.same
            << " finished as before, " << t.different << " finished differently, " << t.clear
            << " clear errors, " << t.raw << " raw errors, " << t.crashes << " crashes, "
            << t.timeouts << " hangs; slowest " << t.slowest << " s\n";
  for (const auto& [kind, count] : t.faults) std::cout << "    " << count << " x " << kind << "\n";
  for (const auto& example : t.examples) std::cout << "    " << example << "\n";
}

// Damaged copies that crashed, hung or failed with a library's raw message
// before the compiled files were checked when read; each must now be refused
// with what is wrong with it, or (the postagger, which a language can do
// without) be left out with that error logged.
TEST(ResourceMutation, KnownAttacksAreRefusedByName) {
  struct Case {
    const char* file;
    uint32_t seed;
    // What it did before the files were checked ("earlier layout": the
    // seed hit that with the lexicons' layout before outputs were moved
    // toward the word's end; the bytes differ now, the file is still refused.
    // "kind": the lexicon's bytes follow the test language's lexicon text,
    // so when that text grows, the seeds are chosen anew to hit the same
    // kinds of damage that once did this).
    const char* was;
    const char* fault;  // what the error says after the file's name
  };
  const Case cases[] = {
      {"english.fst", 1, "earlier layout: vector::_M_range_check", "which the output symbol table of 71 symbols"},
      {"english.fst", 7, "kind: vector::reserve", "has a final weight that is no number"},
      {"english.fst", 13, "kind: heap-buffer-overflow", "the arc count 3120562178 of state"},
      {"english.fst", 10, "kind: SEGV", "leads to state 8061406 of 571 states"},
      {"english.fst", 43, "kind: hang", "leads to state -1 of 571 states"},
      {"english-guesser.fst", 4, "heap-buffer-overflow", "has the output label 256"},
      {"english-guesser.fst", 12, "SEGV", "has the output label"},
      {"english-guesser.fst", 67, "hang", "of the input symbol table is not valid UTF-8"},
      {"english.postagger", 9, "hang", "has the output label"},
      {"english.postagger", 10, "out of memory", "the arc count 2063597569 of state"},
      {"english.postagger", 11, "allocation size too big", "the arc count 25614222880669697"},
      {"lid.fst", 5, "earlier layout: SEGV", "is not \"standard\""},
      {"lid.fst", 10, "earlier layout: hang", "has the output label 2063597587"},
      {"english.hmm", 31, "no file name", "database disk image is malformed"},
      {"english.hmm", 95, "no file name", "]: no tab"},
  };
  LanguageCopy copy(zel::testing::test_language_folder());
  const fs::path root = copy.root();
  const auto work = [&root] {
    testing::RuntimeLog log;
    std::string answer = analyse(root);
    for (const std::string& line : log.lines()) {
      if (line.rfind("ERROR ", 0) == 0) answer += "\n" + line;
    }
    return answer;
  };
  for (const Case& c : cases) {
    const std::string path = (copy.morvik() / c.file).string();
    copy.replace(c.file, testing::mutate_bytes(copy.original(c.file), c.seed));
    const BoundedRun run = testing::run_bounded(work, kSecondsPerCase);
    copy.restore(c.file);
    std::string error = run.text;
    if (std::string(c.file) == "english.postagger") {
      EXPECT_EQ(run.outcome, BoundedRun::Outcome::kFinished) << c.seed << " " << run.text;
      const std::size_t logged = run.text.find("ERROR [Language] Invalid transducer file [");
      error = logged == std::string::npos ? "" : run.text.substr(logged);
    } else {
      EXPECT_EQ(run.outcome, BoundedRun::Outcome::kError) << c.file << " " << c.seed;
      EXPECT_TRUE(run.zel_exception) << c.file << " " << c.seed;
    }
    // The file by its whole name, then what is wrong with it.
    const std::size_t named = error.find(path);
    EXPECT_NE(named, std::string::npos) << c.file << " " << c.seed << ": " << run.text;
    EXPECT_NE(error.find(c.fault, named), std::string::npos)
        << c.file << " " << c.seed << " (was " << c.was << "): " << error;
  }
}

class ResourceMutation : public ::testing::TestWithParam<const char*> {};

TEST_P(ResourceMutation, EverySeedGivesAClearErrorOrAnAnalysis) {
  const std::string file = GetParam();
  LanguageCopy copy(zel::testing::test_language_folder());
  const fs::path root = copy.root();
  const auto work = [&root] { return analyse(root); };

  // The undamaged language's answer; this run also leaves the tokenizer's
  // cache in the copy, so that the damaged runs do not build it again.
  const BoundedRun baseline = testing::run_bounded(work, kSecondsPerCase);
  ASSERT_EQ(baseline.outcome, BoundedRun::Outcome::kFinished) << baseline.text;

  const std::string path = (copy.morvik() / file).string();
  const std::string& original = copy.original(file);
  constexpr uint32_t kSeeds = 200;
  Tally tally;
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    copy.replace(file, testing::mutate_bytes(original, seed));
    const BoundedRun run = testing::run_bounded(work, kSecondsPerCase);
    copy.restore(file);
    if (run.seconds > tally.slowest) tally.slowest = run.seconds;
    switch (run.outcome) {
      case BoundedRun::Outcome::kFinished:
        (run.text == baseline.text ? tally.same : tally.different)++;
        break;
      case BoundedRun::Outcome::kError:
        if (run.zel_exception && run.text.find(path) != std::string::npos) {
          ++tally.clear;
          tally.count_fault(run.text);
        } else {
          ++tally.raw;
          tally.note(seed, "raw error: " + run.text);
          ADD_FAILURE() << file << " seed " << seed << ": unclear error: " << run.text;
        }
        break;
      case BoundedRun::Outcome::kCrash:
        ++tally.crashes;
        tally.note(seed, "crash: " + run.text);
        ADD_FAILURE() << file << " seed " << seed << ": crash: " << run.text;
        break;
      case BoundedRun::Outcome::kTimeout:
        ++tally.timeouts;
        tally.note(seed, "hang");
        ADD_FAILURE() << file << " seed " << seed << ": " << run.text;
        break;
    }
  }
  print(file, kSeeds, tally);
}

INSTANTIATE_TEST_SUITE_P(CompiledFiles, ResourceMutation,
                         ::testing::Values("english.fst", "english-guesser.fst",
                                           "english.postagger", "lid.fst", "english.hmm"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c != '\0'; ++c) {
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace kavero
}  // namespace zel
