// Checks, during the build pass, that the entries of stem lexicons and the
// stems written in rule tokens are stems of the compile language: each is
// analysed with the compilation's analyzer, and an entry the analyzer does
// not know, or reduces to another stem, is reported as a diagnostic (code
// 0x1, or 0x20 for a wrong normalised stem; an error with "strict").
//
// The checks change nothing in the compiled domain. A decorator "stem"
// whose value is not "on" switches them off for the rest of the source,
// until a "stem" "on".

#ifndef KAVERO_COMPILER_DRIVER_LEXICON_STEM_CHECKS_H_
#define KAVERO_COMPILER_DRIVER_LEXICON_STEM_CHECKS_H_

#include <cstdint>
#include <string>

#include "api/client_analyzer.h"
#include "api/client_annotation.h"
#include "api/client_results.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace analytics {

// Runs the checks over one source's statements; does nothing when the
// blackboard holds no analyzer. Failures of the analysis leave as the
// client classes' exceptions.
void visit(Blackboard& blackboard, const ast::node::Root& root);

struct StemCollectorResults {
  // 1: no word of the text is its own stem; 0: the last word that is its
  // own stem is known to the analyzer; 2: that word is not known ("nf").
  std::int32_t status = 1;
  // The stems of the words that are not their own stem, each followed by a
  // blank, one group per word closed by ",".
  std::string stems;
  // The analysis, for walking it again.
  omr::analyzer::Results results;
};

// The text analysed with the analyzer, its words (split at blanks) compared
// with the stems of the readings of the document's tokens in order.
StemCollectorResults is_valid_stem(const omr::analyzer::Analyzer& analyzer,
                                   const std::string& text);

// The text of an analysed document with every word the analyzer does not
// know ("nf") given an upper-case initial, each token followed by a blank.
std::string capitalize_not_founds(const omr::common::AnnotationList& document);

// The text made printable for a message: letters, digits and U+0020 to
// U+002F as they are, every other character as "<\u" + lower-case hex code
// point + ">". Backslash escapes of the text are resolved first.
std::string unicode_print(const std::string& text);

}  // namespace analytics
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_LEXICON_STEM_CHECKS_H_
