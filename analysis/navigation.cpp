#include "analysis/navigation.h"

#include <algorithm>
#include <utility>

#include "analysis/blackboard.h"

namespace zel {
namespace kavero {

const SentenceInfo* get_sentence(const Blackboard& blackboard, unsigned offset) {
  const auto& index = blackboard.sentences;
  if (index.empty()) return nullptr;
  if (offset == 0) return &index.front().second;
  auto after = std::upper_bound(
      index.begin(), index.end(), offset,
      [](unsigned value, const std::pair<uint32_t, SentenceInfo>& entry) {
        return value < entry.first;
      });
  if (after == index.begin()) return nullptr;
  return &std::prev(after)->second;
}

SentenceInfo* get_sentence(Blackboard& blackboard, unsigned offset) {
  return const_cast<SentenceInfo*>(
      get_sentence(static_cast<const Blackboard&>(blackboard), offset));
}

Token* find_previous_token(RawPtrIterator position, int n) {
  if (position.get() == nullptr) return nullptr;
  int seen = 0;
  for (Annotation* a = position->prev; a != nullptr; a = a->prev) {
    if (a->kind == kTokenKind && ++seen >= n) return static_cast<Token*>(a);
  }
  return nullptr;
}

Token* find_next_token(RawPtrIterator position, int n) {
  if (position.get() == nullptr) return nullptr;
  int seen = 0;
  for (Annotation* a = position->next; a != nullptr; a = a->next) {
    if (a->kind == kTokenKind && ++seen >= n) return static_cast<Token*>(a);
  }
  return nullptr;
}

Sentence* move_backward_sentence(Sentence* sentence, int n) {
  for (; n > 0 && sentence != nullptr; --n) {
    sentence = annotation_cast<Sentence>(sentence->prev);
  }
  return sentence;
}

Sentence* move_forward_sentence(Sentence* sentence, int n) {
  for (; n > 0 && sentence != nullptr; --n) {
    sentence = annotation_cast<Sentence>(sentence->next);
  }
  return sentence;
}

Sentence* move_to_sentence(Sentence* sentence, int n) {
  if (n < 0) return move_backward_sentence(sentence, -n);
  if (n > 0) return move_forward_sentence(sentence, n);
  return sentence;
}

Sentence* move_to_sentence(Blackboard& blackboard, Sentence* sentence, int n) {
  if (Sentence* found = move_to_sentence(sentence, n)) return found;
  SentenceInfo* first = get_sentence(blackboard, 0);
  return first != nullptr ? first->sentence : nullptr;
}

unsigned count_tokens(RawPtrIterator& from, const RawPtrIterator& to) {
  unsigned count = 0;
  for (; from != to && from.get() != nullptr; ++from) {
    if (from->kind == kTokenKind) ++count;
  }
  return count;
}

Annotation* move_to_token(const AnnotationCollection& list,
                          RawPtrIterator& position, int n) {
  Annotation* a = position.get();
  if (a == nullptr) return nullptr;
  if (n < 0) {
    for (; a != nullptr && a != list.head; a = a->prev) {
      position = RawPtrIterator(a);
      if (a->kind != kTokenKind) continue;
      if (n == 0) return a;
      ++n;
    }
    position = RawPtrIterator(a);
    return nullptr;
  }
  for (; n > 0 && a != nullptr; --n) a = a->next;
  position = RawPtrIterator(a);
  return a;
}

}  // namespace kavero
}  // namespace zel
