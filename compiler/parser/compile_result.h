// The diagnostics store of a compilation and the compile-result report
// made from it.
//
// The report is one compact JSON text, object keys in byte order:
//   {"return":<no error recorded>,
//    "sink":{<source name or "app">:[{"code":0,"column":5,"line":3,
//                                     "msg":"...","type":"error"}, ...]}}
// "line" and "column" are left out of a diagnostic whose line is -1.
// Sink names and messages that are not valid UTF-8 are written as the
// recording functions' replacement text, so that the report can always be
// written.
//
// Except format_results and to_string, every function works on the store
// of the Blackboard bound to the calling thread, and raises
// std::logic_error on a thread with none.

#ifndef KAVERO_COMPILER_PARSER_COMPILE_RESULT_H_
#define KAVERO_COMPILER_PARSER_COMPILE_RESULT_H_

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {

class Blackboard;

namespace results {

// The store: one list of diagnostics per sink name, in report order.
class ApiErrorInfo : public DiagnosticsMap {
 public:
  // Removes every sink, and empties the calling thread's report buffer.
  void reset();
};

// The store of the thread's Blackboard.
ApiErrorInfo& sinks();
// The list of the sink, created empty when missing.
std::vector<DiagnosticsInfo>& sink(const std::string& name);
// Whether any sink holds an error (warnings, notes and markers do not
// count).
bool has_errors();
unsigned count_errors();

// The "sink" part of the report.
nlohmann::json format_results(const DiagnosticsMap& store);

// Writes the report of the Blackboard's store into the calling thread's
// buffer and returns its characters, valid until the next to_string or
// ApiErrorInfo::reset on this thread.
const char* to_string(const Blackboard& blackboard);

}  // namespace results
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_COMPILE_RESULT_H_
