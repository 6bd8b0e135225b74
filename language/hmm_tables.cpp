#include "language/hmm_tables.h"

#include <cstdlib>
#include <sstream>
#include <string_view>

#include "base/exception.h"
#include "core-afst/serialization.h"
#include "language/pos_table.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace detail {

namespace {

// Where the text came from, for messages: empty for a bare text.
using Source = std::string_view;

[[noreturn]] void bad_line(Source source, const char* table, size_t number,
                           const char* reason) {
  std::ostringstream message;
  message << "Invalid line " << number << " in the " << table
          << " table of the hmm file";
  if (!source.empty()) message << " [" << source << "]";
  message << ": " << reason;
  throw Exception(message);
}

// The probability text as strtod reads it: leading blanks skipped, the
// longest number prefix, 0 when there is none.
float probability(std::string_view text) {
  const std::string copy(text);
  return static_cast<float>(std::strtod(copy.c_str(), nullptr));
}

// Calls parse(line, number) for every line of the text. A final line feed
// ends the last line; it does not start an empty one.
template <typename Parse>
void for_each_line(const std::string& text, const Parse& parse) {
  size_t start = 0;
  size_t number = 1;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    parse(std::string_view(text).substr(start, end - start), number);
    start = end + 1;
    ++number;
  }
}

void parse_start(std::unordered_map<uint32_t, float>& table, const std::string& text,
                 Source source) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) bad_line(source, "start", number, "no tab");
    const std::string tag(line.substr(0, tab));
    table.emplace(language::pos_table::id(tag),
                  probability(line.substr(tab + 1)));
  });
}

void parse_emission(std::unordered_map<std::string, float>& table,
                    const std::string& text, Source source) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) bad_line(source, "emission", number, "no tab");
    table.emplace(std::string(line.substr(0, tab)),
                  probability(line.substr(tab + 1)));
  });
}

void parse_transition(TransitionTableResource& table, const std::string& text,
                      Source source) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) {
      bad_line(source, "transmission", number, "no space");
    }
    const size_t tab = line.find('\t', space + 1);
    if (tab == std::string_view::npos) {
      bad_line(source, "transmission", number, "no tab after the space");
    }
    const std::string previous(line.substr(0, space));
    const std::string current(line.substr(space + 1, tab - space - 1));
    table.table.emplace(
        make_transition_id(language::pos_table::id(previous),
                           language::pos_table::id(current)),
        probability(line.substr(tab + 1)));
  });
}

}  // namespace

void load_probalitity_table(std::unordered_map<uint32_t, float>& table,
                            const std::string& text) {
  parse_start(table, text, Source());
}

void load_emission_table(std::unordered_map<std::string, float>& table,
                         const std::string& text) {
  parse_emission(table, text, Source());
}

void load_transition_table(TransitionTableResource& table,
                           const std::string& text) {
  parse_transition(table, text, Source());
}

}  // namespace detail

namespace {

// Why the database of a file cannot be read: the engine's message, or empty
// when it reads (the record is then simply not there).
std::string database_fault(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  int status = sqlite3_prepare_v2(db, "SELECT count(*) FROM FILES", -1, &statement, nullptr);
  while (status == SQLITE_OK || status == SQLITE_ROW) status = sqlite3_step(statement);
  std::string fault;
  if (status != SQLITE_DONE) fault = sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  return fault;
}

// The text of a record; raises the message, the file and, when the file is
// no readable database, why, when the record is missing or empty.
std::string record_text(sqlite3* db, const std::string& path, const char* uri,
                        const char* message) {
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db, uri);
  if (record.second.empty()) {
    std::ostringstream text;
    text << message << " [" << path << "]";
    const std::string fault = database_fault(db);
    if (!fault.empty()) text << ": " << fault;
    throw Exception(text);
  }
  return std::string(record.second.begin(), record.second.end());
}

}  // namespace

Resource load(const std::string& path) {
  std::shared_ptr<sqlite3> db;
  try {
    // Read-only: a path that names no file must not leave an empty database
    // behind.
    db = afst::serialization::open_file_read(path);
  } catch (const afst::serialization::FileFormatException&) {
    return Resource();
  }
  Resource tables;
  detail::parse_start(tables.start,
                      record_text(db.get(), path, "start-hmm",
                                  "Cannot find start resource in hmm file."),
                      path);
  detail::parse_emission(tables.emission,
                         record_text(db.get(), path, "emission-hmm",
                                     "Cannot find emission resource in hmm file."),
                         path);
  detail::parse_transition(tables.transition,
                           record_text(db.get(), path, "transmission-hmm",
                                       "Cannot find transmission resource in hmm file."),
                           path);
  return tables;
}

}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
