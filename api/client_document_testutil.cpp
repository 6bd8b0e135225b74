#include "api/client_document_testutil.h"

namespace omr {
namespace common {
namespace testing {

AnnotationList& ClientDocument::last() {
  if (document.tail == nullptr || document.tail->kind != Annotation::kSentence) return document;
  return static_cast<Sentence*>(document.tail)->annotations;
}

ClientDocument& ClientDocument::sentence(uint32_t begin, uint32_t end) {
  document.push_back(new Sentence(begin, end));
  return *this;
}

ClientDocument& ClientDocument::concept_item(
    uint32_t begin, uint32_t end, const std::string& uri,
    std::vector<std::pair<std::string, std::string>> attributes) {
  auto* item = new Concept(begin, end, uri);
  item->attributes = std::move(attributes);
  last().push_back(item);
  return *this;
}

ClientDocument& ClientDocument::token(uint32_t begin, uint32_t end, const std::string& literal,
                                      std::vector<MorphData> readings,
                                      std::set<std::string> properties) {
  auto* item = new Token(begin, end, literal);
  item->readings = std::move(readings);
  item->properties = std::move(properties);
  last().push_back(item);
  return *this;
}

MorphData reading(const std::string& stem, const std::string& pos,
                  std::vector<std::string> properties, std::vector<MorphData> components) {
  MorphData data;
  data.stem = stem;
  data.pos = pos;
  data.properties = std::move(properties);
  data.components = std::move(components);
  return data;
}

}  // namespace testing
}  // namespace common
}  // namespace omr
