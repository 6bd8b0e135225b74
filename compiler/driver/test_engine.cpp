#include "compiler/driver/test_engine.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {

const std::string kTestOptionAnnotationFilter = "annotation_filter";
const std::string kTestOptionLanguage = "language";
const std::string kTestOptionDbg = "dbg";
const std::string kTestOptionInitialLowerCasing = "initial_lower_casing";
const std::string kTestOptionTagOutput = "tag_output";

namespace {

[[noreturn]] void not_available() {
  std::ostringstream message;
  message << "The rule tests' engine is not available yet.";
  throw Exception(message);
}

}  // namespace

omr::analyzer::Analyzer make_analyzer(Blackboard&) { not_available(); }

std::vector<omr::domain::Domain> make_test_domain_collection(Blackboard&) { not_available(); }

std::set<std::string> make_available_concept(const Blackboard&,
                                             const std::vector<omr::domain::Domain>&) {
  not_available();
}

void add_available(const Blackboard&, const omr::domain::Domain&, std::set<std::string>&,
                   std::set<std::string>&) {
  not_available();
}

}  // namespace compiler
}  // namespace zel
