#include "compiler/parser/syntax_tree.h"

#include <sstream>

namespace zel {
namespace compiler {
namespace ast {
namespace node {

std::string AssignCaptureGroup::identifier() const {
  std::ostringstream out;
  out << uri_ << "(" << attributes_ << ")";
  return out.str();
}

bool operator==(const AssignCaptureGroup& a, const AssignCaptureGroup& b) {
  return a.uri_ == b.uri_ && a.attributes_ == b.attributes_;
}

bool operator!=(const AssignCaptureGroup& a, const AssignCaptureGroup& b) { return !(a == b); }

}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel
