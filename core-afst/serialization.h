// The container of named binary objects: an SQLite database file with one
// table, FILES, whose records hold a name (URI), an attribute text and a
// block of bytes. Compiled domains, their incremental twins and other
// resources are such files; transducers are stored in them in the
// finite-state library's own binary form.
//
//   CREATE TABLE IF NOT EXISTS FILES(URI TEXT PRIMARY KEY, ATTRIBUTES TEXT,
//                                    DATA BLOB);
//   CREATE UNIQUE INDEX IF NOT EXISTS files_idx ON FILES(URI);
//
// Names and patterns are always bound to their statements as values, never
// pasted into statement text. Functions that take a `name` look that exact
// record up (byte-wise, case and all). Functions that take a `pattern` match
// URIs with the database's LIKE and "\" as its escape character: "%" stands
// for any run of characters, "_" for any one character, "\%", "\_" and "\\"
// for the characters themselves; letters match case and all. Build patterns
// from literal pieces with like_escape():
//   like_escape("rule_" + cluster + "_") + "%rule:%"
//
// Reads, tests, walks and deletes never raise: a null connection, a missing
// table, a damaged file or an engine error answers "nothing found" (the walk
// and the delete also answer false). Opening and storing raise.
//
// Connections opened by open_file and open_file_read run in the database's
// serialised threading mode and may be shared between threads (the compiler
// stores lexicons from worker threads through one connection).

#ifndef KAVERO_CORE_AFST_SERIALIZATION_H_
#define KAVERO_CORE_AFST_SERIALIZATION_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <sqlite3.h>

#include "base/attribute_string.h"
#include "core-afst/builder.h"

