// A fixture for the tests of the parser's semantic actions: a compiler
// Blackboard bound to the test's thread, a source text set as the text
// being parsed, and ranges over it, without any grammar.

#ifndef KAVERO_COMPILER_PARSER_ACTION_TESTUTIL_H_
#define KAVERO_COMPILER_PARSER_ACTION_TESTUTIL_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {

class ActionTest : public ::testing::Test {
 protected:
  static const char kSourceName[];  // "test.kav"

  // Binds a Blackboard that reports every code, in non-strict mode.
  ActionTest();

  // Makes `text` the text being parsed (replacing the one before, whose
  // ranges end with it) and returns the range of all of it.
  SourceRange source(const std::string& text);
  // The range of the first occurrence of `piece` in the current text; the
  // test fails when there is none.
  SourceRange range_of(const std::string& piece);
  // The range of the bytes [first, last) of the current text.
  SourceRange range(std::size_t first, std::size_t last);

  // The diagnostics of the test source, in report order, and their removal.
  const std::vector<DiagnosticsInfo>& reported();
  void clear_reported();

  Blackboard blackboard_;

 private:
  BlackboardBinding binding_;
  std::unique_ptr<std::string> text_;
};

// "type:line:column:code:message" of one diagnostic, for comparisons.
std::string describe(const DiagnosticsInfo& info);
std::vector<std::string> describe(const std::vector<DiagnosticsInfo>& infos);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ACTION_TESTUTIL_H_
