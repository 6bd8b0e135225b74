// Cutting a word into lexicon entries: the search behind the compound
// lookups.
//
// From the start of the word, a section walk asks the lexicon for every
// entry that begins there (every final state the walk reaches is an entry,
// wherever the input stands). The search takes the entries by fixed rules
// and goes on from the end of each, depth first, until the word is used up;
// every sequence of components that covers the word and passes the validity
// test is recorded as a split, in the order found.
//
// The rules, by depth (the number of components before a candidate):
//   - A first component must not end with "+gen" or "+def".
//   - From the second component on, a linking character ("-" or "s") may
//     stand before a component: the entries after it are candidates too,
//     with half the weight. Once a candidate of full weight has been taken
//     at a level, the linking candidates sorted after it are skipped.
//   - A "+Prefix" entry may stand first or second only, and contributes no
//     output; an "+Affix" entry may stand anywhere, and contributes no
//     output. Their span of the word stays covered.
//   - Candidates are tried longest first; equal lengths put the output whose
//     first "#" stands further right first, and otherwise keep the order in
//     which the walk found them.
//   - A split whose last component ends with "Num-Std" is kept only when all
//     its components end with "Num-Std" or "Conj-Coord".
//   - Going deeper than max_components aborts the whole search: at most
//     max_components + 1 components make a split, and the splits recorded
//     before the abort stand. This is the search's bound on work and on the
//     number of splits, which otherwise grows exponentially with the length
//     of a word made of short entries.
// The variant that skips numbers also takes a run of digits (any Unicode
// decimal digits) and underscores after a component: a run of digits
// becomes a component of its own, its text followed by "+Num"; a run that
// begins with "_" is joined to the component before it.
//
// A search reads the network only and keeps its state in the call and in
// the caller's ResultsMementoV2: any number may run at once over a network.

#ifndef KAVERO_CORE_AFST_COMPOUND_SECTION_MATCHER_H_
#define KAVERO_CORE_AFST_COMPOUND_SECTION_MATCHER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core-afst/afst.h"

namespace zel {
namespace afst {

// One component of a split, or a candidate offered by a section walk.
struct EndOffsetResultPartV2 {
  EndOffsetResultPartV2(int64_t start, int64_t end, std::string output)
      : start(start), end(end), output(std::move(output)) {}

  // The output up to its first "+" (all of it when it has none).
  std::string_view literal() const;
  // The output from its first "+" on (empty when it has none).
  std::string_view tags() const;

  // Byte offsets, end exclusive: from the beginning of the word for a
  // component; from where its section walk started for a candidate.
  int64_t start;
  int64_t end;
  // What the entry's output labels spell, typically a stem and "+" tags;
  // emptied for "+Prefix" and "+Affix" entries.
  std::string output;
  // 100; 50 for a candidate found after a linking character.
  uint16_t weight = 100;
};

using CompoundSplit = std::vector<EndOffsetResultPartV2>;

// The state of one search. The caller makes it empty; afterwards the path
// is empty again and the splits hold the result, in the order found.
struct ResultsMementoV2 {
  // The components chosen so far on the current branch.
  CompoundSplit path;
  std::vector<CompoundSplit> splits;
};

namespace utf8_iterator {

// Searches the splits of the word [begin, end) from `start` (offsets count
// from `begin`) over the network and appends them to `state.splits`. Returns
// false when the search was aborted at the component limit, true otherwise;
// the splits found are in `state` either way. An `end` before `begin` raises
// std::out_of_range; a `start` outside [begin, end] raises std::logic_error;
// invalid UTF-8 raises utfcpp's errors.
bool match_section(ResultsMementoV2& state, const AFst& network, const char* start,
                   const char* begin, const char* end, int max_components);

// The same, with runs of digits and underscores split off.
bool match_section_skip_numbers(ResultsMementoV2& state, const AFst& network, const char* start,
                                const char* begin, const char* end, int max_components);

}  // namespace utf8_iterator

// Whether the output ends with "+gen" or "+def": no first component.
bool has_invalid_tags(const std::string& output);
// Whether the output, from its first "+" on, begins with "+Prefix" (false
// when it has no "+").
bool has_prefix_tag(const std::string& output);
// The same with "+Affix".
bool has_affix_tag(const std::string& output);
// Whether the number variant takes the code point into a run: "_" and the
// Unicode decimal digits.
bool skip_characters(unsigned int code_point);
// Whether the path of `state`, whose last component `last` has just been
// added, may be recorded as a split: always, unless `last` ends with
// "Num-Std"; then only when every component of the path ends with "Num-Std"
// or "Conj-Coord" (number words joined by coordinating conjunctions).
bool is_valid_compound(const ResultsMementoV2& state, const EndOffsetResultPartV2& last);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_COMPOUND_SECTION_MATCHER_H_
