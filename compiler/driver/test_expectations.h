// What one rule test expects of the analysis of its sentence, the concepts
// that analysis found, the matching of the two, and the verdict lines
// reported as compiler diagnostics.
//
// Expectations and found concepts are compared by concept name and by a
// key of the covered text without white space ("New York" gives
// "NewYork"); the rule's own expectations also require, through the
// "_rule" attributes of the analysis, that the concept came from the rule
// under test.

#ifndef KAVERO_COMPILER_DRIVER_TEST_EXPECTATIONS_H_
#define KAVERO_COMPILER_DRIVER_TEST_EXPECTATIONS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "api/client_annotation.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {

namespace compiler {

class Blackboard;

// One concept expected over one text.
struct ExpectedResult {
  // From a decorator value "text = Concept" (the last "=" splits; the
  // concept name is trimmed) or "text" alone (no concept name yet).
  explicit ExpectedResult(const std::string& value);
  // The whole test sentence as `uri`: curly single quotes become
  // apostrophes, the text is not trimmed.
  ExpectedResult(const std::string& text, const std::string& uri);

  std::string text;
  std::string id;  // comparison key of `text`
  std::string uri;
  bool found = false;
  std::vector<std::string> warnings;  // each reported as a warning
};

// One concept that must not be found.
struct NotExpectedResult {
  explicit NotExpectedResult(std::string uri) : uri(std::move(uri)) {}

  std::string uri;
  std::vector<std::string> messages;  // the violation found, at most one
};

// One test sentence of a rule.
struct TestCase {
  std::string text;
  std::vector<ExpectedResult> expected;
  std::vector<ExpectedResult> dependencies;
  std::vector<NotExpectedResult> not_expected;
  std::int32_t line = 0;  // of the "test" decorator
};

// The text a found concept covers.
struct TokenData {
  std::string text;
  std::string id;  // `text` without white space
};

// What the matching reads of a found concept.
struct FoundConcept {
  std::string uri;
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  std::vector<std::pair<std::string, std::string>> attributes;
};

// The concepts of an analysed test sentence, with the text each covers, in
// document order; concepts named "Sentence" are left out.
class CollectConcepts {
 public:
  explicit CollectConcepts(const omr::common::AnnotationList& document);

  std::vector<std::pair<FoundConcept, TokenData>> concepts;

 private:
  void collect(const omr::common::AnnotationList& list);
};

// Trims `text` in place (spaces and bytes 0x00 to 0x0D at both ends) and
// returns its comparison key: without white space, U+2019 as "'".
std::string make_string_identifier(std::string& text);

// Every element without a concept name gets `uri`.
void set_default_uri(std::vector<ExpectedResult>& list, const std::string& uri);

// True when some concept of `list` was found; only the first such concept
// gets its message, and nothing after it is examined.
bool check_for_not_expected_results(const ast::node::Rule& rule,
                                    std::vector<NotExpectedResult>& list,
                                    const CollectConcepts& concepts);

// Marks the elements of `list` that a found concept matches by name and
// text. With a non-empty `location` (source debug id ":" rule line) the
// concept must also come from the rule at that location, unless it carries
// no "_rule" attribute. Near misses become warnings of the element.
void collect_results(const ast::node::Rule& rule, const std::string& location,
                     std::vector<ExpectedResult>& list, const CollectConcepts& concepts);

// True when some element was not found.
bool check_for_errors(const std::vector<ExpectedResult>& list);

// "(ok)" or "(failed)".
const std::string& status_msg(bool ok);

// The warnings of the element, at the rule's line (code 0x200).
void add_test_diagnostics(const ast::node::Rule& rule, const ExpectedResult& result);

// The verdict lines of one test at the rule's line: errors (0x200) when it
// failed, notes (0x400) when it passed, and the matching warnings.
void LOG_TEST_RESULTS(Blackboard& blackboard, bool failed, const ast::node::Rule& rule,
                      const std::string& location, const TestCase& test);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_TEST_EXPECTATIONS_H_
