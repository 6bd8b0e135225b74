// The rules of a language's postagger transducer and the walk that weighs a
// token's readings by them.
//
// A postagger's paths spell a reading's part of speech character by
// character, may step to a neighbouring token of the sentence to test its
// part of speech, stem or properties, and carry scores on their output
// labels. Input labels, by their text:
//   - any label whose first character is the next character of the text
//     being spelled: a character step (tried first, for every label);
//   - "eps" or "EPS": an empty step, consuming nothing;
//   - 3 or more bytes beginning with "+" or "-": a context step. The second
//     byte names what is tested ("p" part of speech, "s" stem, "m" a
//     property, named by the label from its fifth byte on), the third byte
//     is the distance, a digit, counted back for "-" and forward for "+";
//   - anything else never matches.
// Output labels beginning with "#" carry a score: the number after the "#"
// (0 when none follows); other labels score nothing.
//
// A reading's weight becomes the score of the first accepted path (arcs in
// stored order, depth first): the sum of the scores along the whole path,
// context steps included. A path is accepted when it reaches a final state
// having spelled the whole text, or the text up to and including a "-"
// ("Nn-" accepts "Nn-Sg"), or, after a property step, at once.
//
// The labels are checked once, when the rules are made from the transducer:
// a label id outside the symbol tables, an input label without a first
// character or whose first character is not valid UTF-8, a context label
// whose distance is no digit and a property label that names no property
// are refused there, so that a language never loads rules that would fail
// on documents. The walk's depth is bounded (kMaxDepth), so that cycles of
// steps that consume nothing (empty steps, context steps) end.
//
// Postagger is immutable and shared by every document of the language;
// Scorer belongs to one document on one thread and keeps its stack and
// results across tokens.

#ifndef KAVERO_LANGUAGE_POSTAGGER_H_
#define KAVERO_LANGUAGE_POSTAGGER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/annotation.h"

namespace zel {
namespace afst {
class AFst;
struct LookupArc;
}  // namespace afst

namespace kavero {
namespace disambiguation {

class Postagger {
 public:
  // What an input label does besides a character step.
  struct InputRule {
    enum Kind : uint8_t {
      kNothing,   // only a character step
      kEpsilon,   // "eps" or "EPS"
      kContext,   // "+" or "-", a kind byte and a distance
    };
    // The label's first code point; every label has one.
    uint32_t first = 0;
    Kind kind = kNothing;
    // For a context step: 'p', 's', 'm', or another byte that tests nothing.
    char test = 0;
    // For a context step: the signed distance.
    int distance = 0;
    // For a property step: the property name.
    std::string property;
  };

  // Prepares the rules of the transducer, checking the labels of every arc
  // reachable from the start state. A null transducer raises
  // std::invalid_argument; a malformed label raises std::invalid_argument
  // naming the state, the label id and what is wrong.
  explicit Postagger(std::shared_ptr<afst::AFst> afst);

  Postagger(const Postagger&) = delete;
  Postagger& operator=(const Postagger&) = delete;

  const afst::AFst& afst() const { return *afst_; }
  const std::shared_ptr<afst::AFst>& shared_afst() const { return afst_; }

  // By label id; only ids used on arcs are meaningful.
  const InputRule& input(int32_t id) const { return inputs_[id]; }
  // The score of an output label id.
  double score(int32_t id) const { return scores_[id]; }

 private:
  std::shared_ptr<afst::AFst> afst_;
  std::vector<InputRule> inputs_;
  std::vector<double> scores_;
};

// Weighs the readings of a document's tokens by a postagger's rules.
class Scorer {
 public:
  // The deepest a path may go, in steps from the start state; a step that
  // would go deeper is not taken.
  static constexpr size_t kMaxDepth = 256;
  // The most arcs one reading's walk may try. Cycles that branch (two empty
  // steps back into one state, a context step into a state before it) make
  // the number of paths grow exponentially with the depth; such a walk is
  // stopped with an error rather than left to run for ever.
  static constexpr size_t kMaxSteps = 1 << 20;

  // The rules must outlive the scorer.
  explicit Scorer(const Postagger& rules);

  Scorer(const Scorer&) = delete;
  Scorer& operator=(const Scorer&) = delete;

  // Starts work on a sentence's own annotation list, in which context steps
  // look for neighbouring tokens.
  void reset(const AnnotationCollection* sentence);

  // Sets the weight of every reading of the token at the position (of the
  // list given to reset) to the score of its first accepted path; a reading
  // without one, and every reading when the transducer has no start state,
  // keeps its weight. Nothing for an annotation that is no token. A reading
  // text that is not valid UTF-8 raises the UTF-8 library's error; a walk
  // that tries more than kMaxSteps arcs raises zel::Exception.
  void operator()(RawPtrIterator position);

 private:
  struct Item {
    int state;
    // The item's arcs still to try: [next, end) of the network's arc array.
    uint32_t next;
    uint32_t end;
    // Where the text stood before the step that led to this item; popping
    // the item puts the text back there.
    size_t saved;
    // The score of the output label of that step.
    double score;
  };
  // The text being spelled at one level of the walk.
  struct Input {
    const std::string* text;
    size_t current;
  };

  void search(size_t level, Input& input);
  void check(Input& input);
  void match(const Postagger::InputRule& rule, const afst::LookupArc& arc,
             double score);
  void walk_context(size_t level, const std::string& text,
                    const afst::LookupArc& arc, double score);
  void walk_property(size_t level, const afst::LookupArc& arc, double score);
  // False, and nothing pushed, at the depth bound.
  bool push(const afst::LookupArc& arc, size_t saved, double score);
  // Records the score of the path on the stack followed by a step scoring
  // `score`.
  void collect(double score);

  const Postagger& rules_;
  const afst::AFst& afst_;
  const AnnotationCollection* sentence_ = nullptr;
  Annotation* token_ = nullptr;
  std::vector<Item> stack_;
  std::vector<double> results_;
  // Arcs tried in the current reading's walk.
  size_t steps_ = 0;
};

// Removes every reading of the token whose weight is below the greatest
// weight among its readings; readings that tie with it stay, in order.
void keep_best_readings(Token& token);

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_POSTAGGER_H_
