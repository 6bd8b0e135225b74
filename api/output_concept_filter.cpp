#include "api/output_concept_filter.h"

#include <set>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/string_util.h"

namespace zel {
namespace kavero {

OutputFilter make_output_filter(const std::string& text) {
  std::set<std::string> names;
  zel::string::split_set(names, text, text.find('|') != std::string::npos ? '|' : ',');
  OutputFilter filter;
  for (const std::string& name : names) filter.add(name);
  filter.build();
  return filter;
}

bool do_not_return(const Concept& concept_annotation) {
  if (concept_annotation.deleted()) return true;
  const std::string& uri = concept_annotation.uri;
  return !uri.empty() && (uri[0] == ':' || uri[0] == '$');
}

namespace {

void unmark_if_refused(Concept* concept_annotation, const OutputFilter& filter) {
  if (concept_annotation == nullptr || concept_annotation->deleted()) return;
  if (!filter.has(concept_annotation->uri)) concept_annotation->flags.reset(kImport);
}

}  // namespace

void filter_output_concepts(Blackboard& blackboard, const OutputFilter& filter) {
  if (filter.names.empty() || blackboard.annotations == nullptr) return;
  for (Annotation* item : *blackboard.annotations) {
    if (Sentence* sentence = annotation_cast<Sentence>(item)) {
      for (Annotation* inner : sentence->annotations) {
        unmark_if_refused(annotation_cast<Concept>(inner), filter);
      }
    } else {
      unmark_if_refused(annotation_cast<Concept>(item), filter);
    }
  }
}

SetFilter::SetFilter(const OutputFilter& output_filter) : filter(output_filter) {}

SetFilter::~SetFilter() = default;

bool SetFilter::operator()(const Concept& concept_annotation) const {
  if (do_not_return(concept_annotation)) return true;
  if (filter.names.empty()) return false;
  return !filter.has(concept_annotation.uri);
}

Filter::Filter(const std::string& text)
    : filter(std::make_shared<SetFilter>(make_output_filter(text))) {}

Filter::~Filter() = default;

void Filter::process(Blackboard& blackboard) const {
  blackboard.result_json.clear();
  filter_output_concepts(blackboard, filter->filter);
}

std::string Filter::info() const {
  return zel::string::join(filter->filter.names, "|", 0, -1);
}

}  // namespace kavero
}  // namespace zel
