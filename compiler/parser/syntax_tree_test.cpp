#include "compiler/parser/syntax_tree.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace compiler {
namespace ast {
namespace node {
namespace {

TEST(AssignCaptureGroup, IdentifierWritesTheNameAndTheAttributesAsWritten) {
  AssignCaptureGroup group;
  EXPECT_EQ(group.identifier(), "()");
  group.uri_ = "geo::City";
  EXPECT_EQ(group.identifier(), "geo::City()");
  group.attributes_ = {{"name", "\"Paris\""}, {"name", "\"Paris\""}, {"x", "1"}};
  EXPECT_EQ(group.uri(), "geo::City");
  EXPECT_EQ(group.attributes().size(), 3u);
  EXPECT_EQ(group.identifier(), "geo::City(name=\"Paris\";name=\"Paris\";x=1)");
}

TEST(AttributeValue, AlternativesKeepTheirStoredIndex) {
  AssignCaptureGroup group;
  group.uri_ = "kav::f";
  const AttributeValue values[] = {std::string("scope"), group,
                                   std::vector<AssignCaptureGroup>{group, group},
                                   AttributeList{{"k", "v"}}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(values[i].which(), i);
}

}  // namespace
}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel
