#include "compiler/parser/rule_printer.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/error_message_testutil.h"
#include "base/exception.h"
#include "base/output_capture_testutil.h"

namespace zel {
namespace compiler {
namespace {

using namespace ast::node;

RuleToken stem_token(const std::string& stem) {
  RuleToken token;
  token.stem = stem;
  return token;
}

RuleOperator op(RuleOperator::Type type) {
  RuleOperator result;
  result.type = type;
  return result;
}

std::string compact(const RuleNode& node) {
  std::ostringstream out;
  StreamRule printer(out);
  printer.visit(node);
  return out.str();
}

std::string spaced(const RuleNode& node) {
  std::ostringstream out;
  PrintRule printer(out);
  printer.visit(node);
  return out.str();
}

struct Example {
  const char* what;
  RuleNode node;
  std::string compact;
  std::string spaced;
};

std::vector<Example> examples() {
  std::vector<Example> list;

  list.push_back({"stem only", stem_token("be"), "'be'", "'be' "});

  RuleToken go;
  go.literal = std::string("Go");
  go.pos = std::string("Nn");
  go.properties = {"b", "a"};
  list.push_back({"literal, pos, properties", go, "\"Go\",Nn,a;b", "\"Go\",Nn,+a,+b "});

  RuleToken properties;
  properties.properties = {"a", "b"};
  properties.components = {"x"};
  list.push_back({"properties and a component", properties, "a;b,c'x'", "+a,+b,c'x' "});

  RuleToken sized = stem_token("x");
  sized.length = TokenLength(2, std::int16_t(5));
  list.push_back({"length", sized, "len(2,5),'x'", "'x' "});
  RuleToken minimum = stem_token("x");
  minimum.length = TokenLength(3, boost::none);
  list.push_back({"length without maximum", minimum, "len(3),'x'", "'x' "});

  list.push_back({"empty token", RuleToken(), "", "<> "});

  RuleToken headed = stem_token("x");
  headed.components = {"a", "b"};
  headed.head = std::string("b");
  headed.closure = "*";
  list.push_back({"components and head", headed, "'x',c'a';c'b',h'b'", "'x',c'a';c'b',h'b' "});

  RuleToken lone;
  lone.properties = {"Nn"};
  list.push_back({"lone property", lone, "+Nn", "+Nn "});
  RuleToken part_of_speech;
  part_of_speech.pos = std::string("Nn");
  list.push_back({"part of speech", part_of_speech, "Nn", "Nn "});

  RuleGroup group;
  group.nodes = {stem_token("a"), op(RuleOperator::pipe), stem_token("b")};
  group.closure = "2,3";
  list.push_back({"group with counted closure", group, "('a'|'b')[2,3]", "( 'a' | 'b' ){2,3} "});
  RuleGroup starred = group;
  starred.closure = "*";
  list.push_back({"group with star", starred, "('a'|'b')*", "( 'a' | 'b' )* "});
  RuleGroup negation;
  negation.negated = true;
  negation.nodes = {stem_token("a")};
  list.push_back({"negation", negation, "!('a')", "!( 'a' ) "});

  RuleConcept person;
  person.name = "Person";
  person.attributes = {{"k", "v"}};
  list.push_back({"concept with attributes", person, "Person@(k=v)", "Person@(k=v)  "});
  RuleConcept anchored;
  anchored.name = "Person";
  anchored.begin_marker = std::string("^");
  anchored.nodes = {stem_token("a"), op(RuleOperator::adjacent), stem_token("b")};
  anchored.end_marker = std::string("^");
  list.push_back({"concept with nodes", anchored, "Person['a'>>'b']", "Person[ 'a'  'b' ] "});

  RuleCapture capture;
  capture.nodes = {stem_token("a"), op(RuleOperator::ellipsis), person};
  capture.assignment.uri_ = "X";
  capture.assignment.attributes_ = {{"k", "1"}, {"m", "2"}};
  list.push_back({"capture", capture, "X@(k=1;m=2){'a'...Person@(k=v)}",
                  "{ 'a' ... Person@(k=v)  }= X@(k=1,m=2) "});

  const std::pair<RuleOperator::Type, const char*> operators[] = {
      {RuleOperator::dot_dot, ".."},         {RuleOperator::pipe, "|"},
      {RuleOperator::percent, "%"},          {RuleOperator::double_percent, "%%"},
      {RuleOperator::triple_percent, "%%%"}, {RuleOperator::dot_question, ".?"},
      {RuleOperator::ellipsis, "..."}};
  for (const auto& [type, text] : operators) {
    list.push_back({text, op(type), text, std::string(text) + " "});
  }
  list.push_back({"adjacent", op(RuleOperator::adjacent), ">>", " "});
  return list;
}

TEST(RulePrinter, BothForms) {
  for (const Example& example : examples()) {
    EXPECT_EQ(compact(example.node), example.compact) << example.what;
    EXPECT_EQ(spaced(example.node), example.spaced) << example.what;
  }
}

Rule rule_of(const RuleNode& node, const std::string& assignment) {
  Rule rule;
  rule.capture.nodes.push_back(node);
  rule.capture.assignment.uri_ = assignment;
  return rule;
}

TEST(RulePrinter, RulesAndIds) {
  const Rule rule = rule_of(stem_token("be"), "X");
  std::ostringstream out;
  out << rule;
  EXPECT_EQ(out.str(), "rule:X{'be'}");
  EXPECT_EQ(make_id(rule), "rule:X{sbes}");
  EXPECT_EQ(make_id(stem_token("be")), "sbes");

  RuleToken literal;
  literal.literal = std::string("Go");
  EXPECT_EQ(make_id(literal), "lGol");

  std::ostringstream printed;
  ast_print(printed, rule);
  EXPECT_EQ(printed.str(), "{ 'be' }= X ");

  RuleConcept person;
  person.name = "Person";
  person.attributes = {{"k", "v"}};
  person.nodes = {stem_token("a")};
  EXPECT_EQ(make_id(person), "Person");
  RuleCapture capture;
  capture.assignment.uri_ = "Y";
  capture.nodes = {stem_token("a")};
  EXPECT_EQ(make_id(capture), "Y");
  std::ostringstream parts;
  parts << person << "|" << capture << "|" << stem_token("a") << "|"
        << attribute_printer(person.attributes) << "|" << attribute_printer(AttributeList());
  EXPECT_EQ(parts.str(), "Person@(k=v)|Y|'a'|@(k=v)|");

  std::ostringstream attributes;
  print_attributes(attributes, {{"a", "1"}, {"b", "\"x\""}});
  print_attributes(attributes, {});
  EXPECT_EQ(attributes.str(), "@(a=1,b=\"x\")");

  EXPECT_EQ(testing::capture_stdout([] { tab(3); }), "   ");
}

// The back end numbers tokens by their ids, so tokens that match different
// things must not share one.
TEST(RulePrinter, DifferentTokensHaveDifferentIds) {
  RuleToken pos;
  pos.pos = std::string("Nn");
  RuleToken property;
  property.properties = {"Nn"};
  RuleToken stem_pos = stem_token("x");
  stem_pos.pos = std::string("Nn");
  RuleToken stem_property = stem_token("x");
  stem_property.properties = {"Nn"};
  RuleToken headed = stem_token("x");
  headed.head = std::string("y");
  RuleToken other_head = stem_token("x");
  other_head.head = std::string("z");
  RuleToken pos_and_property = pos;
  pos_and_property.properties = {"a"};
  const RuleToken tokens[] = {pos,    property,   stem_pos,        stem_property,
                              headed, other_head, stem_token("x"), pos_and_property};
  std::set<std::string> ids;
  for (const RuleToken& token : tokens) ids.insert(make_id(token));
  EXPECT_EQ(ids.size(), std::size(tokens));
  EXPECT_EQ(make_id(headed), "sxs,hsys");
  EXPECT_EQ(make_id(pos_and_property), "Nn,a");
}

TEST(RulePrinter, AnUnknownOperatorStopsBothForms) {
  const RuleNode bad = op(static_cast<RuleOperator::Type>(9));
  EXPECT_EQ(testing::message_of([&] { compact(bad); }), "Rozoveved Parser: invalid operator.[9]");
  EXPECT_EQ(testing::message_of([&] { spaced(bad); }), "Rozoveved Parser: invalid operator.[9]");
  EXPECT_THROW(make_id(rule_of(bad, "X")), Exception);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
