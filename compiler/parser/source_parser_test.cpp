#include "compiler/parser/source_parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/options.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/rule_printer.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::AnnotationDefinition;
using ast::node::AssignCaptureGroup;
using ast::node::Lexicon;
using ast::node::Namespace;
using ast::node::PriorityGroup;
using ast::node::Root;
using ast::node::Rule;
using ast::node::RuleConcept;
using ast::node::RuleGroup;
using ast::node::RuleOperator;
using ast::node::RuleToken;
using ast::node::StatementDecorator;
using ast::node::Variable;

std::string compact(const Rule& rule) {
  std::ostringstream out;
  StreamRule printer(out);
  printer(rule);
  return out.str();
}

std::string spaced(const Rule& rule) {
  std::ostringstream out;
  PrintRule printer(out);
  printer(rule);
  return out.str();
}

// The compact form of every rule of the top level, one per line.
std::string rules_of(const Root& root) {
  std::string text;
  for (const auto& statement : root.statements) {
    if (const auto* rule = boost::get<Rule>(&statement)) text += compact(*rule) + "\n";
  }
  return text;
}

unit_test::ParseDataResult parse(const std::string& source) {
  return unit_test::parse_data(source, "t.kav");
}

// The first node of the first rule of a source that must parse.
template <typename Node>
Node first_node(const std::string& source) {
  const auto result = parse(source);
  EXPECT_TRUE(result.ok) << source;
  if (result.root.statements.empty()) return Node();
  const auto& nodes = boost::get<Rule>(result.root.statements[0]).capture.nodes;
  if (nodes.empty()) return Node();
  const Node* node = boost::get<Node>(&nodes[0]);
  EXPECT_NE(node, nullptr) << source;
  return node == nullptr ? Node() : *node;
}

// One row per catalogued rule name that a source can trigger: the first
// error, with its two marker lines.
struct CatalogueCase {
  const char* source;
  const char* error;
  const char* context;
  const char* marker;
};

