#include "api/client_annotation.h"

namespace omr {
namespace common {

Annotation::Annotation(uint32_t kind, uint32_t begin, uint32_t end)
    : kind(kind), begin(begin), end(end) {}
Annotation::~Annotation() = default;

Sentence::Sentence(uint32_t begin, uint32_t end) : Annotation(kSentence, begin, end) {}
Sentence::~Sentence() = default;

Token::Token(uint32_t begin, uint32_t end, std::string literal)
    : Annotation(kToken, begin, end), literal(std::move(literal)) {}
Token::~Token() = default;

Concept::Concept(uint32_t begin, uint32_t end, std::string uri)
    : Annotation(kConcept, begin, end), uri(std::move(uri)) {}
Concept::~Concept() = default;

}  // namespace common
}  // namespace omr
