// The fixed table of language codes and long language names.
//
// A code is upper-case ASCII ("EN", "ZH-HANS"); a name is the lower-case
// English name ("english", "gaelic-scottish", "volapük"). The tables are built
// during static initialisation and only read afterwards, so every operation
// may be called from any thread without a lock.

#ifndef KAVERO_LANGUAGE_LANGUAGE_NAMES_H_
#define KAVERO_LANGUAGE_LANGUAGE_NAMES_H_

#include <map>
#include <string>

namespace zel {
namespace detail {

// The map with keys and values swapped. The given map is walked in its key
// order and a value that is already a key is not inserted again, so when
// several keys share a value, the first key in that order wins.
template <typename Map>
Map make_reverse_map(Map const& map) {
  Map reversed;
  for (auto const& [key, value] : map) reversed.emplace(value, key);
  return reversed;
}

}  // namespace detail

namespace language {

// Code to name, ordered by code. A code listed twice in the source rows keeps
// its first name.
std::map<std::string, std::string> const& get_language_map();

// True when the name is exactly (case-sensitive, untrimmed) one of the names
// of the code-to-name table.
bool is_known_language(std::string const& name);

}  // namespace language
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_NAMES_H_
