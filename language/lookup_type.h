// The lookup types a language configuration may name in the "lookup" member
// of a lookup entry, with their codes. The code selects which lexicon lookup
// a language's chain makes for the entry (morph_data.h); the lexicon lookups
// report the same codes as their type().

#ifndef KAVERO_LANGUAGE_LOOKUP_TYPE_H_
#define KAVERO_LANGUAGE_LOOKUP_TYPE_H_

#include <cstdint>
#include <map>
#include <string>

namespace zel {
namespace kavero {
namespace core {

enum LookupType : uint64_t {
  kLookupNotSet = 0,
  kLookupPlain = 1,
  kLookupCompound = 2,
  kLookupCompoundV2 = 3,
  kLookupCompoundV3 = 4,
  kLookupCompoundNumbers = 5,
  kLookupCleaner = 6,
  kLookupGuesser = 7,
  kLookupEndings = 8,
  kLookupTag = 9,
  kLookupIcu = 10,
};

// Name -> code: "not_set", "plain", "compound", "compound_v2",
// "compound_v3", "compound_numbers", "cleaner", "guesser", "endings", "tag",
// "icu". Built on first use (safe from any thread); never changes.
const std::map<std::string, uint64_t>& lookup_types();

// The code of a type name (exact, case-sensitive); 0, the code of "not_set",
// for a name that is not in the table.
uint64_t get_lookup_type(const std::string& name);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_TYPE_H_
