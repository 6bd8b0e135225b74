// The result JSON: an analysed document as the host reads it, and as the
// analyzer reads it back (input type "json").
//
//   std::ostringstream out;
//   stream_json_api_format(blackboard, out);
//
// One compact line, every byte fixed:
//   {"id":"d1","language":"english","sentences":[ SENTENCE,... ]}
// "id" only when the document's own options hold it. A sentence is
//   [1,begin,end,[ITEM,...]] with a fifth element, the attributes object of
// the sentence's "Sentence" concept, when that concept has attributes of
// its own. Items, in the order of the sentence's list:
//   token    [3,begin,end,"literal",["property",...],[READING,...]]
//   concept  [2,begin,end,"uri",{"name":["value",...],...}]
//   reading  ["stem", "pos","property",...[COMPONENT READING,...]]
// (one blank after the comma before the part of speech). Every string is
// JSON-escaped; names without quotes, backslashes or control bytes come
// out byte for byte. Offsets are byte offsets, or code points for a
// document analysed from text with "unicode_offset" on.
//
// Which concepts show is the option "annotation_filter": "__debug__" all
// (FilterNothing), "__compiler__" KacFilter, anything else the concepts
// marked for output (ImportOnlyFilter). Attribute names beginning with "_"
// or "inherit" are hidden; with the debug flag rule_info only "inherit".
// Printing a concept that has an instance adds the instance's attributes
// to the concept first (they then stay on it).

#ifndef KAVERO_API_RESULT_JSON_H_
#define KAVERO_API_RESULT_JSON_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "api/filter_concept_interface.h"

namespace zel {
namespace kavero {

class Annotation;
class Blackboard;
class Concept;
class MorphData;
class Sentence;
class Token;
struct OffsetTable;

void stream_json_api_format(Blackboard& blackboard, std::ostream& out);

namespace v2 {

using OffsetMapper = std::function<uint32_t(uint32_t)>;
using NamePredicate = bool (*)(const std::string&);

// Byte offsets as they are.
struct Utf8Mapper {
  uint32_t operator()(uint32_t offset) const { return offset; }
};

// Byte offsets to code-point offsets through the document's table (not
// copied); an offset past the table comes back unchanged.
struct UnicodeMapper {
  explicit UnicodeMapper(const OffsetTable& table) : table(&table) {}
  uint32_t operator()(uint32_t offset) const;
  const OffsetTable* table;
};

// Writes tokens, concepts and readings.
class json_object_printer {
 public:
  json_object_printer(Blackboard& blackboard, std::ostream& out, OffsetMapper mapper,
                      NamePredicate attribute_filter, bool with_flags);

  void operator()(const Token& token);
  // Merges the concept's instance attributes into it first.
  void operator()(Concept& concept_annotation);
  void reading(const MorphData& reading);

  Blackboard& blackboard;
  std::ostream& out;
  OffsetMapper mapper;
  NamePredicate attribute_filter;
  NamePredicate flag_filter;
  bool with_flags;
};

// Writes the sentences of the result format.
class DefaultJSONFormatter {
 public:
  DefaultJSONFormatter(Blackboard& blackboard, std::ostream& out,
                       std::shared_ptr<FilterConceptInterface> filter,
                       json_object_printer printer, NamePredicate& sentence_filter);

  void operator()(const Sentence& sentence);

  Blackboard& blackboard;
  std::ostream& out;
  std::shared_ptr<FilterConceptInterface> filter;
  json_object_printer printer;
  NamePredicate& sentence_filter;
  bool first = true;
};

void stream_json_api_format(Blackboard& blackboard, std::ostream& out);

// Writes "id":"..." and answers true when the document's own options have
// "id"; writes nothing and answers false otherwise.
bool jsonDocumentId(Blackboard& blackboard, std::ostream& out);
// Writes "language":"...".
void jsonLanguage(Blackboard& blackboard, std::ostream& out);

// The offset mapper of the document: code points for a document analysed
// from text with "unicode_offset" on, bytes otherwise.
OffsetMapper offset_mapper(Blackboard& blackboard);

// Writes "sentences":[ ... ] with the formatter.
template <typename Formatter>
void jsonSentences(Blackboard& blackboard, std::ostream& out,
                   std::shared_ptr<FilterConceptInterface> filter, NamePredicate& predicate);

// The attribute-name predicate of the document (rule_info: the debug one).
NamePredicate get_filter(Blackboard& blackboard);

// Concepts and tokens are written; other kinds are not.
bool is_valid(const Annotation& annotation);

// The text with every double quote preceded by a backslash.
std::string json_encode_text(std::string text);

}  // namespace v2
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_RESULT_JSON_H_
