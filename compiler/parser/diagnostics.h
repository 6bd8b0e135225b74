// Compiler diagnostics: the record of one message, the catalogue of grammar
// error messages, and the functions through which every part of the
// compiler reports.
//
// A diagnostic is stored in the diagnostics store of the compiler
// Blackboard bound to the calling thread (see grammar_context.h), under the
// name of the source being processed, or under "app" for the application
// diagnostics that belong to no source. Recording on a thread with no bound
// Blackboard raises std::logic_error.
//
// Codes are single bits (0x1 to 0x800). A diagnostic whose code is not 0
// and has a bit outside the Blackboard's error_code_mask is dropped; code 0
// is never dropped. Errors and notes are stored with code 0 whatever code
// they were reported with; warnings keep theirs.
//
// One process-wide mutex serialises every recording (the console echo and
// the store) of every compilation, so worker threads may report into one
// store at once.

#ifndef KAVERO_COMPILER_PARSER_DIAGNOSTICS_H_
#define KAVERO_COMPILER_PARSER_DIAGNOSTICS_H_

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace zel {
namespace compiler {

struct DiagnosticsInfo {
  enum MessageType : std::int32_t { error = 0, warning = 1, note = 2, error_marker = 3 };

  DiagnosticsInfo(MessageType type, int line, int column, const std::string& message,
                  unsigned code);

  MessageType type;
  std::int32_t line;  // -1: the diagnostic has no line
  std::int32_t column;
  std::string message;  // UTF-8
  std::uint32_t code;   // 0: no code
};

// "error", "warning", "error_marker", and "note" for every other type.
const std::string& diagnostic_type_to_string(const DiagnosticsInfo& info);

// The diagnostics of a compilation by source name ("app": no source).
using DiagnosticsMap = std::map<std::string, std::vector<DiagnosticsInfo>>;

// The text that stands for a message that is not valid UTF-8.
extern const std::string invalid_utf8_replacement;

// The catalogue: grammar-rule name to the message of a syntax error in that
// rule. Each thread has its own (see grammar_context.h).
class Diagnostics {
 public:
  // Keeps the first message of a name.
  void add(const char* name, const char* message);
  // The message of the name, or null.
  const std::string* operator[](const char* name) const;

  const std::map<std::string, std::string>& messages() const { return messages_; }

 private:
  std::map<std::string, std::string> messages_;
};

// True when the name is absent or has this very message; otherwise writes
// "grammar error: [name] already in the error messages with another message:
// [message] and [stored message]" on standard error and returns false.
bool check_entry(const std::map<std::string, std::string>& catalogue, const char* name,
                 const char* message);

// An error of the current source; a non-empty context text is appended to
// the message.
void compiler_error(std::string message, int line, int column, const std::string& context,
                    std::int64_t code);
// An error of the named source, whatever source is current (for passes
// that run after the sources, on several threads).
void compiler_error_of(const std::string& source, std::string message, int line, int column,
                       const std::string& context, std::int64_t code);
// A warning of the current source; false when its code is masked.
bool compiler_warning(std::string message, int line, int column, std::int64_t code);
void compiler_note(std::string message, int line, int column, std::int64_t code);
// A line of the syntax-error display under an error (never masked).
void compiler_error_marker(std::string message, int line, int column);
// An error with code 0 in strict mode, else a warning with the code.
void compiler_strict_warning(const std::string& message, int line, int column, std::int64_t code);
// An error or a note that belongs to no source, stored under "app".
void application_error(const std::string& message);
void application_note(const std::string& message);

// The console echo of one diagnostic, when the Blackboard's result type is
// console: one line on standard output,
//   file ":" [line ":" column ":"] type ":" ["(0x" code ") "] message
// with an empty file for "app" and the position only for a line of 0 or
// more; an error marker is indented to stand under the message of the last
// other diagnostic of the file. Called with the mutex held.
void callback_diagnostics(const std::string& file, const DiagnosticsInfo& info);

// "(" line "," column "): " message; only the message for line -1.
std::ostream& operator<<(std::ostream& out, const DiagnosticsInfo& info);

// One text per diagnostic, sinks in key order: the key and the form above,
// or, for line -1, as many blanks as the key has bytes plus 8 and the
// message.
std::vector<std::string> collect_formatted_errors(const DiagnosticsMap& sinks);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_DIAGNOSTICS_H_
