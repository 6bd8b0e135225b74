// Reads a result JSON text, as the result printer writes it, into the
// client annotation model (client_annotation.h).
//
// The reader takes the printed document, {"language": ..., "sentences":
// [...]}, and the same document wrapped in a member "document"
// ({"document": {"sentences": [...]}, ...}; "language" and "id" are then
// still read from the outer object). Sentences, tokens, concepts and
// readings are the printer's positional arrays:
//   sentence  [1, begin, end, [items...], sentence attributes (not read)]
//   token     [3, begin, end, literal, [properties...], [readings...]]
//   concept   [2, begin, end, uri, {name: [values...]}]
//   reading   [stem, pos, property..., [component readings...]]
// Items of other kinds are passed over. Offsets may be written as floating
// numbers; their integral part is taken.

#ifndef KAVERO_API_CLIENT_RESULT_READER_H_
#define KAVERO_API_CLIENT_RESULT_READER_H_

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "api/client_annotation.h"

namespace omr {
namespace common {

// What one reading fills.
struct JsonToResult {
  explicit JsonToResult(AnnotationList& list) : list(list) {}

  AnnotationList& list;
  std::string language;
  std::string id;
};

// Appends the sentences of the terminated text to the target's list and
// takes its "language" and "id" when it has them. Any failure (a text that
// is no JSON, a document without sentences, a value of the wrong type, an
// item shorter than the printer writes it, an offset beyond 32 bits) raises
// std::runtime_error whose text is "Invalid kav/json format," followed
// directly by the failure's own text. What was appended before the failure
// stays in the list.
void json_to_zel_results_v2(JsonToResult& target, const char* text);

// Appends one sentence array to the list. Raises the JSON library's errors
// and std::runtime_error for items too short or offsets out of range.
void add_sentence(const nlohmann::json& sentence, AnnotationList& list);

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_RESULT_READER_H_
