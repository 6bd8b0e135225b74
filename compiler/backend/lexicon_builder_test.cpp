#include "compiler/backend/lexicon_builder.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/logging.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/lexicon_statements.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "core-afst/network_paths_testutil.h"
#include "core-afst/serialization.h"
#include "domain/lexicon_facade.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::call;
using testing::Compilation;
using testing::record_data;
using testing::record_names;

// Log lines of the lexicon build (logger id 0) and of the compiler, while a
// test listens. Loggers cannot be removed, so one pair listens for the whole
// program and a test switches it on.
struct LogCapture {
  static LogCapture& instance() {
    static LogCapture* capture = [] {
      auto* made = new LogCapture;
      for (std::uint16_t id : {std::uint16_t{0}, wlog::kCompilerId}) {
        wlog::add_logger({id, wlog::kLevelTrace, [made](std::uint16_t, const char* text) {
                            std::lock_guard<std::mutex> lock(made->mutex);
                            if (made->on) made->lines.push_back(text);
                          }});
      }
      return made;
    }();
    return *capture;
  }
  void start() {
    std::lock_guard<std::mutex> lock(mutex);
    lines.clear();
    on = true;
  }
  std::vector<std::string> stop() {
    std::lock_guard<std::mutex> lock(mutex);
    on = false;
    return std::move(lines);
  }
  std::mutex mutex;
  bool on = false;
  std::vector<std::string> lines;
};

std::vector<std::string> lines_starting(const std::vector<std::string>& lines,
                                        const std::string& start) {
  std::vector<std::string> found;
  for (const auto& line : lines) {
    if (line.compare(0, start.size(), start) == 0) found.push_back(line);
  }
  return found;
}

// The diagnostics of a source as "type line: message".
std::vector<std::string> diagnostics(const std::string& source) {
  std::vector<std::string> lines;
  auto& sinks = results::sinks();
  auto found = sinks.find(source);
  if (found == sinks.end()) return lines;
  for (const DiagnosticsInfo& info : found->second) {
    lines.push_back(diagnostic_type_to_string(info) + " " + std::to_string(info.line) + ": " +
                    info.message);
  }
  return lines;
}

struct Entry {
  std::string text;
  std::string canonical;
};

ast::node::Lexicon lexicon(const AttributeList& attributes, const std::vector<Entry>& entries,
                           const ast::node::AssignCaptureGroup& assignment) {
  ast::node::Lexicon statement;
  statement.attributes = attributes;
  for (const Entry& entry : entries) {
    ast::node::LexiconEntry made;
    made.text = entry.text;
    made.secondary = entry.canonical;
    statement.entries.push_back(made);
  }
  statement.assignment = assignment;
  statement.line = 1;
  return statement;
}

// A compilation whose temporary files go into a folder of their own.
class LexiconBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* before = std::getenv("TMPDIR");
    if (before != nullptr) tmpdir_before_ = before;
    had_tmpdir_ = before != nullptr;
    setenv("TMPDIR", temporary.str().c_str(), 1);
  }
  void TearDown() override {
    if (had_tmpdir_) {
      setenv("TMPDIR", tmpdir_before_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  std::unique_ptr<Compilation> compilation(const std::string& threads) {
    auto made = std::make_unique<Compilation>(R"({"threads":")" + threads + R"("})");
    made->blackboard.error_code_mask = ~0ull;
    made->blackboard.set_source_filename("a.kav");
    return made;
  }

  // The bucket files in the temporary folder (the compilation's own
  // scratch folder is there too).
  std::string temporary_files() const {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(temporary.path())) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, 8, "tmp-kav-") == 0) names += name + " ";
    }
    return names;
  }

  zel::testing::ScratchFolder temporary;

 private:
  std::string tmpdir_before_;
  bool had_tmpdir_ = false;
};

std::set<std::string> relations(const std::string& dom, const std::string& record) {
  auto network = afst::serialization::get_fsm(afst::serialization::open_file_read(dom), record);
  if (!network) return {"(none)"};
  return zel::testing::accepted_relations(*network, 24);
}

std::vector<std::string> lookup(const std::string& dom, const std::string& record,
                                const std::string& text) {
  kavero::core::LexiconFacade facade(afst::serialization::open_file_read(dom), record);
  return facade.up(text);
}

TEST(LexiconBuildCounts, ThreadOption) {
  const int hardware = static_cast<int>(std::thread::hardware_concurrency());
  const std::vector<std::pair<std::string, int>> cases = {
      {"", hardware}, {R"({"threads":"auto"})", hardware}, {R"({"threads":"0"})", hardware},
      {R"({"threads":"abc"})", hardware}, {R"({"threads":"1"})", 1}, {R"({"threads":"3"})", 3},
      {R"({"threads":"-1"})", -1}, {R"({"threads":"8x"})", 8}};
  for (const auto& [options, expected] : cases) {
    Compilation compilation(options.empty() ? "{}" : options);
    EXPECT_EQ(get_concurrency_number(compilation.blackboard), expected) << options;
  }
}

TEST(LexiconBuildCounts, BucketThresholdsAndSlicing) {
  const std::vector<std::tuple<int, int, int>> parallel = {
      {8, 499, 1}, {8, 500, 4}, {8, 2499, 4}, {8, 2500, 8}, {8, 9999, 8}, {16, 10000, 16},
      {32, 10000, 16}, {2, 500, 2}, {1, 20000, 1}, {-1, 400, -1}, {-1, 20000, -1}, {0, 10, 0}};
  for (const auto& [threads, entries, expected] : parallel) {
    EXPECT_EQ(get_nrof_buckets(threads, entries), expected) << threads << " " << entries;
  }
  const std::vector<std::pair<int, int>> sequential = {
      {4999, 1}, {5000, 1}, {10000, 2}, {14999, 2}, {15000, 3}};
  for (const auto& [entries, expected] : sequential) {
    EXPECT_EQ(get_nrof_buckets_st(entries), expected) << entries;
  }

  std::vector<EntryInfo> infos(10);
  std::vector<const EntryInfo*> all;
  for (const auto& info : infos) all.push_back(&info);
  std::vector<size_t> sizes;
  for (const auto& bucket : generate_buckets(all, 3)) sizes.push_back(bucket.size());
  EXPECT_THAT(sizes, ElementsAre(3, 3, 4));
  EXPECT_EQ(generate_buckets(all, 3)[2].front(), &infos[6]);
  EXPECT_THAT(generate_buckets(all, 0), IsEmpty());
}

TEST_F(LexiconBuild, EndMarkersAndOutputLabels) {
  auto build = compilation("1");
  auto store = build->store();
  LogCapture::instance().start();
  store->add_lexicon(lexicon({}, {{"T", ""}}, call("A")));
  store->add_lexicon(lexicon({}, {{"T", ""}}, call("B")));
  store->add_lexicon(lexicon({}, {{"T", ""}}, call("C")));
  store->add_lexicon(lexicon({}, {{"x y", ""}, {"b", ""}, {"(a|b)", ""}, {"(a|c)", ""}},
                              call("Z")));
  store->add_lexicon(lexicon({}, {{"NY", "x y"}}, call("City", {{"k", "v"}})));
  store->finalize();
  const auto log = LogCapture::instance().stop();

  const auto& entries = store->lexicon_cache.at("entities_literal").entries;
  std::vector<std::string> literals;
  for (const auto& [key, entry] : entries) literals.push_back(entry.literal);
  // (a|b) matches b: 1 + its order 1; (a|c) matches nothing and would get
  // 2 as the second pattern, which (a|b) has: it moves on to 3.
  EXPECT_THAT(literals, ElementsAre("(a|b)[#end2]", "(a|c)[#end3]", "NY", "T", "T[#end1]",
                                    "T[#end2]", "b", "x y"));
  EXPECT_THAT(lines_starting(log, "-- DBG_INFO:"),
              ::testing::Contains("-- DBG_INFO:{\"literal\":T,\"uri\":\"B\","
                                  "\"input_type\":\"entities_literal\"}\n"));
  // Same annotation Z: (a|b) over b is an overlap.
  EXPECT_THAT(lines_starting(log, "Overlapping"),
              ElementsAre("Overlapping matches found in lexicons ! `b=Z` And `(a|b)=Z`"));
  EXPECT_THAT(lines_starting(log, "lexicon_info"),
              ElementsAre(R"(lexicon_info: {"entries":8,"literal":8})"));
  EXPECT_THAT(lines_starting(log, "Total "), ElementsAre("Total entities_literal 8 entries ..."));

  const auto paths = relations(build->dom(), "entities_literal");
  EXPECT_THAT(paths, ::testing::IsSupersetOf(
                         {"N Y -> x   y + City @k=v", "T -> A", "T #end1 -> B", "T #end2 -> C",
                          "a #end2 -> Z", "b #end2 -> Z", "a #end3 -> Z", "c #end3 -> Z",
                          "b -> Z"}));
  EXPECT_EQ(paths.size(), 10u);
  EXPECT_THAT(lookup(build->dom(), "entities_literal", "T"), ElementsAre("A", "B", "C"));
  EXPECT_EQ(record_data(build->dom(), "lexicon_info"), R"({"entries":8,"literal":8})");
  EXPECT_EQ(temporary_files(), "");
}

