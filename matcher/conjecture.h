// Conjecture: spreading what the "conjecture" rules found to every place in
// the document where the same words stand.
//
// Only the withdrawal used by the deleting rule functions is declared here;
// the collector itself comes with the conjecture run.

#ifndef KAVERO_MATCHER_CONJECTURE_H_
#define KAVERO_MATCHER_CONJECTURE_H_

#include <string>

namespace zel {
namespace kavero {

class Blackboard;
class Concept;

// Withdraws the text of a deleted concept from the document's collector so
// that it is not spread. Does nothing when the document has no collector.
// With a collector it raises zel::Exception, the collector not being
// available yet.
void delete_conjecture(Blackboard& blackboard, const Concept* concept_annotation,
                       const std::string& uri);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_CONJECTURE_H_
