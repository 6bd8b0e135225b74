// The matcher of one rule, as the match driver runs it over a sentence.
//
// A matcher walks a rule's transducer over a range of one sentence's
// annotation list and collects one result per match: the labels it reports
// (capture begins and ends, markers, and the label of the arc that completed
// the match, last), each with the annotation that was the input position
// when its arc was taken. Results accumulate, in the order found, until
// clear().
//
// The range is given by iterators that skip deleted concepts, so matching
// never sees them. A matcher is made by its rule for each run and is used by
// one thread at a time.

#ifndef KAVERO_MATCHER_MATCHER_INTERFACE_H_
#define KAVERO_MATCHER_MATCHER_INTERFACE_H_

#include <string>
#include <tuple>
#include <vector>

#include <boost/iterator/filter_iterator.hpp>

#include "analysis/annotation.h"
#include "analysis/raw_ptr_list.h"

namespace zel {
namespace kavero {
namespace matcher {

// Passes every annotation but a concept marked deleted.
struct FilterDeletedConcepts {
  bool operator()(const Annotation* annotation) const {
    const Concept* c = annotation_cast<Concept>(annotation);
    return c == nullptr || !c->deleted();
  }
};

using AnnotationIterator = omr::common::RawPtrList<Annotation>::RawPtrIterator;
using FilteredIterator = boost::iterators::filter_iterator<FilterDeletedConcepts, AnnotationIterator>;

// The live annotations of [begin, end) as filtered iterators.
inline FilteredIterator filtered(AnnotationIterator position, AnnotationIterator end) {
  return FilteredIterator(FilterDeletedConcepts(), position, end);
}

// One reported label: the input position when its arc was taken, the label.
using MatchEntry = std::tuple<const Annotation*, unsigned int>;
// One match: its reported labels in path order.
using MatchResult = std::vector<MatchEntry>;
using MatchResults = std::vector<MatchResult>;

class MatcherInterface {
 public:
  using FI = FilteredIterator;

  // One attempt starting exactly at `begin`. With `anchored`, a token step
  // taken before any other consuming step must match the annotation at
  // `begin` itself. Results are appended.
  virtual void match_location(FI begin, FI end, bool anchored) = 0;
  // Attempts at every start position from `begin` up to `end`.
  virtual void match(FI begin, FI end) = 0;
  // The rule transducer's symbol text of a plain label; an id outside the
  // table raises std::out_of_range.
  virtual const std::string& input_symbol(int id) const = 0;
  // The results collected since the last clear().
  virtual MatchResults& matches() = 0;
  // Forgets all results and all working state.
  virtual void clear() = 0;
  virtual ~MatcherInterface();
};

}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_MATCHER_INTERFACE_H_