TEST_F(LexiconBuild, RawEntriesAndPatternErrors) {
  auto build = compilation("1");
  auto store = build->store();
  store->add_lexicon(lexicon({}, {{R"("""a.b""")", ""}, {"(x", ""}, {"ok", ""}}, call("A")));
  store->finalize();
  const auto& entries = store->lexicon_cache.at("entities_literal").entries;
  std::vector<std::string> literals;
  for (const auto& [key, entry] : entries) literals.push_back(entry.literal);
  // The raw entry loses its quotes and counts as a pattern for its dot.
  EXPECT_THAT(literals, ElementsAre("a.b[#end1]", "(x[#end2]", "ok"));
  const auto errors = diagnostics("a.kav");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_THAT(errors[0], ::testing::StartsWith("error 1: regex error on '(x: "));
}

TEST_F(LexiconBuild, PatternErrorIsFiledUnderTheEntrysSource) {
  auto build = compilation("1");
  auto store = build->store();
  build->blackboard.set_source_filename("first.kav");
  store->add_lexicon(lexicon({}, {{"(x", ""}}, call("A")));
  build->blackboard.set_source_filename("last.kav");
  store->add_lexicon(lexicon({}, {{"y", ""}}, call("A")));
  store->finalize();
  EXPECT_EQ(diagnostics("first.kav").size(), 1u);
  EXPECT_THAT(diagnostics("last.kav"), IsEmpty());
}

TEST_F(LexiconBuild, LexiconInfoDescribesEveryStoredGroup) {
  auto build = compilation("1");
  {
    auto store = build->store();
    store->add_lexicon(lexicon({}, {{"a", ""}, {"b", ""}}, call("A")));
    store->add_lexicon(lexicon({{"input", "stem"}}, {{"c", ""}}, call("B")));
    store->add_lexicon(lexicon({{"input", "lemma"}}, {{"d", ""}}, call("B")));
    store->finalize();
  }
  // lemma and stem are one group, filed as stem.
  EXPECT_EQ(record_data(build->dom(), "lexicon_info"), R"({"entries":4,"literal":2,"stem":2})");
  EXPECT_EQ(record_data(build->dom(), "entities_lemma"), "(none)");
  EXPECT_EQ(lookup(build->dom(), "entities_stem", "d"), std::vector<std::string>{"B"});

  for (const std::string threads : {"1", "3"}) {
    // An incremental build that rebuilds stem, whose lexicons are gone.
    auto next = std::make_unique<Compilation>(R"({"threads":")" + threads +
                                              R"(","update_lexicons":"stem"})");
    std::filesystem::copy_file(build->dom(), next->dom());
    std::filesystem::copy_file(build->twin(), next->twin());
    next->open_database(false, 1700000000);
    auto store = next->store();
    store->finalize();
    EXPECT_EQ(record_data(next->dom(), "entities_stem"), "(none)") << threads;
    EXPECT_EQ(record_data(next->dom(), "lexicon_info"), R"({"entries":2,"literal":2})")
        << threads;
  }
  {
    // No group left at all: no summary either.
    auto next = std::make_unique<Compilation>(R"({"threads":"2"})");
    std::filesystem::copy_file(build->dom(), next->dom());
    std::filesystem::copy_file(build->twin(), next->twin());
    next->open_database(false, 1700000000);
    auto store = next->store();
    store->finalize();
    EXPECT_EQ(record_data(next->dom(), "lexicon_info"), "(none)");
    EXPECT_EQ(record_data(next->dom(), "entities_literal"), "(none)");
  }
}

TEST_F(LexiconBuild, EmptyGroupsWriteNothing) {
  auto build = compilation("1");
  auto store = build->store();
  store->add_lexicon(lexicon({}, {}, call("A")));
  store->finalize();
  EXPECT_EQ(record_data(build->dom(), "entities_literal"), "(none)");
  EXPECT_EQ(record_data(build->dom(), "lexicon_info"), "(none)");
}

TEST_F(LexiconBuild, NoTemporaryFileIsLeftWhenABucketFails) {
  for (const std::string threads : {"1", "8"}) {
    auto build = compilation(threads);
    auto store = build->store();
    std::vector<Entry> entries;
    for (int i = 0; i < 3000; ++i) entries.push_back({"w" + std::to_string(i), ""});
    // The last bucket holds an entry the formatted-string syntax refuses.
    entries.push_back({"zz\xff", ""});
    store->add_lexicon(lexicon({}, entries, call("A")));
    EXPECT_ANY_THROW(store->finalize()) << threads;
    EXPECT_EQ(temporary_files(), "") << threads;
    EXPECT_TRUE(record_data(build->dom(), "entities_literal") == "(none)");
  }
}

TEST_F(LexiconBuild, NeverMoreBuildersThanThreads) {
  for (int threads : {1, 2, 3}) {
    auto build = compilation(std::to_string(threads));
    auto store = build->store();
    for (const std::string stream : {"literal", "stem", "normalized_literal", "canonical"}) {
      std::vector<Entry> entries;
      for (int i = 0; i < 600; ++i) entries.push_back({stream + std::to_string(i), ""});
      store->add_lexicon(lexicon({{"input", stream}}, entries, call("A")));
    }
    store->lexicon_threads = static_cast<uint32_t>(threads);
    BuilderSlots slots(threads);
    nlohmann::json info = nlohmann::json::object();
    if (threads <= 2) {
      build_lexicons_st(*store, info, slots);
    } else {
      build_lexicons_mt(*store, info, slots);
    }
    EXPECT_EQ(info["entries"], 4 * 600);
    EXPECT_LE(slots.peak(), threads);
    EXPECT_GE(slots.peak(), 1);
  }
}

// --- The same records for every thread count ---------------------------------

struct Records {
  std::vector<std::string> names;
  std::map<std::string, std::string> attributes;
  std::string info;
  std::map<std::string, std::vector<std::string>> lookups;
};

// Several streams: one group of 20,000 entries and more (two-word
// entries, patterns, duplicates with other annotations and second texts),
// small groups beside it.
void add_lexicons(ResultStore& store) {
  std::vector<Entry> words;
  for (int i = 0; i < 20000; ++i) {
    std::string word;
    for (int n = i; ; n /= 26) {
      word += static_cast<char>('a' + n % 26);
      if (n < 26) break;
    }
    words.push_back({i % 5 == 0 ? word + " " + word : word, i % 7 == 0 ? "c" + word : ""});
  }
  for (int i = 0; i < 40; ++i) words.push_back({"p" + std::to_string(i) + "(x|y)+", ""});
  words.push_back({"ab.", ""});
  store.add_lexicon(lexicon({}, words, call("Word")));
  std::vector<Entry> duplicates(words.begin(), words.begin() + 600);
  store.add_lexicon(lexicon({}, duplicates, call("Other", {{"k", "v"}})));
  store.add_lexicon(lexicon({{"input", "stem"}}, {{"go", ""}, {"walk", "walking"}, {"g.", ""}},
                             call("Motion")));
  std::vector<Entry> normalized;
  for (int i = 0; i < 700; ++i) normalized.push_back({"n" + std::to_string(i), ""});
  store.add_lexicon(lexicon({{"input", "normalized_literal"}}, normalized, call("N")));
}

Records records_of(const std::string& dom) {
  Records records;
  auto db = afst::serialization::open_file_read(dom);
  for (const auto& name : record_names(dom)) {
    if (name.compare(0, 9, "entities_") != 0) continue;
    records.names.push_back(name);
    records.attributes[name] = afst::serialization::get_binary_data(db.get(), name).first;
  }
  records.info = record_data(dom, "lexicon_info");
  std::vector<std::string> probes = {"a a", "aa aa", "ab", "abc", "abd", "p3xyx", "p3", "go", "walk",
                                     "gx", "n5", "n699", "zzz", "ba", "ca ca"};
  for (int i = 0; i < 20000; i += 37) {
    std::string word;
    for (int n = i; ; n /= 26) {
      word += static_cast<char>('a' + n % 26);
      if (n < 26) break;
    }
    probes.push_back(word);
    probes.push_back(word + " " + word);
  }
  for (const auto& name : records.names) {
    kavero::core::LexiconFacade facade(db, name);
    for (const auto& probe : probes) records.lookups[name + " " + probe] = facade.up(probe);
  }
  return records;
}

TEST_F(LexiconBuild, EveryThreadCountGivesTheSameRecords) {
  std::map<std::string, Records> by_threads;
  for (const std::string threads : {"1", "2", "3", "8", "-1"}) {
    auto build = compilation(threads);
    auto store = build->store();
    add_lexicons(*store);
    store->finalize();
    by_threads[threads] = records_of(build->dom());
    EXPECT_EQ(temporary_files(), "") << threads;
  }
  const Records& one = by_threads.at("1");
  EXPECT_THAT(one.names, ElementsAre("entities_literal", "entities_normalized_literal",
                                     "entities_stem"));
  EXPECT_EQ(one.info,
            R"({"entries":21344,"literal":20641,"normalized_literal":700,"stem":3})");
  EXPECT_THAT(one.lookups.at("entities_literal a a"), ElementsAre("ca+Other@k=v", "ca+Word"));
  EXPECT_THAT(one.lookups.at("entities_literal p3xyx"), ElementsAre("Word"));
  EXPECT_THAT(one.lookups.at("entities_literal abc"), ElementsAre("Word"));
  EXPECT_THAT(one.lookups.at("entities_stem walk"), ElementsAre("walking+Motion"));
  for (const auto& [threads, records] : by_threads) {
    EXPECT_EQ(records.names, one.names) << threads;
    EXPECT_EQ(records.attributes, one.attributes) << threads;
    EXPECT_EQ(records.info, one.info) << threads;
    EXPECT_TRUE(records.lookups == one.lookups) << threads;
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
