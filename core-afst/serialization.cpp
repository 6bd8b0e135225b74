#include "core-afst/serialization.h"

#include <cstdio>
#include <limits>
#include <string_view>

#include "core-afst/transducer_file.h"

namespace zel {
namespace afst {
namespace serialization {

FileFormatException::~FileFormatException() = default;

namespace {

// The statement texts are part of the file format's description; keep them
// byte for byte.
constexpr const char* kTableStatement =
    "CREATE TABLE IF NOT EXISTS FILES(URI            TEXT PRIMARY KEY,"
    "ATTRIBUTES     TEXT,"
    "DATA           BLOB);";
constexpr const char* kIndexStatement = "CREATE UNIQUE INDEX IF NOT EXISTS files_idx ON FILES(URI);";

constexpr int kSharedFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                             SQLITE_OPEN_SHAREDCACHE | SQLITE_OPEN_WAL;
constexpr int kSharedReadFlags =
    SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_SHAREDCACHE | SQLITE_OPEN_WAL;

// Serialised mode, whatever the engine's default: one connection may serve
// several threads.
constexpr int kFileFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
constexpr int kFileReadFlags = SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX;

// Pattern matches: LIKE with "\" as escape, and GLOB over the same pattern
// so that letters match case and all (LIKE folds ASCII case).
constexpr const char* kPatternCondition = "URI LIKE ?1 ESCAPE '\\' AND URI GLOB ?2";

std::shared_ptr<sqlite3> open_with(const char* path, int flags) {
  if (!zel_sqlite3_initialize()) throw FileFormatException("Cannot initialize fileformat engine.");
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path, &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string text = "Can't open database ";
    text += path;
    text += ":";
    text += db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    text += "\n";
    close_file(db);
    throw FileFormatException(text);
  }
  return std::shared_ptr<sqlite3>(db, close_file);
}

// A prepared statement, finalised when it goes out of scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* text) {
    if (sqlite3_prepare_v2(db, text, -1, &statement_, nullptr) != SQLITE_OK) {
      sqlite3_finalize(statement_);
      statement_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return statement_ != nullptr; }
  sqlite3_stmt* get() const { return statement_; }

  // Binds a text that outlives the statement's use.
  bool bind(int index, const std::string& text) {
    return sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_STATIC,
                               SQLITE_UTF8) == SQLITE_OK;
  }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// Holds the connection's own mutex across prepare, step and error message, so
// that a message read after a failure is this statement's, also when other
// threads use the connection. The mutex is recursive, and null for a
// connection opened without one.
class ConnectionLock {
 public:
  explicit ConnectionLock(sqlite3* db) : mutex_(sqlite3_db_mutex(db)) { sqlite3_mutex_enter(mutex_); }
  ~ConnectionLock() { sqlite3_mutex_leave(mutex_); }
  ConnectionLock(const ConnectionLock&) = delete;
  ConnectionLock& operator=(const ConnectionLock&) = delete;

 private:
  sqlite3_mutex* mutex_;
};

// The GLOB pattern that matches what the LIKE pattern (escape "\") matches,
// letters compared exactly.
std::string like_to_glob(const std::string& pattern) {
  std::string glob;
  glob.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      c = pattern[++i];
    } else if (c == '%') {
      glob += '*';
      continue;
    } else if (c == '_') {
      glob += '?';
      continue;
    }
    switch (c) {
      case '*':
        glob += "[*]";
        break;
      case '?':
        glob += "[?]";
        break;
      case '[':
        glob += "[[]";
        break;
      default:
        glob += c;
    }
  }
  return glob;
}

// Runs a statement that returns no rows; true when it completed.
bool run(Statement& statement) { return statement.ok() && sqlite3_step(statement.get()) == SQLITE_DONE; }

std::string column_text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return std::string();
  return std::string(text, sqlite3_column_bytes(statement, column));
}

}  // namespace

bool zel_sqlite3_initialize() { return sqlite3_initialize() == SQLITE_OK && sqlite3_threadsafe() != 0; }

