// The internal result JSON: every token and concept of every sentence, the
// concepts with their flags, and the document's lookup text streams; for
// debugging rules and domains.
//
//   {"sentences":[ [1,b,e,[ITEM,...]],... ],"streams" : [{ "type":"literal","text":"..."},...]}
//
// Items as in the result JSON (result_json.h), with no concept left out
// and, after a concept's attributes, its flag object ({"deleted":["true"]}
// and so on; {} without flags). Attribute names beginning with "inherit"
// are hidden. A stream whose text is empty is left out.

#ifndef KAVERO_API_RESULT_JSON_INTERNAL_H_
#define KAVERO_API_RESULT_JSON_INTERNAL_H_

#include <memory>
#include <ostream>
#include <sstream>

#include "api/result_json.h"

namespace zel {
namespace kavero {

void stream_internal_results_json_format(Blackboard& blackboard, std::ostream& out);

namespace v2 {

// Writes the sentences of the internal format.
class DebugJSONFormatter {
 public:
  DebugJSONFormatter(Blackboard& blackboard, std::ostream& out,
                     std::shared_ptr<FilterConceptInterface> filter,
                     json_object_printer printer, NamePredicate& predicate);

  void operator()(const Sentence& sentence);

  bool first = true;
  Blackboard& blackboard;
  std::ostream& out;
  // Not consulted: every concept is written.
  std::shared_ptr<FilterConceptInterface> filter;
  json_object_printer printer;
  NamePredicate& predicate;
};

void stream_internal_results_json_format(Blackboard& blackboard, std::ostream& out);

// Writes the stream objects of the document's lookup streams (made empty
// when the document has none), without the brackets.
void jsonStreams(Blackboard& blackboard, std::ostream& out);

// Appends the literals, or the first-reading stems, of the concept's
// tokens: one blank between two tokens with a gap between them.
void get_token_literal_stream(const Concept& concept_annotation, std::stringstream& out);
void get_token_stem_stream(const Concept& concept_annotation, std::stringstream& out);

}  // namespace v2
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_RESULT_JSON_INTERNAL_H_
