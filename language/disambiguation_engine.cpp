#include "language/disambiguation_engine.h"

#include <algorithm>
#include <sstream>

#include "base/exception.h"
#include "language/morph_data.h"

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
}

void Engine::reset(omr::common::RawPtrList<Annotation>* sentence) {
  sentence_ = sentence;
}

void Engine::operator()(RawPtrIterator token) {
  (void)token;
  std::ostringstream message;
  message << "[Language] Rule-based disambiguation is not available: the "
             "readings cannot be weighed by the postagger transducer";
  throw Exception(message);
}

void Engine::remove_irrelevant(RawPtrIterator position) {
  Token* token = annotation_cast<Token>(position.get());
  if (token == nullptr || token->readings.empty()) return;
  double best = token->readings.front().weight;
  for (const MorphData& reading : token->readings) {
    best = std::max(best, reading.weight);
  }
  token->readings.remove_if(
      [best](const MorphData& reading) { return reading.weight < best; });
}

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel
