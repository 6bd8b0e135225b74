#include "language/disambiguation_engine.h"

#include <sstream>

#include "base/exception.h"
#include "language/morph_data.h"
#include "language/postagger.h"

namespace zel {
namespace kavero {
namespace disambiguation {

Engine::Engine(const core::MorphData& morph_data)
    : morph_data_(&morph_data), afst_(morph_data.postagger.get()) {
  if (afst_ == nullptr) {
    std::ostringstream message;
    message << "[Language] Rule-based disambiguation needs the language's "
               "postagger transducer, and the language has none";
    throw Exception(message);
  }
  // The rules are checked once, when the language loads its postagger.
  if (morph_data.postagger_rules == nullptr ||
      &morph_data.postagger_rules->afst() != afst_) {
    std::ostringstream message;
    message << "[Language] Rule-based disambiguation needs the checked rules "
               "of the language's postagger transducer";
    throw Exception(message);
  }
  scorer_ = std::make_unique<Scorer>(*morph_data.postagger_rules);
}

void Engine::reset(omr::common::RawPtrList<Annotation>* sentence) {
  sentence_ = sentence;
  // Every sentence list is an annotation collection.
  scorer_->reset(static_cast<const AnnotationCollection*>(sentence));
}

void Engine::operator()(RawPtrIterator token) { (*scorer_)(token); }

void Engine::remove_irrelevant(RawPtrIterator position) {
  Token* token = annotation_cast<Token>(position.get());
  if (token != nullptr) keep_best_readings(*token);
}

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel
