// Helpers for the guesser's tests and benchmark: generated unknown words and
// the answers of the search that walks every repair.

#ifndef KAVERO_CORE_AFST_GUESSER_TESTUTIL_H_
#define KAVERO_CORE_AFST_GUESSER_TESTUTIL_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core-afst/guesser_lookup.h"
#include "core-afst/guesser_search.h"

namespace zel {
namespace afst {
namespace testing {

// `count` words of 3 to 9 random letters; about half end in one of the
// test language's guesser endings ("ing", "ed", "ly", "ness"), some of
// those misspelt (a letter doubled, two letters swapped, one left out), the
// others end in anything. The same seed gives the same words.
std::vector<std::string> unknown_words(std::size_t count, uint32_t seed);

// What lookup.up(word) answers when the search walks every repair that its
// rules allow (nothing is left out by rank), within `budget` arcs; nothing
// when the search runs out of them.
std::optional<std::vector<std::string>> full_search_answers(
    GuesserLookup& lookup, const std::string& word, uint64_t budget = kGuesserSearchBudget);

}  // namespace testing
}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_GUESSER_TESTUTIL_H_
