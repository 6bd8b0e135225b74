// The concept filter of the result printers: which concepts a printed
// result leaves out.
//
// The printers hold their filter through a shared pointer and ask it once
// per concept; an output filter a host made (output_concept_filter.h) is
// one of them.

#ifndef KAVERO_API_FILTER_CONCEPT_INTERFACE_H_
#define KAVERO_API_FILTER_CONCEPT_INTERFACE_H_

namespace zel {
namespace kavero {

class Concept;

class FilterConceptInterface {
 public:
  // True when the concept is to be left out.
  virtual bool operator()(const Concept& concept_annotation) const = 0;
  virtual ~FilterConceptInterface();
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_FILTER_CONCEPT_INTERFACE_H_
