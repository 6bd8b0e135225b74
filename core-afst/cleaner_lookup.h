// The cleaner lookup (type code 6): words with stretched letters, such as
// "helllo", looked up in their cleaned forms.
//
// A run of three or more equal bytes is shortened to a double, and the
// double may stand for a single letter as well: "helllo" gives the variants
// "hello" and "helo". Each variant is looked up, in byte order, with an
// inner word lookup over the same lexicon and converter, and every answer
// gets the property "+cleanup". The word as written is never looked up here:
// the chain's plain lookups do that.
//
// Limits: words of 80 bytes or more, words with more than 3 stretched runs
// and words whose shortened form has 2 bytes or fewer are not answered.
//
// Runs are runs of equal bytes, not characters: a two-byte letter repeated
// three times forms no run. UTF-8 continuation bytes never form runs, so
// that a four-byte character whose last three bytes are equal (U+100000 is
// F4 80 80 80) is never cut into broken UTF-8.

#ifndef KAVERO_CORE_AFST_CLEANER_LOOKUP_H_
#define KAVERO_CORE_AFST_CLEANER_LOOKUP_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {

class CleanerLookup : public LookupInterface {
 public:
  // The inner word lookup shares the network and the converter.
  CleanerLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter);
  ~CleanerLookup() override;

  int32_t type() const override;

  // The lexicon outputs of the variants, each followed by "+cleanup": the
  // outputs of the variant that sorts first, then those of the next, not
  // merged. One call at a time per lookup (the inner word lookup reuses its
  // matcher).
  std::vector<std::string> up(const std::string& word) override;

  // One line "  -g- " output per output of up(word), no heading line.
  void print_results(const std::string& word) override;

 private:
  WordLookup lookup_;
};

// The helpers of the cleaner. A run below is a maximal run of one byte value
// that is not a UTF-8 continuation byte (10xxxxxx).

// Rewrites the zero-terminated `buffer` of `length` bytes in place: every
// run of 3 or more becomes a double, shorter runs stay. Zero-terminates the
// result, sets `length` to its length and returns, for each shortened run in
// order, the index of its double in the result: "helllo" gives "hello" and
// {2}, "sooo goood" gives "soo good" and {1, 5}.
std::vector<int32_t> clean_word_tree_consecutive_char(char* buffer, int32_t& length);

// Adds to `variants` the word and every word made from it by shortening any
// selection of the doubles at `positions` (indexes of their first bytes) to
// a single byte: 2, 4 or 8 variants for 1, 2 or 3 positions. `first` is the
// lowest index into `positions` that is shortened, `depth` counts the
// recursion; both are 0 at the top. A word already in the set is not
// expanded again.
void generate_permutations(std::set<std::string>& variants, const char* word, int32_t length,
                           const std::vector<int32_t>& positions, int32_t first, int32_t depth);

// Appends "+cleanup" to every text of the list.
void addProperty(std::vector<std::string>& results);

// Rewrites the zero-terminated `buffer` in place with every run of 2 or more
// collapsed to one byte; zero-terminates it, sets `length` and returns true
// when the length changed.
bool copy_cleanword(char* buffer, int32_t& length);

// The indexes i, ascending, where byte i and byte i + 1 are equal bytes of a
// run: three equal bytes give two indexes.
std::vector<int32_t> clean_word_two_consecutive_char(const char* buffer, const int32_t& length);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_CLEANER_LOOKUP_H_
