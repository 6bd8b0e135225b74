// The id maps of a compiled domain: the numbering of tokens, concepts and
// captures by their identity texts, stored as the records
// "uniq_token_map", "uniq_concept_map" and "uniq_capture_map" of the
// domain database (afst::serialization::store_object and get_object). The
// compiler reads them back when a build starts, so that an incremental
// build goes on numbering where the last one stopped; the runtime reads the
// concept and capture maps when it loads a domain.
//
// Text form: a JSON object from name to id number, written compactly with
// the names in ascending byte order; an empty map is "{}".

#ifndef KAVERO_COMPILER_BACKEND_ID_INFO_H_
#define KAVERO_COMPILER_BACKEND_ID_INFO_H_

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace zel {
namespace compiler {

// What the compiler knows of one numbered name.
struct IdInfo {
  uint64_t id = 0;
};

bool operator==(const IdInfo& a, const IdInfo& b);

// The id in decimal.
std::ostream& operator<<(std::ostream& out, const IdInfo& info);

// The id as an unsigned number.
void to_json(nlohmann::json& json, const IdInfo& info);
// The value must be a number (else the JSON library's type error).
void from_json(const nlohmann::json& json, IdInfo& info);

class Id2Info : public std::map<std::string, IdInfo> {
 public:
  // Writes the text form (indented by the stream's field width when it has
  // one, which is then reset).
  void ostream(std::ostream& os) const;
  // Reads one JSON value from the stream (what follows it is not examined)
  // and replaces the content with it. Invalid JSON raises the JSON
  // library's parse error. A value of another shape (not an object, or a
  // member that is not a number) leaves the map as it was, silently: a
  // damaged id map reads as an empty one when it is loaded.
  void istream(std::istream& is);
};

// One line per entry in key order, id ":" name, each ended and flushed.
std::ostream& operator<<(std::ostream& out, const Id2Info& map);

// An object from name to id; "{}" for an empty map.
void to_json(nlohmann::json& json, const Id2Info& map);
// The value must be an object of numbers (else the JSON library's type
// error); its members are added to the map.
void from_json(const nlohmann::json& json, Id2Info& map);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ID_INFO_H_
