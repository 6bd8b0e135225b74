// The compound lookups: a word the lexicon does not hold as a whole,
// analysed as a sequence of lexicon entries.
//
// Each lookup cuts the word with the section matcher
// (compound_section_matcher.h), ranks the splits (get_most_likely_components)
// and answers one text per split it keeps, written by construct_stem_v3:
//
//   "#$" surface-of-the-leading-components lemma-of-the-last "#" output ...
//
// For the word "Haustür" cut into the entries "haus" (output "Haus+Nn-Sg")
// and "tür" (output "Tür+Nn-Sg") that is "#$Haustür#Haus+Nn-Sg#Tür+Nn-Sg":
// the head stem keeps the word's own writing of every component but the
// last, and the last component's lemma with a lower-cased initial. A word
// that the lexicon holds as a whole gets no answer, so a language's chain
// lists its compound lookup after the plain one.
//
//   CompoundLookupV2 (type 3): at most 13 components.
//   CompoundLookupV3 (type 4): "max_components" from its configuration
//     (default 12: at most 13 components); drops splits in which a
//     component other than the last ends with "+gen" or "+def".
//   CompoundLookupNumbers (type 5): the search of V3 without that filter.
//
// The lookups apply their converter to the word before the search. The
// answer copies the surface of the leading components from the word as
// given, at the places the search found in the converted word; when the
// converter changes the number of characters, so that the places cannot be
// carried over, the converted word is copied instead.
//
// up() keeps all its state in the call and only reads the shared network:
// one lookup may serve several threads at once when its converter can.

#ifndef KAVERO_CORE_AFST_COMPOUND_LOOKUP_H_
#define KAVERO_CORE_AFST_COMPOUND_LOOKUP_H_

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/compound_section_matcher.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {

class CompoundLookupV2 : public LookupInterface {
 public:
  // A lookup over a shared network, or over a network of its own built from
  // the transducer; the converter may be empty.
  CompoundLookupV2(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter);
  CompoundLookupV2(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                   std::shared_ptr<ILookupConverter> converter);
  ~CompoundLookupV2() override;

  int32_t type() const override;
  std::vector<std::string> up(const std::string& word) override;

 private:
  // Held for its network and converter; its own matcher is not used.
  WordLookup lookup_;
};

class CompoundLookupV3 : public LookupInterface {
 public:
  // As for CompoundLookupV2; then set_configuration_parameters(config).
  CompoundLookupV3(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter,
                   const nlohmann::json& config);
  CompoundLookupV3(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                   std::shared_ptr<ILookupConverter> converter, const nlohmann::json& config);
  ~CompoundLookupV3() override;

  int32_t type() const override;
  std::vector<std::string> up(const std::string& word) override;

  // When `config` is an object holding "max_components", takes that value
  // as a 32-bit number (a boolean reads as 0 or 1, a fraction is cut toward
  // zero); a text, list, object or null there raises nlohmann::json's
  // type_error 302. Anything else leaves the limit as it is.
  void set_configuration_parameters(const nlohmann::json& config);

  // The search of `word` (after the converter): path empty, the splits in
  // the order found.
  ResultsMementoV2 get_candidates(const std::string& word) const;

  int32_t max_components() const { return max_components_; }

 private:
  friend class CompoundLookupNumbers;

  ResultsMementoV2 search(const std::string& converted) const;

  WordLookup lookup_;
  int32_t max_components_ = 12;
};

class CompoundLookupNumbers : public LookupInterface {
 public:
  // A lookup whose inner CompoundLookupV3 is made from these arguments.
  CompoundLookupNumbers(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter,
                        const nlohmann::json& config);
  CompoundLookupNumbers(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                        std::shared_ptr<ILookupConverter> converter, const nlohmann::json& config);
  ~CompoundLookupNumbers() override;

  int32_t type() const override;
  std::vector<std::string> up(const std::string& word) override;

 private:
  CompoundLookupV3 lookup_;
};

// Removes, keeping the order of the rest, every split without components
// and every split in which a component other than the last has an output
// ending with "+gen" or "+def".
void filter_genetives(std::vector<CompoundSplit>& splits);

// Chooses the splits to answer with, shortening the list in place.
// Negative when none remains: no split, or the word is a lexicon entry as a
// whole. Otherwise the fewest components win; between two splits of equal
// count, the one whose components' literals spell the word's beginning
// (byte-wise, against `word`) wins, and a noun ("+N...") as the last
// component decides the last place; undecided cases keep both (or all, when
// only the last component differs).
int32_t get_most_likely_components(const std::string& word, std::vector<CompoundSplit>& splits);

// The answer text of a split: "#$", the word's bytes before the last
// component's start, the last component's lemma (fst_label_stem of its
// output, the initial lower-cased when it is upper case), then "#" and the
// output of every component with a non-empty output ("#" left out before an
// output that begins with "#"). A word holding "#" gives
// construct_stem_v2(word, split) instead. The offsets are read in `word`.
std::string construct_stem_v3(const std::string& word, const CompoundSplit& split);
// "#" and the output of every component with a non-empty output; `word` is
// not read.
std::string construct_stem_v2(const std::string& word, const CompoundSplit& split);
// "#$", the whole word, then the component list of construct_stem_v3.
std::string construct_literal(const std::string& word, const CompoundSplit& split);

// The output up to its first "+" (all of it when it has none).
std::string fst_label_stem(const std::string& output);
// The position of the output's second "+"; std::string::npos when it has
// fewer than two.
std::size_t has_properties(const std::string& output);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_COMPOUND_LOOKUP_H_
