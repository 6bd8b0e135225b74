#include "compiler/driver/domain_database.h"

#include <filesystem>
#include <sstream>
#include <utility>

#include "base/fatal_exception.h"
#include "base/logging.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {

namespace ser = afst::serialization;

const char* const kTwinSuffix = "_inc";
const char* const kSdkVersionRecord = "sdk_version";
const char* const kSdkVersion = "3.1.1";
const char* const kBusyRecord = "_BUSY_";
const char* const kBusyData = "{}";

namespace {

void trace(const char* label, const std::string& value) {
  wlog::log(wlog::kCompilerId, wlog::kLevelTrace,
            [&](std::ostream& os) { os << label << value; });
}

// Any file type but "none" and "not found"; errors of the file system
// (other than a missing file) pass out.
bool file_exists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

}  // namespace

DomainDatabase::DomainDatabase(Blackboard& /*blackboard*/, const std::string& path,
                               const int64_t& timestamp, bool full_build)
    : path_(path), timestamp_(timestamp) {
  trace("domain_timestamp :", std::to_string(timestamp_));
  if (!ser::zel_sqlite3_initialize()) {
    wlog::log(wlog::kCompilerId, wlog::kLevelError,
              [](std::ostream& os) { os << "Failed to initialize library"; });
  }
  trace("DB :", path_);
  const std::string twin = path_ + kTwinSuffix;
  trace("DBINC :", twin);

  // A twin without its domain file belongs to a domain that is gone: its
  // lexicon hashes and file map must not be read.
  if (!file_exists(path_) && file_exists(twin)) std::filesystem::remove(twin);
  if (full_build) {
    if (file_exists(path_)) std::filesystem::remove(path_);
    if (file_exists(twin)) std::filesystem::remove(twin);
  }

  db_ = open_result_db(path_);
  create_lexicon_tables(db_);
  db_inc_ = open_result_db(twin);
  create_lexicon_tables(db_inc_);
  ser::store_binary_data(db_.get(), kBusyRecord, std::string(), kBusyData,
                         std::char_traits<char>::length(kBusyData));
}

DomainDatabase::~DomainDatabase() {
  if (db_) ser::delete_binary_data(db_.get(), kBusyRecord);
  db_inc_.reset();
  db_.reset();
}

void DomainDatabase::create_lexicon_tables(const std::shared_ptr<sqlite3>& db) {
  create_cbf_tables(db);
  std::ostringstream version;
  version << kSdkVersion;
  const std::string data = version.str();
  ser::store_binary_data(db_.get(), kSdkVersionRecord, std::string(), data.data(), data.size());
}

std::shared_ptr<sqlite3> open_result_db(std::string path) {
  std::shared_ptr<sqlite3> db;
  try {
    db = ser::open_file(path);
  } catch (const ser::FileFormatException&) {
    std::ostringstream message;
    message << "Can not create database: " << path;
    throw FatalException(message);
  }
  create_cbf_tables(db);
  return db;
}

bool create_cbf_tables(const std::shared_ptr<sqlite3>& db) {
  return ser::create_cbf_table(db.get());
}

std::string make_lexicon_table_name(const std::string& name) { return "entities_" + name; }

}  // namespace compiler
}  // namespace zel
