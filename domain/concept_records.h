// What a compiled domain records about its concepts, and the readers of
// those records.
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

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

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

namespace core {

// Readers of a domain database's concept records. Each reads its record
// by name; an absent record (or one without data, or a null handle) reads
// as empty. A record whose data is not JSON raises the JSON library's
// parse error; one of another shape reads as empty (the concept
// definitions also write a line on standard output).

// The compiler version that wrote the domain: the first white-space
// delimited word of "sdk_version"; "" when there is none.
std::string load_sdk_version(const std::shared_ptr<sqlite3>& db);

// Concept id -> concept name, from "uniq_concept_map". Names beginning
// with '$' are the compiler's own and are left out unless `all`. When
// several names carry one id, the first in byte order keeps it.
std::map<unsigned, std::string> load_concept_groups_pairs(const std::shared_ptr<sqlite3>& db,
                                                          bool all);

// Capture id -> capture name, from "uniq_capture_map", as above.
std::map<unsigned, std::string> load_capture_groups_pairs(const std::shared_ptr<sqlite3>& db,
                                                          bool all);

// The capture names in ascending id, without those beginning with '$'.
std::vector<std::string> get_dom_db_annotations(const std::shared_ptr<sqlite3>& db);

// Concept name -> definition, from "uniq_concept_definitions": a text
// becomes an attribute as it stands, a rule-function call a
// KavFunctionPlaceHolder, each pair of an attribute list an attribute
// without enclosing quotes; a list of calls is not used.
std::map<std::string, ConceptDefinition> load_concept_definitions(
    const std::shared_ptr<sqlite3>& db);

// Moves the "scope" attributes out of the definitions: the result maps
// each scope value to the names of the concepts that carry it.
std::map<std::string, NamespaceAction> dispatch_concept_definitions(
    std::map<std::string, ConceptDefinition>& definitions);

// Name -> id; a name under several ids keeps the smallest.
std::map<std::string, unsigned> reverse_map(const std::map<unsigned, std::string>& ids);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_CONCEPT_RECORDS_H_
