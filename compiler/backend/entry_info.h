// The lexicon entries that the result store collects while sources stream
// through, one cache per lexicon key ("entities_" + input stream), for the
// lexicon build at the end of a build.
//
// An entry's JSON form is a three-element array: the assignment in its
// array form ([uri, [[key, value], ...]]), the canonical text and the
// numbered flag:
//   [["City",[["kind","\"capital\""]]],"paris",false]
// The literal, the line and the source travel in memory only.

#ifndef KAVERO_COMPILER_BACKEND_ENTRY_INFO_H_
#define KAVERO_COMPILER_BACKEND_ENTRY_INFO_H_

#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "base/attribute_string.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

struct EntryInfo {
  // The entry as written (the lexicon build later changes it).
  std::string literal;
  // The annotation the entry produces, with its attributes.
  ast::node::AssignCaptureGroup capture;
  // The entry's second text: its canonical form.
  std::string canonical;
  // False when collected; set by the lexicon build.
  uint8_t numbered = 0;
  // The entry's source line.
  int32_t line = 0;
  // The source the entry was collected from: diagnostics of the lexicon
  // build (which runs after every source) are filed under it.
  std::string source;
};

// [capture in array form, canonical, numbered as a boolean].
void to_json(nlohmann::json& json, const EntryInfo& entry);
// Element 0 is read as a capture in array form, element 1 must be a string
// and element 2 a boolean (else the JSON library's type error); the literal
// and the line are left as they are.
void from_json(const nlohmann::json& json, EntryInfo& entry);

// The entries collected under one lexicon key.
struct EntryCache {
  // Entry text to entry; entries of equal text keep the order they were
  // added in.
  std::multimap<std::string, EntryInfo> entries;
  // The attribute list of the last lexicon statement collected under the
  // key.
  AttributeList attributes;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ENTRY_INFO_H_
