// The compiler's entry: one whole compilation of rule sources into a
// compiled domain (the domain database and its "_inc" twin), answered by
// the compile-result report.
//
// Compile options (a JSON object):
//   "domains"        a folder: its ".kav" files (not those of subfolders)
//                    are the sources, and the output defaults to the
//                    folder's absolute path joined with "domain.dom";
//   "input_files"    source paths separated by "," (empty parts dropped);
//   "kav_base64"     one source as a base64 JSON string (always a full
//                    build);
//   "output_file"    the domain database to write;
//   "force"          always build fully, without lexicon change detection;
//   "unit_test"      run the rules' unit tests after the build;
//   "disable_plugin_calls", "ignore_codes" (a decimal or "0x" hexadecimal
//                    bit set of diagnostic codes to drop), "retry" ("true":
//                    a failed incremental build is redone fully),
//                    "parse_only" (check and parse only, build nothing).
//
// A build is incremental when the output exists and neither "force" nor
// "kav_base64" is given: it parses only the sources written after the
// output file (at the file system's precision), works on temporary copies
// of the pair (file_guard.h) and puts them in place only when it has
// succeeded. Otherwise the build is full: the pair is written in place, and
// an output that was not completely built is deleted. Log lines go to the
// compiler's loggers (id 4096).

#ifndef KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
#define KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_

#include <cstdint>
#include <memory>
#include <string>

#include "base/input_pool.h"

namespace zel {

class IOptions;

namespace compiler {

class Blackboard;
class FileGuard;
class SourceVisitor;

// Compiles the domain that the compile-option text (a JSON object)
// describes and returns the compile-result JSON text: {"return": true when
// no error was recorded, "sink": {source name or "app": [diagnostics]}}.
// The text lives in a per-thread buffer until the next compilation on the
// same thread. Diagnostics are reported inside the text; a runtime error
// that escapes the compile run is raised again as zel::FatalException with
// the same message, so the C interface reports it as a runtime error.
// Option text that is no JSON gives an empty option set.
const char* build_domain(const std::string& options);

// The compile run over the option set. Runtime errors of a full build are
// reported in the text; those of an incremental build leave the call
// unless "retry" is "true" (zel::FatalException always leaves it).
const char* build_domain_(const std::shared_ptr<IOptions>& options);

// One build into the guard's work file: the UTF-8 and variable checks, the
// syntax pass over the sources newer than `timestamp` (nanoseconds, see
// file_time.h; -1 takes all), the database of the pass, the lexicon change
// detection (unless "force"), the builder pass, finalisation and the
// guard's save (unless "parse_only"), then the unit tests when asked.
// False when a pass recorded an error; otherwise whether the domain file
// exists and the unit tests passed. `completely_built`, when given, tells
// whether the work file holds a completely built domain (a build that
// failed after it began writing leaves it false).
bool build_domain_file(Blackboard& blackboard, FileGuard& guard, const InputPool& pool,
                       std::int64_t timestamp, bool full, bool* completely_built = nullptr);

// True when "unit_test" is off; otherwise the syntax of the sources newer
// than the output (all with "force") is checked and the rule tests run
// over all sources: true when neither recorded an error.
bool run_unit_test_if_requested(Blackboard& blackboard, FileGuard& guard, const InputPool& pool);

// Runs the rule tests over every source of the pool against the domain
// named by the option "output_file" (the three-argument form: against the
// Blackboard's domain file as it stands), when "unit_test" is on.
void unitest_module(Blackboard& blackboard, const InputPool& pool);
void unitest_module(Blackboard& blackboard, const InputPool& pool,
                    std::shared_ptr<SourceVisitor>& sources);

// The option "unit_test" (default false).
bool can_execute_unit_test(const Blackboard& blackboard);

// Reads the driver's options into the Blackboard: the error-code mask.
void set_options(Blackboard& blackboard);

// The error-code mask: the complement of "ignore_codes", all ones without
// it. Text holding no number writes the conversion error, "cannot convert
// error-code " and the text as one line to standard error and ignores
// nothing; a number beyond 64 bits raises std::out_of_range.
void set_error_code(Blackboard& blackboard);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_COMPILE_DRIVER_H_
