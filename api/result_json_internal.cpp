#include "api/result_json_internal.h"

#include <utility>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "api/quoted_string.h"
#include "api/result_json_filters.h"
#include "base/stream_name.h"
#include "domain/lexicon_lookup.h"

namespace zel {
namespace kavero {

void stream_internal_results_json_format(Blackboard& blackboard, std::ostream& out) {
  v2::stream_internal_results_json_format(blackboard, out);
}

namespace v2 {

DebugJSONFormatter::DebugJSONFormatter(Blackboard& blackboard, std::ostream& out,
                                       std::shared_ptr<FilterConceptInterface> filter,
                                       json_object_printer printer, NamePredicate& predicate)
    : blackboard(blackboard),
      out(out),
      filter(std::move(filter)),
      printer(std::move(printer)),
      predicate(predicate) {}

void DebugJSONFormatter::operator()(const Sentence& sentence) {
  if (first) {
    first = false;
  } else {
    out.put(',');
  }
  out.put('[');
  out << kSentenceKind << ',' << printer.mapper(sentence.begin) << ','
      << printer.mapper(sentence.end) << ",[";
  bool first_item = true;
  for (Annotation* a = sentence.annotations.head; a != nullptr; a = a->next) {
    if (!is_valid(*a)) continue;
    if (!first_item) out.put(',');
    first_item = false;
    if (a->kind == kConceptKind) {
      printer(*static_cast<Concept*>(a));
    } else {
      printer(*static_cast<const Token*>(a));
    }
  }
  out.write("]]", 2);
}

template <>
void jsonSentences<DebugJSONFormatter>(Blackboard& blackboard, std::ostream& out,
                                       std::shared_ptr<FilterConceptInterface> filter,
                                       NamePredicate& predicate) {
  out.write("\"sentences\":[ ", 14);
  json_object_printer printer(blackboard, out, offset_mapper(blackboard), get_filter(blackboard),
                              true);
  DebugJSONFormatter formatter(blackboard, out, std::move(filter), std::move(printer),
                               predicate);
  if (blackboard.annotations) {
    for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
      if (a->kind == kSentenceKind) formatter(*static_cast<const Sentence*>(a));
    }
  }
  out.put(']');
}

void stream_internal_results_json_format(Blackboard& blackboard, std::ostream& out) {
  std::shared_ptr<FilterConceptInterface> filter = std::make_shared<FilterNothing>();
  NamePredicate predicate = json_printer_attribute_filter_dbg;
  out.put('{');
  jsonSentences<DebugJSONFormatter>(blackboard, out, std::move(filter), predicate);
  out << ",\"streams\" : [";
  jsonStreams(blackboard, out);
  out << "]}";
}

void jsonStreams(Blackboard& blackboard, std::ostream& out) {
  stream_collection_type* streams = get_stream_collection(blackboard);
  bool first = true;
  for (std::size_t slot = 0; slot < streams->size(); ++slot) {
    const std::vector<char>& text = (*streams)[slot].text;
    if (text.empty()) continue;
    if (!first) out.put(',');
    first = false;
    out << "{ \"type\":" << '"' << get_stream_name(static_cast<text_stream_type>(slot))
        << "\",\"text\":\"";
    write_json_escaped(out, text.data(), text.size());
    out << "\"}";
  }
}

namespace {

// The tokens from the concept to its end annotation (or the list's end).
template <typename Write>
void walk_tokens(const Concept& c, Write&& write) {
  for (const Annotation* a = c.next; a != nullptr && a != c.end_annotation; a = a->next) {
    if (a->kind == kTokenKind) write(*static_cast<const Token*>(a));
  }
}

}  // namespace

void get_token_literal_stream(const Concept& c, std::stringstream& out) {
  bool written = false;
  uint32_t last_end = 0;
  walk_tokens(c, [&](const Token& token) {
    if (written && last_end < token.begin) out << ' ';
    out << token.literal;
    last_end = token.end;
    written = true;
  });
}

void get_token_stem_stream(const Concept& c, std::stringstream& out) {
  bool written = false;
  uint32_t last_end = 0;
  walk_tokens(c, [&](const Token& token) {
    if (token.readings.empty()) return;
    if (written && last_end < token.begin) out << ' ';
    out << token.readings.front().stem;
    last_end = token.end;
    written = true;
  });
}

}  // namespace v2
}  // namespace kavero
}  // namespace zel
