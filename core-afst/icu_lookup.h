// The character-class lookup (type code 10): a reading for a token from the
// Unicode general categories of its characters, without any lexicon.
//
// It stands in a language's lookup chain after the lexicon lookups, so that
// punctuation, currency signs, numbers and capitalised words that no lexicon
// knows still get a part of speech. The answer is the token itself followed
// by a tag:
//
//   dash, connector or other punctuation (Pd, Pc, Po)   "+Punct"
//   opening or initial punctuation (Ps, Pi)             "+Punct-Open"
//   closing or final punctuation (Pe, Pf)               "+Punct-Close"
//   currency symbol (Sc)                                "+Nn-Sym+currency"
//   a decimal digit anywhere (Nd)                       "+Num-Std"
//   a capitalised word                                  "+Prop-Std"
//
// The first punctuation or currency character decides for the whole token,
// wherever it stands; otherwise a digit anywhere makes a number; otherwise a
// token is a capitalised word when it begins with an upper-case letter and
// a lower-case or other letter (Ll, Lo) comes after the last character of
// any kind but those and upper-case letters: "Hello" and "HeLLO" are
// capitalised, "Hello" followed by a combining mark is not. A token whose text begins
// with "#" or a backslash is written with a leading backslash, which the
// readers of lexicon outputs drop, so that it is not read as a compound
// entry or lose its first character.

#ifndef KAVERO_CORE_AFST_ICU_LOOKUP_H_
#define KAVERO_CORE_AFST_ICU_LOOKUP_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core-afst/lookup_interface.h"

namespace zel {
namespace afst {

class ICULookup : public LookupInterface {
 public:
  // The converter is not kept: the categories are those of the token as
  // written.
  explicit ICULookup(std::shared_ptr<ILookupConverter> converter);
  ~ICULookup() override;

  int32_t type() const override;

  // An empty list, or the one text above. Bad UTF-8 raises utfcpp's
  // exceptions. Stateless: any number of threads may call it.
  std::vector<std::string> up(const std::string& word) override;

  // One line "  -g- " output per output of up(word), no heading line.
  void print_results(const std::string& word) override;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_ICU_LOOKUP_H_
