#include "analysis/document_repairs.h"

#include <algorithm>
#include <functional>

#include "analysis/blackboard.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {

const std::set<std::string> entities_to_fix = {"Person", "City", "Company",
                                               "Organization"};

namespace {

// Calls the function with every live concept of every sentence.
void for_each_live_concept(const AnnotationCollection& document,
                           const std::function<void(Concept&)>& function) {
  for (Annotation* a = document.head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    for (Annotation* b = sentence->annotations.head; b != nullptr; b = b->next) {
      Concept* concept_annotation = annotation_cast<Concept>(b);
      if (concept_annotation != nullptr && !concept_annotation->deleted()) {
        function(*concept_annotation);
      }
    }
  }
}

void make_proper_noun(Token& token) {
  bool guessed = false;
  for (MorphData& reading : token.readings) {
    const bool guess = std::find(reading.properties.begin(), reading.properties.end(),
                                 "guess") != reading.properties.end();
    if (guess) {
      reading.stem = token.literal;
      reading.set_pos("Prop-Std");
      guessed = true;
    }
    if (guessed) reading.properties.clear();
  }
}

}  // namespace

void fix_entities(const AnnotationCollection& document) {
  for_each_live_concept(document, [](Concept& entity) {
    if (entity.end_annotation == nullptr || entities_to_fix.count(entity.uri) == 0) {
      return;
    }
    for (Annotation* a = entity.next; a != nullptr && a != entity.end_annotation;
         a = a->next) {
      if (Token* token = annotation_cast<Token>(a)) make_proper_noun(*token);
    }
  });
}

void apply_namespace_actions(const std::string& namespace_name,
                             Blackboard& blackboard,
                             const std::shared_ptr<DomainFacade>& domain) {
  if (!domain) return;
  auto action = domain->namespace_actions.find(namespace_name);
  if (action == domain->namespace_actions.end() || action->second.names.empty()) {
    return;
  }
  const std::set<std::string>& names = action->second.names;
  for_each_live_concept(*blackboard.annotations, [&](Concept& concept_annotation) {
    if (names.count(concept_annotation.uri) > 0) {
      concept_annotation.flags.set(kDeleted);
    }
  });
}

}  // namespace kavero
}  // namespace zel
