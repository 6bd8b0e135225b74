#include "matcher/stream_encoding.h"

#include "analysis/blackboard.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {

DispatchVisitor::DispatchVisitor(std::shared_ptr<idstrm::TokenEncoder> tokens,
                                 std::shared_ptr<idstrm::ConceptEncoder> concepts)
    : Visitor<DispatchVisitor>(this), tokens_(std::move(tokens)), concepts_(std::move(concepts)) {}

DispatchVisitor::~DispatchVisitor() = default;

void DispatchVisitor::set_sentence(Sentence* sentence) {
  sentence_ = sentence;
  if (tokens_) tokens_->current_sentence = sentence;
  if (concepts_) concepts_->current_sentence = sentence;
}

bool DispatchVisitor::visit(const AnnotationCollection& list) {
  // The list's links are not const: the walk writes the ids it finds.
  for (Annotation* a = list.head; a != nullptr; a = a->next) {
    switch (a->kind) {
      case kTokenKind:
        if (tokens_ && sentence_ != nullptr) {
          tokens_->encode(static_cast<Token&>(*a), *sentence_);
        }
        break;
      case kConceptKind:
        if (concepts_ && sentence_ != nullptr) {
          auto& concept_annotation = static_cast<Concept&>(*a);
          concepts_->current_concept = &concept_annotation;
          concepts_->encode(concept_annotation, *sentence_);
        }
        break;
      case kSentenceKind: {
        Sentence* outer = sentence_;
        auto& sentence = static_cast<Sentence&>(*a);
        set_sentence(&sentence);
        visit(sentence.annotations);
        set_sentence(outer);
        break;
      }
      default:
        break;
    }
  }
  return true;
}

ClearEncodedStreamVisitor::ClearEncodedStreamVisitor() : Visitor<ClearEncodedStreamVisitor>(this) {}

ClearEncodedStreamVisitor::~ClearEncodedStreamVisitor() = default;

bool ClearEncodedStreamVisitor::visit(const AnnotationCollection& list) {
  for (Annotation* a = list.head; a != nullptr; a = a->next) {
    switch (a->kind) {
      case kTokenKind:
        static_cast<Token&>(*a).encodings.clear();
        break;
      case kConceptKind:
        static_cast<Concept&>(*a).encoding = 0;
        break;
      case kSentenceKind: {
        auto& sentence = static_cast<Sentence&>(*a);
        sentence.ids.clear();
        visit(sentence.annotations);
        break;
      }
      default:
        break;
    }
  }
  return true;
}

bool encode_stream(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain) {
  std::shared_ptr<idstrm::TokenEncoder> tokens;
  if (domain->token_encoder && domain->token_encoder->fst()) {
    tokens = std::make_shared<idstrm::TokenEncoder>(domain->token_encoder->search_arcs(),
                                                    *domain->token_encoder->symbols());
  }
  std::shared_ptr<idstrm::ConceptEncoder> concepts;
  if (!domain->concept_ids.empty()) {
    concepts = std::make_shared<idstrm::ConceptEncoder>(domain->concept_ids);
  }
  if (!blackboard.annotations) return true;
  DispatchVisitor visitor(tokens, concepts);
  visitor.visit(*blackboard.annotations);
  return true;
}

void clear_encoded_stream(Blackboard& blackboard) {
  if (!blackboard.annotations) return;
  ClearEncodedStreamVisitor visitor;
  visitor.visit(*blackboard.annotations);
}

}  // namespace kavero
}  // namespace zel