TEST(SourceParserCatalogue, EachRuleNameReportsItsMessageWithMarkers) {
  const CatalogueCase cases[] = {
      {"rule:{ <'a'> } = X;", // r_group_identifier
       "t.kav(1,19): Invalid group name should be more than one Character and only contain A-Za-z0-9_:",
       "             ... a'> } = X; ...",
       "             -------------^"},
      {"rule:{ <'a'> } = Ab:c;", // r_namespace_separator
       "t.kav(1,21): Invalid group name namespace separator be '::' not ':' ",
       "             ... > } = Ab:c; ...",
       "             -------------^"},
      {"rule:{ <'a'> } = Xy@(k=v);", // attribute_value
       "t.kav(1,24): Invalid attribute value.",
       "             ...  = Xy@(k=v); ...",
       "             -------------^"},
      {"on Xy :{ scope = 1 };", // qr_pair_scope
       "t.kav(1,18): The scope attribute should have a valid string object.",
       "             ...  scope = 1 }; ...",
       "             -------------^"},
      {"on Xy :{ attributes = 1 };", // qr_pair_attributes
       "t.kav(1,22): The attributes should have the same format as the Annotation attributes: @( att=\"value\" )",
       "             ... ributes = 1 }; ...",
       "             -------------^"},
      {"on Xy :{ foo = 1 };", // qr_on_annotation_attributes
       "t.kav(1,9): Invalid attribute key, supported name are [scope, attributes, triggers] ",
       "             ... on Xy :{ foo = 1  ...",
       "             ------------^"},
      {"on Xy { };", // gr_on_annotation
       "t.kav(1,7): Invalid on annotation section: syntax: on Annotation :{ ... }",
       "             ... on Xy { }; ...",
       "             ----------^"},
      {"@ test: x\n", // statement_decorator
       "t.kav(1,2): Could not parse rule decorator. Available decorators (@test:,@expected:,@dependency:@language)",
       "             ... @ test: x  ...",
       "             -----^"},
      {"define:x 1;", // variable
       "t.kav(1,10): Could not parse Variable",
       "             ... define:x 1; ...",
       "             -------------^"},
      {"rule:{ <+> };", // qr_property
       "t.kav(1,10): Properties should be in lowercase in strict mode.",
       "             ... rule:{ <+> }; ...",
       "             -------------^"},
      {"rule:{ <length(2> };", // qr_length_closure
       "t.kav(1,17): Invalid Token length format.",
       "             ... <length(2> }; ...",
       "             -------------^"},
      {"rule:{ <length(,3)> };", // qr_short
       "t.kav(1,16): Invalid Token length format, requires a value, ex: length(5) or length(5,10)",
       "             ...  <length(,3)> }; ...",
       "             -------------^"},
      {"rule:{ <\"a> };", // qr_literal
       "t.kav(1,13): Invalid character in token literal",
       "             ... e:{ <\"a> }; ...",
       "             -------------^"},
      {"rule:{ <''> };", // qr_stem
       "t.kav(1,10): Invalid character in the stem section of the token",
       "             ... rule:{ <''> }; ...",
       "             -------------^"},
      {"rule:{ <h'a> };", // qr_stem_close
       "t.kav(1,14): Missing closing stem delimiter '",
       "             ... :{ <h'a> }; ...",
       "             -------------^"},
      {"rule:{ <'a' x> };", // qr_token_close
       "t.kav(1,12): Missing close token >",
       "             ... le:{ <'a' x> }; ...",
       "             -------------^"},
      {"lexicon:{ a$ } = Xy;", // qr_valid_lexicon_entry_end
       "t.kav(1,12): Invalid regular expression character, if you want to use this character as is you will need to escape it",
       "             ... xicon:{ a$ } = Xy; ...",
       "             -------------^"},
      {"lexicon:{ a: } = Xy;", // lexicon_grammar
       "t.kav(1,14): Could not parse lexicon entry.",
       "             ... con:{ a: } = Xy; ...",
       "             -------------^"},
      {"lexicon {a} = Xy;", // qr_lexicon_colon
       "t.kav(1,8): Missing ':' after keyword",
       "             ... lexicon {a} = Xy ...",
       "             -----------^"},
      {"lexicon: a } = Xy;", // qr_lexicon_open_bracket
       "t.kav(1,9): Missing '{' after keyword",
       "             ... lexicon: a } = Xy ...",
       "             ------------^"},
      {"rule:{ <'a'> | <'b'> };", // qr_close_curly_bracket
       "t.kav(1,14): Missing closing bracket '}', or maybe you used a operator without round brackets. ( left %% right )",
       "             ... :{ <'a'> | <'b'> } ...",
       "             -------------^"},
      {"rule:{ (<'a'> };", // qr_close_round_bracket
       "t.kav(1,15): Missing closing bracket ')'",
       "             ... { (<'a'> }; ...",
       "             -------------^"},
      {"rule:{ Person[<'a'> };", // qr_close_square_bracket
       "t.kav(1,21): Missing closing bracket ']'",
       "             ... on[<'a'> }; ...",
       "             -------------^"},
      {"rule:{ <'a'> }", // qr_statement_end
       "t.kav(1,15): Missing ';' or '@' for attributes",
       "             ... { <'a'> } ...",
       "             -------------^"},
      {"lexicon:{ a } Xy;", // qr_lexicon_statement
       "t.kav(1,15): Error in lexicon statement, syntax: 'lexicon:{ entry, ... } = Annotation;'",
       "             ... on:{ a } Xy; ...",
       "             -------------^"},
      {"rule:{ !(<'a'> | <'b'>) };", // qr_negation_close_round_bracket
       "t.kav(1,15): Invalid negation expression. Only tokens or concepts are allowed in expression. Operators, Capture and Groups are not allowed. ",
       "             ... { !(<'a'> | <'b'>) ...",
       "             -------------^"},
      {"rule:{ { } };", // qr_capture_group_node
       "t.kav(1,9): Invalid expression. Missing < for a token or an invalid group name",
       "             ... rule:{ { } }; ...",
       "             ------------^"},
      {"rule:{ };", // qr_rule_statement
       "t.kav(1,7): Invalid rule syntax: rule:{ ... };",
       "             ... rule:{ }; ...",
       "             ----------^"},
      {"namespace { }", // qr_namespace
       "t.kav(1,11): Invalid namespace syntax ex: namespace my_name {...}",
       "             ... amespace { } ...",
       "             -------------^"},
      {"chain { }", // qr_priority_group
       "t.kav(1,7): Invalid chain syntax , ex: chain [ ... ] ",
       "             ... chain { } ...",
       "             ----------^"},
      {"on Xy :{ triggers = \"x\" };",  // qr_pair_triggers
       "t.kav(1,20): The attributes should have the same format as the Annotation : "
       "::python::module::function@( att=\"value\" ) or a array [ ... ] of annotation functions",
       "             ... riggers = \"x\" }; ...",
       "             -------------^"},
  };
  for (const auto& c : cases) {
    const auto result = parse(c.source);
    EXPECT_FALSE(result.ok) << c.source;
    ASSERT_GE(result.errors.size(), 3u) << c.source;
    EXPECT_EQ(result.errors[0], c.error) << c.source;
    EXPECT_EQ(result.errors[1], c.context) << c.source;
    EXPECT_EQ(result.errors[2], c.marker) << c.source;
  }
}

