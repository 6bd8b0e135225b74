// Test helper: the layout every sentence of a document must keep through
// splitting, cutting and joining.

#ifndef KAVERO_LANGUAGE_SENTENCE_LAYOUT_TESTUTIL_H_
#define KAVERO_LANGUAGE_SENTENCE_LAYOUT_TESTUTIL_H_

#include <string>

namespace zel {
namespace kavero {
class Blackboard;
}  // namespace kavero

namespace testing {

// Expects (GoogleTest failures, traced with `context`) that the document
// list holds only sentences, in text order and not overlapping; that each
// sentence list is its "Sentence" concept (spanning the sentence and closed
// by the list's end annotation), its tokens, that end annotation and the
// end-of-stream marker, and that the sentence spans its first to its last
// token; and that the sentence index holds one pair per sentence, in order,
// that names it at its begin.
void expect_consistent(kavero::Blackboard& blackboard,
                       const std::string& context);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SENTENCE_LAYOUT_TESTUTIL_H_
