#include "language/disambiguation.h"

#include <iterator>

#include "analysis/blackboard.h"
#include "language/disambiguation_engine.h"
#include "language/morph_data.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {

namespace {

void prune_compound_readings(Token* token) {
  if ((token->flags & token_flags::compound) == 0 || token->readings.empty()) {
    return;
  }
  auto reference = token->readings.begin();
  for (auto reading = std::next(reference); reading != token->readings.end();) {
    if (reading->components.size() < reference->components.size()) {
      reference = reading++;
    } else {
      reading = token->readings.erase(reading);
    }
  }
}

}  // namespace

bool auto_disambiguate(Blackboard& blackboard) {
  if (blackboard.annotations == nullptr) return true;
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    if (Token* token = annotation_cast<Token>(a)) {
      prune_compound_readings(token);
    } else if (Sentence* sentence = annotation_cast<Sentence>(a)) {
      for (Annotation* b = sentence->annotations.head; b != nullptr;
           b = b->next) {
        if (Token* token = annotation_cast<Token>(b)) {
          prune_compound_readings(token);
        }
      }
    }
  }
  return true;
}

bool disambiguate(Blackboard& blackboard) {
  if (blackboard.annotations == nullptr || blackboard.morph_data == nullptr ||
      blackboard.morph_data->postagger == nullptr) {
    return true;
  }
  disambiguation::Engine engine(*blackboard.morph_data);
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    engine.reset(&sentence->annotations);
    for (Annotation* b = sentence->annotations.head; b != nullptr; b = b->next) {
      Token* token = annotation_cast<Token>(b);
      if (token == nullptr || token->readings.size() < 2) continue;
      engine(RawPtrIterator(b));
      engine.remove_irrelevant(RawPtrIterator(b));
    }
  }
  return true;
}

}  // namespace kavero
}  // namespace zel
