#include "base/attribute_string.h"

#include "base/string_util.h"

namespace zel {

AttributeList string2attributes(const std::string& text) {
  AttributeList attributes;
  for (const std::string& item : zel::string::split_vector(text, ';', false)) {
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) continue;
    attributes.emplace_back(item.substr(0, equals), item.substr(equals + 1));
  }
  return attributes;
}

AttributeList string2attributes(const char* data, std::uint32_t length) {
  if (length == 0) return {};
  return string2attributes(std::string(data, length));
}

const std::string& get_attribute(const AttributeList& attributes, const std::string& key) {
  static const std::string* const kEmpty = new std::string();
  for (const auto& attribute : attributes) {
    if (attribute.first == key) return attribute.second;
  }
  return *kEmpty;
}

}  // namespace zel

namespace std {

std::ostream& operator<<(std::ostream& os, const std::pair<std::string, std::string>& attribute) {
  return os << attribute.first << '=' << attribute.second;
}

std::ostream& operator<<(std::ostream& os,
                         const std::vector<std::pair<std::string, std::string>>& attributes) {
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    if (i != 0) os << ';';
    os << attributes[i];
  }
  return os;
}

}  // namespace std
