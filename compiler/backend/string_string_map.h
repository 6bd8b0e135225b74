// A map from text to text with a JSON text form, stored as a named record
// of a compiled-domain database (afst::serialization::store_object and
// get_object). The compiler keeps the source file of every compiled rule
// file in one ("uniq_id_2_filename_map"); the runtime reads it back to name
// rules by their source files.
//
// Text form: a JSON object with one string member per entry, written
// compactly; an empty map is written as "null".

#ifndef KAVERO_COMPILER_BACKEND_STRING_STRING_MAP_H_
#define KAVERO_COMPILER_BACKEND_STRING_STRING_MAP_H_

#include <iosfwd>
#include <map>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace zel {
namespace compiler {

class StringStringMap : public std::map<std::string, std::string> {
 public:
  // Writes the text form (indented by the stream's field width when it has
  // one, which is then reset).
  void ostream(std::ostream& os) const;
  // Reads one JSON value from the stream (what follows it is not examined)
  // and replaces the content with it, as from_json reads it. Invalid JSON
  // raises the JSON library's parse error; a value from_json refuses leaves
  // the map as it was and writes "Invalid json stream StringStringMap" and
  // the error's text on standard output.
  void istream(std::istream& is);
};

// An object of strings; null for an empty map.
void to_json(nlohmann::json& json, const StringStringMap& map);

// Adds one entry per item of the value: an object's members by name, an
// array's elements under their decimal index ("0", "1", ...), nothing for
// null, and any other value under the empty key. Every item must be a
// string (else the JSON library's type error); a key already in the map
// keeps its value.
void from_json(const nlohmann::json& json, StringStringMap& map);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_STRING_STRING_MAP_H_
