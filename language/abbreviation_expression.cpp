#include "language/abbreviation_expression.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/exception.h"
#include "base/logging.h"
#include "base/regex.h"
#include "base/rule_pattern.h"

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

namespace {

// A text for a message: at most `limit` bytes, control bytes shown as "?".
// Backslashes stay single, as an expression is written.
std::string shown(std::string text, std::size_t limit) {
  if (text.size() > limit) text = text.substr(0, limit) + "...";
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

// The expression as documents run it: rule-language bracket classes
// rewritten, then compiled (and kept in the process-wide cache).
void compile_as_run(const std::string& expression) {
  kav_regex(kav::convert_range(expression));
}

// Where the first line lies that does not compile on its own:
// " (file, line N: text)"; empty when every line compiles alone (the fault
// then lies between lines, such as a group opened on one and closed on
// another).
std::string first_bad_line(const std::vector<std::string>& files) {
  for (const std::string& name : files) {
    std::ifstream in(name, std::ios::binary);
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
      line = trim(line);
      if (line.empty() || line[0] == '#') continue;
      try {
        compile_as_run(line);
      } catch (const std::exception&) {
        std::ostringstream where;
        where << " (" << name << ", line " << number << ": " << shown(line, 60) << ")";
        return where.str();
      }
    }
  }
  return "";
}

}  // namespace

std::string build_abbreviation_expression(const std::vector<std::string>& files) {
  const std::string expression = generate_abbreviation_expression(files);
  try {
    // The form documents use, checked now: a list that loads never fails an
    // analysis later.
    compile_as_run(expression);
  } catch (const std::exception& e) {
    std::ostringstream message;
    // The library's text quotes a fragment of the expression: its first
    // line, at most 200 bytes, control bytes shown as "?".
    std::string reason = e.what();
    const std::string::size_type newline = reason.find('\n');
    if (newline != std::string::npos) reason.erase(newline);
    reason = shown(reason, 200);
    message << "Could not load regex pattern invalid expression: " << reason << "in [";
    for (const std::string& file : files) message << file << ", ";
    message << "]" << first_bad_line(files);
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
