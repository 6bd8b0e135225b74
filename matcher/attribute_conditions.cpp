#include "matcher/attribute_conditions.h"

#include <algorithm>

#include "analysis/text_stream.h"
#include "language/reading.h"
#include "matcher/attribute_parser.h"

namespace zel {
namespace kavero {
namespace matcher {

namespace {

// The pattern part of a condition value, whose first character tells its
// kind: a quoted value is literal text, anything else keeps its pattern
// meaning after the marker.
std::string pattern_of(const std::string& value) {
  if (value.empty()) return std::string();
  if (value[0] == '"') return escape_pattern(value.substr(1));
  return value.substr(1);
}

}  // namespace

std::string escape_pattern(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = byte >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                       (c >= 'A' && c <= 'Z') || c == '_';
    if (!plain) out += '\\';
    out += c;
  }
  return out;
}

const Attributes& AttributeConditions::conditions(const std::string& symbol_text) {
  auto found = conditions_.find(symbol_text);
  if (found != conditions_.end()) return found->second;
  const size_t at = symbol_text.find('@');
  Attributes parsed =
      parse_attributes_matcher(at == std::string::npos ? std::string() : symbol_text.substr(at));
  return conditions_.emplace(symbol_text, std::move(parsed)).first->second;
}

const zel::Regex& AttributeConditions::contains_pattern(const std::string& value) {
  const std::string pattern = ".*" + pattern_of(value) + ".*";
  auto found = regex_cache_.find(pattern);
  if (found != regex_cache_.end()) return found->second;
  return regex_cache_.emplace(pattern, zel::kav_regex_case_insenitive(pattern)).first->second;
}

const zel::Regex& AttributeConditions::match_pattern(const std::string& value) {
  const std::string pattern = pattern_of(value);
  auto found = regex_cache_.find(pattern);
  if (found != regex_cache_.end()) return found->second;
  return regex_cache_.emplace(pattern, zel::kav_regex(pattern)).first->second;
}

bool AttributeConditions::holds(const std::string& symbol_text, const Concept* c) {
  const Attributes& list = conditions(symbol_text);
  if (has(list, "_contains")) {
    const zel::Regex& pattern = contains_pattern(get_value(list, "_contains"));
    const std::string canonical = get_canonical(c);
    if (pattern.regex_match(canonical)) return true;
    const std::string spaced = get_annotation_real_string(
        RawPtrIterator(const_cast<Concept*>(c)), RawPtrIterator(c->end_annotation));
    return spaced != canonical && pattern.regex_match(spaced);
  }
  if (has(list, "_match")) {
    return match_pattern(get_value(list, "_match")).regex_match(get_canonical(c));
  }
  if (list.empty()) return false;
  return std::all_of(list.begin(), list.end(),
                     [&](const Attribute& condition) { return c->match(condition); });
}

bool holds_property(const Token& token, const std::string& symbol_text) {
  const size_t plus = symbol_text.find('+');
  return plus != std::string::npos && has_property(token, symbol_text.substr(plus + 1));
}

}  // namespace matcher
}  // namespace kavero
}  // namespace zel
