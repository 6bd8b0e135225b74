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
//
// Every source keeps its own settings (its on statements merged in the
// same way) in the twin, one record per source: "uniq_source_definitions" +
// the source path, data the source's settings in the text form of
// attribute_collection_map.h (no record for a source without on
// statements). The stored definitions are the merge of these records in
// source order (the sources' numbers in the file map), so a rebuilt source
// replaces its own settings, and a source that is gone (its record
// deleted) takes its settings away. While a source is built, the merged
// view holds the settings of every other source: a redefinition is
// reported against those, and the source's own earlier settings never
// clash with its new ones.

#ifndef KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_
#define KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_

#include <string>

#include "compiler/backend/attribute_collection_map.h"

namespace zel {
namespace compiler {

class ResultStore;

// The prefix of the per-source records in the twin.
extern const char* const kSourceDefinitionsRecord;

// Reads every per-source record of the store's twin into
// store.source_definitions.
void read_source_definitions(ResultStore& store);
// Stores (or, when empty, deletes) the records of the sources whose
// settings the store rebuilt.
void store_source_definitions(ResultStore& store);
// The merge of store.source_definitions in source order, leaving out the
// source `except` when it is given. Raises like a redefinition with another
// scope.
AttributeCollectionMap merged_source_definitions(const ResultStore& store,
                                                 const std::string* except);

// Registers the names the definitions use as captures (and concepts) of the
// store, in name order and setting order: a text, the name of a call, the
// name of every call of a list; attribute lists and names beginning with
// "kav::" register nothing.
void add_concept_definition_to_capture_groups(ResultStore* store,
                                              const AttributeCollectionMap& definitions);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_CONCEPT_DEFINITIONS_H_
