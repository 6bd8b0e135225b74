// Anaphora: linking a referring expression to an earlier concept of the
// document. The rules of a domain's "anaphora" cluster mark referring
// expressions with the queued rule function "kav::anaphora"; after the last
// collection of that cluster the match driver resolves the recorded calls.

#ifndef KAVERO_MATCHER_ANAPHORA_H_
#define KAVERO_MATCHER_ANAPHORA_H_

namespace zel {
namespace kavero {

class Blackboard;

namespace anaphora {

// Resolves every "kav::anaphora" call recorded on the document so far.
// Not available yet: raises zel::Exception.
void apply(Blackboard* blackboard);

}  // namespace anaphora
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ANAPHORA_H_
