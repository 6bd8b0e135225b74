// The output filter a host makes from a text of concept names and applies
// to its results.
//
// A result shows only the concepts that carry the "import" mark. Applying a
// filter takes the mark from every live concept whose name the filter does
// not accept, so the next printing of the result leaves those concepts
// out. Marks are only ever taken away: a second filter narrows the output
// further, and no filter brings a concept back.
//
// The filter text names concepts separated by "|", or by "," when it holds
// no "|"; each name may be a pattern in the rule language's notation (see
// analysis/output_filter.h). An empty text accepts every name.
//
// A filter never changes once made, so one filter may be applied to many
// results, also from several threads at once; a result must not be read or
// changed by another thread while it is filtered.

#ifndef KAVERO_API_OUTPUT_CONCEPT_FILTER_H_
#define KAVERO_API_OUTPUT_CONCEPT_FILTER_H_

#include <memory>
#include <string>

#include "analysis/output_filter.h"
#include "api/filter_concept_interface.h"
#include "api/object.h"

namespace zel {
namespace kavero {

class Blackboard;
class Concept;

// The compiled filter of the names of a filter text. A pattern that does
// not compile raises its error and no filter is made.
OutputFilter make_output_filter(const std::string& text);

// Whether a concept is never output, whatever a filter says: it is marked
// deleted, or its name begins with ":" or "$" (names of the rules' own
// intermediate concepts). False for an empty name.
bool do_not_return(const Concept& concept_annotation);

// Takes the "import" mark from every concept of the document (those of each
// sentence's list, and any held directly in the document list) that is not
// marked deleted and whose name the filter does not accept. A filter
// without names changes nothing.
void filter_output_concepts(Blackboard& blackboard, const OutputFilter& filter);

// The name test as a printer's concept filter.
class SetFilter : public FilterConceptInterface {
 public:
  // Keeps a copy of the filter (the compiled pattern is shared).
  explicit SetFilter(const OutputFilter& filter);
  ~SetFilter() override;

  // Whether the filter accepts the name.
  bool has(const std::string& name) const { return filter.has(name); }

  // Leaves out what do_not_return names, and, when the filter has names,
  // every concept whose name it does not accept.
  bool operator()(const Concept& concept_annotation) const override;

  OutputFilter filter;
};

// The filter handle of the C interface.
class Filter : public api::Object {
 public:
  // Raises what make_output_filter raises.
  explicit Filter(const std::string& text);
  ~Filter() override;

  // Filters one result: empties its printed JSON text, so that the next
  // request prints it anew, and takes the "import" mark as
  // filter_output_concepts does.
  void process(Blackboard& blackboard) const;

  // The filter's names in byte order, joined by "|".
  std::string info() const;

  std::shared_ptr<SetFilter> filter;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_OUTPUT_CONCEPT_FILTER_H_
