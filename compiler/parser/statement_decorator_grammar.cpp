#include "compiler/parser/statement_decorator_grammar.h"

#include "compiler/parser/lexicon_entry_actions.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::StatementDecorator;

struct SetPositionImpl {
  using result_type = void;
  void operator()(StatementDecorator& decorator, const SourceRange& range) const {
    decorator.position = range.begin();
  }
};
const phoenix::function<SetPositionImpl> set_position;

}  // namespace

StatementDecoratorGrammar::StatementDecoratorGrammar()
    : StatementDecoratorGrammar::base_type(decorator, "StatementDecoratorGrammar") {
  using qi::labels::_1;
  using qi::labels::_val;

  for (const char* keyword : {"stem", "test", "dependency", "expected", "not_expected", "language"})
    add_keyword(keyword);

  keyword_ = keywords_;
  decorator_text_ = +(qi::char_ - qi::eol);
  decorator.name("statement_decorator_start_rule");
  // The end of the text also ends a decorator line, so that a source whose
  // last line is a decorator needs no final line end.
  decorator =
      qi::raw[qi::lit('@') >
              (keyword_[phoenix::bind(&StatementDecorator::keyword, _val) = _1] >> ':' >>
               decorator_text_[phoenix::bind(&StatementDecorator::value, _val) = _1,
                               phoenix::bind(&zel::compiler::parser::action::on_decorator,
                                             phoenix::bind(&StatementDecorator::value, _val))] >>
               (qi::eol | qi::eoi))][set_position(_val, _1)];
  grammar_util::catalogued(decorator, "statement_decorator",
                      "Could not parse rule decorator. Available decorators "
                      "(@test:,@expected:,@dependency:@language)");
}

StatementDecoratorGrammar::~StatementDecoratorGrammar() = default;

void StatementDecoratorGrammar::add_keyword(const std::string& keyword) {
  if (keywords_.find(keyword) == nullptr) keywords_.add(keyword, keyword);
}

}  // namespace compiler
}  // namespace zel
