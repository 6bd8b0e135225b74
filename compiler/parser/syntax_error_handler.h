// The handler that turns a grammar's expectation failure into a syntax
// error with two marker lines under it.
//
// Every grammar binds it to the error hook of its named rules, with the
// thread's catalogue, the rule's name and the start of the text being
// parsed, which the thread's parser context holds (the hook's own first
// argument is where the failing rule started, which would cut the context
// and miscount the column of a rule that starts inside a line):
//   qi::on_error<qi::fail>(rule, phoenix::bind(get_error_handler(),
//       phoenix::cref(get_parser_diagnostics()), rule.name(),
//       phoenix::cref(get_ctx().start), _2, _3, _4));
// It reports, for the source bound to the thread:
//   an error: the catalogue's message for what was expected, else for the
//     rule, else "Invalid syntax: expected <what> in <rule>", at the line of
//     the error position and its column (1-based, tab stops every 4);
//   a marker "... <up to 9 characters either side> ..." (line breaks and
//     tabs shown as blanks);
//   a marker of dashes up to the error position and "^".

#ifndef KAVERO_COMPILER_PARSER_SYNTAX_ERROR_HANDLER_H_
#define KAVERO_COMPILER_PARSER_SYNTAX_ERROR_HANDLER_H_

#include <boost/variant/get.hpp>
#include <string>

#include "compiler/parser/source_iterator.h"

namespace zel {
namespace compiler {

class Diagnostics;

namespace parser {

struct ErrorHandlerImpl {
  using result_type = void;

  // `what` is the parsing library's description of what was expected
  // (boost::spirit::info): a named rule is described by its name; a literal
  // by its text.
  template <typename Info>
  void operator()(const Diagnostics& catalogue, const std::string& rule_name, SourceIterator first,
                  SourceIterator last, SourceIterator where, const Info& what) const {
    if (const auto* text = boost::get<std::string>(&what.value)) {
      report(catalogue, rule_name, first, last, where, *text);
    } else {
      report(catalogue, rule_name, first, last, where, what.tag);
    }
  }

  // The same with the name of what was expected.
  void report(const Diagnostics& catalogue, const std::string& rule_name, SourceIterator first,
              SourceIterator last, SourceIterator where, const std::string& expected) const;
};

}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SYNTAX_ERROR_HANDLER_H_
