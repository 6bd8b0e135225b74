// The concept filter of the result printers: true means the concept is
// left out. Held by shared pointer.

#ifndef KAVERO_API_FILTER_CONCEPT_INTERFACE_H_
#define KAVERO_API_FILTER_CONCEPT_INTERFACE_H_

namespace zel {
namespace kavero {

class Concept;

class FilterConceptInterface {
 public:
  virtual bool operator()(const Concept& concept_annotation) const = 0;
  virtual ~FilterConceptInterface();
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_FILTER_CONCEPT_INTERFACE_H_
