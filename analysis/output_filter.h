// The set of concept names that a domain or a result shows.
//
// Names are collected with add() and compiled once with build() into one
// expression: the names joined by "|", in the rule language's pattern
// notation, so a name may itself be an expression. has() then asks whether
// a concept name matches the whole expression. Until the first build()
// every name passes.
//
// Once built, the filter is only read, so documents that share a domain may
// ask it at the same time.

#ifndef KAVERO_ANALYSIS_OUTPUT_FILTER_H_
#define KAVERO_ANALYSIS_OUTPUT_FILTER_H_

#include <memory>
#include <set>
#include <string>

#include "analysis/filter.h"

namespace zel {
namespace kavero {

class OutputFilter {
 public:
  using const_iterator = std::set<std::string>::const_iterator;

  void add(const std::string& name) { names.insert(name); }

  const_iterator begin() const { return names.begin(); }
  const_iterator end() const { return names.end(); }

  // Compiles the names. A pair of "/" around the whole joined text (the
  // first name starting with one, the last ending with one) is dropped. A
  // bad pattern throws and leaves the previous filter in place.
  void build();

  // Whether the name passes: every name before build(), else whether the
  // compiled expression matches the whole name.
  bool has(const std::string& name) const;

  // Names or name patterns, in byte order. Names added after build() do
  // not change has() until build() runs again.
  std::set<std::string> names;
  // Empty until build().
  std::shared_ptr<RegexFilter> filter;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_OUTPUT_FILTER_H_
