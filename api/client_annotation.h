// The client classes' own annotation model: a result read back from its
// JSON text (client_result_reader.h) as sentences, tokens, concepts and
// readings.
//
// It is a copy made from the text and shares nothing with the library's
// annotations. Lists own their annotations and delete them when they are
// destroyed or emptied; a sentence owns its own list.

#ifndef KAVERO_API_CLIENT_ANNOTATION_H_
#define KAVERO_API_CLIENT_ANNOTATION_H_

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analysis/raw_ptr_list.h"

namespace omr {
namespace common {

class Annotation : public BaseHook<Annotation> {
 public:
  // The kind codes, as the result JSON writes them.
  static constexpr uint32_t kSentence = 1;
  static constexpr uint32_t kConcept = 2;
  static constexpr uint32_t kToken = 3;

  virtual ~Annotation();

  Annotation(const Annotation&) = delete;
  Annotation& operator=(const Annotation&) = delete;

  const uint32_t kind;
  uint32_t begin;
  uint32_t end;

 protected:
  Annotation(uint32_t kind, uint32_t begin, uint32_t end);
};

// Owns its annotations.
using AnnotationList = RawPtrList<Annotation>;

class Sentence : public Annotation {
 public:
  Sentence(uint32_t begin, uint32_t end);
  ~Sentence() override;

  // Tokens and concepts in the order the result lists them; owned.
  AnnotationList annotations;
};

// One reading of a token.
struct MorphData {
  std::string pos;
  std::string stem;
  std::vector<std::string> properties;
  // The readings of the parts of a compound, nested as written.
  std::vector<MorphData> components;
  double weight = 1.0;
};

class Token : public Annotation {
 public:
  Token(uint32_t begin, uint32_t end, std::string literal);
  ~Token() override;

  std::string literal;
  std::vector<MorphData> readings;
  std::set<std::string> properties;
};

class Concept : public Annotation {
 public:
  Concept(uint32_t begin, uint32_t end, std::string uri);
  ~Concept() override;

  std::string uri;
  // (name, value) in the order read; a name with several values comes once
  // per value.
  std::vector<std::pair<std::string, std::string>> attributes;
};

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_ANNOTATION_H_
