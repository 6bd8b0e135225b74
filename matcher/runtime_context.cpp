#include "matcher/runtime_context.h"

#include "analysis/annotation.h"
#include "analysis/navigation.h"

namespace zel {
namespace kavero {
namespace runtime {

Context::Context() : Context(nullptr) {}

Context::Context(Blackboard* blackboard)
    : Context(blackboard, nullptr, nullptr, nullptr) {}

Context::Context(Blackboard* blackboard, Concept* concept_annotation)
    : Context(blackboard, concept_annotation->uri,
              get_sentence(*blackboard, concept_annotation->begin),
              concept_annotation, concept_annotation) {}

Context::Context(Blackboard* blackboard, SentenceInfo* sentence,
                 Concept* concept_annotation, Concept* scope)
    : Context(blackboard,
              concept_annotation != nullptr ? concept_annotation->uri
                                            : std::string(),
              sentence, concept_annotation, scope) {}

Context::Context(Blackboard* blackboard, const std::string& name,
                 SentenceInfo* sentence, Concept* concept_annotation,
                 Concept* scope)
    : blackboard(blackboard),
      name(name),
      sentence(sentence),
      concept_annotation(concept_annotation),
      scope(scope) {}

}  // namespace runtime
}  // namespace kavero
}  // namespace zel
