// The rule-test runner: a builder over the parsed sources that collects the
// test decorators ("test", "expected", "not_expected", "dependency",
// "language", "stem") written in front of each rule, analyses every test
// sentence with a live engine, runs the test domains over the analysis,
// reports each verdict as compiler diagnostics, checks that every concept a
// rule names exists, and ends with the note "TestResult: ...".
//
// A test belongs to the next rule of its own source; tests left after the
// last rule of a source are dropped with a warning when the source ends.

#ifndef KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_
#define KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "api/client_analyzer.h"
#include "api/client_domain.h"
#include "compiler/driver/domain_builder.h"
#include "compiler/driver/test_expectations.h"

namespace zel {
namespace compiler {

class Blackboard;

class StatementDecorators : public DomainBuilderInterface {
 public:
  // Sets up the test analyzer, the test domains and the available concepts
  // for the compilation (which must outlive the runner); their failures
  // leave the constructor. Without the compile option "language" there is
  // nothing to analyse with: one application error is recorded and the
  // runner runs no test and reports nothing else.
  explicit StatementDecorators(Blackboard& blackboard);
  ~StatementDecorators() override;

  void open(const std::string& path) override;
  void collect(const ast::node::Root& root) override;
  void close(const std::string& path) override;
  // The note "TestResult: <rules> rules, <tests> tests, <failed> failed".
  void finalize() override;

  // Runs the pending tests against the rule, after checking its concepts.
  void test(const ast::node::Rule& rule);
  // Reports each concept the rule names that no test domain provides.
  void check_concpet_dependencies(const ast::node::Rule& rule);

 private:
  std::vector<TestCase> pending_tests_;
  Blackboard& blackboard_;
  std::optional<omr::analyzer::Analyzer> analyzer_;  // none: tests are off
  std::vector<omr::domain::Domain> domains_;
  std::set<std::string> available_concepts_;
  std::string current_source_;
  std::map<std::string, std::int32_t> counters_;
};

// A new rule-test runner for the compilation of `blackboard`.
std::shared_ptr<DomainBuilderInterface> get_visitor_statement_decorator(Blackboard& blackboard);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_
