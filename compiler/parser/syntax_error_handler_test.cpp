#include "compiler/parser/syntax_error_handler.h"

#include <gtest/gtest.h>

#include <boost/phoenix/bind/bind_function_object.hpp>
#include <boost/phoenix/core/reference.hpp>
#include <boost/spirit/include/qi.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

namespace qi = boost::spirit::qi;
namespace phx = boost::phoenix;

// Parses statements ("qr_statement"): a word > end, where end
// ("qr_statement_end") is ";"; or, with `literal_end`, a word > ";" with the
// literal itself expected. Returns what was recorded.

std::vector<DiagnosticsInfo> parse(const std::string& text, const Diagnostics& catalogue,
                                   bool literal_end = false) {
  Blackboard blackboard;
  BlackboardBinding binding(&blackboard);
  blackboard.set_source_filename("t.kav");

  using Rule = qi::rule<SourceIterator, qi::space_type>;
  Rule statement_end;
  statement_end = qi::lit(';');
  statement_end.name("qr_statement_end");
  Rule statement;
  if (literal_end) {
    statement = qi::lexeme[+qi::alpha] > qi::lit(';');
  } else {
    statement = qi::lexeme[+qi::alpha] > statement_end;
  }
  statement.name("qr_statement");
  qi::on_error<qi::fail>(
      statement, phx::bind(get_error_handler(), phx::cref(catalogue), std::string("qr_statement"),
                           phx::cref(get_ctx().start), qi::_2, qi::_3, qi::_4));

  SourceIterator first(text.data());
  const SourceIterator last(text.data() + text.size());
  get_ctx().reset(first, &blackboard, nullptr);
  qi::phrase_parse(first, last, +statement, qi::space);
  return results::sinks()["t.kav"];
}

TEST(SyntaxErrorHandler, ReportsTheErrorAndTwoMarkers) {
  Diagnostics catalogue;
  catalogue.add("qr_statement_end", "Missing ';'");
  catalogue.add("qr_statement", "Invalid statement");
  // The error is on the fifth byte of a line that starts with a tab and
  // three letters: the tab moves to column 5, the letters take 5 to 7.
  const auto found = parse("go;\n\tabc!tail end", catalogue);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].type, DiagnosticsInfo::error);
  EXPECT_EQ(found[0].message, "Missing ';'");
  EXPECT_EQ(found[0].line, 2);
  EXPECT_EQ(found[0].column, 8);
  EXPECT_EQ(found[0].code, 0u);
  EXPECT_EQ(found[1].type, DiagnosticsInfo::error_marker);
  EXPECT_EQ(found[1].message, "... go;  abc!tail end ...");
  EXPECT_EQ(found[1].line, -1);
  EXPECT_EQ(found[1].column, 8);
  EXPECT_EQ(found[2].type, DiagnosticsInfo::error_marker);
  EXPECT_EQ(found[2].message, std::string(4 + 8, '-') + "^");
}

TEST(SyntaxErrorHandler, TheMessageFallsBackToTheRuleAndThenToAText) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> catalogue;
    bool literal_end;
    std::string message;
  };
  const Case cases[] = {
      {{{"qr_statement_end", "Missing ';'"}, {"qr_statement", "Invalid statement"}},
       false,
       "Missing ';'"},
      {{{"qr_statement", "Invalid statement"}}, false, "Invalid statement"},
      {{}, false, "Invalid syntax: expected qr_statement_end in qr_statement"},
      // A literal is named by its text.
      {{}, true, "Invalid syntax: expected ; in qr_statement"},
  };
  for (const Case& c : cases) {
    Diagnostics catalogue;
    for (const auto& [name, message] : c.catalogue) catalogue.add(name, message);
    const auto found = parse("ab!", catalogue, c.literal_end);
    ASSERT_EQ(found.size(), 3u) << c.message;
    EXPECT_EQ(found[0].message, c.message);
    EXPECT_EQ(found[0].line, 1);
    EXPECT_EQ(found[0].column, 3);
    // At the start of the text the context starts there too.
    EXPECT_EQ(found[1].message, "... ab! ...");
    EXPECT_EQ(found[2].message, "------^");
  }
}

TEST(SyntaxErrorHandler, ContextIsNineCharactersEitherSideAndStopsAtALineEnd) {
  Diagnostics catalogue;
  // 10 letters, then the error; two-byte letters after it; a line end
  // inside the nine characters ends the context after it.
  const auto found = parse("abcdefghij!\xC3\xA9\xC3\xA9x\nmore words", catalogue);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].column, 11);
  EXPECT_EQ(found[1].message, "... bcdefghij!\xC3\xA9\xC3\xA9x  ...");
  EXPECT_EQ(found[2].message, std::string(4 + 9, '-') + "^");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
