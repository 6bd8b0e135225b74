#include "analysis/json_input.h"

#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>

#include "analysis/blackboard.h"
#include "analysis/sentence_info.h"
#include "base/text_excerpt.h"

namespace zel {
namespace kavero {

namespace {

using nlohmann::json;

constexpr char kFormatError[] = "Invalid kav/json format,";
constexpr char kMissingSentences[] =
    "Invalid document object, missing 'sentence' section.";

// Entry `index` of an array; a value that is no array raises the JSON
// library's type error, an array too short to hold the entry
// std::out_of_range.
const json& entry(const json& array, size_t index, const char* what) {
  if (array.is_array() && index >= array.size()) {
    throw std::out_of_range(std::string(what) + " has " + std::to_string(array.size()) +
                            " entries, at least " + std::to_string(index + 1) +
                            " are needed");
  }
  return array.at(index);
}

// A number as an offset or kind code: a fraction is dropped, a boolean is 0
// or 1; any other type raises the JSON library's type error.
double number(const json& value) {
  if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
  return std::trunc(value.get<double>());
}

uint32_t offset(const json& value, const char* what) {
  const double n = number(value);
  if (!(n >= 0 && n <= 4294967295.0)) {
    throw std::out_of_range(std::string("the ") + what + " offset " + value.dump() +
                            " is no byte offset");
  }
  return static_cast<uint32_t>(n);
}

std::string text(const json& value) { return value.get<std::string>(); }

// Refuses a text whose arrays and objects nest deeper than kMaxJsonDepth,
// before the JSON library builds the tree: the readers below walk readings
// and components recursively, and a deep tree would take a deep stack to
// copy or print. Brackets inside strings do not count. For a text that is
// no JSON at all the count may be off; the parser refuses such a text
// anyway.
void check_depth(const char* first, const char* last) {
  std::size_t depth = 0;
  bool in_string = false;
  for (const char* p = first; p < last; ++p) {
    const char c = *p;
    if (in_string) {
      if (c == '\\') {
        ++p;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        throw std::length_error("the JSON nests deeper than " +
                                std::to_string(kMaxJsonDepth) + " levels (at byte " +
                                std::to_string(p - first) + ")");
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
}

[[noreturn]] void out_of_order(const char* what, uint32_t begin, uint32_t end,
                               const char* rule) {
  throw std::out_of_range(std::string(what) + " " + std::to_string(begin) + ".." +
                          std::to_string(end) + " " + rule);
}

// Adds the attribute object's pairs to the concept; a single text counts as
// an array of one.
void add_attributes(Concept& concept_annotation, const json& attributes) {
  if (!attributes.is_object()) {
    throw std::invalid_argument("attributes must be a JSON object, not " +
                                std::string(attributes.type_name()));
  }
  for (auto member = attributes.begin(); member != attributes.end(); ++member) {
    if (member.value().is_array()) {
      for (const json& value : member.value()) {
        concept_annotation.add(member.key(), text(value), kStoreWhenShared);
      }
    } else {
      concept_annotation.add(member.key(), text(member.value()), kStoreWhenShared);
    }
  }
}

// One reading array: stem, part of speech, then properties and components.
template <typename Readings>
void add_reading(Readings& readings, const json& element) {
  const std::string stem = text(entry(element, 0, "a reading"));
  const std::string pos = text(entry(element, 1, "a reading"));
  readings.emplace_back(pos, stem, 1.0);
  MorphData& reading = readings.back();
  for (size_t i = 2; i < element.size(); ++i) {
    const json& more = element[i];
    if (more.is_string()) {
      reading.properties.push_back(more.get<std::string>());
    } else if (more.is_array()) {
      // The printer writes the components as one array of readings; an
      // array that begins with a text is one component reading itself.
      if (!more.empty() && more[0].is_string()) {
        add_reading(reading.components, more);
      } else {
        add_readings(reading.components, more);
      }
    }
  }
}

template <typename Readings>
void add_all_readings(Readings& readings, const json& array) {
  if (!array.is_array()) {
    throw std::invalid_argument("readings must be a JSON array, not " +
                                std::string(array.type_name()));
  }
  for (const json& element : array) add_reading(readings, element);
}

}  // namespace

void add_readings(std::list<MorphData>& readings, const json& array) {
  add_all_readings(readings, array);
}

void add_readings(std::vector<MorphData>& readings, const json& array) {
  add_all_readings(readings, array);
}

void add_sentence(const json& entry_json, AnnotationCollection& document,
                  uint32_t previous_end) {
  number(entry(entry_json, 0, "a sentence"));
  const uint32_t begin = offset(entry(entry_json, 1, "a sentence"), "begin");
  const uint32_t end = offset(entry(entry_json, 2, "a sentence"), "end");
  const json& items = entry(entry_json, 3, "a sentence");
  if (begin > end) out_of_order("the sentence", begin, end, "ends before it begins");
  if (begin < previous_end) {
    out_of_order("the sentence", begin, end, "begins before the sentence before it ends");
  }

  auto* sentence = new Sentence(begin, end);
  document.push_back(sentence);
  AnnotationCollection& list = sentence->annotations;
  auto* sentence_concept = new Concept(begin, end, "Sentence");
  list.push_back(sentence_concept);
  if (entry_json.size() > 4) add_attributes(*sentence_concept, entry_json[4]);

  if (!items.is_array()) {
    throw std::invalid_argument("the items of a sentence must be a JSON array, not " +
                                std::string(items.type_name()));
  }
  bool first_concept = true;
  uint32_t previous_token_end = begin;
  for (const json& item : items) {
    const double kind = number(entry(item, 0, "an item"));
    const uint32_t item_begin = offset(entry(item, 1, "an item"), "begin");
    const uint32_t item_end = offset(entry(item, 2, "an item"), "end");
    const bool is_token = kind == static_cast<double>(kTokenKind);
    if (!is_token && kind != static_cast<double>(kConceptKind)) continue;
    if (item_begin > item_end) out_of_order("an item", item_begin, item_end, "ends before it begins");
    if (item_begin < begin || item_end > end) {
      out_of_order("an item", item_begin, item_end, "lies outside its sentence");
    }
    if (item_begin < previous_token_end) {
      out_of_order("an item", item_begin, item_end,
                   "begins before the token before it ends");
    }
    if (is_token) {
      const std::string literal = text(entry(item, 3, "a token item"));
      const json& properties = entry(item, 4, "a token item");
      const json& readings = entry(item, 5, "a token item");
      auto* token = new Token(item_begin, item_end, literal);
      list.push_back(token);
      if (!properties.is_array()) {
        throw std::invalid_argument("token properties must be a JSON array, not " +
                                    std::string(properties.type_name()));
      }
      for (const json& property : properties) token->properties.insert(text(property));
      add_readings(token->readings, readings);
      previous_token_end = item_end;
      continue;
    }
    const std::string uri = text(entry(item, 3, "a concept item"));
    const bool own_sentence = first_concept && uri == "Sentence";
    first_concept = false;
    // The sentence's "Sentence" concept is made above.
    if (own_sentence) continue;
    auto* concept_annotation = new Concept(item_begin, item_end, uri);
    list.push_back(concept_annotation);
    if (item.size() > 4) add_attributes(*concept_annotation, item[4]);
  }
}

void json_to_zel_results_v2(JsonToResult& result, const char* text_begin,
                            std::size_t length) {
  try {
    if (text_begin == nullptr && length > 0) {
      throw std::invalid_argument("no text for a length of " + std::to_string(length));
    }
    static const char kEmpty[] = "";
    const char* first = text_begin != nullptr ? text_begin : kEmpty;
    // Exactly the given bytes: a host's buffer need not end in NUL.
    check_depth(first, first + length);
    const json document = json::parse(first, first + length, nullptr, true, false);
    if (!document.is_object()) throw std::invalid_argument(kMissingSentences);
    if (document.contains("language")) result.language = text(document["language"]);
    if (document.contains("id")) result.id = text(document["id"]);
    // The parts of the tree are read where they are, never copied.
    const json* sentences = nullptr;
    if (document.contains("document")) {
      const json& inner = document["document"];
      if (inner.is_object()) {
        if (inner.contains("sentences")) sentences = &inner["sentences"];
      } else if (!inner.is_null()) {
        throw std::invalid_argument("the document member must be a JSON object, not " +
                                    std::string(inner.type_name()));
      }
    } else if (document.contains("sentences")) {
      sentences = &document["sentences"];
    } else {
      throw std::invalid_argument(kMissingSentences);
    }
    if (sentences == nullptr) return;
    uint32_t previous_end = 0;
    for (const json& sentence : *sentences) {
      add_sentence(sentence, result.document, previous_end);
      previous_end = result.document.tail->end;
    }
  } catch (const std::exception& e) {
    // The JSON library's texts lose their tag, and quote at most a short,
    // escaped excerpt of the document.
    throw std::runtime_error(std::string(kFormatError) + json_error_text(e));
  }
}

void results_to_annotations_v2(Blackboard& blackboard, JsonToResult& result) {
  // A document that names no language keeps the blackboard's.
  if (!result.language.empty()) blackboard.set_language(result.language);
  if (!result.id.empty()) blackboard.options->add("id", result.id);

  AnnotationCollection& document = result.document;
  for (Annotation* a = document.head; a != nullptr; a = a->next) {
    if (Sentence* sentence = annotation_cast<Sentence>(a)) {
      blackboard.sentences.emplace_back(sentence->begin, SentenceInfo(sentence));
    }
  }

  for (Annotation* a = document.head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    AnnotationCollection& list = sentence->annotations;
    for (Annotation* b = list.head; b != nullptr; b = b->next) {
      Concept* concept_annotation = annotation_cast<Concept>(b);
      if (concept_annotation == nullptr || concept_annotation->deleted()) continue;
      if (concept_annotation->uri != "Sentence") concept_annotation->flags.set(kImport);
      concept_annotation->end_annotation = nullptr;
      Token* last = nullptr;
      for (Annotation* c = b->next; c != nullptr && last == nullptr; c = c->next) {
        Token* token = annotation_cast<Token>(c);
        if (token != nullptr && token->end >= concept_annotation->end) last = token;
      }
      EndAnnotation* closing = nullptr;
      if (last != nullptr) {
        closing = annotation_cast<EndAnnotation>(last->next);
        if (closing == nullptr) {
          closing = new EndAnnotation(last->end);
          list.insert_before(last->next, closing);
        }
      } else {
        // The concept ends after the sentence's last token: it is closed
        // at the end of the list.
        closing = annotation_cast<EndAnnotation>(list.tail);
        if (closing == nullptr) {
          closing = new EndAnnotation(concept_annotation->end);
          list.push_back(closing);
        }
      }
      // In the model's order (by descending begin), as the analysis lays
      // out every end annotation.
      closing->add(concept_annotation);
      concept_annotation->end_annotation = closing;
    }
  }

  for (Annotation* a = document.head; a != nullptr; a = a->next) {
    if (Sentence* sentence = annotation_cast<Sentence>(a)) {
      sentence->annotations.push_back(new EndOfStream(sentence->end));
    }
  }
}

void json_to_annotations_v2(Blackboard& blackboard, const char* text_begin,
                            std::size_t length) {
  if (blackboard.annotations == nullptr) {
    blackboard.annotations = std::make_shared<AnnotationCollection>();
  }
  JsonToResult result(*blackboard.annotations);
  json_to_zel_results_v2(result, text_begin, length);
  results_to_annotations_v2(blackboard, result);
}

}  // namespace kavero
}  // namespace zel
