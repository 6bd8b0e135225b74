#include "api/client_result_reader.h"

#include <cstdint>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace omr {
namespace common {

namespace {

using json = nlohmann::json;

const char kMissingSentences[] = "Invalid document object, missing 'sentence' section.";

// Component readings nest one array level each; real readings nest a few
// levels, and the limit keeps a hostile text from exhausting the stack.
constexpr int kMaxComponentDepth = 64;

// A number as a 32-bit offset: integers as they are, floating numbers by
// their integral part. Anything else raises the JSON library's type error.
uint32_t offset(const json& value) {
  constexpr double kLimit = 4294967296.0;
  if (value.is_number_unsigned()) {
    const uint64_t n = value.get<uint64_t>();
    if (n < kLimit) return static_cast<uint32_t>(n);
  } else if (value.is_number_integer()) {
    const int64_t n = value.get<int64_t>();
    if (n >= 0 && n < kLimit) return static_cast<uint32_t>(n);
  } else if (value.is_number_float()) {
    const double n = value.get<double>();
    if (n >= 0 && n < kLimit) return static_cast<uint32_t>(n);
  } else {
    return value.get<uint32_t>();
  }
  throw std::runtime_error("Invalid offset " + value.dump() + ".");
}

const json::array_t& array(const json& value) { return value.get_ref<const json::array_t&>(); }

void require(const json::array_t& item, size_t size, const char* what) {
  if (item.size() < size) {
    throw std::runtime_error(std::string("Invalid ") + what + ", " + std::to_string(size) +
                             " positions needed, " + std::to_string(item.size()) + " found.");
  }
}

void add_readings(const json& list, std::vector<MorphData>& readings, int depth) {
  if (depth > kMaxComponentDepth) {
    throw std::runtime_error("Invalid reading, components nested too deeply.");
  }
  for (const json& value : array(list)) {
    const json::array_t& reading = array(value);
    require(reading, 2, "reading");
    MorphData& data = readings.emplace_back();
    data.stem = reading[0].get<std::string>();
    data.pos = reading[1].get<std::string>();
    for (size_t i = 2; i < reading.size(); ++i) {
      if (reading[i].is_string()) {
        data.properties.push_back(reading[i].get<std::string>());
      } else if (reading[i].is_array()) {
        add_readings(reading[i], data.components, depth + 1);
      } else {
        throw std::runtime_error("Invalid reading value " + reading[i].dump() + ".");
      }
    }
  }
}

void add_token(const json::array_t& item, AnnotationList& list) {
  require(item, 6, "token item");
  auto* token = new Token(offset(item[1]), offset(item[2]), item[3].get<std::string>());
  list.push_back(token);
  for (const json& property : array(item[4])) token->properties.insert(property.get<std::string>());
  add_readings(item[5], token->readings, 0);
}

void add_concept(const json::array_t& item, AnnotationList& list) {
  require(item, 4, "concept item");
  auto* concept_annotation =
      new Concept(offset(item[1]), offset(item[2]), item[3].get<std::string>());
  list.push_back(concept_annotation);
  if (item.size() <= 4) return;
  for (const auto& member : item[4].get_ref<const json::object_t&>()) {
    for (const json& value : array(member.second)) {
      concept_annotation->attributes.emplace_back(member.first, value.get<std::string>());
    }
  }
}

}  // namespace

void add_sentence(const json& value, AnnotationList& list) {
  value.at(0);
  auto* sentence = new Sentence(offset(value.at(1)), offset(value.at(2)));
  list.push_back(sentence);
  for (const json& entry : array(value.at(3))) {
    const json::array_t& item = array(entry);
    const json& kind = entry.at(0);
    if (kind == Annotation::kToken) {
      add_token(item, sentence->annotations);
    } else if (kind == Annotation::kConcept) {
      add_concept(item, sentence->annotations);
    }
  }
}

void json_to_zel_results_v2(JsonToResult& target, const char* text) {
  try {
    const json document = json::parse(text == nullptr ? "" : text);
    if (!document.is_object()) throw std::runtime_error(kMissingSentences);
    if (document.contains("language")) target.language = document["language"].get<std::string>();
    if (document.contains("id")) target.id = document["id"].get<std::string>();
    const json* sentences = nullptr;
    if (document.contains("document")) {
      sentences = &document["document"].at("sentences");
    } else if (document.contains("sentences")) {
      sentences = &document["sentences"];
    } else {
      throw std::runtime_error(kMissingSentences);
    }
    for (const json& sentence : *sentences) add_sentence(sentence, target.list);
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("Invalid kav/json format,") + e.what());
  }
}

}  // namespace common
}  // namespace omr
