// Conjecture: what the rules found once, spread to every place in the
// document where the same words stand.
//
// The rules of a domain's "conjecture" cluster insert through a collector,
// the Conjector, which inserts each concept through the blackboard's own
// inserter and also remembers the concept's text (its key), its URI and its
// attributes. apply_conjecture then compiles every remembered text into a
// small lexicon of its own, looks it up over the document's literal stream,
// and offers every occurrence (whole tokens, same characters, same case)
// to the blackboard's inserter as a concept of the remembered URI that
// shares the remembered attributes.
//
// Keys: the token literals of the range joined by single blanks, without
// the characters "(){}:.[]*+" ("St. Louis" is keyed "St Louis" and found
// where the tokens "St" and "Louis" stand). A concept with the attribute
// "_ending" also records its key followed by the ending; one with
// "_replace" of the form "s/pattern/replacement/" also records its key with
// the pattern replaced. The first recording of a key holds: the same key
// recorded with another URI, or by another concept, is refused. A key
// withdrawn by a deleting rule function (delete_conjecture) is never
// recorded again nor spread.
//
// Every message goes to the runtime's loggers at trace level, tagged
// "[CONJECTURE]: ".

#ifndef KAVERO_MATCHER_CONJECTURE_H_
#define KAVERO_MATCHER_CONJECTURE_H_

#include <iosfwd>
#include <map>
#include <memory>
#include <string>

#include "analysis/attributes.h"
#include "analysis/concept_insertion.h"

namespace zel {
namespace kavero {

class Blackboard;

namespace conjecture {

// One remembered text.
struct ConceptData {
  // The URI of the concept that first recorded the text.
  std::string uri;
  // That concept; only compared, never read after the recording.
  const Concept* recorded_concept = nullptr;
  // From the first recording on, a store that the recorded concept and
  // every copy spread from it share.
  ConceptAttributes attributes;
  // Withdrawn: never merged into and never spread.
  bool deleted = false;
};

// The concept inserter of the conjecture rules; one per blackboard, kept
// across the domains that run on the document.
class Conjector : public IAddConcept {
 public:
  explicit Conjector(Blackboard& blackboard);
  ~Conjector() override;

  // The annotation form on the annotations the iterators designate.
  Concept* operator()(RawPtrIterator begin, RawPtrIterator end, const std::string& uri,
                      const std::string& attributes, Concept* parent,
                      const std::string& rule) override;
  // Inserts through the blackboard's own inserter and returns what it
  // returned; records the inserted concept's text unless nothing was
  // inserted or the URI is an intermediate ("$") or function name. Errors
  // of the inserter and of a "_replace" pattern propagate.
  Concept* operator()(const Annotation* begin, const Annotation* end, const std::string& uri,
                      const std::string& attributes, Concept* parent,
                      const std::string& rule) override;

  // Records the key for the concept: a new key takes over the concept's
  // attributes into a shared store; a key recorded before by the same
  // concept with the same URI takes its attributes in addition. False when
  // the key is withdrawn or was recorded with another URI or concept.
  bool add_entry(Concept* concept_annotation, const std::string& uri, const std::string& key);

  // Withdraws the key of the concept's text when it was recorded with `uri`.
  void mark_as_deleted(const Concept* concept_annotation, const std::string& uri);

  Blackboard* blackboard;
  // Key -> what it was recorded with; never shrinks.
  std::map<std::string, std::shared_ptr<ConceptData>> entries;
};

// The key of a text: the text without the characters "(){}:.[]*+".
std::string make_key(const std::string& text);

}  // namespace conjecture

// A new collector for the blackboard.
std::shared_ptr<conjecture::Conjector> create_conjecture_collector(Blackboard& blackboard);

// Withdraws the concept's text from the blackboard's collector when the
// text was recorded with `uri`; nothing without a collector or entries.
void delete_conjecture(Blackboard& blackboard, const Concept* concept_annotation,
                       const std::string& uri);

// Spreads every recorded, not withdrawn text over the document; nothing
// without a collector or entries. Errors of the inserter propagate.
void apply_conjecture(Blackboard& blackboard);

// Writes "@" and the pairs as key "=" double-quoted text, separated by ";".
std::ostream& add_to_stream(std::ostream& out, const Attributes& attributes);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_CONJECTURE_H_
