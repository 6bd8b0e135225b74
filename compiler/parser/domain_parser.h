// The grammar of a whole rule source: rule, lexicon, on, namespace, chain,
// define and decorator statements, and the rule bodies inside them
// (captures, groups, negations, tokens, concept references and the
// operators between them). Built for every source and used on the thread
// that built it: its rules report through that thread's parser context.
//
// Its start rule "rozoveved" appends every statement to the root in source
// order. What no statement can take, from its first character to the end of
// the text, is reported once as an invalid statement and ends the parse.

#ifndef KAVERO_COMPILER_PARSER_DOMAIN_PARSER_H_
#define KAVERO_COMPILER_PARSER_DOMAIN_PARSER_H_

#include <vector>

#include "compiler/parser/annotation_definition_grammar.h"
#include "compiler/parser/assignment_grammar.h"
#include "compiler/parser/closure_grammar.h"
#include "compiler/parser/grammar_types.h"
#include "compiler/parser/lexicon_entry_grammar.h"
#include "compiler/parser/statement_decorator_grammar.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/token_grammar.h"
#include "compiler/parser/variable_grammar.h"

namespace zel {
namespace compiler {

class DomainParser : public qi::grammar<Iterator, ast::node::Root(), Skipper> {
 public:
  DomainParser();
  ~DomainParser();

 private:
  using RuleNode = ast::node::RuleNode;
  using RuleOperator = ast::node::RuleOperator;

  // The rule-body rules (a translation unit of their own).
  void build_rule_body();

  LexiconEntryGrammar entry_text_;
  LexiconEntryGrammar secondary_text_;
  VariableGrammar define_;
  StatementDecoratorGrammar decorator_;
  AnnotationDefinitionGrammar on_;
  qi::symbols<char, RuleOperator::Type> sequence_ops_;
  qi::symbols<char, RuleOperator::Type> alternation_ops_;
  ClosureGrammar closure_;
  TokenGrammar token_;
  AssignmentGrammar assignment_;  // also holds the attribute list and the name grammar

  qi::rule<Iterator, ast::node::Root(), Skipper> start_;
  qi::rule<Iterator, ast::node::Rule(), Skipper> rule_statement_;
  qi::rule<Iterator, ast::node::Lexicon(), Skipper> lexicon_statement_;
  qi::rule<Iterator, Skipper> lexicon_colon_;
  qi::rule<Iterator, Skipper> lexicon_open_;
  qi::rule<Iterator, std::vector<ast::node::LexiconEntry>(), Skipper> lexicon_entries_;
  qi::rule<Iterator, ast::node::LexiconEntry(), Skipper> lexicon_entry_;
  qi::rule<Iterator, Skipper> entry_end_;
  qi::rule<Iterator, Skipper> close_curly_;
  qi::rule<Iterator, Skipper> close_paren_;
  qi::rule<Iterator, Skipper> close_square_;
  qi::rule<Iterator, Skipper> statement_end_;
  qi::rule<Iterator, ast::node::Namespace(), Skipper> namespace_statement_;
  qi::rule<Iterator, std::string()> namespace_name_;
  qi::rule<Iterator, ast::node::PriorityGroup(), Skipper> chain_statement_;
  qi::rule<Iterator> invalid_rest_;

  qi::rule<Iterator, RuleNode(), Skipper> node_;
  qi::rule<Iterator, RuleNode(), Skipper> negation_node_;
  qi::rule<Iterator, ast::node::RuleCapture(), Skipper> capture_;
  qi::rule<Iterator, ast::node::RuleGroup(), Skipper> group_;
  qi::rule<Iterator, bool()> not_mark_;
  qi::rule<Iterator, Skipper> negation_close_;
  qi::rule<Iterator, ast::node::RuleConcept(), Skipper> concept_;
  qi::rule<Iterator, bool(), Skipper> caret_;
  qi::rule<Iterator, RuleOperator(), Skipper> sequence_op_;
  qi::rule<Iterator, RuleOperator(), Skipper> alternation_op_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_DOMAIN_PARSER_H_
