// What a compiled domain records about its concepts.
//
// NamespaceAction: the concepts that a domain removes when the rules of one
// namespace have run (a concept's definition names the namespace in its
// "scope" attribute).

#ifndef KAVERO_DOMAIN_CONCEPT_RECORDS_H_
#define KAVERO_DOMAIN_CONCEPT_RECORDS_H_

#include <set>
#include <string>

namespace zel {
namespace kavero {

struct NamespaceAction {
  // Concept names.
  std::set<std::string> names;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_CONCEPT_RECORDS_H_