std::shared_ptr<sqlite3> open_file(const char* path) { return open_with(path, kFileFlags); }
std::shared_ptr<sqlite3> open_file(const std::string& path) { return open_file(path.c_str()); }
std::shared_ptr<sqlite3> open_file(const std::filesystem::path& path) {
  return open_file(path.string());
}

std::shared_ptr<sqlite3> open_file_read(const char* path) { return open_with(path, kFileReadFlags); }
std::shared_ptr<sqlite3> open_file_read(const std::string& path) {
  return open_file_read(path.c_str());
}
std::shared_ptr<sqlite3> open_file_read(const std::filesystem::path& path) {
  return open_file_read(path.string());
}

std::shared_ptr<sqlite3> open_shared_db(const char* path, int flags) { return open_with(path, flags); }
std::shared_ptr<sqlite3> open_shared_db(const char* path) { return open_with(path, kSharedFlags); }
std::shared_ptr<sqlite3> open_shared_db(const std::string& path) {
  return open_shared_db(path.c_str());
}
std::shared_ptr<sqlite3> open_shared_db_read(const char* path) {
  return open_with(path, kSharedReadFlags);
}
std::shared_ptr<sqlite3> open_shared_db_read(const std::string& path) {
  return open_shared_db_read(path.c_str());
}

void close_file(sqlite3* db) {
  if (db != nullptr) sqlite3_close(db);
}

int callback(void*, int columns, char** values, char** names) {
  for (int i = 0; i < columns; ++i) {
    std::printf("%s = %s\n", names[i], values[i] != nullptr ? values[i] : "NULL");
  }
  std::printf("\n");
  return 0;
}

bool sql_exec(sqlite3* db, std::string statement) {
  if (db == nullptr) return false;
  char* error = nullptr;
  const int rc = sqlite3_exec(db, statement.c_str(), callback, nullptr, &error);
  sqlite3_free(error);
  return rc == SQLITE_OK;
}

bool create_table(sqlite3* db, std::string, std::string table_statement,
                  std::string index_statement) {
  const bool table = sql_exec(db, std::move(table_statement));
  if (index_statement.empty()) return table;
  const bool index = sql_exec(db, std::move(index_statement));
  return table && index;
}

bool create_cbf_table(sqlite3* db) { return create_table(db, "FILES", kTableStatement, kIndexStatement); }

bool has_table(sqlite3* db, const std::string& name) {
  if (db == nullptr) return false;
  Statement statement(db, "SELECT name FROM sqlite_master WHERE name = ?1");
  return statement.ok() && statement.bind(1, name) && sqlite3_step(statement.get()) == SQLITE_ROW;
}

std::string like_escape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '%' || c == '_') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool has_binary_data(sqlite3* db, const std::string& name) {
  if (db == nullptr) return false;
  Statement statement(db, "SELECT 1 FROM FILES WHERE URI = ?1");
  return statement.ok() && statement.bind(1, name) && sqlite3_step(statement.get()) == SQLITE_ROW;
}

void store_binary_data(sqlite3* db, const std::string& uri, const std::string& attributes,
                       const char* data, uint64_t size) {
  if (db == nullptr) throw std::runtime_error("database not loaded");
  ConnectionLock lock(db);
  Statement statement(db, "INSERT OR REPLACE INTO FILES ( URI,ATTRIBUTES,DATA) VALUES( ?1, ?2 , ?3 )");
  if (!statement.ok()) throw std::runtime_error(std::string("prepare failed: ") + sqlite3_errmsg(db));
  // A null pointer would store NULL; an empty record holds zero bytes.
  static const char kNoBytes = 0;
  if (!statement.bind(1, uri) || !statement.bind(2, attributes) ||
      sqlite3_bind_blob64(statement.get(), 3, data != nullptr ? data : &kNoBytes, size,
                          SQLITE_STATIC) != SQLITE_OK) {
    throw std::runtime_error(std::string("bind failed: ") + sqlite3_errmsg(db));
  }
  if (sqlite3_step(statement.get()) != SQLITE_DONE) {
    throw std::runtime_error(std::string("execution failed: ") + sqlite3_errmsg(db));
  }
}

bool delete_binary_data(sqlite3* db, const std::string& name) {
  if (db == nullptr) return false;
  Statement statement(db, "DELETE FROM FILES WHERE URI = ?1");
  return statement.ok() && statement.bind(1, name) && run(statement);
}

bool delete_binary_data_like(sqlite3* db, const std::string& pattern) {
  if (db == nullptr) return false;
  Statement statement(db, (std::string("DELETE FROM FILES WHERE ") + kPatternCondition).c_str());
  const std::string glob = like_to_glob(pattern);
  return statement.ok() && statement.bind(1, pattern) && statement.bind(2, glob) && run(statement);
}

BinaryData get_binary_data(sqlite3* db, const std::string& name) {
  BinaryData record;
  if (db == nullptr) return record;
  Statement statement(db, "SELECT ATTRIBUTES,DATA FROM FILES WHERE URI = ?1");
  if (!statement.ok() || !statement.bind(1, name) || sqlite3_step(statement.get()) != SQLITE_ROW) {
    return record;
  }
  record.first = column_text(statement.get(), 0);
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement.get(), 1));
  if (data != nullptr) record.second.assign(data, data + sqlite3_column_bytes(statement.get(), 1));
  return record;
}

bool foreach_rule(std::shared_ptr<sqlite3> db, RecordFunction function, std::string pattern) {
  if (!db) return false;
  Statement statement(db.get(), (std::string("SELECT URI,ATTRIBUTES FROM FILES WHERE ") +
                                 kPatternCondition + " ORDER BY URI")
                                    .c_str());
  const std::string glob = like_to_glob(pattern);
  if (!statement.ok() || !statement.bind(1, pattern) || !statement.bind(2, glob)) return false;
  for (;;) {
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE) return true;
    if (rc != SQLITE_ROW) return false;
    if (sqlite3_column_type(statement.get(), 0) == SQLITE_NULL) continue;
    function(std::make_tuple(column_text(statement.get(), 0), column_text(statement.get(), 1)));
  }
}

void store_fsm(std::shared_ptr<Builder> builder, std::shared_ptr<sqlite3> db,
               const std::string& uri, const std::string& attributes) {
  if (!builder) throw std::invalid_argument("no builder to store");
  std::ostringstream out;
  builder->write(out);
  const std::string bytes = out.str();
  store_binary_data(db.get(), uri, attributes, bytes.data(), bytes.size());
}

void store_fsm(std::shared_ptr<Builder> builder, std::shared_ptr<sqlite3> db,
               const std::string& uri, const AttributeList& attributes) {
  std::ostringstream text;
  text << attributes;
  store_fsm(std::move(builder), std::move(db), uri, text.str());
}

void store_fsm(const Transducer& transducer, std::shared_ptr<sqlite3> db, const std::string& uri,
               const std::string& attributes) {
  std::ostringstream out;
  if (!transducer.Write(out, fst::FstWriteOptions("<unspecifed>"))) {
    throw std::runtime_error("Could not save to stream.");
  }
  const std::string bytes = out.str();
  store_binary_data(db.get(), uri, attributes, bytes.data(), bytes.size());
}

std::shared_ptr<Transducer> get_fsm(std::shared_ptr<sqlite3> db, const std::string& name) {
  return get_fsm_attr(std::move(db), name).second;
}

std::pair<std::string, std::shared_ptr<Transducer>> get_fsm_attr(std::shared_ptr<sqlite3> db,
                                                                 const std::string& name) {
  BinaryData record = get_binary_data(db.get(), name);
  std::pair<std::string, std::shared_ptr<Transducer>> result(std::move(record.first), nullptr);
  if (record.second.empty()) return result;
  // Checked as it is read (transducer_file.h): damaged bytes give no
  // transducer rather than one whose counts and indexes are not its own.
  // Records may hold transducers over plain ids, without symbol tables.
  TransducerRules rules;
  rules.symbol_tables = false;
  rules.utf8_symbols = false;
  rules.labels_in_tables = false;
  std::string fault;
  result.second = read_transducer(
      std::string_view(reinterpret_cast<const char*>(record.second.data()), record.second.size()),
      &fault, rules);
  return result;
}

}  // namespace serialization
}  // namespace afst
}  // namespace zel
