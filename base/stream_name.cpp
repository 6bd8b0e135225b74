#include "base/stream_name.h"

namespace zel {

const std::map<std::string, text_stream_type> stream_types = {
    {"literal", literal_stream},
    {"stem", stem_stream},
    {"lemma", stem_stream},
    {"normalized_literal", normalized_literal_stream},
    {"normalized_stem", normalized_stem_stream},
    {"normalized_lemma", normalized_stem_stream},
    {"component", component_stream},
    {"head", head_stream},
    {"canonical", canonical_stream},
};

const std::string& get_stream_name(const text_stream_type& type) {
  for (const auto& [name, value] : stream_types) {
    if (value == type) return name;
  }
  return stream_types.find("literal")->first;
}

text_stream_type get_stream_type(const std::string& name) {
  std::string key = name;
  if (key.size() > 2 && key.front() == '"') key = key.substr(1, key.size() - 2);
  const auto found = stream_types.find(key);
  return found == stream_types.end() ? no_stream : found->second;
}

}  // namespace zel
