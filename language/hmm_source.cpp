#include "language/hmm_source.h"

#include <sstream>
#include <system_error>

#include "base/exception.h"
#include "core-afst/serialization.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {

namespace {

const char* const kRecords[] = {"start-hmm", "emission-hmm", "transmission-hmm"};

[[noreturn]] void fail(size_t line, const std::string& fault) {
  std::ostringstream message;
  message << "hmm source line " << line << ": " << fault;
  throw Exception(message);
}

bool known_record(const std::string& name) {
  for (const char* record : kRecords) {
    if (name == record) return true;
  }
  return false;
}

}  // namespace

std::map<std::string, std::string> parse_source(const std::string& text) {
  std::map<std::string, std::string> records;
  std::string* current = nullptr;
  std::istringstream in(text);
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (line.find('\t') != std::string::npos) {
      if (current == nullptr) fail(number, "table line before the first header");
      *current += line;
      *current += '\n';
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
      fail(number, "a table line needs a tab: " + line);
    }
    const std::string name = line.substr(1, line.size() - 2);
    if (!known_record(name)) fail(number, "unknown record " + name);
    if (records.count(name) != 0) fail(number, "record named twice: " + name);
    current = &records[name];
  }
  return records;
}

void write_file(const std::string& source, const std::filesystem::path& output) {
  // The old file goes first, so that a failed run leaves no file that a
  // build could take for a current one.
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  const std::map<std::string, std::string> records = parse_source(source);
  try {
    std::shared_ptr<sqlite3> db = afst::serialization::open_file(output);
    if (!afst::serialization::create_cbf_table(db.get())) {
      throw std::runtime_error("cannot create the table of " + output.string());
    }
    for (const auto& [name, text] : records) {
      afst::serialization::store_binary_data(db.get(), name, std::string(), text.data(),
                                             text.size());
    }
  } catch (...) {
    std::filesystem::remove(output, ignored);
    throw;
  }
}

}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