namespace zel {
namespace afst {
namespace serialization {

// Raised when the database engine cannot be initialised or a file cannot be
// opened.
class FileFormatException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  ~FileFormatException() override;
};

// A record read: (attribute text, data).
using BinaryData = std::pair<std::string, std::vector<char>>;
// A record walker: receives (URI, attribute text); its answer is not used.
using RecordFunction = std::function<bool(const std::tuple<std::string, std::string>&)>;
using Transducer = fst::VectorFst<fst::StdArc>;

// --- Opening --------------------------------------------------------------

// Initialises the database engine; false when it fails or when the engine
// was built without thread safety.
bool zel_sqlite3_initialize();

// Opens the file read-write, creating it (empty, without the table) when it
// does not exist. Raises FileFormatException: "Cannot initialize fileformat
// engine." or "Can't open database " path ":" the engine's message and a
// line end. The connection closes when its last holder releases it.
std::shared_ptr<sqlite3> open_file(const char* path);
std::shared_ptr<sqlite3> open_file(const std::string& path);
std::shared_ptr<sqlite3> open_file(const std::filesystem::path& path);

// Opens an existing file for reading only; a missing file is not created but
// raises FileFormatException as open_file does.
std::shared_ptr<sqlite3> open_file_read(const char* path);
std::shared_ptr<sqlite3> open_file_read(const std::string& path);
std::shared_ptr<sqlite3> open_file_read(const std::filesystem::path& path);

// Opens with the engine's open flags. Raises as open_file.
std::shared_ptr<sqlite3> open_shared_db(const char* path, int flags);
// Read-write, create, no-mutex, shared cache, write-ahead log (0xA8006).
// Such connections serve one thread at a time.
std::shared_ptr<sqlite3> open_shared_db(const char* path);
std::shared_ptr<sqlite3> open_shared_db(const std::string& path);
// As open_shared_db, without create (0xA8002).
std::shared_ptr<sqlite3> open_shared_db_read(const char* path);
std::shared_ptr<sqlite3> open_shared_db_read(const std::string& path);

// Closes a connection; null is allowed.
void close_file(sqlite3* db);

// --- Statements and tables ------------------------------------------------

// The row printer of sql_exec and create_table: prints "name = value" (NULL
// for a null value) per column and an empty line after the row on standard
// output; answers 0.
int callback(void* unused, int columns, char** values, char** names);

// Runs statement text (with callback); true when every statement ran.
bool sql_exec(sqlite3* db, std::string statement);

// Runs the table statement, then the index statement when there is one (even
// when the first failed); true when every statement run succeeded. The name
// is not used.
bool create_table(sqlite3* db, std::string name, std::string table_statement,
                  std::string index_statement);

// Creates FILES and files_idx when they do not exist.
bool create_cbf_table(sqlite3* db);

// Whether the database's schema holds an object (table, index, ...) of that
// exact name.
bool has_table(sqlite3* db, const std::string& name);

// --- Records --------------------------------------------------------------

// "\" before each "\", "%" and "_" of `text`, so that it matches itself in a
// pattern.
std::string like_escape(const std::string& text);

bool has_binary_data(sqlite3* db, const std::string& name);

// Stores (replaces) the record. Raises std::runtime_error: "database not
// loaded" for a null connection, "prepare failed: ", "bind failed: " or
// "execution failed: " followed by the engine's message.
void store_binary_data(sqlite3* db, const std::string& uri, const std::string& attributes,
                       const char* data, uint64_t size);

// Deletes the record; true when the statement ran (whether or not there was
// such a record).
bool delete_binary_data(sqlite3* db, const std::string& name);
// Deletes every record whose URI matches; true when the statement ran.
bool delete_binary_data_like(sqlite3* db, const std::string& pattern);

// The record's (attribute text, data); both empty when there is none.
BinaryData get_binary_data(sqlite3* db, const std::string& name);

// Hands (URI, attribute text) of every record whose URI matches to
// `function`, in ascending byte order of URI; a null attribute text is
// handed on as empty. Answers true when the walk went through to its end,
// false when there was no connection or the engine stopped it with an error
// (rows handed on by then stay handed on). An exception of `function` (an
// empty function raises std::bad_function_call) passes to the caller.
bool foreach_rule(std::shared_ptr<sqlite3> db, RecordFunction function, std::string pattern);

// --- Transducers ----------------------------------------------------------

// Stores the builder's network optimised (the builder's write to a stream),
// in the library's binary form with both symbol tables. Raises as
// store_binary_data, and "Could not save to stream." when the builder cannot
// write.
void store_fsm(std::shared_ptr<Builder> builder, std::shared_ptr<sqlite3> db,
               const std::string& uri, const std::string& attributes);
// The same with the attributes as a list, stored as its attribute string.
void store_fsm(std::shared_ptr<Builder> builder, std::shared_ptr<sqlite3> db,
               const std::string& uri, const AttributeList& attributes);

// Stores the transducer in the library's binary form, with its header and
// both symbol tables. Raises as store_binary_data; a transducer that cannot
// be written raises std::runtime_error "Could not save to stream.".
void store_fsm(const Transducer& transducer, std::shared_ptr<sqlite3> db, const std::string& uri,
               const std::string& attributes);

// The record's transducer; null when there is no record, no data, or data
// that is no sound transducer (transducer_file.h checks it as it reads it;
// a record's transducer may lack symbol tables). Callers that must say what
// is wrong read the data with read_transducer_record.
std::shared_ptr<Transducer> get_fsm(std::shared_ptr<sqlite3> db, const std::string& name);

// The record's attribute text and transducer (the text also when the
// transducer is null).
std::pair<std::string, std::shared_ptr<Transducer>> get_fsm_attr(std::shared_ptr<sqlite3> db,
                                                                 const std::string& name);

// --- Objects with a text form ---------------------------------------------
//
// T has `void ostream(std::ostream&) const` writing its text form and
// `void istream(std::istream&)` reading it back.

namespace internal {

// An input stream buffer over bytes it does not own.
class ByteBuffer : public std::streambuf {
 public:
  ByteBuffer(const char* data, std::size_t size) {
    char* p = const_cast<char*>(data);
    setg(p, p, p + size);
  }
};

}  // namespace internal

// Stores the object's text form under the name with an empty attribute text;
// the last argument is not used. Raises as store_binary_data.
template <class T>
void store_object(sqlite3* db, std::string name, const T& object, const std::string& /*unused*/) {
  std::ostringstream out;
  object.ostream(out);
  const std::string text = out.str();
  store_binary_data(db, name, std::string(), text.data(), text.size());
}

// The object read from the record; a default-constructed object when there
// is no record or it has no data. Errors of T's reader pass to the caller.
template <class T>
T get_object(sqlite3* db, std::string name) {
  T object;
  const BinaryData record = get_binary_data(db, name);
  if (!record.second.empty()) {
    internal::ByteBuffer buffer(record.second.data(), record.second.size());
    std::istream in(&buffer);
    object.istream(in);
  }
  return object;
}

}  // namespace serialization
}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_SERIALIZATION_H_