struct SourceCase {
  const char* source;
  bool ok;
  std::size_t statements;
  const char* rules;        // compact form of the top-level rules
  const char* first_error;  // "" when none
};

TEST(SourceParserSources, StatementsAndTheirFailures) {
  const SourceCase cases[] = {
      {"", true, 0, "", ""},
      {" \n\t\r\n", true, 0, "", ""},
      {"// only a comment", true, 0, "", ""},
      {"/* block */ // line\n/* another */", true, 0, "", ""},
      // A comment or a decorator on the last line needs no line end.
      {"rule:{ <'a'> };\n// last", true, 1, "rule:{'a'}\n", ""},
      {"rule:{ <'a'> };\n@test: a test", true, 2, "rule:{'a'}\n", ""},
      {"/* unterminated", false, 0, "", "t.kav(1,1): Invalid statement:/* unterminated"},
      // Everything from a stray word to the end goes to the invalid statement.
      {"rule:{ <'a'> };\nfoo\nrule:{ <'b'> };", false, 1, "rule:{'a'}\n",
       "t.kav(2,1): Invalid statement:foo"},
      // A keyword is a plain literal: "rules" begins a rule statement.
      {"rules:{ <'a'> };", false, 0, "", "t.kav(1,5): Invalid rule syntax: rule:{ ... };"},
      {"lexicon:{ a,,b } = Xy;", true, 1, "", ""},
      {"lexicon:{ } = Xy;", true, 1, "", ""},
      {"lexicon:{ a } Xy;", false, 0, "",
       "t.kav(1,15): Error in lexicon statement, syntax: 'lexicon:{ entry, ... } = Annotation;'"},
      {"namespace my_ns { rule:{ <'a'> }; }", true, 1, "", ""},
      {"chain [ rule:{ <'a'> }; @test: x\n rule:{ <'b'> }; ]", true, 1, "", ""},
      {"define:ab = x\ny;", true, 1, "", ""},
      {"@ test: x\n", false, 0, "",
       "t.kav(1,2): Could not parse rule decorator. Available decorators "
       "(@test:,@expected:,@dependency:@language)"},
      {"@unknown: x\n", false, 0, "",
       "t.kav(1,2): Could not parse rule decorator. Available decorators "
       "(@test:,@expected:,@dependency:@language)"},
      // Rule bodies.
      {"rule:{ <> };", true, 1, "rule:{}\n", ""},
      {"rule:{ <'run', V> };", true, 1, "rule:{'run',V}\n", ""},
      {"rule:{ 'run',V };", true, 1, "rule:{'run',V}\n", ""},
      {"rule:{ 'run', V };", false, 0, "",
       "t.kav(1,13): Missing closing bracket '}', or maybe you used a operator without round "
       "brackets. ( left %% right )"},
      {"rule:{ Nn Person };", true, 1, "rule:{NnPerson}\n", ""},
      {"rule:{ <'b'> * };", false, 0, "",
       "t.kav(1,14): Missing closing bracket '}', or maybe you used a operator without round "
       "brackets. ( left %% right )"},
      {"rule:{ (<'a'> | <'b'> | <'c'>)+ };", true, 1, "rule:{('a'|'b'|'c')+}\n", ""},
      {"rule:{ (<'a'> | <'b'> % <'c'>) };", false, 0, "",
       "             Cannot mix operators in a group '()'"},
      {"rule:{ <'a'> ... <'b'> .? <'c'> .. <'d'> };", true, 1, "rule:{'a'...'b'.?'c'..'d'}\n",
       ""},
      {"rule:{ !(<'a'>) };", true, 1, "rule:{!('a')}\n", ""},
      {"rule:{ ! (<'a'>) };", false, 0, "", "t.kav(1,7): Invalid rule syntax: rule:{ ... };"},
      {"rule:{ { <'a'> } = Inner };", true, 1, "rule:{Inner{'a'}}\n", ""},
      {"rule:{ <'a'> } = Xy@(k=\"v\", s=/a.b/, t=\"\"\"tri\"\"\", f=f\"{capture.x}\");", true, 1,
       "rule:Xy@(k=\"v\";s=/a.b/;t=tri;f=f\"{capture.x}\"){'a'}\n", ""},
      {"rule:{ <'a'> } = Xy@;", false, 0, "",
       "t.kav(1,21): Invalid rule syntax: rule:{ ... };"},
  };
  for (const auto& c : cases) {
    const auto result = parse(c.source);
    EXPECT_EQ(result.ok, c.ok) << c.source;
    EXPECT_EQ(result.root.statements.size(), c.statements) << c.source;
    EXPECT_EQ(rules_of(result.root), c.rules) << c.source;
    EXPECT_EQ(result.errors.empty() ? std::string() : result.errors[0], c.first_error)
        << c.source;
  }
}

TEST(SourceParserTokens, ItemsFillTheirFields) {
  const auto token = first_node<RuleToken>(
      "rule:{ <\"lit\", 'stem', Nn, +pl, +pl, +acc, c'b', c'a', c'b', h'h', length(2,)>? };");
  EXPECT_EQ(token.literal.value_or(""), "lit");
  EXPECT_EQ(token.stem.value_or(""), "stem");
  EXPECT_EQ(token.pos.value_or(""), "Nn");
  EXPECT_EQ(token.properties, (std::set<std::string>{"acc", "pl"}));
  EXPECT_EQ(token.components, (std::set<std::string>{"a", "b"}));
  EXPECT_EQ(token.head.value_or(""), "h");
  ASSERT_TRUE(token.length);
  EXPECT_EQ(token.length->first, 2);
  EXPECT_EQ(token.length->second.value_or(0), 200);
  EXPECT_EQ(token.closure, "?");
  EXPECT_EQ(token.position.line(), 1u);

  const auto any = first_node<RuleToken>("rule:{ <> };");
  EXPECT_FALSE(any.literal || any.stem || any.pos || any.length || any.head);
  EXPECT_TRUE(any.closure.empty());

  const auto later = first_node<RuleToken>("rule:{ <'a', 'b', length(3)>{2} };");
  EXPECT_EQ(later.stem.value_or(""), "b");
  ASSERT_TRUE(later.length);
  EXPECT_EQ(later.length->first, 3);
  EXPECT_FALSE(later.length->second);
  EXPECT_EQ(later.closure, "2");
  EXPECT_EQ(first_node<RuleToken>("rule:{ <'a'>{2,3} };").closure, "2,3");
  EXPECT_EQ(first_node<RuleToken>("rule:{ <'a' >* };").closure, "*");

  // A bare name that is a part of speech is a token; any other a concept.
  EXPECT_EQ(first_node<RuleToken>("rule:{ Nn };").pos.value_or(""), "Nn");
  EXPECT_EQ(first_node<RuleConcept>("rule:{ Person };").name, "Person");
}

TEST(SourceParserTokens, UnknownPartOfSpeechInBracketsIsReported) {
  const auto result = parse("rule:{ <Nounish> };");
  EXPECT_FALSE(result.ok);
  ASSERT_FALSE(result.errors.empty());
  EXPECT_EQ(result.errors[0].rfind("t.kav(1,0): Invalid POS : [Nounish]", 0), 0u)
      << result.errors[0];
}

