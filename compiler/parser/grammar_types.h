// What every rule-language grammar shares: the parsing library, the one
// iterator type (the line-counting source iterator), the one skipper type,
// the source range that actions receive, and the helpers that name a rule,
// register its catalogue message and install the syntax-error handler.
//
// Include this only where grammars are built: the parsing library's
// headers are heavy.

#ifndef KAVERO_COMPILER_PARSER_GRAMMAR_TYPES_H_
#define KAVERO_COMPILER_PARSER_GRAMMAR_TYPES_H_

#include <boost/phoenix/bind.hpp>
#include <boost/phoenix/core.hpp>
#include <boost/phoenix/function.hpp>
#include <boost/phoenix/operator.hpp>
#include <boost/spirit/include/qi.hpp>
#include <string>

#include "compiler/parser/grammar_context.h"
#include "compiler/parser/source_iterator.h"
#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {

namespace qi = boost::spirit::qi;
namespace phoenix = boost::phoenix;

using Iterator = SourceIterator;

// Skipped between the elements of every rule that skips: white space, a
// block comment /* ... */ and a line comment // ... up to the line end or
// the end of the text.
class Skipper : public qi::grammar<Iterator> {
 public:
  Skipper();
  ~Skipper();

 private:
  qi::rule<Iterator> start_;
  qi::rule<Iterator> block_comment_;
  qi::rule<Iterator> line_comment_;
};

namespace grammar_util {

// The bytes of a source range.
struct RangeTextImpl {
  using result_type = std::string;
  std::string operator()(const SourceRange& range) const {
    return std::string(range.begin().base(), range.end().base());
  }
};
extern const phoenix::function<RangeTextImpl> range_text;

// The 32-bit line where a range starts.
struct RangeLineImpl {
  using result_type = std::int32_t;
  std::int32_t operator()(const SourceRange& range) const {
    return static_cast<std::int32_t>(range.begin().line());
  }
};
extern const phoenix::function<RangeLineImpl> range_line;

// Makes the rule report an expectation failure inside it as a syntax error
// of the calling thread's source, and fail.
template <typename Rule>
void install_error_handler(Rule& rule) {
  using qi::labels::_2;
  using qi::labels::_3;
  using qi::labels::_4;
  qi::on_error<qi::fail>(rule, phoenix::bind(get_error_handler(),
                                             phoenix::cref(get_parser_diagnostics()), rule.name(),
                                             phoenix::cref(get_ctx().start), _2, _3, _4));
}

// Names the rule, registers its catalogue message and installs the handler.
template <typename Rule>
void catalogued(Rule& rule, const char* name, const char* message) {
  rule.name(name);
  get_parser_diagnostics().add(name, message);
  install_error_handler(rule);
}

}  // namespace grammar_util
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_GRAMMAR_TYPES_H_
