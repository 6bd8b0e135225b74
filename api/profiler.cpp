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

void Profiler::start(const std::string& name) {
  Info& info = timings[name];
  if (info.name.empty()) info.name = name;
  info.start = std::chrono::system_clock::now();
}

void Profiler::stop(const std::string& name) {
  auto position = timings.find(name);
  // A unit that only counted hits has no start.
  if (position == timings.end() ||
      position->second.start == std::chrono::system_clock::time_point()) {
    return;
  }
  Info& info = position->second;
  info.total += std::chrono::duration<double, std::nano>(std::chrono::system_clock::now() -
                                                         info.start)
                    .count();
}

}  // namespace profiler
}  // namespace kavero
}  // namespace zel
