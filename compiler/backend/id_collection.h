// A list of ids with a JSON text form, storable as a named record of a
// compiled-domain database (afst::serialization::store_object and
// get_object).
//
// Text form: a JSON array of the ids as unsigned numbers, in list order,
// written compactly; an empty list is "[]". The text field is not part of
// the text form.

#ifndef KAVERO_COMPILER_BACKEND_ID_COLLECTION_H_
#define KAVERO_COMPILER_BACKEND_ID_COLLECTION_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zel {
namespace compiler {

class IDCollection : public std::vector<uint32_t> {
 public:
  // Writes the text form (indented by the stream's field width when it has
  // one, which is then reset).
  void ostream(std::ostream& os) const;
  // Reads one JSON value from the stream (what follows it is not examined)
  // and replaces the ids with it and empties the text. Invalid JSON raises
  // the JSON library's parse error; a value that is not an array of
  // numbers leaves the collection as it was and writes "Invalid json
  // stream IDCollection" and the error's text on standard output.
  void istream(std::istream& is);

  // A text that travels with the ids in memory only.
  std::string text;
};

void to_json(nlohmann::json& json, const IDCollection& ids);
// The value must be an array; each element becomes an id by the JSON
// library's conversion to an unsigned 32-bit number.
void from_json(const nlohmann::json& json, IDCollection& ids);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_ID_COLLECTION_H_