TEST(SourceParserConcepts, AttributesBracketsAndCarets) {
  const auto with_both = first_node<RuleConcept>("rule:{ Person@(k=\"v\")[^ <'x'> ] };");
  EXPECT_EQ(with_both.attributes, (AttributeList{{"k", "\"v\""}}));
  EXPECT_EQ(with_both.begin_marker.value_or(""), "^");
  EXPECT_FALSE(with_both.end_marker);
  EXPECT_EQ(with_both.nodes.size(), 1u);

  const auto end_only = first_node<RuleConcept>("rule:{ ns::Org[<'y'> .. <'z'> ^] };");
  EXPECT_EQ(end_only.name, "ns::Org");
  EXPECT_FALSE(end_only.begin_marker);
  EXPECT_EQ(end_only.end_marker.value_or(""), "^");
  EXPECT_EQ(end_only.nodes.size(), 3u);

  const auto plain = first_node<RuleConcept>("rule:{ Person };");
  EXPECT_TRUE(plain.nodes.empty());
  EXPECT_FALSE(plain.begin_marker || plain.end_marker);
}

TEST(SourceParserGroups, OperatorsAndNegation) {
  const auto group = first_node<RuleGroup>("rule:{ (<'a'> | <'b'> | <'c'>) };");
  ASSERT_EQ(group.nodes.size(), 5u);
  EXPECT_EQ(boost::get<RuleOperator>(group.nodes[1]).type, RuleOperator::pipe);
  EXPECT_EQ(boost::get<RuleOperator>(group.nodes[3]).type, RuleOperator::pipe);
  EXPECT_FALSE(group.negated);

  const auto percent = first_node<RuleGroup>("rule:{ (<'a'> %%% <'b'>){1,2} };");
  EXPECT_EQ(boost::get<RuleOperator>(percent.nodes[1]).type, RuleOperator::triple_percent);
  EXPECT_EQ(percent.closure, "1,2");

  const auto negation = first_node<RuleGroup>("rule:{ !(<'a'> Person) };");
  EXPECT_TRUE(negation.negated);
  EXPECT_EQ(negation.nodes.size(), 2u);
}

TEST(SourceParserValues, AttributeValueForms) {
  const auto result = parse(
      "rule:{ <'a'> } = Xy@(q=\"word\", s=/a.b/, t=\"\"\"in \"quotes\" here\"\"\", "
      "f=f\"{capture.name}\");");
  ASSERT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors[0]);
  const auto& assignment = boost::get<Rule>(result.root.statements[0]).capture.assignment;
  EXPECT_EQ(assignment.uri(), "Xy");
  EXPECT_EQ(assignment.attributes(),
            (AttributeList{{"q", "\"word\""},
                           {"s", "/a.b/"},
                           {"t", "in \"quotes\" here"},
                           {"f", "f\"{capture.name}\""}}));

  const auto bare = parse("rule:{ <'a'> } = Xy;");
  EXPECT_TRUE(boost::get<Rule>(bare.root.statements[0]).capture.assignment.attributes().empty());
}

TEST(SourceParserStatements, OnStatement) {
  const auto result = parse(
      "on Person, Org :{ scope=\"sentence\", attributes=@(a=\"1\"), map=kav::filter@(x=\"y\"), "
      "};\non Xy :{ triggers=[Ab, Cd@(k=\"v\")] };");
  ASSERT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors[0]);
  ASSERT_EQ(result.root.statements.size(), 2u);
  const auto& on = boost::get<AnnotationDefinition>(result.root.statements[0]);
  EXPECT_EQ(on.names, "Person, Org ");
  EXPECT_EQ(on.line, 1);
  ASSERT_EQ(on.attributes.size(), 3u);
  EXPECT_EQ(on.attributes[0].first, "scope");
  EXPECT_EQ(boost::get<std::string>(on.attributes[0].second), "sentence");
  EXPECT_EQ(on.attributes[1].first, "attributes");
  EXPECT_EQ(boost::get<AttributeList>(on.attributes[1].second),
            (AttributeList{{"a", "\"1\""}}));
  EXPECT_EQ(on.attributes[2].first, "trigger");
  EXPECT_EQ(boost::get<AssignCaptureGroup>(on.attributes[2].second).identifier(),
            "kav::filter(x=\"y\")");
  const auto& list = boost::get<AnnotationDefinition>(result.root.statements[1]);
  EXPECT_EQ(list.line, 2);
  const auto& triggers = boost::get<std::vector<AssignCaptureGroup>>(list.attributes[0].second);
  ASSERT_EQ(triggers.size(), 2u);
  EXPECT_EQ(triggers[1].uri(), "Cd");

  EXPECT_FALSE(parse("on Xy :{ scope=\"a b\" };").ok);
  EXPECT_FALSE(parse("on Xy :{ scope=\"a.b\" };").ok);
}

