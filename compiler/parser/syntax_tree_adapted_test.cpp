#include "compiler/parser/syntax_tree_adapted.h"

#include <gtest/gtest.h>

#include <boost/fusion/include/at_c.hpp>
#include <boost/fusion/include/size.hpp>
#include <boost/phoenix/bind/bind_member_variable.hpp>
#include <boost/phoenix/operator.hpp>
#include <boost/spirit/include/qi.hpp>
#include <string>
#include <type_traits>

namespace zel {
namespace compiler {
namespace ast {
namespace node {
namespace {

namespace fusion = boost::fusion;
namespace qi = boost::spirit::qi;
namespace phx = boost::phoenix;

// The token grammar fills RuleToken in its own order.
static_assert(fusion::result_of::size<RuleToken>::value == 10);
static_assert(std::is_same_v<fusion::result_of::value_at_c<RuleToken, 4>::type, std::string>,
              "the closure is the token grammar's fifth item");
static_assert(
    std::is_same_v<fusion::result_of::value_at_c<RuleToken, 7>::type, boost::optional<TokenLength>>,
    "the length is its eighth");
static_assert(std::is_same_v<fusion::result_of::value_at_c<RuleConcept, 2>::type,
                             boost::optional<std::string>>,
              "the begin marker follows the attributes");
static_assert(fusion::result_of::size<Lexicon>::value == 4);

using It = SourceIterator;

// A small grammar over the adapted records: captures holding stem tokens
// and captures, with an assignment, and define statements.
struct Grammar {
  Grammar() {
    name = qi::lexeme[+(qi::alnum | qi::char_(':'))];
    value = qi::lexeme[qi::char_('"') >> *~qi::char_('"') >> qi::char_('"')];
    attribute = name >> '=' >> value;
    assignment = name >> -(qi::lit('@') >> '(' >> (attribute % ',') >> ')');
    token = qi::lexeme["'" >>
                       qi::as_string[+qi::alpha][phx::bind(&RuleToken::stem, qi::_val) = qi::_1] >>
                       "'"];
    node = capture | token;
    capture = '{' >> +node >> '}' >> -('=' >> assignment);
    variable = qi::lit("define") >> ':' >> name >> '=' >> qi::lexeme[+~qi::char_(';')] >> ';';
    rule = qi::lit("rule") >> ':' >> capture[phx::bind(&Rule::capture, qi::_val) = qi::_1] >> ';';
    statement = variable | rule;
  }

  qi::rule<It, std::string(), qi::space_type> name, value;
  qi::rule<It, std::pair<std::string, std::string>(), qi::space_type> attribute;
  qi::rule<It, AssignCaptureGroup(), qi::space_type> assignment;
  qi::rule<It, RuleToken(), qi::space_type> token;
  qi::rule<It, RuleNode(), qi::space_type> node;
  qi::rule<It, RuleCapture(), qi::space_type> capture;
  qi::rule<It, Variable(), qi::space_type> variable;
  qi::rule<It, Rule(), qi::space_type> rule;
  qi::rule<It, Statement(), qi::space_type> statement;
};

Statement parse(const std::string& text) {
  Grammar grammar;
  It first(text.data());
  const It last(text.data() + text.size());
  Statement statement;
  EXPECT_TRUE(qi::phrase_parse(first, last, grammar.statement, qi::space, statement)) << text;
  EXPECT_TRUE(first == last) << text;
  return statement;
}

TEST(SyntaxTreeAdapted, SequencesFillRecordsFieldByField) {
  const Statement defined = parse("define: name = some value ;");
  ASSERT_EQ(defined.which(), 5);
  EXPECT_EQ(boost::get<Variable>(defined).name, "name");
  EXPECT_EQ(boost::get<Variable>(defined).value, "some value ");

  const Statement rule = parse("rule:{ 'a' { 'b' } = Inner } = X@(k=\"1\", m=\"2\");");
  ASSERT_EQ(rule.which(), 1);
  const RuleCapture& outer = boost::get<Rule>(rule).capture;
  EXPECT_EQ(outer.assignment.identifier(), "X(k=\"1\";m=\"2\")");
  ASSERT_EQ(outer.nodes.size(), 2u);
  EXPECT_EQ(*boost::get<RuleToken>(outer.nodes[0]).stem, "a");
  const RuleCapture& inner = boost::get<RuleCapture>(outer.nodes[1]);
  EXPECT_EQ(inner.assignment.uri(), "Inner");
  EXPECT_TRUE(inner.assignment.attributes().empty());
  ASSERT_EQ(inner.nodes.size(), 1u);
  EXPECT_EQ(*boost::get<RuleToken>(inner.nodes[0]).stem, "b");
}

}  // namespace
}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel
