#include "api/result_json.h"

#include <utility>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/attributes.h"
#include "analysis/blackboard.h"
#include "api/quoted_string.h"
#include "api/result_json_filters.h"
#include "base/regex.h"
#include "language/offset_table.h"
#include "language/reading.h"
#include "matcher/instance_store.h"

namespace zel {
namespace kavero {

void stream_json_api_format(Blackboard& blackboard, std::ostream& out) {
  v2::stream_json_api_format(blackboard, out);
}

namespace v2 {
namespace {

// The option names the printers read.
const char* const kOptionNames[] = {"id", "input_type", "unicode_offset", "annotation_filter"};
enum { kIdOption, kInputTypeOption, kUnicodeOffsetOption, kAnnotationFilterOption };

const char* const kFlagNames[kConceptFlagCount] = {"deleted",  "shorted_match", "import",
                                                   "filtered", "to_resolve",    "to_delete"};

// The printers write through the stream's buffer: the stream's own
// operations check its state on every call, which costs more than the
// bytes of a short item.
inline void put(std::ostream& out, char c) { out.rdbuf()->sputc(c); }
inline void put(std::ostream& out, const char* text, std::size_t length) {
  out.rdbuf()->sputn(text, static_cast<std::streamsize>(length));
}
template <std::size_t N>
inline void put(std::ostream& out, const char (&text)[N]) {
  put(out, text, N - 1);
}
inline void quoted(std::ostream& out, const std::string& text) {
  std::streambuf* buffer = out.rdbuf();
  buffer->sputc('"');
  write_json_escaped(buffer, text.data(), text.size());
  buffer->sputc('"');
}

void write_number(std::ostream& out, uint32_t value) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[10];
  for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  put(out, text, static_cast<std::size_t>(n));
}

void write_range(std::ostream& out, uint32_t kind, const OffsetMapper& mapper,
                 const Annotation& a) {
  put(out, '[');
  write_number(out, kind);
  put(out, ',');
  write_number(out, mapper(a.begin));
  put(out, ',');
  write_number(out, mapper(a.end));
}

void add_instance(Concept& c, const std::shared_ptr<instances::Instance>& instance) {
  if (!instance) return;
  // Copies first: the instance's lists may be shared with the concept.
  const Attributes own = instance->attributes.own;
  c.add(own, kStoreWhenShared);
  if (instance->attributes.store) {
    const Attributes stored = *instance->attributes.store;
    c.add(stored, kStoreWhenShared);
  }
}

void merge_instance_attributes(Blackboard& blackboard, Concept& c) {
  if (!c.instance_key && !c.instance_index) return;
  if (blackboard.short_term_store) {
    add_instance(c, blackboard.short_term_store->get_instance(blackboard, &c));
  }
  const std::shared_ptr<Analyzer>& analyzer =
      blackboard.analyzer_guard ? blackboard.analyzer_guard->analyzer : blackboard.analyzer;
  if (analyzer && analyzer->long_term_store()) {
    add_instance(c, analyzer->long_term_store()->get_instance(blackboard, &c));
  }
}

}  // namespace

uint32_t UnicodeMapper::operator()(uint32_t offset) const {
  const std::vector<uint32_t>& map = table->byte_to_code_point;
  return offset < map.size() ? map[offset] : offset;
}

json_object_printer::json_object_printer(Blackboard& blackboard, std::ostream& out,
                                         OffsetMapper mapper, NamePredicate attribute_filter,
                                         bool with_flags)
    : blackboard(blackboard),
      out(out),
      mapper(std::move(mapper)),
      attribute_filter(attribute_filter),
      flag_filter(json_printer_attribute_filter_none),
      with_flags(with_flags) {}

void json_object_printer::operator()(const Token& token) {
  write_range(out, kTokenKind, mapper, token);
  put(out, ',');
  quoted(out, token.literal);
  put(out, ",[");
  bool first = true;
  for (const std::string& property : token.properties) {
    if (property.empty() || property[0] == '_') continue;
    if (!first) put(out, ',');
    first = false;
    quoted(out, property);
  }
  put(out, "],[");
  first = true;
  for (const MorphData& r : token.readings) {
    if (!first) put(out, ',');
    first = false;
    reading(r);
  }
  put(out, "]]");
}

void json_object_printer::reading(const MorphData& r) {
  put(out, '[');
  quoted(out, r.stem);
  put(out, ", ");
  quoted(out, r.pos());
  for (const std::string& property : r.properties) {
    if (!property.empty() && property[0] == '_') continue;
    put(out, ',');
    quoted(out, property);
  }
  if (!r.components.empty()) {
    put(out, ",[");
    bool first = true;
    for (const MorphData& component : r.components) {
      if (!first) put(out, ',');
      first = false;
      reading(component);
    }
    put(out, ']');
  }
  put(out, ']');
}

void json_object_printer::operator()(Concept& c) {
  write_range(out, kConceptKind, mapper, c);
  put(out, ',');
  quoted(out, c.uri);
  merge_instance_attributes(blackboard, c);
  put(out, ',');
  to_json(out, c.attributes, attribute_filter);
  if (with_flags) {
    put(out, ",{");
    bool first = true;
    for (std::size_t bit = 0; bit < kConceptFlagCount; ++bit) {
      if (!c.flags.test(bit)) continue;
      if (!first) put(out, ',');
      first = false;
      out << '"' << kFlagNames[bit] << "\":[\"true\"]";
    }
    put(out, '}');
  }
  put(out, ']');
}

DefaultJSONFormatter::DefaultJSONFormatter(Blackboard& blackboard, std::ostream& out,
                                           std::shared_ptr<FilterConceptInterface> filter,
                                           json_object_printer printer,
                                           NamePredicate& sentence_filter)
    : blackboard(blackboard),
      out(out),
      filter(std::move(filter)),
      printer(std::move(printer)),
      sentence_filter(sentence_filter) {}

void DefaultJSONFormatter::operator()(const Sentence& sentence) {
  if (first) {
    first = false;
  } else {
    put(out, ',');
  }
  write_range(out, kSentenceKind, printer.mapper, sentence);
  put(out, ",[");
  bool first_item = true;
  for (Annotation* a = sentence.annotations.head; a != nullptr; a = a->next) {
    if (!is_valid(*a)) continue;
    if (a->kind == kConceptKind) {
      Concept& c = *static_cast<Concept*>(a);
      if ((*filter)(c)) continue;
      if (!first_item) put(out, ',');
      first_item = false;
      printer(c);
    } else {
      if (!first_item) put(out, ',');
      first_item = false;
      printer(*static_cast<const Token*>(a));
    }
  }
  put(out, ']');
  const Concept* head = annotation_cast<Concept>(sentence.annotations.head);
  if (head != nullptr && !head->attributes.own.empty()) {
    put(out, ',');
    to_json(out, head->attributes, sentence_filter);
  }
  put(out, ']');
}

bool jsonDocumentId(Blackboard& blackboard, std::ostream& out) {
  if (!blackboard.options || !blackboard.options->has(kOptionNames[kIdOption])) return false;
  const std::string id = blackboard.options->get(kOptionNames[kIdOption]);
  out << "\"id\":" << encoded_quoted_string(id);
  return true;
}

void jsonLanguage(Blackboard& blackboard, std::ostream& out) {
  out << "\"language\":" << encoded_quoted_string(blackboard.language);
}

OffsetMapper offset_mapper(Blackboard& blackboard) {
  const std::string input_type = blackboard.option_view->get(kOptionNames[kInputTypeOption], "");
  if ((input_type.empty() || input_type == "text") &&
      blackboard.option_view->get_bool(kOptionNames[kUnicodeOffsetOption], false) &&
      blackboard.offset_table) {
    return UnicodeMapper(*blackboard.offset_table);
  }
  return Utf8Mapper();
}

template <>
void jsonSentences<DefaultJSONFormatter>(Blackboard& blackboard, std::ostream& out,
                                         std::shared_ptr<FilterConceptInterface> filter,
                                         NamePredicate& predicate) {
  out.write("\"sentences\":[ ", 14);
  json_object_printer printer(blackboard, out, offset_mapper(blackboard), get_filter(blackboard),
                              false);
  DefaultJSONFormatter formatter(blackboard, out, std::move(filter), std::move(printer),
                                 predicate);
  if (blackboard.annotations) {
    for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
      if (a->kind == kSentenceKind) formatter(*static_cast<const Sentence*>(a));
    }
  }
  put(out, ']');
}

void stream_json_api_format(Blackboard& blackboard, std::ostream& out) {
  std::shared_ptr<FilterConceptInterface> filter;
  const char* name = kOptionNames[kAnnotationFilterOption];
  const std::string choice =
      blackboard.option_view->has(name) ? blackboard.option_view->get(name) : std::string();
  if (choice == "__debug__") {
    filter = std::make_shared<FilterNothing>();
  } else if (choice == "__compiler__") {
    filter = std::make_shared<KacFilter>();
  } else {
    filter = std::make_shared<ImportOnlyFilter>();
  }
  put(out, '{');
  if (jsonDocumentId(blackboard, out)) put(out, ',');
  jsonLanguage(blackboard, out);
  put(out, ',');
  NamePredicate predicate = get_filter(blackboard);
  jsonSentences<DefaultJSONFormatter>(blackboard, out, std::move(filter), predicate);
  put(out, '}');
}

NamePredicate get_filter(Blackboard& blackboard) {
  return blackboard.flags.rule_info ? json_printer_attribute_filter_dbg
                                    : json_printer_attribute_filter;
}

bool is_valid(const Annotation& annotation) {
  return annotation.kind == kConceptKind || annotation.kind == kTokenKind;
}

std::string json_encode_text(std::string text) {
  static const Regex quote = kav_regex("\"");
  // In the format a backslash is escaped by another.
  return RegexReplace(text, quote, "\\\\$&");
}

}  // namespace v2
}  // namespace kavero
}  // namespace zel
