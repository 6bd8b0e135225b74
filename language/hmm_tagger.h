// The part-of-speech tagger: picks one tag per token of a sentence with a
// first-order hidden Markov model over the language's tables (hmm_tables.h),
// and keeps only the readings of the chosen tag.
//
// The states of a token are the tag ids of its readings. A path through a
// sentence scores start(first tag) x emission(first token, first tag), then
// for every further token transition(previous tag, tag) x emission(token,
// tag); the best path is found by Viterbi decoding. The emission of a
// reading is the table's value for literal "^^" tag, else for "dummy^^" tag;
// every value the tables lack is the floor, 1e-13.
//
// A walk over a sentence's list:
//   - Only tokens take part whose flag 0x100 (markup) is clear; other
//     annotations and markup tokens are passed over, and the tokens on
//     either side of them are neighbours.
//   - A token without readings that follows another in its window is given
//     the reading "Nn-Std" with its literal as stem; so is the token before
//     it when that is the window's first token and has none, which is then
//     scored as a first token would have been.
//   - Sentences are decoded in windows: once a window holds 30 tokens it
//     ends at the first token with a punctuation reading, at the 50th token
//     at the latest, and the next token starts a new window with start
//     probabilities. A window of one token without readings changes nothing.
//   - Ties: into a state, of equal scores the path through the later reading
//     of the previous token wins; in a window's last token, the lowest tag id
//     among the best.
//   - Afterwards each token keeps only the readings of its chosen tag, and
//     every later one of those with the first one's stem is merged into the
//     first (its properties that the first lacks are appended) and removed.
//
// Scores are products in single precision whose exponent is kept apart
// (hmm_probability.h), so they never underflow; where a plain float product
// would not underflow, the scores, and so the tags, are the same as its.
//
// The tables are only read; a walk works on its own decoder, so walks over
// different documents may run at once. A document (its blackboard and
// annotations) is tagged by one thread at a time.
//
// On a blackboard the tables are those of its language module; a
// blackboard without one tags with empty tables, where every probability
// is the floor (whether to tag at all is can_execute's question).

#ifndef KAVERO_LANGUAGE_HMM_TAGGER_H_
#define KAVERO_LANGUAGE_HMM_TAGGER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "language/hmm_probability.h"
#include "language/hmm_tables.h"

namespace zel {
namespace kavero {

class AnnotationCollection;
class Blackboard;
class Sentence;
class Token;

namespace core {
namespace hmm {

// The tagger of one document, kept by its blackboard (hmm_store).
class EngineInterface {
 public:
  // Tags every sentence of a document list with the blackboard's tables.
  virtual void execute(const Blackboard& blackboard,
                       AnnotationCollection& annotations) = 0;
  virtual ~EngineInterface();
};

// Whether the blackboard's language has tagger tables (a non-empty
// emission table); false without a language module.
bool can_execute(Blackboard& blackboard);

// The blackboard's tagger, made and kept in its hmm_store on first use.
EngineInterface* get_store(Blackboard& blackboard);

namespace agent {
// A new tagger; the blackboard is not used.
std::shared_ptr<EngineInterface> create(Blackboard* blackboard);
}  // namespace agent

// Tags the blackboard's document list with its tagger (get_store); true.
bool execute(Blackboard& blackboard);

// Tags one sentence of the blackboard's document, whether or not the
// language has tables; the second dictionary pass calls it for a sentence
// whose readings it changed.
void sentence(const Blackboard& blackboard, Sentence& sentence);

// One walk over a sentence's own list (tokens, concepts, markers).
void tag_sentence(const Resource& tables, AnnotationCollection& annotations);

// One walk over the own list of every sentence of a document list, in
// order; other annotations of the list are passed over.
void tag_document(const Resource& tables, AnnotationCollection& document);

namespace detail {

// The only tagger; it holds nothing, each walk has its own decoder.
class engine : public EngineInterface {
 public:
  void execute(const Blackboard& blackboard,
               AnnotationCollection& annotations) override;
};

// One state of a lattice column.
struct PosData {
  // The tag of the best previous state; 0 in a window's first column.
  uint32_t previous = 0;
  // The score of the best path ending in this state.
  Probability probability;
};

// One lattice column: a token and its states by ascending tag id.
struct viterbi_element {
  explicit viterbi_element(Token* t) : token(t) {}

  // The state of a tag; null when the column has none.
  PosData* find(uint32_t tag);
  // The state of a tag, added with `state` when the column has none; the
  // second member tells whether it was added.
  std::pair<PosData*, bool> insert(uint32_t tag, const PosData& state);

  Token* token;
  std::vector<std::pair<uint32_t, PosData>> states;
};

// The decoder of one walk: the lattice of the window being decoded.
class CalculatePermutation {
 public:
  explicit CalculatePermutation(const Resource* tables);
  // Decodes the window still pending when the walk is left by an exception
  // (errors of that decoding are dropped: one is already on its way).
  ~CalculatePermutation();

  CalculatePermutation(const CalculatePermutation&) = delete;
  CalculatePermutation& operator=(const CalculatePermutation&) = delete;

  // Scores a token that takes part in the walk into the window, and decodes
  // the window when it ends at the token.
  void add(Token* token);

  // Decodes the pending window, keeps the chosen readings of its tokens and
  // empties it. Does nothing to an empty window.
  void apply_viterbi_algo();

  const std::vector<viterbi_element>& columns() const { return columns_; }

 private:
  Probability emission(const Token& token, const std::string& pos) const;
  Probability start(uint32_t tag) const;
  // Scores a window's first column from its token's readings.
  void score_first(viterbi_element& column) const;

  const Resource* tables_;
  std::vector<viterbi_element> columns_;
  // Emissions of the current token's readings, reused between tokens.
  std::vector<Probability> emissions_;
  // The key of the emission looked up last, reused so that looking up
  // needs no new text per reading.
  mutable std::string emission_key_;
};

// Lists a lattice on standard output, for debugging:
//   [HMM][RESULTS]
//     <literal> [<pos>,<pos>,]
//      -- posid=0x<previous tag, hex>:<tag name>:<score>
// A state of tag id 0 ends the listing with zel::Exception "Invalid tag, not
// in the pos_table, index:" + its previous tag id in hexadecimal.
void print(const std::vector<viterbi_element>& lattice);

}  // namespace detail
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_HMM_TAGGER_H_
