// Concept definitions: the settings that on statements give annotation
// names (a scope, attributes, trigger calls), merged per name over every
// statement, source and build into the result store's concept_definitions,
// which is stored as "uniq_concept_definitions" (attribute_collection_map.h)
// and read by the runtime when it loads the domain.
//
// Merging (ResultStore::add_concept_definition): each name of the statement
// (the names text split at ",", parts trimmed) that is new gets a copy of
// the statement's settings. A name met again is a redefinition: reported as
// a warning in a full build, logged at the debug level in an incremental
// one (whose changed sources redefine every name of theirs); the statement
// then only adds the settings the name does not have yet, after its own. A
// different "scope" stops the build with zel::Exception
//   "The  'on NAME {scope= ...} statement has multiple different scope
//    definitions."
// A name with a blank inside or of one character is reported as an error
// and merged all the same.

#ifndef KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_
#define KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_

#include "compiler/backend/attribute_collection_map.h"

namespace zel {
namespace compiler {

class ResultStore;

// Registers the names the definitions use as captures (and concepts) of the
// store, in name order and setting order: a text, the name of a call, the
// name of every call of a list; attribute lists and names beginning with
// "kav::" register nothing.
void add_concept_definition_to_capture_groups(ResultStore* store,
                                              const AttributeCollectionMap& definitions);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_
