// The live engine, analyzer and domains of the rule tests, and the concepts
// that rules may refer to.
//
// Everything is made through the client classes over the C interface; a
// failure there leaves these functions as the client's exception.

#ifndef KAVERO_COMPILER_DRIVER_TEST_ENGINE_H_
#define KAVERO_COMPILER_DRIVER_TEST_ENGINE_H_

#include <set>
#include <string>
#include <vector>

#include "api/client_analyzer.h"
#include "api/client_domain.h"
#include "compiler/parser/compiler_blackboard.h"

namespace zel {
namespace compiler {

// The option keys the rule tests read or write.
extern const std::string kTestOptionAnnotationFilter;  // "annotation_filter"
extern const std::string kTestOptionLanguage;          // "language"
extern const std::string kTestOptionDbg;               // "dbg"
extern const std::string kTestOptionInitialLowerCasing;  // "initial_lower_casing"
extern const std::string kTestOptionTagOutput;         // "tag_output"

// The analyzer of the test sentences, on an engine of its own (options
// "language" "auto", and the compile option "morvik" when it is not
// empty). Its language is the compile option "language" ("generic" reads
// as "english"); it runs with "dbg" "rule_info" (every concept a rule
// inserted carries its "_rule"), "initial_lower_casing" "false" and
// "annotation_filter" "__compiler__". Documents are analysed with "{}".
omr::analyzer::Analyzer make_analyzer(Blackboard& blackboard);

// Appends the built domain's file name to the blackboard's test domains and
// loads them all with the blackboard's engine ("annotation_filter" ".*"), in
// list order: the domains named for the tests first, the built one last.
// Without an engine the list is empty (the name is appended all the same).
std::vector<omr::domain::Domain> make_test_domain_collection(Blackboard& blackboard);

// "Sentence", and every concept the domains define or import, also through
// the domains they depend on (each domain file described once).
std::set<std::string> make_available_concept(const Blackboard& blackboard,
                                             const std::vector<omr::domain::Domain>& domains);

// Adds the concepts of one domain and of its dependencies (loaded with the
// blackboard's engine and "{}") to `available`, skipping domain files
// already in `visited`. A description that is not JSON, or lacks
// "dom"/"dom_filename", raises the JSON library's exception.
void add_available(const Blackboard& blackboard, const omr::domain::Domain& domain,
                   std::set<std::string>& visited, std::set<std::string>& available);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_TEST_ENGINE_H_
