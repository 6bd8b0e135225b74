// Stream encoding: giving a document the rule-input ids of one domain.
//
// Rules match ids, not text. Before a domain's rules run over a document,
// every token gets the ids its token encoder emits for it and every concept
// the id of its URI (token_encoder.h); each id also goes, marked by its kind
// (Sentence::kTokenIdBit, Sentence::kConceptIdBit), into its sentence's
// candidate ids, which the rules' pre-test reads. Domains number their ids
// each their own way, so a run wipes the ids of the previous domain first
// (clear_encoded_stream). Concepts that rules insert later get their id from
// reset_encoding, by the same rule as here.

#ifndef KAVERO_MATCHER_STREAM_ENCODING_H_
#define KAVERO_MATCHER_STREAM_ENCODING_H_

#include <memory>

#include "analysis/annotation.h"
#include "analysis/visitor.h"
#include "matcher/token_encoder.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;

// Encodes the annotations of the lists it walks with whichever encoders it
// has (either may be null).
class DispatchVisitor : public Visitor<DispatchVisitor> {
 public:
  DispatchVisitor(std::shared_ptr<idstrm::TokenEncoder> tokens,
                  std::shared_ptr<idstrm::ConceptEncoder> concepts);
  ~DispatchVisitor() override;

  // Encodes the list's tokens and concepts for the current sentence; a
  // sentence in the list becomes the current sentence while its own list
  // is walked.
  bool visit(const AnnotationCollection& list) override;
  using Visitor<DispatchVisitor>::visit;

  void set_sentence(Sentence* sentence);

 private:
  std::shared_ptr<idstrm::TokenEncoder> tokens_;
  std::shared_ptr<idstrm::ConceptEncoder> concepts_;
  Sentence* sentence_ = nullptr;
};

// Wipes the ids of the lists it walks: concept ids become 0, token id lists
// and both id sets of sentences are emptied (their changed flag stays).
class ClearEncodedStreamVisitor : public Visitor<ClearEncodedStreamVisitor> {
 public:
  ClearEncodedStreamVisitor();
  ~ClearEncodedStreamVisitor() override;

  bool visit(const AnnotationCollection& list) override;
  using Visitor<ClearEncodedStreamVisitor>::visit;
};

// Encodes the blackboard's document for the domain. Without a token encoder
// tokens get no ids; with an empty concept map concepts get none. Returns
// true. A label without a symbol text stops the encoding with
// std::out_of_range (the ids written by then stay).
bool encode_stream(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain);

// Wipes every id of the blackboard's document.
void clear_encoded_stream(Blackboard& blackboard);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_STREAM_ENCODING_H_
