// The guesser lookup (type code 7): answers unknown lower-case words.
//
// A guesser network spells word forms; the lookup walks the word through it,
// allowing a few repairs on the way (see guesser_search.h), picks the best
// forms reached and answers with what the lexicon network gives for them,
// each reading marked "+guess" and "+nf". Without a lexicon network the
// forms themselves are the answer. Words of 50 bytes or more, and words
// with a character that is not lower case, are not guessed.
//
// A language's "guesser" lookups are made from its guesser chain; they serve
// one call at a time, since the lexicon lookup reuses its matcher.

#ifndef KAVERO_CORE_AFST_GUESSER_LOOKUP_H_
#define KAVERO_CORE_AFST_GUESSER_LOOKUP_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/guesser_search.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {

class GuesserLookup : public LookupInterface {
 public:
  // The longest word guessed, in bytes.
  static constexpr std::size_t kMaxWordBytes = 49;

  // The guesser network must not be null (std::invalid_argument); the
  // lexicon network and the converter (applied to the forms looked up in
  // the lexicon) may be.
  GuesserLookup(std::shared_ptr<AFst> guesser, std::shared_ptr<AFst> lexicon,
                std::shared_ptr<ILookupConverter> converter);
  ~GuesserLookup() override;

  int32_t type() const override;

  // The guesses for `word`, possibly none. Invalid UTF-8 in a word short
  // enough to be guessed raises utfcpp's errors.
  std::vector<std::string> up(const std::string& word) override;

  // Writes "  -g- " and the answer, one line per answer of up(word), to
  // standard output, flushing every line.
  void print_results(const std::string& word) override;

  // Stores a configuration that every later search holds; no key of it is
  // read.
  void set_guesser(std::shared_ptr<nlohmann::json> config);

  // The lookup of the forms in the lexicon network; null without one.
  WordLookup* lexicon() { return lexicon_.get(); }
  const std::shared_ptr<AFst>& guesser() const { return guesser_; }

 private:
  std::unique_ptr<WordLookup> lexicon_;
  std::shared_ptr<AFst> guesser_;
  std::shared_ptr<nlohmann::json> config_;
};

// True when every code point of the text is lower case (ICU's u_islower);
// true for the empty text. Invalid UTF-8 raises utfcpp's errors.
bool all_lowecase(const std::string& text);

// The answer of a search. The results are sorted by repairs (fewer first),
// then by score (higher first), keeping the order collected otherwise, and
// taken in that order:
//   - a form that begins with `text` (the unrepaired word): with a lexicon,
//     its lexicon readings marked "+guess" "+nf" are the answer at once, even
//     when there are none; without one, the bare form is added;
//   - then the form's lexicon readings marked "+guess" "+nf" are added, or
//     without a lexicon the form followed by "+guess";
//   - as soon as something was added, that is the answer.
std::vector<std::string> filter(GuesserLookup* lookup, const std::string& text,
                                std::vector<ResultEntry>& results);

// Writes `count` times two spaces to standard output; for tracing searches.
void indent(int count);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_GUESSER_LOOKUP_H_
