#include "compiler/driver/lexicon_stem_checks.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace compiler {
namespace analytics {

namespace {

[[noreturn]] void not_available() {
  std::ostringstream message;
  message << "Lexicon stem checks are not available yet.";
  throw Exception(message);
}

}  // namespace

void visit(Blackboard&, const ast::node::Root&) { not_available(); }

StemCollectorResults is_valid_stem(const omr::analyzer::Analyzer&, const std::string&) {
  not_available();
}

std::string capitalize_not_founds(const omr::common::AnnotationList&) { not_available(); }

std::string unicode_print(const std::string&) { not_available(); }

}  // namespace analytics
}  // namespace compiler
}  // namespace zel
