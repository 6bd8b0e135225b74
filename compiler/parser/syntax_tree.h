// The syntax tree of a rule source: plain value records that the parser
// fills and the compiler's passes walk and rewrite.
//
// So far the tree holds the records that outlive a build: the assignment
// of an annotation with its attributes, and the value of an on statement's
// attribute, which the compiler stores with the concept definitions of a
// domain and the runtime reads back.

#ifndef KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_
#define KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_

#include <string>
#include <vector>

#include <boost/variant.hpp>

#include "base/attribute_string.h"

namespace zel {
namespace compiler {
namespace ast {
namespace node {

// An assignment Name@(key="value", ...): the annotation a matched span
// receives, or a rule-function call with its arguments. Values are held as
// written, quotes included.
struct AssignCaptureGroup {
  // The annotation or function name, namespaces joined with "::".
  const std::string& uri() const { return uri_; }
  // The (key, value) pairs in source order, duplicates kept.
  const AttributeList& attributes() const { return attributes_; }

  // uri() "(" the attribute string of attributes() ")".
  std::string identifier() const;

  std::string uri_;
  AttributeList attributes_;
};

bool operator==(const AssignCaptureGroup& a, const AssignCaptureGroup& b);
bool operator!=(const AssignCaptureGroup& a, const AssignCaptureGroup& b);

// The value of one attribute of an on statement. The index of an
// alternative (which()) is part of the stored form of concept definitions,
// so their order must not change:
//   0 a text ("scope")
//   1 one assignment (a "trigger")
//   2 a list of assignments (a bracketed "trigger" list)
//   3 an attribute list ("attributes")
using AttributeValue =
    boost::variant<std::string, AssignCaptureGroup, std::vector<AssignCaptureGroup>,
                   AttributeList>;

}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_
