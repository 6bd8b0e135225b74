#include "compiler/parser/diagnostics.h"

#include <iostream>
#include <mutex>
#include <ostream>
#include <sstream>

#include "base/unicode.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {

const std::string invalid_utf8_replacement = "Cannot display context, has invalid utf8 characters";

namespace {

const std::string type_error = "error";
const std::string type_warning = "warning";
const std::string type_note = "note";
const std::string type_error_marker = "error_marker";
const std::string application_sink = "app";

// Serialises every recording of every compilation in the process.
std::mutex& diagnostics_mutex() {
  static std::mutex mutex;
  return mutex;
}

bool masked(const Blackboard& blackboard, std::int64_t code) {
  const auto bits = static_cast<std::uint64_t>(code);
  return bits != 0 && (bits & ~blackboard.error_code_mask) != 0;
}

const std::string& valid_or_replaced(const std::string& text) {
  return string::unicode::is_utf8(text) ? text : invalid_utf8_replacement;
}

// Echoes and stores one record; the caller holds the mutex.
void store(const std::string& file, DiagnosticsInfo info) {
  callback_diagnostics(file, info);
  results::sink(file).push_back(std::move(info));
}

// Errors, warnings and notes of a source (the current one when `source` is
// null).
bool record(DiagnosticsInfo::MessageType type, std::string message, int line, int column,
            const std::string* context, std::int64_t code, const char* reporter,
            const std::string* source = nullptr) {
  Blackboard& blackboard = bound_blackboard(reporter);
  if (masked(blackboard, code)) return false;
  std::lock_guard<std::mutex> lock(diagnostics_mutex());
  if (!string::unicode::is_utf8(message)) message = invalid_utf8_replacement;
  if (context != nullptr && !context->empty()) message += valid_or_replaced(*context);
  const unsigned stored_code =
      type == DiagnosticsInfo::warning ? static_cast<std::uint32_t>(code) : 0u;
  store(source != nullptr ? *source : blackboard.source_filename(),
        DiagnosticsInfo(type, line, column, message, stored_code));
  return true;
}

void record_application(DiagnosticsInfo::MessageType type, const std::string& message,
                        const char* reporter) {
  bound_blackboard(reporter);
  std::lock_guard<std::mutex> lock(diagnostics_mutex());
  store(application_sink, DiagnosticsInfo(type, -1, 0, message, 0));
}

std::size_t digits(long long value) { return std::to_string(value).size(); }

}  // namespace

DiagnosticsInfo::DiagnosticsInfo(MessageType type_in, int line_in, int column_in,
                                 const std::string& message_in, unsigned code_in)
    : type(type_in), line(line_in), column(column_in), message(message_in), code(code_in) {}

const std::string& diagnostic_type_to_string(const DiagnosticsInfo& info) {
  switch (info.type) {
    case DiagnosticsInfo::error:
      return type_error;
    case DiagnosticsInfo::warning:
      return type_warning;
    case DiagnosticsInfo::error_marker:
      return type_error_marker;
    default:
      return type_note;
  }
}

void Diagnostics::add(const char* name, const char* message) { messages_.emplace(name, message); }

const std::string* Diagnostics::operator[](const char* name) const {
  auto found = messages_.find(name);
  return found == messages_.end() ? nullptr : &found->second;
}

bool check_entry(const std::map<std::string, std::string>& catalogue, const char* name,
                 const char* message) {
  auto found = catalogue.find(name);
  if (found == catalogue.end() || found->second == message) return true;
  std::cerr << "grammar error: [" << name
            << "] already in the error messages with another message: [" << message << "] and ["
            << found->second << "]";
  return false;
}

void compiler_error(std::string message, int line, int column, const std::string& context,
                    std::int64_t code) {
  record(DiagnosticsInfo::error, std::move(message), line, column, &context, code,
         "compiler_error");
}

void compiler_error_of(const std::string& source, std::string message, int line, int column,
                       const std::string& context, std::int64_t code) {
  record(DiagnosticsInfo::error, std::move(message), line, column, &context, code,
         "compiler_error", &source);
}

bool compiler_warning(std::string message, int line, int column, std::int64_t code) {
  return record(DiagnosticsInfo::warning, std::move(message), line, column, nullptr, code,
                "compiler_warning");
}

void compiler_note(std::string message, int line, int column, std::int64_t code) {
  record(DiagnosticsInfo::note, std::move(message), line, column, nullptr, code, "compiler_note");
}

void compiler_error_marker(std::string message, int line, int column) {
  Blackboard& blackboard = bound_blackboard("compiler_error_marker");
  std::lock_guard<std::mutex> lock(diagnostics_mutex());
  store(blackboard.source_filename(),
        DiagnosticsInfo(DiagnosticsInfo::error_marker, line, column, message, 0));
}

void compiler_strict_warning(const std::string& message, int line, int column, std::int64_t code) {
  if (bound_blackboard("compiler_strict_warning").strict) {
    compiler_error(message, line, column, std::string(), 0);
  } else {
    compiler_warning(message, line, column, code);
  }
}

void application_error(const std::string& message) {
  record_application(DiagnosticsInfo::error, message, "application_error");
}

void application_note(const std::string& message) {
  record_application(DiagnosticsInfo::note, message, "application_note");
}

void callback_diagnostics(const std::string& file, const DiagnosticsInfo& info) {
  const Blackboard& blackboard = bound_blackboard("callback_diagnostics");
  if (blackboard.result_type != Blackboard::console) return;
  std::ostringstream line;
  if (info.type == DiagnosticsInfo::error_marker) {
    // Stand under the message of the file's last other diagnostic.
    const DiagnosticsInfo* anchor = nullptr;
    auto sink = blackboard.diagnostics->find(file);
    if (sink != blackboard.diagnostics->end()) {
      for (auto it = sink->second.rbegin(); it != sink->second.rend(); ++it) {
        if (it->type != DiagnosticsInfo::error_marker) {
          anchor = &*it;
          break;
        }
      }
    }
    const std::size_t width = file.size() + 4 +
                              (anchor != nullptr ? digits(anchor->line) + digits(anchor->column) +
                                                       diagnostic_type_to_string(*anchor).size()
                                                 : digits(info.line) + digits(info.column) +
                                                       std::string("unknown").size());
    line << std::string(width, ' ') << info.message;
  } else {
    if (file != application_sink) line << file;
    line << ":";
    if (info.line >= 0) line << info.line << ":" << info.column << ":";
    line << diagnostic_type_to_string(info) << ":";
    if (info.code != 0) line << "(0x" << std::hex << info.code << std::dec << ") ";
    line << info.message;
  }
  std::cout << line.str() << std::endl;
}

std::ostream& operator<<(std::ostream& out, const DiagnosticsInfo& info) {
  if (info.line != -1) out << "(" << info.line << "," << info.column << "): ";
  return out << info.message;
}

std::vector<std::string> collect_formatted_errors(const DiagnosticsMap& sinks) {
  std::vector<std::string> texts;
  for (const auto& [key, list] : sinks) {
    for (const DiagnosticsInfo& info : list) {
      std::ostringstream text;
      if (info.line != -1) {
        text << key << info;
      } else {
        text << std::string(key.size() + 8, ' ') << info.message;
      }
      texts.push_back(text.str());
    }
  }
  return texts;
}

}  // namespace compiler
}  // namespace zel
