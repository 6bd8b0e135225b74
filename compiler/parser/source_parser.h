// The entry points that parse a rule source into a syntax tree.
//
// parse_kavero_source parses a whole source for a compilation;
// parse_variable_data reads only its define statements. Both report into
// the compilation's diagnostics and give a copy of them with the tree.
// unit_test::parse_data parses a source outside a build, in strict mode,
// with a Blackboard of its own, and gives the formatted errors.
//
// Parsing runs on the calling thread with the thread's own parser context,
// so different sources can be parsed on several threads at once. The tree
// holds positions into the source text: the text must outlive the tree's
// positions.

#ifndef KAVERO_COMPILER_PARSER_SOURCE_PARSER_H_
#define KAVERO_COMPILER_PARSER_SOURCE_PARSER_H_

#include <memory>
#include <string>
#include <vector>

#include "compiler/parser/diagnostics.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {

class IOptions;

namespace compiler {

class Blackboard;

// Names the start rule of the grammars; nothing reads it.
extern const std::string rn_start;

struct ParseResult {
  bool ok = false;         // no error was recorded
  DiagnosticsMap sinks;    // the diagnostics of the compilation after the parse
  ast::node::Root root;
};

// Parses the whole source for the Blackboard's compilation (bound to the
// calling thread for the parse) and checks the rule-function calls of the
// tree. An action that abandons the parse ends it: the tree keeps what was
// parsed before. The Blackboard's diagnostics are not reset. `file` and
// `options` are not used.
ParseResult parse_kavero_source(Blackboard& blackboard, const std::string& text,
                                const std::string& file,
                                const std::shared_ptr<IOptions>& options);

// Parses only the define statements of the source, after resetting the
// Blackboard's diagnostics. An abandoned parse reaches the caller as
// ParseException. `file` is not used.
ParseResult parse_variable_data(Blackboard& blackboard, const std::string& text,
                                const std::string& file);

namespace unit_test {

struct ParseDataResult {
  ast::node::Root root;
  std::vector<std::string> errors;  // formatted, when an error was recorded
  bool ok = false;                  // the source parsed and no error was recorded
};

// Parses the source in strict mode with a Blackboard of its own, named
// `name`.
ParseDataResult parse_data(const std::string& text, const std::string& name);
ParseDataResult parse_data(const std::string& text);

// Makes a strict Blackboard named `name` and binds the calling thread's
// parser context to it and to the start of the text, as a parse would.
std::shared_ptr<Blackboard> set_context(const std::string& text, const std::string& name);

}  // namespace unit_test
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SOURCE_PARSER_H_
