// Reading an analysed document back from the result JSON form.
//
// A document that was analysed earlier and printed as result JSON can be
// analysed again: the analyzer's "json" input type hands the JSON text to
// json_to_annotations_v2, which rebuilds the blackboard's document list from
// it: for every sentence a Sentence with its "Sentence" concept, its tokens
// (literal, properties, readings with their properties and component
// readings) and its concepts (URI and attributes), and then what the printed
// form leaves out: the sentence index, the EndAnnotation after the last
// token of every concept, the import flag of every concept but the
// "Sentence" ones, and the EndOfStream of every sentence.
//
// The accepted JSON, in short (the printer of the result form writes it):
//   {"language": L, "id": I, "sentences": [ sentence, ... ]}
//   or {"document": {"sentences": [...]}, ...}: a "document" object hides a
//   top-level "sentences"; "language" and "id" are optional and read from
//   the top level only.
//   sentence  [1, begin, end, [item, ...], {attributes}?]
//   token     [3, begin, end, literal, [property, ...], [reading, ...]]
//   concept   [2, begin, end, URI, {attributes}?]
//   reading   [stem, pos, (property | components)...]
//   components [reading, ...] as the printer writes them, or one reading
//             [stem, pos, ...] (an array that begins with a text)
//   attributes {key: [value, ...] or value, ...}
// Offsets and kind codes are JSON numbers (a fraction is dropped, a boolean
// is 0 or 1); items of another kind code are skipped. The first concept
// item of a sentence named "Sentence" stands for the sentence's own
// "Sentence" concept and is not read twice.
//
// Offsets are byte offsets. They must be in order: every annotation's begin
// is not after its end, sentences follow each other without overlapping,
// every item lies inside its sentence, every token begins at or after the
// end of the token before it and every concept at or after the end of the
// token before it.
//
// Arrays and objects may nest at most kMaxJsonDepth levels deep; a deeper
// text is refused before its tree is built.
//
// Every fault of the JSON (syntax, types, missing entries, offsets out of
// order, nesting too deep) raises std::runtime_error "Invalid kav/json
// format," followed by what is wrong (the JSON library's texts without their
// tag, quoting at most a short excerpt of the document); sentences read before the fault stay in the document list,
// which the analyzer does not go on with.

#ifndef KAVERO_ANALYSIS_JSON_INPUT_H_
#define KAVERO_ANALYSIS_JSON_INPUT_H_

#include <cstddef>
#include <list>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

class Blackboard;

// The deepest nesting of arrays and objects that a document may have.
constexpr std::size_t kMaxJsonDepth = 256;

// What the first stage of reading hands to the second.
struct JsonToResult {
  explicit JsonToResult(AnnotationCollection& document) : document(document) {}

  // The blackboard's document list, to which the sentences are appended.
  AnnotationCollection& document;
  // The top-level "language" and "id"; empty when absent.
  std::string language;
  std::string id;
};

// Reads the JSON document of `length` bytes at `text` into the blackboard's
// document list (made when the blackboard has none): both stages below.
// Exactly `length` bytes are read; the text need not end in NUL. A null text
// reads as an empty one. Errors of the second stage (the language and the
// options of the blackboard) pass unchanged.
void json_to_annotations_v2(Blackboard& blackboard, const char* text,
                            std::size_t length);

// First stage: parses the text, takes the language and id, and appends the
// sentences to the record's document list.
void json_to_zel_results_v2(JsonToResult& result, const char* text,
                            std::size_t length);

// Appends one sentence entry, with its own list, to `document`. Raises the
// JSON library's errors and std::out_of_range for the faults of the entry
// (the first stage turns them into the format error); `previous_end` is the
// end of the sentence before (0 for the first), which the sentence must not
// begin before.
void add_sentence(const nlohmann::json& sentence, AnnotationCollection& document,
                  uint32_t previous_end = 0);

// Appends the readings of a JSON readings array to `readings`; component
// readings are read the same way, recursively.
void add_readings(std::list<MorphData>& readings, const nlohmann::json& array);
void add_readings(std::vector<MorphData>& readings, const nlohmann::json& array);

// Second stage: sets the document language (a document without "language"
// keeps the blackboard's; a named one is resolved as a language name, never
// as a path: Blackboard::set_language) and id, builds the sentence
// index, attaches every concept to an EndAnnotation, marks the concepts as
// imported and closes every sentence with an EndOfStream.
void results_to_annotations_v2(Blackboard& blackboard, JsonToResult& result);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_JSON_INPUT_H_
