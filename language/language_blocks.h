// The Unicode blocks of scripts other than Latin, each with the language its
// characters suggest.
//
// The language identifier scores words that its word network does not know
// by the blocks their characters fall in. The table is fixed, built before
// any caller runs and only read afterwards. Every range is exactly the range
// of the Unicode block of that name and no two ranges overlap, so a code
// point lies in at most one row. Some rows suggest no language (an empty
// code); the codes are those of the language-name table, and "IN" for the
// Indonesian scripts.

#ifndef KAVERO_LANGUAGE_LANGUAGE_BLOCKS_H_
#define KAVERO_LANGUAGE_LANGUAGE_BLOCKS_H_

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace lid {

// First code point, last code point (inclusive), language code, block name.
using LanguageBlock = std::tuple<uint64_t, uint64_t, std::string, std::string>;

// The 75 rows, in their fixed order.
extern const std::vector<LanguageBlock> language_blocks;

}  // namespace lid
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_BLOCKS_H_
