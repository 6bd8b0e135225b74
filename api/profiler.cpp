#include "api/profiler.h"

#include "analysis/annotation.h"
#include "analysis/text_stream.h"

namespace zel {
namespace kavero {
namespace profiler {

Profiler::Profiler() = default;
Profiler::~Profiler() = default;

void Profiler::hit(const std::string& rule, const Concept* concept_annotation) {
  const std::string& uri = concept_annotation->uri;
  if (!uri.empty() && uri[0] == '$') return;
  Info& info = timings[rule];
  if (info.name.empty()) info.name = rule;
  ++info.hits[uri];
  std::set<HitRuleInfo>& rules =
      matches[uri][get_annotation_string(
          RawPtrIterator(const_cast<Concept*>(concept_annotation)),
          RawPtrIterator(concept_annotation->end_annotation))];
  for (const Attribute& pair : concept_annotation->attributes.own) {
    if (pair.first == "_rule") rules.insert(HitRuleInfo{"", to_string(pair.second)});
  }
}

}  // namespace profiler
}  // namespace kavero
}  // namespace zel
