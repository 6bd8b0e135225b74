#include "analysis/annotation.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <iostream>

#include "base/regex.h"

namespace zel {
namespace kavero {

IIsEncodable::~IIsEncodable() = default;
void IIsEncodable::push(const unsigned&) {}
bool IIsEncodable::has(const unsigned&) const { return false; }
bool IIsEncodable::requires_match() const { return false; }
void IIsEncodable::requires_match(const bool&) {}

Annotation::Annotation(uint32_t k, uint32_t b, uint32_t e)
    : kind(k), begin(b), end(e) {}
Annotation::~Annotation() = default;

Sentence::Sentence(uint32_t b, uint32_t e) : Annotation(kKind, b, e) {}
Sentence::~Sentence() = default;

void Sentence::add_id(uint32_t id) {
  ids.insert(id);
  changed = true;
}

Token::Token(uint32_t b, uint32_t e, const std::string& text)
    : Annotation(kKind, b, e), literal(text) {}
Token::~Token() = default;

void Token::push(const unsigned& id) {
  encodings.insert(std::upper_bound(encodings.begin(), encodings.end(), id),
                   id);
}

bool Token::has(const unsigned& id) const {
  auto it = std::lower_bound(encodings.begin(), encodings.end(), id);
  return it != encodings.end() && *it == id;
}

const char* concept_flag_name(ConceptFlag bit) {
  static const char* const names[kConceptFlagCount] = {
      "deleted", "shorted_match", "import", "filtered", "to_resolve",
      "to_delete"};
  return bit < kConceptFlagCount ? names[bit] : "";
}

Concept::Concept(uint32_t b, uint32_t e, const std::string& name)
    : Annotation(kKind, b, e), uri(name) {}
Concept::~Concept() = default;

void Concept::push(const unsigned& id) { encoding = id; }

bool Concept::has(const unsigned& id) const {
  return !flags.test(kDeleted) && encoding == id;
}

bool Concept::has_attribute(const std::string& key) const {
  return attributes.has_attribute(key);
}

const std::string& Concept::get_attribute(const std::string& key) const {
  return attributes.get_attribute(key);
}

void Concept::remove_attribute(const std::string& key,
                               const std::string& value) {
  attributes.remove_attribute(key, value);
}

void Concept::remove_attributes(const std::string& key) {
  attributes.own.remove_attributes(key);
}

void Concept::clear_attributes() { attributes.own.clear(); }

unsigned Concept::add(const Attribute& pair, ConceptAttributeStoreType type) {
  return attributes.add(pair, type);
}

unsigned Concept::add(const Attributes& list, ConceptAttributeStoreType type) {
  return attributes.add(list, type);
}

unsigned Concept::add(const std::string& key, const std::string& text,
                      ConceptAttributeStoreType type) {
  return attributes.add(key, text, type);
}

namespace {

// A value's text as far as its first NUL: values are compared as C texts.
std::string c_text(const boost::any& value) {
  return std::string(to_string(value).c_str());
}

// Calls `test` with the text of every value of `key`, own list first, then
// the store, until it answers true.
template <typename Test>
bool any_value(const ConceptAttributes& a, const std::string& key,
               const Test& test) {
  for (const Attribute& entry : a.own) {
    if (entry.first == key && test(c_text(entry.second))) return true;
  }
  if (a.store) {
    for (const Attribute& entry : *a.store) {
      if (entry.first == key && test(c_text(entry.second))) return true;
    }
  }
  return false;
}

}  // namespace

bool Concept::match(const Attribute& condition) const {
  const std::string& text = to_string(condition.second);
  if (!text.empty() && text[0] == '"') {
    const std::string expected = text.substr(1);
    return any_value(attributes, condition.first,
                     [&](const std::string& v) { return v == expected; });
  }
  // Any other marker introduces an expression; an empty text has none, and
  // the failure to take it is reported like a bad expression.
  try {
    const zel::Regex expression(text.substr(1), false);
    return any_value(attributes, condition.first, [&](const std::string& v) {
      return expression.regex_match(v);
    });
  } catch (const std::exception& e) {
    std::cout << text << "/" << " is not a valid regular expression: \""
              << e.what() << "\"" << std::endl;
    return false;
  }
}

EndAnnotation::EndAnnotation(uint32_t e) : Annotation(kKind, e, e) {}
EndAnnotation::EndAnnotation(uint32_t b, uint32_t e)
    : Annotation(kKind, b, e) {}
EndAnnotation::~EndAnnotation() = default;

void EndAnnotation::add(Concept* concept_annotation) {
  auto at = std::find_if(concepts.begin(), concepts.end(),
                         [&](const Annotation* entry) {
                           return entry->begin <= concept_annotation->begin;
                         });
  concepts.insert(at, concept_annotation);
}

EndOfStream::EndOfStream(uint32_t e) : Annotation(kKind, e, e) {}
EndOfStream::~EndOfStream() = default;

}  // namespace kavero
}  // namespace zel
