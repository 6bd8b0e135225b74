#include "compiler/backend/lexicon_builder.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <future>
#include <iostream>
#include <map>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/logging.h"
#include "base/options.h"
#include "base/regex.h"
#include "base/stream_name.h"
#include "base/string_util.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/driver/uniq_name.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/lexicon_entry_text.h"
#include "core-afst/formatted_string.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {

namespace ser = afst::serialization;
using nlohmann::json;

namespace {

constexpr char kLexiconInfo[] = "lexicon_info";
constexpr char kEntriesKey[] = "entries";
constexpr std::uint16_t kBuildLog = 0;

std::string hex(uint64_t number) {
  std::ostringstream out;
  out << std::hex << number;
  return out.str();
}

// Unions the networks of the builder's root level. The union marks the end
// state of the current network final, as it does for a network being built;
// the current network here is complete (a determinised entry, a network
// read from a file), so it is given a state of its own to mark, which
// nothing reaches and the next determinisation drops.
void union_root_networks(afst::Builder& builder) {
  afst::stack_item* current = builder.current_item();
  if (current != nullptr && current->network != nullptr) current->network->AddState();
  builder.applyUnion(0);
}

bool has_root_networks(const afst::Builder& builder) {
  return !builder.roots().empty() && !builder.roots().front()->children.empty();
}

void remove_file(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

// The bytes a full match of the pattern must begin with: its leading
// characters up to the first pattern syntax, less a character that a
// repetition follows; nothing when the pattern has an alternative outside
// every group.
std::string literal_prefix(const std::string& pattern) {
  static const std::string kSyntax = "\\^$.|?*+()[]{}";
  int depth = 0;
  bool in_class = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\') {
      ++i;
    } else if (in_class) {
      if (c == ']') in_class = false;
    } else if (c == '[') {
      in_class = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (c == '|' && depth == 0) {
      return std::string();
    }
  }
  size_t end = pattern.find_first_of(kSyntax);
  if (end == std::string::npos) return pattern;
  const char next = pattern[end];
  if (next == '?' || next == '*' || next == '{') {
    // Back to the start of the last character (a UTF-8 sequence is one).
    while (end > 0) {
      --end;
      if ((static_cast<unsigned char>(pattern[end]) & 0xC0) != 0x80) break;
    }
  }
  return pattern.substr(0, end);
}

// The streams this build rebuilds, under their lexicon names, among the
// stream names.
std::set<std::string> streams_to_build(const ResultStore& store) {
  std::set<std::string> streams;
  for (const std::string& name : store.update_lexicons) {
    if (stream_types.count(name) != 0) streams.insert(lexicon_stream_name(name));
  }
  return streams;
}

// Deletes the records of a stream, under each of its names.
void delete_stream_records(ResultStore& store, const std::string& stream) {
  sqlite3* db = store.database->domain_db().get();
  for (const auto& entry : stream_types) {
    if (lexicon_stream_name(entry.first) == stream) {
      ser::delete_binary_data(db, make_lexicon_table_name(entry.first));
    }
  }
}

bool group_is_empty(const ResultStore& store, const std::string& stream) {
  auto group = store.lexicon_cache.find(make_lexicon_table_name(stream));
  return group == store.lexicon_cache.end() || group->second.entries.empty();
}

// Rewrites "lexicon_info" so that it counts the entries of every stored
// group: those built now from `built`, the others from the record before.
void store_lexicon_info(ResultStore& store, const json& built,
                        const std::set<std::string>& rebuilt) {
  sqlite3* db = store.database->domain_db().get();
  json before = json::object();
  const ser::BinaryData record = ser::get_binary_data(db, kLexiconInfo);
  if (!record.second.empty()) {
    json parsed = json::parse(record.second.begin(), record.second.end(), nullptr, false);
    if (parsed.is_object()) before = std::move(parsed);
  }
  json info = json::object();
  int64_t total = 0;
  std::set<std::string> streams;
  for (const auto& entry : stream_types) streams.insert(lexicon_stream_name(entry.first));
  for (const std::string& stream : streams) {
    if (!ser::has_binary_data(db, make_lexicon_table_name(stream))) continue;
    const json& source = rebuilt.count(stream) != 0 ? built : before;
    auto count = source.find(stream);
    if (count == source.end() || !count->is_number_unsigned()) continue;
    const uint64_t value = count->get<uint64_t>();
    if (value == 0) continue;
    info[stream] = value;
    total += static_cast<int64_t>(value);
  }
  if (total == 0) {
    ser::delete_binary_data(db, kLexiconInfo);
    return;
  }
  info[kEntriesKey] = total;
  const std::string text = info.dump();
  wlog::log(wlog::kCompilerId, wlog::kLevelInfo,
            [&](std::ostream& os) { os << kLexiconInfo << ": " << text; });
  ser::store_binary_data(db, kLexiconInfo, std::string(), text.data(), text.size());
}

// Waits for every task, keeping the paths of those that succeed in the
// context (so that they are removed whatever happens); then raises the
// first failure.
void collect_bucket_files(std::vector<std::future<std::string>>& tasks,
                          BuildLexiconContext& context) {
  std::exception_ptr failure;
  for (auto& task : tasks) {
    try {
      std::string path = task.get();
      if (!path.empty()) context.fsm_files.insert(std::move(path));
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  tasks.clear();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

// --- BuilderSlots -------------------------------------------------------------

BuilderSlots::BuilderSlots(int limit) : limit_(std::max(limit, 1)) {}

BuilderSlots::Slot::Slot(BuilderSlots& slots) : slots_(slots) {
  std::unique_lock<std::mutex> lock(slots_.mutex_);
  slots_.free_.wait(lock, [this] { return slots_.used_ < slots_.limit_; });
  ++slots_.used_;
  slots_.peak_ = std::max(slots_.peak_, slots_.used_);
}

BuilderSlots::Slot::~Slot() {
  {
    std::lock_guard<std::mutex> lock(slots_.mutex_);
    --slots_.used_;
  }
  slots_.free_.notify_one();
}

int BuilderSlots::peak() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peak_;
}

int builder_limit(int threads) {
  if (threads >= 1) return threads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::string lexicon_stream_name(const std::string& name) {
  if (name == "lemma") return "stem";
  if (name == "normalized_lemma") return "normalized_stem";
  return name;
}

// --- Thread and bucket counts --------------------------------------------------

int get_concurrency_number(Blackboard& blackboard) {
  const std::string value =
      blackboard.options ? blackboard.options->get("threads", "auto") : std::string("auto");
  const int hardware = static_cast<int>(std::thread::hardware_concurrency());
  if (value == "auto") return hardware;
  const int n = static_cast<int>(static_cast<int32_t>(std::strtoll(value.c_str(), nullptr, 10)));
  return n == 0 ? hardware : n;
}

int get_nrof_buckets(int threads, int entries) {
  if (entries <= 499) return threads <= 0 ? threads : 1;
  if (entries <= 2499) return std::min(threads, 4);
  if (entries <= 9999) return std::min(threads, 8);
  return std::min(threads, 16);
}

int get_nrof_buckets_st(int entries) { return entries <= 4999 ? 1 : entries / 5000; }

std::vector<std::vector<const EntryInfo*>> generate_buckets(
    const std::vector<const EntryInfo*>& entries, unsigned count) {
  std::vector<std::vector<const EntryInfo*>> buckets;
  buckets.reserve(count);
  size_t taken = 0;
  for (unsigned i = 0; i < count; ++i) {
    const size_t size = (entries.size() - taken) / (count - i);
    buckets.emplace_back(entries.begin() + static_cast<std::ptrdiff_t>(taken),
                         entries.begin() + static_cast<std::ptrdiff_t>(taken + size));
    taken += size;
  }
  return buckets;
}

// --- One bucket -----------------------------------------------------------------

void add_entry_to_builder(std::shared_ptr<afst::Builder>& builder, const char* text,
                          const ast::node::AssignCaptureGroup& capture, const char* canonical,
                          const std::string& /*record_name*/) {
  builder->open_rule();
  builder->open_group();
  afst::add_formatted_string(builder, text);
  builder->close_group("");
  if (canonical != nullptr && *canonical != '\0') {
    builder->open_group();
    for (const char* byte = canonical; *byte != '\0'; ++byte) {
      builder->pushArc("eps", std::string(1, *byte));
    }
    builder->pushArc("eps", "+");
    builder->close_group("");
  }
  builder->pushArc("eps", capture.uri());
  if (!capture.attributes().empty()) {
    std::ostringstream attributes;
    attributes << "@" << capture.attributes();
    builder->pushArc("eps", attributes.str());
  }
  builder->close_rule();
}

std::string create_intermediate_union_fsm(std::shared_ptr<afst::Builder> builder,
                                          const std::string& /*record_name*/) {
  if (!has_root_networks(*builder)) return std::string();
  union_root_networks(*builder);
  const std::string path =
      (std::filesystem::temp_directory_path() / generate_uniq_name("tmp-kav-", ".fsm")).string();
  builder->build(false);
  try {
    builder->save(path);
  } catch (...) {
    remove_file(path);
    throw;
  }
  builder->clear();
  return path;
}

namespace {

// The entry of a bucket element, whatever the bucket holds.
const EntryInfo* get_entry_info_union_bucket(const EntryInfo* entry) { return entry; }
[[maybe_unused]] const EntryInfo* get_entry_info_union_bucket(const EntryInfo& entry) {
  return &entry;
}
[[maybe_unused]] const EntryInfo* get_entry_info_union_bucket(
    const std::pair<const std::string, EntryInfo>& entry) {
  return &entry.second;
}

template <class Bucket>
std::string union_bucket_base(const Bucket& bucket, const std::string& record_name) {
  auto builder = std::make_shared<afst::Builder>();
  uint64_t count = 0;
  for (const auto& element : bucket) {
    const EntryInfo* entry = get_entry_info_union_bucket(element);
    add_entry_to_builder(builder, entry->literal.c_str(), entry->capture, entry->canonical.c_str(),
                         record_name);
    ++count;
    builder->build(false);
    if (count % 10000 == 0) union_root_networks(*builder);
  }
  return create_intermediate_union_fsm(builder, record_name);
}

}  // namespace

std::string union_bucket_ptr(const std::vector<const EntryInfo*>& bucket,
                             const std::string& record_name) {
  return union_bucket_base(bucket, record_name);
}

// --- One group ------------------------------------------------------------------

BuildLexiconContext::BuildLexiconContext(ResultStore& store_, std::string record_name_,
                                         EntryCache& cache_)
    : store(store_), record_name(std::move(record_name_)), cache(cache_) {}

BuildLexiconContext::~BuildLexiconContext() {
  for (const std::string& path : fsm_files) remove_file(path);
}

void BuildLexiconContext::add_deterministic_entry(EntryInfo& entry) {
  if (is_raw_lexicon_entry(entry.literal)) strip_raw_lexicon_entry(entry.literal);

  uint64_t same = 0;
  const auto equal = cache.entries.equal_range(entry.literal);
  for (auto it = equal.first; it != equal.second; ++it) {
    if (it->second.numbered) ++same;
  }

  uint64_t ordinal = 0;
  if (has_wildcards(entry.literal)) {
    ++regex_count;
    ordinal = static_cast<uint64_t>(regex_count);
    std::string pattern = entry.literal;
    try {
      string::replace_all(pattern, "[:#", "[");
      string::replace_all(pattern, "#:]", "]");
      const Regex expression = kav_regex(pattern);
      // Only keys that begin as every full match begins can match.
      const std::string prefix = literal_prefix(pattern);
      for (auto it = cache.entries.lower_bound(prefix);
           it != cache.entries.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string& key = it->first;
        if (key == entry.literal || !expression.regex_match(key)) continue;
        ++same;
        const EntryInfo& other = it->second;
        if (other.capture.uri() == entry.capture.uri()) {
          wlog::log(kBuildLog, wlog::kLevelWarning, [&](std::ostream& os) {
            os << "Overlapping matches found in lexicons ! `" << key << "=" << other.capture.uri()
               << "` And `" << entry.literal << "=" << entry.capture.uri() << "`";
          });
        }
      }
    } catch (const std::exception& e) {
      compiler_error_of(entry.source, "regex error on '" + pattern + ": " + e.what(), entry.line,
                        0, std::string(), 0);
    }
  }

  uint64_t number = same + ordinal;
  if (ordinal != 0) {
    // Two patterns with one number would accept one input with two outputs.
    while (wildcard_numbers.count(number) != 0) ++number;
    wildcard_numbers.insert(number);
  }
  if (number != 0) entry.literal += "[#end" + hex(number) + "]";
  ++entry_count;
}

void BuildLexiconContext::finalize(ResultStore& store_) {
  auto builder = std::make_shared<afst::Builder>();
  for (auto it = fsm_files.begin(); it != fsm_files.end();) {
    builder->read(*it);
    remove_file(*it);
    it = fsm_files.erase(it);
  }
  if (builder->roots().front()->children.size() > 1) union_root_networks(*builder);
  wlog::log(kBuildLog, wlog::kLevelInfo, [&](std::ostream& os) {
    os << "Total " << record_name << " " << entry_count << " entries ...";
  });
  try {
    ser::store_fsm(builder, store_.database->domain_db(), record_name, cache.attributes);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(e.what());
  }
}

uint64_t build_lexicon_no_exceptions(ResultStore& store, const std::string& stream,
                                     BuilderSlots& slots) {
  const std::string record = make_lexicon_table_name(stream);
  auto group = store.lexicon_cache.find(record);
  if (group == store.lexicon_cache.end() || group->second.entries.empty()) return 0;
  EntryCache& cache = group->second;
  wlog::log(kBuildLog, wlog::kLevelDebug,
            [&](std::ostream& os) { os << "-- build_lexicon:" << record; });

  BuildLexiconContext context(store, record, cache);
  for (auto& [key, entry] : cache.entries) {
    if (entry.numbered) continue;
    wlog::log(wlog::kCompilerId, wlog::kLevelDebug, [&](std::ostream& os) {
      os << "-- DBG_INFO:{\"literal\":" << key << ",\"uri\":\"" << entry.capture.uri()
         << "\",\"input_type\":\"" << record << "\"}\n";
    });
    context.add_deterministic_entry(entry);
    entry.numbered = 1;
  }

  const int count = static_cast<int>(cache.entries.size());
  const int threads = static_cast<int>(store.lexicon_threads);
  const int parallel = get_nrof_buckets(threads, count);
  std::vector<const EntryInfo*> all;
  all.reserve(cache.entries.size());
  for (const auto& entry : cache.entries) all.push_back(&entry.second);
  try {
    if (parallel <= 1) {
      const int n = get_nrof_buckets_st(count);
      wlog::log(kBuildLog, wlog::kLevelDebug, [&](std::ostream& os) {
        os << "-- lunch bucket st" << "{ nrof_buckets:" << n << ", name:" << record
           << ", entries:" << count << "}";
      });
      for (const auto& bucket : generate_buckets(all, static_cast<unsigned>(n))) {
        if (bucket.empty()) continue;
        BuilderSlots::Slot slot(slots);
        std::string path = union_bucket_ptr(bucket, record);
        if (!path.empty()) context.fsm_files.insert(std::move(path));
      }
    } else {
      const auto buckets = generate_buckets(all, static_cast<unsigned>(parallel));
      wlog::log(kBuildLog, wlog::kLevelDebug, [&](std::ostream& os) {
        os << "-- lunch bucket mt" << "{ nrof_buckets: " << parallel << ", name: " << record
           << ", entries: " << count << ", nr_of_threads: " << store.lexicon_threads
           << ", bucket_size: " << buckets.front().size() << "}";
      });
      std::vector<std::future<std::string>> tasks;
      try {
        for (const auto& bucket : buckets) {
          if (bucket.empty()) continue;
          tasks.push_back(std::async(std::launch::async, [bucket, record, &slots] {
            BuilderSlots::Slot slot(slots);
            return union_bucket_ptr(bucket, record);
          }));
        }
      } catch (...) {
        // A task that could not start: the started ones finish and their
        // files are kept for removal before the failure leaves.
        try {
          collect_bucket_files(tasks, context);
        } catch (...) {
        }
        throw;
      }
      collect_bucket_files(tasks, context);
    }
  } catch (...) {
    std::cerr << "!!!! Internal Exception in : union_bucket_ptr" << stream << std::endl;
    throw;
  }

  if (context.entry_count != 0) {
    BuilderSlots::Slot slot(slots);
    context.finalize(store);
  }
  return static_cast<uint64_t>(context.entry_count);
}

uint64_t build_lexicon(ResultStore& store, Blackboard& blackboard, const std::string& stream,
                       BuilderSlots& slots) {
  get_ctx().set_blackboard(&blackboard);
  try {
    return build_lexicon_no_exceptions(store, stream, slots);
  } catch (...) {
    std::cerr << "!!!! Internal Exception in build_lexicon: " << stream << std::endl;
    throw;
  }
}

// --- The group loops ------------------------------------------------------------

int build_lexicons_st(ResultStore& store, json& info, BuilderSlots& slots) {
  const std::set<std::string> rebuilt = streams_to_build(store);
  int32_t sum = 0;
  for (const std::string& stream : rebuilt) {
    if (group_is_empty(store, stream)) {
      delete_stream_records(store, stream);
      continue;
    }
    const uint64_t n = build_lexicon(store, store.blackboard, stream, slots);
    if (n != 0) info[stream] = n;
    sum += static_cast<int32_t>(n);
  }
  info[kEntriesKey] = sum;
  return 1;
}

int build_lexicons_mt(ResultStore& store, json& info, BuilderSlots& slots) {
  std::map<std::string, std::future<uint64_t>> tasks;
  std::exception_ptr failure;
  try {
    for (const std::string& stream : streams_to_build(store)) {
      delete_stream_records(store, stream);
      if (store.lexicon_cache.count(make_lexicon_table_name(stream)) == 0) continue;
      tasks.emplace(stream, std::async(std::launch::async | std::launch::deferred,
                                       [&store, stream, &slots] {
                                         return build_lexicon(store, store.blackboard, stream,
                                                              slots);
                                       }));
    }
  } catch (...) {
    failure = std::current_exception();
  }
  int32_t sum = 0;
  for (auto& [stream, task] : tasks) {
    try {
      const uint64_t n = task.get();
      if (n != 0) info[stream] = n;
      sum += static_cast<int32_t>(n);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
  info[kEntriesKey] = sum;
  return 1;
}

void build_lexicons(ResultStore& store) {
  const int threads = get_concurrency_number(store.blackboard);
  store.lexicon_threads = static_cast<uint32_t>(threads);
  BuilderSlots slots(builder_limit(threads));
  json info = json::object();
  if (store.lexicon_threads <= 2) {
    build_lexicons_st(store, info, slots);
  } else {
    build_lexicons_mt(store, info, slots);
  }
  store_lexicon_info(store, info, streams_to_build(store));
}

}  // namespace compiler
}  // namespace zel
