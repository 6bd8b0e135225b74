#include "language/abbreviation_expression.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/exception.h"
#include "base/logging.h"
#include "base/regex.h"

namespace zel {
namespace kavero {
namespace core {

namespace {

bool trimmed(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte == 0x20 || byte <= 0x0D;
}

// The line without its trimmed bytes at both ends.
std::string trim(const std::string& line) {
  std::string::size_type begin = 0;
  std::string::size_type end = line.size();
  while (begin < end && trimmed(line[begin])) ++begin;
  while (end > begin && trimmed(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

void warn(const char* message, const std::string& name) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelWarning,
            [&](std::ostream& os) { os << message << name; });
}

}  // namespace

std::string build_abbreviation_expression(const std::string& file) {
  std::vector<std::string> files = {file};
  std::error_code error;
  if (std::filesystem::exists(file + ".user", error)) {
    files.push_back(file + ".user");
  }
  return build_abbreviation_expression(files);
}

std::string build_abbreviation_expression(const std::vector<std::string>& files) {
  const std::string expression = generate_abbreviation_expression(files);
  try {
    kav_regex(expression);
  } catch (const std::exception& e) {
    std::ostringstream message;
    message << "Could not load regex pattern invalid expression: " << e.what() << "in [";
    for (const std::string& file : files) message << file << ", ";
    message << "]";
    throw Exception(message);
  }
  return expression;
}

std::string generate_abbreviation_expression(const std::vector<std::string>& files) {
  std::string expression;
  bool first = true;
  for (const std::string& name : files) {
    std::error_code error;
    if (!std::filesystem::exists(name, error)) {
      warn("Abbreviation file not found: ", name);
      continue;
    }
    try {
      std::ifstream in(name, std::ios::binary);
      in.exceptions(std::ios::badbit);
      std::string line;
      while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (!first) expression += '|';
        expression += line;
        first = false;
      }
    } catch (const std::exception&) {
      warn("Could not load abbreviation file: ", name);
    }
  }
  return expression;
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
