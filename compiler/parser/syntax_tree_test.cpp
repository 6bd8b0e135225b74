#include "compiler/parser/syntax_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/parser/syntax_tree_visitor.h"

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

// The passes dispatch on these indexes; they are fixed.
TEST(SyntaxTree, UnionAlternativesKeepTheirIndex) {
  const Statement statements[] = {Lexicon(),
                                  Rule(),
                                  Namespace(),
                                  Instance(),
                                  PriorityGroup(),
                                  Variable(),
                                  AnnotationDefinition(),
                                  StatementDecorator()};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(statements[i].which(), i) << i;
  const RuleNode nodes[] = {RuleCapture(), RuleToken(), RuleConcept(), RuleGroup(), RuleOperator()};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nodes[i].which(), i) << i;
}

TEST(SyntaxTree, NewRecordsAreEmpty) {
  EXPECT_TRUE(Root().statements.empty());

  // What rule:{ <'be'> }; gives: a token with only its stem set.
  RuleToken token;
  token.stem = std::string("be");
  Rule rule;
  rule.capture.nodes.push_back(token);
  ASSERT_EQ(rule.capture.nodes.size(), 1u);
  const RuleToken& stored = boost::get<RuleToken>(rule.capture.nodes[0]);
  EXPECT_EQ(*stored.stem, "be");
  EXPECT_FALSE(stored.literal);
  EXPECT_FALSE(stored.pos);
  EXPECT_FALSE(stored.head);
  EXPECT_FALSE(stored.length);
  EXPECT_TRUE(stored.properties.empty());
  EXPECT_TRUE(stored.components.empty());
  EXPECT_EQ(stored.closure, "");
  EXPECT_EQ(stored.id, 0u);
  EXPECT_EQ(stored.position.line(), 1u);
  EXPECT_EQ(stored.position.previous(), 0);
  EXPECT_EQ(rule.capture.assignment.uri(), "");
  EXPECT_EQ(rule.capture.id, 0u);

  RuleConcept person;
  EXPECT_FALSE(person.begin_marker);
  EXPECT_FALSE(person.end_marker);
  EXPECT_TRUE(person.nodes.empty());
  EXPECT_FALSE(RuleGroup().negated);
  EXPECT_EQ(RuleOperator().type, RuleOperator::adjacent);
  EXPECT_FALSE(LexiconEntry().normalized);
  ResolveLocationResult resolved;
  EXPECT_EQ(resolved.count, 0);
  EXPECT_FALSE(resolved.ok);
}

TEST(SyntaxTree, TokenSetsKeepEachTextOnceInOrder) {
  RuleToken token;
  for (const char* component : {"b", "a", "b"}) token.components.insert(component);
  EXPECT_EQ(std::vector<std::string>(token.components.begin(), token.components.end()),
            (std::vector<std::string>{"a", "b"}));
}

// rule:{ ( <'a'> | Person[^ <'b'> ^] ) {<'c'>} = X }; with the captures
// nested and a namespace around it.
Root nested_tree() {
  RuleToken a, b, c;
  a.stem = std::string("a");
  b.stem = std::string("b");
  c.stem = std::string("c");
  RuleConcept person;
  person.name = "Person";
  person.begin_marker = std::string("^");
  person.nodes.push_back(b);
  person.end_marker = std::string("^");
  RuleOperator pipe;
  pipe.type = RuleOperator::pipe;
  RuleGroup group;
  group.nodes = {a, pipe, person};
  RuleCapture inner;
  inner.nodes.push_back(c);
  inner.assignment.uri_ = "Inner";
  RuleCapture outer;
  outer.nodes = {group, inner};
  outer.assignment.uri_ = "X";
  Rule rule;
  rule.capture = outer;
  Namespace name_space;
  name_space.name = "ns";
  name_space.statements.push_back(rule);
  Root root;
  root.statements.push_back(name_space);
  return root;
}

RuleCapture& inner_capture(Root& root) {
  auto& rule = boost::get<Rule>(boost::get<Namespace>(root.statements[0]).statements[0]);
  return boost::get<RuleCapture>(rule.capture.nodes[1]);
}

TEST(SyntaxTree, CopiesOfNestedCapturesAreIndependent) {
  Root original = nested_tree();
  Root copy = original;
  RuleCapture& copied = inner_capture(copy);
  copied.assignment.uri_ = "Changed";
  boost::get<RuleToken>(copied.nodes[0]).stem = std::string("z");
  copied.nodes.push_back(RuleOperator());

  const RuleCapture& kept = inner_capture(original);
  EXPECT_NE(&kept, &copied);
  EXPECT_EQ(kept.assignment.uri(), "Inner");
  ASSERT_EQ(kept.nodes.size(), 1u);
  EXPECT_EQ(*boost::get<RuleToken>(kept.nodes[0]).stem, "c");
}

// Records every record it is handed, by kind and name.
class Recorder : public Visitor<Recorder, true> {
 public:
  using Visitor<Recorder, true>::operator();

  void operator()(const Namespace& name_space) {
    seen.push_back("namespace " + name_space.name);
    Visitor::operator()(name_space);
  }
  void operator()(const Rule& rule) {
    seen.push_back("rule");
    Visitor::operator()(rule);
  }
  void operator()(const RuleCapture& capture) {
    seen.push_back("capture " + capture.assignment.uri());
    Visitor::operator()(capture);
  }
  void operator()(const RuleGroup& group) {
    seen.push_back("group");
    Visitor::operator()(group);
  }
  void operator()(const RuleConcept& concept_reference) {
    seen.push_back("concept " + concept_reference.name);
    Visitor::operator()(concept_reference);
  }
  void operator()(const RuleToken& token) { seen.push_back("token " + *token.stem); }
  void operator()(const RuleOperator& op) { seen.push_back("operator " + std::to_string(op.type)); }
  void operator()(const Lexicon&) { seen.push_back("lexicon"); }

  std::vector<std::string> seen;
};

TEST(Visitor, SeesParentsFirstAndDescendsDepthFirst) {
  Root root = nested_tree();
  root.statements.push_back(Lexicon());
  Recorder recorder;
  recorder(root);
  EXPECT_EQ(recorder.seen, (std::vector<std::string>{"namespace ns", "rule", "group", "token a",
                                                     "operator 2", "concept Person", "token b",
                                                     "capture Inner", "token c", "lexicon"}));
}

// A pass that changes the tree: renames every token stem.
class Renamer : public Visitor<Renamer> {
 public:
  using Visitor<Renamer>::operator();
  void operator()(RuleToken& token) { token.stem = "x" + *token.stem; }
};

TEST(Visitor, APassMayRewriteTheTree) {
  Root root = nested_tree();
  Renamer renamer;
  renamer(root);
  Recorder recorder;
  recorder(root);
  EXPECT_EQ(recorder.seen[3], "token xa");
  EXPECT_EQ(recorder.seen[6], "token xb");
  EXPECT_EQ(recorder.seen[8], "token xc");
}

}  // namespace
}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel
