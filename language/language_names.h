// Language codes, long language names and genitive suffixes.
//
// Fixed tables, built by static initialisers and only read afterwards, so
// every function here may be called from any thread without a lock. Codes
// are upper-case ASCII ("EN", "ZH-HANS"); names are lower-case English names
// in UTF-8 ("english", "pāli", "southern ndebele").

#ifndef KAVERO_LANGUAGE_LANGUAGE_NAMES_H_
#define KAVERO_LANGUAGE_LANGUAGE_NAMES_H_

#include <map>
#include <set>
#include <string>

namespace zel {

namespace detail {

// A map of the same kind with keys and values swapped. Walks `map` in its key
// order and keeps the first key for a value that comes twice.
template <typename Map>
Map make_reverse_map(const Map& map) {
  Map reverse;
  for (const auto& [key, value] : map) reverse.emplace(value, key);
  return reverse;
}

}  // namespace detail

namespace language {

// Code to name; a code listed twice keeps its first name.
const std::map<std::string, std::string>& get_language_map();
const std::map<std::string, std::string>& language_map();

// Every code of the code-to-name table.
std::set<std::string> get_language_codes();

// The long name of a code or a name. A text of exactly two bytes is a code
// (case does not matter): its name, or "not-supported". The path of an
// existing regular file comes back unchanged. Anything else is lower-cased;
// with `check` set, a name no table knows gives "not-supported".
// Never raises: a path the file system refuses to examine counts as no file.
std::string longname(const std::string& text, bool check);

// The code of a name (exact, case-sensitive), or "not-supported".
const std::string& get_code(const std::string& name);

// True when the name (exact, case-sensitive) has a code.
bool is_known_language(const std::string& name);

// The genitive suffix a language appends to names ("s" for German), or the
// empty text.
const std::string& get_genitive_form(const std::string& name);

}  // namespace language
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_NAMES_H_
