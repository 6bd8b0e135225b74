#include "compiler/parser/compile_result.h"

#include <nlohmann/json.hpp>

#include "base/unicode.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace results {

namespace {

// The last report made on this thread.
thread_local std::string api_error_info_buffer;

const std::string& writable(const std::string& text) {
  return string::unicode::is_utf8(text) ? text : invalid_utf8_replacement;
}

bool has_errors_in(const DiagnosticsMap& store) {
  for (const auto& entry : store) {
    for (const DiagnosticsInfo& info : entry.second) {
      if (info.type == DiagnosticsInfo::error) return true;
    }
  }
  return false;
}

}  // namespace

void ApiErrorInfo::reset() {
  api_error_info_buffer.clear();
  clear();
}

ApiErrorInfo& sinks() { return *bound_blackboard("results::sinks").diagnostics; }

std::vector<DiagnosticsInfo>& sink(const std::string& name) {
  return (*bound_blackboard("results::sink").diagnostics)[name];
}

bool has_errors() { return has_errors_in(*bound_blackboard("results::has_errors").diagnostics); }

unsigned count_errors() {
  unsigned count = 0;
  for (const auto& entry : *bound_blackboard("results::count_errors").diagnostics) {
    for (const DiagnosticsInfo& info : entry.second) {
      if (info.type == DiagnosticsInfo::error) ++count;
    }
  }
  return count;
}

nlohmann::json format_results(const DiagnosticsMap& store) {
  nlohmann::json report = nlohmann::json::object();
  for (const auto& [name, list] : store) {
    // Names that are not UTF-8 all become one replacement name; their
    // diagnostics are kept together under it.
    nlohmann::json& entries = report[writable(name)];
    if (entries.is_null()) entries = nlohmann::json::array();
    for (const DiagnosticsInfo& info : list) {
      nlohmann::json entry = nlohmann::json::object();
      entry["code"] = info.code;
      if (info.line != -1) {
        entry["column"] = info.column;
        entry["line"] = info.line;
      }
      entry["msg"] = writable(info.message);
      entry["type"] = diagnostic_type_to_string(info);
      entries.push_back(std::move(entry));
    }
  }
  return report;
}

const char* to_string(const Blackboard& blackboard) {
  const ApiErrorInfo& store = *blackboard.diagnostics;
  nlohmann::json report = nlohmann::json::object();
  report["return"] = !has_errors_in(store);
  report["sink"] = format_results(store);
  std::string text = report.dump();
  api_error_info_buffer.swap(text);
  return api_error_info_buffer.c_str();
}

}  // namespace results
}  // namespace compiler
}  // namespace zel
