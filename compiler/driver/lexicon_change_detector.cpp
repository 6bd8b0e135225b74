#include "compiler/driver/lexicon_change_detector.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/input_pool.h"
#include "base/logging.h"
#include "compiler/backend/concept_definitions.h"
#include "compiler/backend/lexicon_builder.h"
#include "compiler/backend/string_string_map.h"
#include "compiler/driver/domain_database.h"
#include "compiler/parser/compiler_blackboard.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {

namespace ser = afst::serialization;
namespace fs = std::filesystem;

const char* const kLexiconHashRecord = "uniq_lexicon_hash";

namespace {

constexpr char kFileMap[] = "uniq_id_2_filename_map";

// One field of an entry's hashed text: its length, ":" and the bytes, so
// that no two different field lists give the same text.
void append_field(std::string& text, const std::string& field) {
  text += std::to_string(field.size());
  text += ':';
  text += field;
}

// The last write time of the file, or nothing when it does not exist.
std::optional<fs::file_time_type> write_time(const fs::path& path) {
  std::error_code error;
  const fs::file_time_type time = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  return time;
}

// Whole seconds since 1970 (truncated), -1 for no time; for log lines.
int64_t seconds_of(const std::optional<fs::file_time_type>& time) {
  if (!time) return -1;
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      *time - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

std::string canonical_text(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(fs::absolute(path), error);
  return error ? fs::absolute(path).lexically_normal().string() : canonical.string();
}

// Whether the file map's key is a source key of the path: the source's
// number in lowercase hexadecimal, "_" and the path's file name
// ("1f_people.kav" for ".../people.kav"); debug ids are not.
bool is_source_key(const std::string& key, const std::string& path) {
  const size_t underscore = key.find('_');
  if (underscore == 0 || underscore == std::string::npos || underscore > 8) return false;
  for (size_t i = 0; i < underscore; ++i) {
    const char c = key[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return key.compare(underscore + 1, std::string::npos, fs::path(path).filename().string()) == 0;
}

}  // namespace

// --- HashInfoType -----------------------------------------------------------

void HashInfoType::ostream(std::ostream& os) const {
  nlohmann::json value = nlohmann::json::object();
  for (const auto& [name, hash] : *this) value[name] = hash;
  os << value.dump();
}

void HashInfoType::istream(std::istream& is) {
  nlohmann::json value;
  is >> value;
  if (!value.is_object()) return;
  std::map<std::string, uint64_t> read;
  for (const auto& [name, hash] : value.items()) {
    if (!hash.is_number_unsigned()) return;
    read.emplace(name, hash.get<uint64_t>());
  }
  static_cast<std::map<std::string, uint64_t>&>(*this) = std::move(read);
}

std::ostream& operator<<(std::ostream& os, const HashInfoType& hashes) {
  for (const auto& [name, hash] : hashes) os << name << ':' << hash << ';';
  return os;
}

// --- Hashing ----------------------------------------------------------------

std::string lexicon_input_stream(const ast::node::Lexicon& statement) {
  for (const auto& [key, value] : statement.attributes) {
    if (key != "input") continue;
    std::string stream = value;
    if (!stream.empty() && stream.front() == '"') {
      stream = stream.size() < 2 ? std::string() : stream.substr(1, stream.size() - 2);
    }
    return lexicon_stream_name(stream);
  }
  return "literal";
}

uint64_t lexicon_hasher(const ast::node::Lexicon& statement) {
  // What every entry of the statement shares.
  std::string shared;
  append_field(shared, lexicon_input_stream(statement));
  append_field(shared, statement.assignment.uri());
  append_field(shared, std::to_string(statement.assignment.attributes().size()));
  for (const auto& [key, value] : statement.assignment.attributes()) {
    append_field(shared, key);
    append_field(shared, value);
  }
  uint64_t hash = 0;
  for (const ast::node::LexiconEntry& entry : statement.entries) {
    std::string text = shared;
    append_field(text, entry.text);
    append_field(text, entry.secondary);
    hash += string_hash(text);
  }
  return hash;
}

// --- LexiconChangeDetector --------------------------------------------------

LexiconChangeDetector::LexiconChangeDetector(Blackboard& blackboard)
    : database_(blackboard.domain_database) {}

LexiconChangeDetector::~LexiconChangeDetector() = default;

void LexiconChangeDetector::open(const std::string& source) {
  current_hashes_.clear();
  stored_hashes_.clear();
  if (database_ && database_->twin_db()) {
    stored_hashes_ = ser::get_object<HashInfoType>(database_->twin_db().get(),
                                                   kLexiconHashRecord + source);
  }
}

void LexiconChangeDetector::collect(const ast::node::Root& root) {
  LexiconChangeDetectorVisitor visitor(*this);
  visitor(root);
}

void LexiconChangeDetector::add_lexicon(const ast::node::Lexicon& statement) {
  current_hashes_[lexicon_input_stream(statement)] += lexicon_hasher(statement);
}

void LexiconChangeDetector::close(const std::string& source) {
  // Whether `in` lacks the name or holds another hash for it.
  auto differs = [](const HashInfoType& in, const std::string& name, uint64_t hash) {
    auto found = in.find(name);
    return found == in.end() || found->second != hash;
  };
  for (const auto& [name, hash] : current_hashes_) {
    if (differs(stored_hashes_, name, hash)) changed_lexicons_.push_back(name);
  }
  for (const auto& [name, hash] : stored_hashes_) {
    if (differs(current_hashes_, name, hash)) changed_lexicons_.push_back(name);
  }
  if (current_hashes_ != stored_hashes_) {
    pending_records_.emplace_back(kLexiconHashRecord + source, current_hashes_);
  }
}

void LexiconChangeDetector::finalize() {
  if (!database_ || !database_->twin_db()) return;
  for (const auto& [record, hashes] : pending_records_) {
    ser::store_object(database_->twin_db().get(), record, hashes, std::string());
  }
}

std::shared_ptr<LexiconChangeDetector> get_visitor_detect_incremental_changes(
    Blackboard& blackboard) {
  return std::make_shared<LexiconChangeDetector>(blackboard);
}

// --- Newer inputs -------------------------------------------------------------

bool detect_changes(const fs::path& domain_file, const InputPool& inputs) {
  const std::optional<fs::file_time_type> domain_time = write_time(domain_file);
  for (const auto& input : inputs) {
    const std::optional<fs::file_time_type> time = write_time(input->get_id());
    wlog::log(wlog::kCompilerId, wlog::kLevelDebug, [&](std::ostream& os) {
      os << " check:" << input->get_id() << ":" << seconds_of(time);
    });
    if (time && (!domain_time || *domain_time < *time)) return true;
  }
  return false;
}

// --- Gone sources -------------------------------------------------------------

GoneSources forget_gone_sources(Blackboard& blackboard, const InputPool& inputs) {
  const std::shared_ptr<DomainDatabase> database = blackboard.domain_database;
  if (!database) {
    std::ostringstream message;
    message << "Forgetting gone sources needs the build's domain database.";
    throw Exception(message);
  }
  sqlite3* domain = database->domain_db().get();
  sqlite3* twin = database->twin_db().get();

  std::set<std::string> current;
  for (const auto& input : inputs) current.insert(canonical_text(input->get_id()));

  StringStringMap file_map = ser::get_object<StringStringMap>(twin, kFileMap);
  std::set<std::string> gone;
  for (const auto& entry : file_map) {
    if (current.count(entry.second) == 0) gone.insert(entry.second);
  }

  GoneSources answer;
  if (gone.empty()) return answer;

  std::set<std::string> streams;
  for (auto entry = file_map.begin(); entry != file_map.end();) {
    if (gone.count(entry->second) == 0) {
      ++entry;
      continue;
    }
    if (is_source_key(entry->first, entry->second)) {
      // Rule and bitset records name their source as "$DAZ:" + key + "__l".
      ser::delete_binary_data_like(
          domain, "%" + ser::like_escape("$DAZ:" + entry->first + "__l") + "%");
    }
    entry = file_map.erase(entry);
  }
  for (const std::string& path : gone) {
    const HashInfoType hashes = ser::get_object<HashInfoType>(twin, kLexiconHashRecord + path);
    for (const auto& stream : hashes) streams.insert(stream.first);
    ser::delete_binary_data(twin, kLexiconHashRecord + path);
    ser::delete_binary_data(twin, kSourceDefinitionsRecord + path);
    answer.paths.push_back(path);
  }
  answer.streams.assign(streams.begin(), streams.end());
  ser::store_object(twin, kFileMap, file_map, std::string());

  wlog::log(wlog::kCompilerId, wlog::kLevelDebug, [&](std::ostream& os) {
    os << "Sources gone since the last build:";
    for (const std::string& path : answer.paths) os << ' ' << path;
  });
  return answer;
}

}  // namespace compiler
}  // namespace zel
