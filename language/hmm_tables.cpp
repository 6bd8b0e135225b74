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

[[noreturn]] void bad_line(const char* table, size_t number,
                           const char* reason) {
  std::ostringstream message;
  message << "Invalid line " << number << " in the " << table
          << " table of the hmm file: " << reason;
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

}  // namespace

void load_probalitity_table(std::unordered_map<uint32_t, float>& table,
                            const std::string& text) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) bad_line("start", number, "no tab");
    const std::string tag(line.substr(0, tab));
    table.emplace(language::pos_table::id(tag),
                  probability(line.substr(tab + 1)));
  });
}

void load_emission_table(std::unordered_map<std::string, float>& table,
                         const std::string& text) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) bad_line("emission", number, "no tab");
    table.emplace(std::string(line.substr(0, tab)),
                  probability(line.substr(tab + 1)));
  });
}

void load_transition_table(TransitionTableResource& table,
                           const std::string& text) {
  for_each_line(text, [&](std::string_view line, size_t number) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) {
      bad_line("transmission", number, "no space");
    }
    const size_t tab = line.find('\t', space + 1);
    if (tab == std::string_view::npos) {
      bad_line("transmission", number, "no tab after the space");
    }
    const std::string previous(line.substr(0, space));
    const std::string current(line.substr(space + 1, tab - space - 1));
    table.table.emplace(
        make_transition_id(language::pos_table::id(previous),
                           language::pos_table::id(current)),
        probability(line.substr(tab + 1)));
  });
}

}  // namespace detail

namespace {

// The text of a record; raises the message when it is missing or empty.
std::string record_text(sqlite3* db, const char* uri, const char* message) {
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db, uri);
  if (record.second.empty()) {
    std::ostringstream text;
    text << message;
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
  detail::load_probalitity_table(
      tables.start,
      record_text(db.get(), "start-hmm", "Cannot find start resource in hmm file."));
  detail::load_emission_table(
      tables.emission, record_text(db.get(), "emission-hmm",
                                   "Cannot find emission resource in hmm file."));
  detail::load_transition_table(
      tables.transition,
      record_text(db.get(), "transmission-hmm",
                  "Cannot find transmission resource in hmm file."));
  return tables;
}

}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
