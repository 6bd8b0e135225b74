#include "language/header_detection.h"

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/reading.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace kavero {

namespace {

// The root bit of the Num tags in the part-of-speech table.
constexpr unsigned kNumRoot = 0x400000;

bool capitalised(Token* token) { return init_cap(token) || all_caps(token); }

// Numbers and punctuation say nothing about a header.
bool passed_over(const Token* token) {
  return has_pos(token, kNumRoot) || is_punctuation(token);
}

Token* first_token(AnnotationCollection& list) {
  for (Annotation* a = list.head; a != nullptr; a = a->next) {
    if (auto* token = annotation_cast<Token>(a)) return token;
  }
  return nullptr;
}

}  // namespace

bool is_header(Blackboard& blackboard, AnnotationCollection& list) {
  if (!blackboard.flags.detect_headers) return false;
  Token* first = first_token(list);
  if (first == nullptr) return false;
  if (has_pos(first, std::string("Punct-Line")) ||
      (first->flags & token_flags::header_range) != 0) {
    return true;
  }
  if (!capitalised(first)) return false;
  int capitals = 0;
  int shorts = 0;
  for (Annotation* a = first; a != nullptr; a = a->next) {
    auto* token = annotation_cast<Token>(a);
    if (token == nullptr) continue;
    if (capitalised(token)) {
      ++capitals;
    } else if (passed_over(token)) {
      continue;
    } else if (token->literal.size() > 5) {
      return false;
    } else {
      ++shorts;
    }
  }
  return capitals > shorts && shorts < 4;
}

bool is_header_new(AnnotationCollection& list) {
  Token* first = first_token(list);
  if (first == nullptr || !capitalised(first)) return false;
  for (Annotation* a = first->next; a != nullptr; a = a->next) {
    auto* token = annotation_cast<Token>(a);
    if (token == nullptr || capitalised(token) || passed_over(token)) continue;
    if (token->literal.size() > 5) return false;
  }
  return true;
}

}  // namespace kavero
}  // namespace zel
