// The pair of database files that one build pass writes: the domain file,
// which the runtime loads, and its incremental twin (the domain file's name
// with "_inc" appended), which holds what later incremental builds and rule
// debugging need. Both are containers of named binary objects
// (core-afst/serialization.h).
//
// Opening the pair: a full build deletes both files first; a twin without
// its domain file is deleted as stale; both files get their record table;
// the domain file gets "sdk_version" ("3.1.1") and, for as long as the
// object lives, the busy marker "_BUSY_" ("{}"). The twin holds neither.
//
// Everything that writes the domain (the result store, the rule and
// lexicon writers, the lexicon change detector) writes through the two
// connections. They run in the database's serialised mode, so the lexicon
// build's worker threads may store through the domain connection at once.

#ifndef KAVERO_COMPILER_DRIVER_DOMAIN_DATABASE_H_
#define KAVERO_COMPILER_DRIVER_DOMAIN_DATABASE_H_

#include <cstdint>
#include <memory>
#include <string>

#include <sqlite3.h>

namespace zel {
namespace compiler {

class Blackboard;

// The suffix of the twin's file name.
extern const char* const kTwinSuffix;
// The version record of the domain file and its data.
extern const char* const kSdkVersionRecord;
extern const char* const kSdkVersion;
// The busy marker and its data (the text form of an empty id map).
extern const char* const kBusyRecord;
extern const char* const kBusyData;

class DomainDatabase {
 public:
  // Opens (creating when missing) the domain file `path` and its twin. A
  // full build deletes both first. `timestamp` is the build's time stamp in
  // seconds: for an incremental build the time derived from the existing
  // domain file, -1 for a full build.
  //
  // Raises zel::FatalException "Can not create database: " + the file's
  // path when a file of the pair cannot be opened or created (a connection
  // opened before is released); the file system's error when a file cannot
  // be tested or deleted; std::runtime_error when a record cannot be
  // stored.
  DomainDatabase(Blackboard& blackboard, const std::string& path, const int64_t& timestamp,
                 bool full_build);
  // Deletes the busy marker (a failure is ignored) and releases the twin,
  // then the domain connection.
  ~DomainDatabase();

  DomainDatabase(const DomainDatabase&) = delete;
  DomainDatabase& operator=(const DomainDatabase&) = delete;

  const std::string& filename() const { return path_; }
  const int64_t& timestamp() const { return timestamp_; }
  // True for the time stamp of an incremental build (not -1).
  bool incremental() const { return timestamp_ != -1; }

  const std::shared_ptr<sqlite3>& domain_db() const { return db_; }
  const std::shared_ptr<sqlite3>& twin_db() const { return db_inc_; }

  // Creates the record table in `db` and stores "sdk_version" in the
  // domain database (whatever `db` is).
  void create_lexicon_tables(const std::shared_ptr<sqlite3>& db);

 private:
  std::string path_;
  int64_t timestamp_;
  std::shared_ptr<sqlite3> db_;
  std::shared_ptr<sqlite3> db_inc_;
};

// Opens (creating when missing) the file and creates its record table.
// Raises zel::FatalException "Can not create database: " + path when the
// file cannot be opened; other exceptions pass unchanged.
std::shared_ptr<sqlite3> open_result_db(std::string path);

// Creates the record table FILES with its index; true when both
// statements ran.
bool create_cbf_tables(const std::shared_ptr<sqlite3>& db);

// The record name of the lexicon transducer of an input stream:
// "entities_" + name.
std::string make_lexicon_table_name(const std::string& name);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_DOMAIN_DATABASE_H_
