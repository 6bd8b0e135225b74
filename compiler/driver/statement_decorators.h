// The rule-test runner: a builder over the parsed sources that collects the
// test decorators ("test", "expected", "not_expected", "dependency",
// "language", "stem") written in front of each rule, analyses every test
// sentence with a live engine, runs the test domains over the analysis,
// reports each verdict as compiler diagnostics, checks that every concept a
// rule names exists, and ends with the note "TestResult: ...".

#ifndef KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_
#define KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_

#include <memory>

#include "compiler/driver/domain_builder.h"

namespace zel {
namespace compiler {

class Blackboard;

// A new rule-test runner for the compilation of `blackboard` (which must
// outlive it). Making it sets up the test analyzer, the test domains and
// the set of available concepts; their failures leave this call.
std::shared_ptr<DomainBuilderInterface> get_visitor_statement_decorator(Blackboard& blackboard);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_STATEMENT_DECORATORS_H_
