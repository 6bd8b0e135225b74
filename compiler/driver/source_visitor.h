// The parsed sources of one compile pass and the steps that feed builders
// (domain_builder.h) with them:
//   check_sources       every source must be well-formed UTF-8;
//   collect_variables   the define statements of all sources;
//   parse_sources       parses every source newer than the list's time
//                       stamp, hands each tree to a builder at once and
//                       keeps it in the list;
//   SourceVisitor::visit_ast
//                       runs a builder over the kept trees (with the
//                       input-stream rewrite of lexicon entries);
//   add_sources_from_directory
//                       the rule sources of a folder.
// Diagnostics go to the Blackboard bound to the calling thread, filed under
// the Blackboard's source name, which each step sets to the source at hand.
// Log lines go to the compiler's loggers (id 4096).

#ifndef KAVERO_COMPILER_DRIVER_SOURCE_VISITOR_H_
#define KAVERO_COMPILER_DRIVER_SOURCE_VISITOR_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/input_pool.h"
#include "compiler/driver/domain_builder.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class Blackboard;

// One parsed source: the pool's input it came from, the text that was
// parsed (after variable substitution; the tree's positions point into
// it) and the tree.
struct ASTRootDescrption {
  std::shared_ptr<IInputProvider> provider;
  std::shared_ptr<const std::string> text;
  ast::node::Root root;
};

class SourceVisitor {
 public:
  // `timestamp`: a last-write time in nanoseconds (file_time.h); only
  // sources strictly newer are parsed, kNoFileTime takes them all.
  SourceVisitor(Blackboard& blackboard, std::int64_t timestamp)
      : blackboard(&blackboard), timestamp(timestamp) {}

  // For each kept tree in order: the Blackboard's source name becomes the
  // canonical path of its source, the label and the name are logged (info
  // when `verbose`, else trace), then open, the input-stream check, the
  // stem checks (when `stem_checks`), the input-stream rewrite (which
  // changes the kept tree, so later visits see the rewritten entries),
  // collect and close. Returns the number of kept trees, errors or not.
  std::size_t visit_ast(const std::shared_ptr<DomainBuilderInterface>& builder,
                        const std::string& label, bool verbose, bool stem_checks);

  Blackboard* blackboard;  // not owned
  std::int64_t timestamp;
  std::vector<ASTRootDescrption> roots;
};

// For each input of the pool in order: its canonical path (a missing file
// raises the file-system error) becomes the Blackboard's source name;
// "<label>: <name>" is logged at `name_level`; a source not newer than the
// list's time stamp is skipped (trace "  -- Skipping time stemps [...");
// otherwise its text gets its variables substituted and is parsed, and the
// tree goes to the builder (open, collect, close) and into the list. A
// failed substitution or parse ends the step: later sources are neither
// parsed nor kept.
void parse_sources(SourceVisitor& sources, const InputPool& pool,
                   const std::shared_ptr<DomainBuilderInterface>& builder, const std::string& label,
                   std::uint16_t name_level);
void parse_sources(SourceVisitor& sources, const InputPool& pool,
                   const std::shared_ptr<DomainBuilderInterface>& builder, const std::string& label);

// Reads every source in pool order (by its name as added, under which a
// diagnostic is filed) and records the error "Invalid utf8 character in kav
// file, " for the first one that is not well-formed UTF-8; later sources
// are not checked. A file that cannot be read raises "can not open file "
// + name.
void check_sources(Blackboard& blackboard, const InputPool& pool);

// Collects the define statements of every source, in pool order, into the
// map. The collection ends at the first source that records an error, so
// that the error is not wiped by the next source's collection (which
// starts with an empty diagnostics store). A variable defined twice raises
// zel::Exception.
void collect_variables(Blackboard& blackboard, const InputPool& pool,
                       ast::node::VariableMap& variables);

// Adds every regular file directly in the folder (and in its subfolders
// when `recursive`) whose extension is `extension` exactly, or every one
// when `extension` is empty, to the Blackboard's input pool, in the order
// the file system lists them. An entry whose path text begins with "._" is
// left out. A folder that cannot be read raises the file-system error.
void add_sources_from_directory(const std::string& folder, const std::string& extension,
                                Blackboard& blackboard, bool recursive);

// The builder of syntax-only runs: every check happens while parsing, so
// its operations do nothing.
class DomainParserChecker : public DomainBuilderInterface {
 public:
  void open(const std::string& path) override;
  void collect(const ast::node::Root& root) override;
  void close(const std::string& path) override;
  void finalize() override;
};

std::shared_ptr<DomainBuilderInterface> get_visitor_syntax(const Blackboard& blackboard);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_SOURCE_VISITOR_H_
