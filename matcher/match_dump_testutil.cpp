#include "matcher/match_dump_testutil.h"

#include <sstream>

#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace testing {

std::string annotation_name(const Annotation* a) {
  if (a == nullptr) return "-";
  switch (a->kind) {
    case kTokenKind:
      return static_cast<const Token*>(a)->literal;
    case kConceptKind:
      return "[" + static_cast<const Concept*>(a)->uri;
    case kEndAnnotationKind: {
      std::string out = "]";
      for (const Annotation* c : static_cast<const EndAnnotation*>(a)->concepts) {
        if (out.size() > 1) out += ",";
        out += static_cast<const Concept*>(c)->uri;
      }
      return out;
    }
    case kEndOfStreamKind:
      return "$";
    default:
      return "?";
  }
}

std::string label_name(matcher::MatcherInterface& m, unsigned label) {
  if (matcher::label_kind(label) == matcher::LABLE) return m.input_symbol(static_cast<int>(label));
  std::ostringstream out;
  matcher::forward::print_type_string(out, matcher::label_kind(label));
  out << std::dec << matcher::label_index(label);
  return out.str();
}

std::string dump_matches(matcher::MatcherInterface& m) {
  std::string out;
  for (const matcher::MatchResult& result : m.matches()) {
    if (!out.empty()) out += " | ";
    std::string entries;
    for (const matcher::MatchEntry& entry : result) {
      if (!entries.empty()) entries += " ";
      entries += label_name(m, std::get<1>(entry)) + "@" + annotation_name(std::get<0>(entry));
    }
    out += entries;
  }
  return out;
}

}  // namespace testing
}  // namespace kavero
}  // namespace zel
