// Test helpers for the result store: a compilation (compiler Blackboard
// bound to the calling thread) over a domain database pair in a scratch
// folder, and syntax-tree records made by hand.

#ifndef KAVERO_COMPILER_BACKEND_RESULT_STORE_TESTUTIL_H_
#define KAVERO_COMPILER_BACKEND_RESULT_STORE_TESTUTIL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/scratch_folder_testutil.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace testing {

// One compilation: a Blackboard made from the option text (default: no
// lexicon is built) and bound to the calling thread, writing into
// folder/"d.dom" and its twin.
class Compilation {
 public:
  explicit Compilation(const std::string& options = R"({"update_lexicons":"none"})");
  ~Compilation();

  // A new DomainDatabase for a build pass (full: time stamp -1), held by the
  // Blackboard in place of the one before.
  void open_database(bool full_build, int64_t timestamp = -1);
  // Releases the Blackboard's DomainDatabase.
  void close_database();
  // A result store over the Blackboard (opens a full-build database when
  // there is none).
  std::unique_ptr<ResultStore> store();

  std::string dom() const { return folder.str("d.dom"); }
  std::string twin() const { return folder.str("d.dom_inc"); }

  zel::testing::ScratchFolder folder;
  Blackboard blackboard;

 private:
  BlackboardBinding binding_;
};

// The data of a record of a database file; "(none)" when there is none.
std::string record_data(const std::string& file, const std::string& name);
// The names of all records of a database file, in byte order.
std::vector<std::string> record_names(const std::string& file);

// Syntax-tree records.
ast::node::AssignCaptureGroup call(const std::string& uri, const AttributeList& pairs = {});
ast::node::RuleCapture capture(const std::string& name, ast::node::RuleNodes nodes = {});
ast::node::RuleConcept concept_ref(const std::string& name, ast::node::RuleNodes nodes = {});
ast::node::RuleToken literal(const std::string& text);
ast::node::Rule rule(const std::string& name, ast::node::RuleNodes nodes);

}  // namespace testing
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RESULT_STORE_TESTUTIL_H_
