// Two repairs over a whole document that the rule runner applies after rule
// collections have run.
//
// Entity repair: a token that only the guesser knew, inside a recognised
// person, city, company or organisation, is a proper noun: its guessed
// readings become "Prop-Std" readings of its literal.
//
// Namespace actions: a domain names, per namespace, concepts to remove once
// the rules of that namespace have run ("last" after all of them); they are
// marked deleted.

#ifndef KAVERO_ANALYSIS_DOCUMENT_REPAIRS_H_
#define KAVERO_ANALYSIS_DOCUMENT_REPAIRS_H_

#include <memory>
#include <set>
#include <string>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;

// The concept names whose tokens fix_entities repairs: "Person", "City",
// "Company", "Organization".
extern const std::set<std::string> entities_to_fix;

// For every live concept of entities_to_fix in the document list, and every
// token between it and its end annotation: the first reading with the
// property "guess" gets the token's literal as its stem and "Prop-Std" as
// its part of speech, as does every later reading with "guess"; from that
// reading on, the token's readings lose all their properties. Readings
// before it keep theirs. A concept without end annotation is passed over.
void fix_entities(const AnnotationCollection& document);

// Marks deleted every live concept of the blackboard's document whose name
// the domain's action of that namespace lists; nothing when the domain has
// no action for the namespace (or no domain is given).
void apply_namespace_actions(const std::string& namespace_name,
                             Blackboard& blackboard,
                             const std::shared_ptr<DomainFacade>& domain);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_DOCUMENT_REPAIRS_H_
