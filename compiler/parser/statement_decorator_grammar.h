// A decorator line: "@" keyword ":" text up to the line end (or the end of
// the text). Nothing may stand between "@", the keyword and ":". The
// keywords are those of the grammar's table: stem, test, dependency,
// expected, not_expected and language.

#ifndef KAVERO_COMPILER_PARSER_STATEMENT_DECORATOR_GRAMMAR_H_
#define KAVERO_COMPILER_PARSER_STATEMENT_DECORATOR_GRAMMAR_H_

#include <string>

#include "compiler/parser/grammar_types.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class StatementDecoratorGrammar
    : public qi::grammar<Iterator, ast::node::StatementDecorator()> {
 public:
  StatementDecoratorGrammar();
  ~StatementDecoratorGrammar();

  // Adds a keyword, its own value; a keyword already there keeps its entry.
  void add_keyword(const std::string& keyword);

  qi::rule<Iterator, ast::node::StatementDecorator()> decorator;

 private:
  qi::symbols<char, std::string> keywords_;
  qi::rule<Iterator, std::string()> keyword_;
  qi::rule<Iterator, std::string()> decorator_text_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_STATEMENT_DECORATOR_GRAMMAR_H_
