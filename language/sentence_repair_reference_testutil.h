// Test helper: the sentence repair written the plain way, as a reference
// for the repair the library runs. It walks the same rules, but every cut
// moves the rest of the sentence token by token, every quote looks for its
// closing quote up to the end of the sentence, and every cut inserts its
// index pair in the middle of the index: quadratic on long sentences, and
// simple enough to trust on short ones.

#ifndef KAVERO_LANGUAGE_SENTENCE_REPAIR_REFERENCE_TESTUTIL_H_
#define KAVERO_LANGUAGE_SENTENCE_REPAIR_REFERENCE_TESTUTIL_H_

namespace zel {
namespace kavero {
class Blackboard;
}  // namespace kavero

namespace testing {

// Repairs the document's sentences as zel::kavero::fix_sentences must.
void reference_fix_sentences(kavero::Blackboard& blackboard);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SENTENCE_REPAIR_REFERENCE_TESTUTIL_H_