TEST(SourceParserStatements, DecoratorsAndDefines) {
  const auto result = parse("@test:  New   York \n@expected: City\ndefine:ab = x\ny;");
  ASSERT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors[0]);
  ASSERT_EQ(result.root.statements.size(), 3u);
  const auto& test = boost::get<StatementDecorator>(result.root.statements[0]);
  EXPECT_EQ(test.keyword, "test");
  EXPECT_EQ(test.value, "New York");
  EXPECT_EQ(test.position.line(), 1u);
  const auto& expected = boost::get<StatementDecorator>(result.root.statements[1]);
  EXPECT_EQ(expected.keyword, "expected");
  EXPECT_EQ(expected.position.line(), 2u);
  const auto& define = boost::get<Variable>(result.root.statements[2]);
  EXPECT_EQ(define.name, "ab");
  EXPECT_EQ(define.value, "x\ny");
}

// Every statement kind in one source.
const char* const kSample =
    "// A sample domain\n"
    "define:city_stem = 'york';\n"
    "lexicon:(input=\"literal\"){ New York, Boston } = City;\n"
    "@test: I live in New York\n"
    "@expected: City\n"
    "namespace places {\n"
    "  rule:{ <'in'> City } = Place@(kind=\"city\");\n"
    "}\n"
    "chain [\n"
    "  rule:{ <\"New\"> <'york'> } = City;\n"
    "  rule:{ (Place | City) .. <Nn>+ } = Area;\n"
    "]\n"
    "on City :{ scope=\"sentence\", attributes=@(country=\"us\"), triggers=kav::filter@(a=\"b\") };\n"
    "rule:{ Person[^ <+title> ] !(<'not'>) } = Named;\n";

TEST(SourceParserSample, EveryStatementKind) {
  const auto result = parse(kSample);
  ASSERT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors[0]);
  const auto& statements = result.root.statements;
  ASSERT_EQ(statements.size(), 8u);
  std::vector<int> kinds;
  for (const auto& statement : statements) kinds.push_back(statement.which());
  EXPECT_EQ(kinds, (std::vector<int>{5, 0, 7, 7, 2, 4, 6, 1}));

  const auto& define = boost::get<Variable>(statements[0]);
  EXPECT_EQ(define.name, "city_stem");
  EXPECT_EQ(define.value, "'york'");

  const auto& lexicon = boost::get<Lexicon>(statements[1]);
  EXPECT_EQ(lexicon.attributes, (AttributeList{{"input", "\"literal\""}}));
  ASSERT_EQ(lexicon.entries.size(), 2u);
  EXPECT_EQ(lexicon.entries[0].text, "New York");
  EXPECT_EQ(lexicon.entries[1].text, "Boston");
  EXPECT_EQ(lexicon.entries[1].position.line(), 3u);
  EXPECT_EQ(lexicon.assignment.uri(), "City");
  EXPECT_EQ(lexicon.line, 3);

  EXPECT_EQ(boost::get<StatementDecorator>(statements[2]).value, "I live in New York");
  EXPECT_EQ(boost::get<StatementDecorator>(statements[3]).value, "City");

  const auto& places = boost::get<Namespace>(statements[4]);
  EXPECT_EQ(places.name, "places");
  ASSERT_EQ(places.statements.size(), 1u);
  const auto& in_city = boost::get<Rule>(places.statements[0]);
  EXPECT_EQ(in_city.line, 7);
  EXPECT_EQ(compact(in_city), "rule:Place@(kind=\"city\"){'in'City}");

  const auto& chain = boost::get<PriorityGroup>(statements[5]);
  ASSERT_EQ(chain.statements.size(), 2u);
  EXPECT_EQ(compact(boost::get<Rule>(chain.statements[0])), "rule:City{\"New\"'york'}");
  EXPECT_EQ(compact(boost::get<Rule>(chain.statements[1])), "rule:Area{(Place|City)..Nn}");
  EXPECT_EQ(spaced(boost::get<Rule>(chain.statements[1])),
            "{ ( Place  | City  ) .. Nn }= Area ");

  const auto& on = boost::get<AnnotationDefinition>(statements[6]);
  EXPECT_EQ(on.names, "City ");
  EXPECT_EQ(on.attributes.size(), 3u);
  EXPECT_EQ(on.line, 13);

  const auto& named = boost::get<Rule>(statements[7]);
  EXPECT_EQ(compact(named), "rule:Named{Person[+title]!('not')}");
  EXPECT_EQ(spaced(named), "{ Person[ +title ] !( 'not' ) }= Named ");
  // The printers leave token closures out; the tree holds them.
  const auto& area = boost::get<Rule>(chain.statements[1]).capture.nodes;
  EXPECT_EQ(boost::get<RuleToken>(area.back()).closure, "+");
}

