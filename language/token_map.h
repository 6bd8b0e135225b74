// The built-in token map: which tags and properties a token receives from the
// break rule that cut it (the ICU rule status of the language's tokenizer).
//
// A row's text that begins with "+" gives the token a reading with the rest
// as its part of speech ("+Punct-Comma"); one that begins with "-" removes a
// reading of that part of speech; any other text is a token property
// ("e-mail"). Rows of one status keep their insertion order. Every language
// starts from a copy of this map and appends the rows of its configuration's
// "tokenizer_mapper".

#ifndef KAVERO_LANGUAGE_TOKEN_MAP_H_
#define KAVERO_LANGUAGE_TOKEN_MAP_H_

#include <cstdint>
#include <map>
#include <string>

namespace zel {
namespace kavero {

// Rule status -> token tag or property.
using TokenMap = std::multimap<int32_t, std::string>;

// The built-in map, built on the first call (safe from any thread) and never
// changed afterwards.
const TokenMap& init_token_map();

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKEN_MAP_H_
