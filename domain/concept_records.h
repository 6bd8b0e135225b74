// What a compiled domain records about its concepts.
//
// ConceptDefinition: what the domain does for every concept of one name:
// default attributes (a text that begins with f and a double quote is a
// format, resolved for each concept) and rule-function calls or further
// concepts, in order.
//
// NamespaceAction: the concepts that a domain removes when the rules of one
// namespace have run (a concept's definition names the namespace in its
// "scope" attribute).

#ifndef KAVERO_DOMAIN_CONCEPT_RECORDS_H_
#define KAVERO_DOMAIN_CONCEPT_RECORDS_H_

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analysis/attributes.h"

namespace zel {
namespace kavero {

// One call of a concept definition: a rule-function name or the name of a
// further concept, with its arguments.
struct KavFunctionPlaceHolder {
  KavFunctionPlaceHolder() = default;
  // The pairs become the arguments through convert_attributes.
  KavFunctionPlaceHolder(
      const std::string& name,
      const std::vector<std::pair<std::string, std::string>>& pairs);

  std::string name;
  Attributes attributes;
};

struct ConceptDefinition {
  Attributes attributes;
  // In the order of the definition.
  std::vector<KavFunctionPlaceHolder> functions;
};

struct NamespaceAction {
  // Concept names.
  std::set<std::string> names;
};

// A sorted list of the pairs, each text through zel::string::strip_quotes
// (a text that begins with a double quote loses its first and last byte);
// the adding rules of Attributes apply: a key does not get the same text
// twice.
Attributes convert_attributes(
    const std::vector<std::pair<std::string, std::string>>& pairs);

// The pairs of a list as texts, in list order.
std::vector<std::pair<std::string, std::string>> convert_attributes(
    const Attributes& attributes);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_CONCEPT_RECORDS_H_
