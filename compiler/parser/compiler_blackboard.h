// The state of one compilation: its options, its rule sources, the define
// variables of all sources, the compiled-domain database being written,
// the output and test file names, the language engine and analyzer of the
// rule tests and lexicon checks, the flags the parser consults, the mask of
// reported diagnostic codes, the store of all diagnostics and the name of
// the source being processed.
//
// The compile driver makes one per compilation (a parse outside a build
// makes its own) and binds the threads that work for it (see
// grammar_context.h); the Blackboard must outlive every parse, build step
// and diagnostic of its compilation. Members other than the source name are
// read and written directly by the compiler's passes. Workers only read the
// flags, the mask and the source name.

#ifndef KAVERO_COMPILER_PARSER_COMPILER_BLACKBOARD_H_
#define KAVERO_COMPILER_PARSER_COMPILER_BLACKBOARD_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/input_pool.h"
#include "compiler/parser/syntax_tree.h"

namespace omr {
namespace engine {
class Engine;
}  // namespace engine
namespace analyzer {
class Analyzer;
}  // namespace analyzer
}  // namespace omr

namespace zel {

class IOptions;

namespace compiler {

class DomainDatabase;

namespace results {
class ApiErrorInfo;
}  // namespace results

class Blackboard {
 public:
  // Whether diagnostics are also echoed on standard output as they arrive.
  enum ResultType : std::int32_t { json = 0, console = 1 };

  // No options, no engine; disable_plugin_calls true, error_code_mask 0 (so
  // every diagnostic with a code is dropped until the driver sets the mask),
  // a new empty diagnostics store.
  Blackboard();

  // A Blackboard for the compile options (never null):
  //   "language": when present, its value, and an engine (option "morvik"
  //     when that is not empty) and an analyzer of that language with
  //     "disambiguate", "hmm", "guesser" and "initial_lower_casing" false;
  //     without it "morvik" is not read;
  //   "strict", "raw_lexicon_entries": booleans, default false;
  //   "result_type": exactly "console" echoes, anything else is json.
  // A failure to open the engine or the analyzer leaves the constructor.
  explicit Blackboard(std::shared_ptr<IOptions> options);

  // Clears the binding of the calling thread when it is bound to this
  // Blackboard.
  ~Blackboard();

  Blackboard(const Blackboard&) = delete;
  Blackboard& operator=(const Blackboard&) = delete;

  void set_source_filename(std::string name) { source_filename_ = std::move(name); }
  const std::string& source_filename() const { return source_filename_; }

  std::shared_ptr<IOptions> options;
  InputPool input_pool;
  ast::node::VariableMap variables;
  std::shared_ptr<DomainDatabase> domain_database;
  std::string output_file;
  std::string domain_file;
  std::shared_ptr<omr::engine::Engine> engine;        // set with the option "language"
  std::shared_ptr<omr::analyzer::Analyzer> analyzer;  // likewise, on `engine`
  std::vector<std::string> test_domains;
  bool strict = false;
  bool disable_plugin_calls = true;
  bool raw_lexicon_entries = false;
  ResultType result_type = json;
  std::uint64_t error_code_mask = 0;
  std::shared_ptr<results::ApiErrorInfo> diagnostics;
  std::string language;

 private:
  std::string source_filename_;
};

// The engine options of a compilation that names a language: "morvik" when
// the compile options give a non-empty one, else nothing.
std::map<std::string, std::string> language_engine_options(const IOptions& options);

// The analyzer options of a compilation's language: the language, and the
// steps the rule tests must not run ("disambiguate", "hmm", "guesser",
// "initial_lower_casing") set to "false".
std::map<std::string, std::string> language_analyzer_options(const std::string& language);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_COMPILER_BLACKBOARD_H_
