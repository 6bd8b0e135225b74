#include "analysis/filter.h"

#include "analysis/annotation.h"
#include "base/rule_pattern.h"

namespace zel {
namespace kavero {

BaseFilter::~BaseFilter() = default;

RegexFilter::RegexFilter(const std::string& pattern)
    : pattern_(pattern), regex_(zel::kav::convert_range(pattern), false) {}

bool RegexFilter::check(const Annotation* annotation) const {
  const Concept* c = annotation_cast<Concept>(annotation);
  return c != nullptr && regex_.regex_match(c->uri);
}

bool RegexFilter::operator()(const Annotation* annotation) const {
  const Concept* c = annotation_cast<Concept>(annotation);
  return c != nullptr && !c->deleted() && regex_.regex_match(c->uri);
}

bool RegexFilter::operator()(const std::string& text) const {
  return regex_.regex_match(text);
}

}  // namespace kavero
}  // namespace zel
