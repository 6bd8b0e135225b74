// The steps that follow the placement of an inserted concept, controlled
// by reserved attributes of the concept and by the current domain:
//
//   "pos"         a test of the parts of speech of the covered tokens; a
//                 concept that fails is marked deleted. Removed once
//                 applied.
//   "inherit"     "true" copies the attributes of the same-name concepts
//                 inside the concept; "City[2]" or "City[2].key" those of
//                 the second live "City" of its range. Removed once
//                 applied.
//   "_condition"  "key=text": the document's mementos must hold the text
//                 under the key at the concept's begin; a concept that
//                 fails (or any such concept, when the document has no
//                 memento store) is marked deleted. Stays.
//
// Keys that begin with "_" are never inherited.
//
// Concept definitions of the current domain add default attributes to
// every concept of a name and run its actions: "kav::push_att" as a rule
// function with the action's arguments; any other name but "kav::inherit"
// inserts that concept over the same range, with the action's arguments as
// its attributes. "kav::inherit" actions are skipped: the inherit function
// reads its arguments from the function concept itself, which a definition
// does not make.

#ifndef KAVERO_ANALYSIS_CONCEPT_CONDITIONS_H_
#define KAVERO_ANALYSIS_CONCEPT_CONDITIONS_H_

#include <map>
#include <string>

#include "analysis/annotation.h"
#include "base/regex.h"

namespace zel {
namespace kavero {

class AddConceptToCollection;
class Blackboard;
struct ConceptDefinition;

namespace runtime {
class Context;
}  // namespace runtime

// "([A-Za-z_0-9]+)\[([1-9])\](?:\.([A-Za-z_0-9]+))?": a concept name, the
// number of the concept of that name inside the range, and an optional key.
const Regex& inherit_regex_pattern();

// Without a "pos" attribute, true. Otherwise the parts of speech of the
// concept's tokens (get_pos_sequence, "DetAdjNn") must equal one "pos"
// value with its blanks removed, or match as a whole the pattern of a value
// written between slashes (the rule language's notation). The "pos"
// attributes are removed; a concept that passes none is marked deleted.
// An invalid pattern raises the regular-expression error.
bool apply_pos_filter(AnnotationCollection& list, Concept* concept_annotation);

// Applies and removes the concept's "inherit" attributes (nothing for
// "kav::anaphora"): the collected attributes are added to the concept.
void apply_inheritance(AnnotationCollection& list, Concept* concept_annotation);

// The attributes of the live concepts of the concept's name inside its
// range, own list then store, keys without "_"; of each key only the first
// value met, walking back from the concept's end (so the concept nearest
// its end wins).
Attributes collect_inheritance_attribute(AnnotationCollection& list,
                                         Concept* concept_annotation);

// The attributes (all keys, or only the key the value names; never keys
// that begin with "_") of the n-th live concept of the named name, not the
// concept itself, counted from the start of the concept's range. Empty,
// with a debug line, when the value does not parse.
Attributes collect_inheritance_attribute(AnnotationCollection& list,
                                         Concept* concept_annotation,
                                         const std::string& inherit);

// Tests the concept's "_condition" attributes against the blackboard's
// memento store at the concept's begin, stopping at the first that fails;
// a value is split at its first "=" into key and text, and one without "="
// fails. A failure marks the concept deleted, and so does any condition
// when the blackboard has no memento store.
void apply_conditions(Blackboard& blackboard, Concept* concept_annotation);

// Applies the definition of the concept's name, when there is one: its
// attributes (formats resolved with the context; those that fail are
// dropped) and its actions, in order. An action that inserts a concept goes
// through the inserter's whole insertion, definitions included.
void apply_concept_definitions(
    AddConceptToCollection& inserter,
    const std::map<std::string, ConceptDefinition>& definitions,
    Concept* concept_annotation, runtime::Context& context);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_CONCEPT_CONDITIONS_H_