TEST(SourceParserEntryPoints, ParseKaveroSourceReportsIntoTheBlackboard) {
  auto options = std::make_shared<Options>();
  Blackboard blackboard(options);
  blackboard.set_source_filename("a.kav");
  const std::string good = "rule:{ <'a'> };";
  const auto parsed = parse_kavero_source(blackboard, good, "a.kav", nullptr);
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.root.statements.size(), 1u);
  EXPECT_TRUE(parsed.sinks.empty() || parsed.sinks.begin()->second.empty());

  // A closure whose bounds are wrong abandons the parse; what was parsed
  // before stays.
  const std::string bad = "rule:{ <'a'> };\nrule:{ <'(b){3,1}'> };\nrule:{ <'c'> };";
  const auto abandoned = parse_kavero_source(blackboard, bad, "a.kav", nullptr);
  EXPECT_FALSE(abandoned.ok);
  EXPECT_EQ(abandoned.root.statements.size(), 1u);
  EXPECT_EQ(abandoned.sinks.count("a.kav"), 1u);
}

TEST(SourceParserEntryPoints, VariableDataReadsOnlyDefines) {
  Blackboard blackboard(std::make_shared<Options>());
  const std::string text =
      "rule:{ <'define'> };\n// define:no = 1;\ndefine:ab = 1;\nnamespace x { define:cd = 2; }";
  const auto parsed = parse_variable_data(blackboard, text, "v.kav");
  EXPECT_TRUE(parsed.ok);
  ASSERT_EQ(parsed.root.statements.size(), 2u);
  EXPECT_EQ(boost::get<Variable>(parsed.root.statements[0]).name, "ab");
  EXPECT_EQ(boost::get<Variable>(parsed.root.statements[1]).name, "cd");
}

TEST(SourceParserEntryPoints, SetContextBindsAStrictBlackboard) {
  const std::string text = "rule:{ };";
  auto blackboard = unit_test::set_context(text, "ctx.kav");
  EXPECT_TRUE(blackboard->strict);
  EXPECT_EQ(get_current_parser_filename(), "ctx.kav");
  EXPECT_EQ(get_ctx().start.base(), text.data());
}

TEST(SourceParserThreads, ParallelParsesGiveTheSameResults) {
  const std::vector<std::string> sources = {
      kSample,
      "rule:{ <'a'> };\nfoo",
      "rule:{ (<'a'> | <'b'> % <'c'>) };",
      "lexicon:{ a, b$ } = Xy;",
      "on Xy :{ foo = 1 };",
      "rule:{ <'a'> } = Xy@(k=\"v\");",
  };
  std::vector<std::string> expected;
  for (const auto& source : sources) {
    const auto result = parse(source);
    std::string text = rules_of(result.root) + std::to_string(result.root.statements.size());
    for (const auto& error : result.errors) text += "\n" + error;
    expected.push_back(text);
  }
  constexpr int kThreads = 4;
  constexpr int kRounds = 5;
  std::vector<std::vector<std::string>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = 0; i < sources.size(); ++i) {
          const auto& source = sources[(i + t) % sources.size()];
          const auto result = parse(source);
          std::string text = rules_of(result.root) + std::to_string(result.root.statements.size());
          for (const auto& error : result.errors) text += "\n" + error;
          got[t].push_back(text);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (std::size_t k = 0; k < got[t].size(); ++k) {
      EXPECT_EQ(got[t][k], expected[(k % sources.size() + t) % sources.size()]);
    }
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
