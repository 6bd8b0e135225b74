// The lexicon network: a transducer prepared once for fast lookups.
//
// Every dictionary of the system (morphology transducers, the language
// identifier's transducer, the lexicons of compiled domains, rule networks)
// is a vector transducer over the tropical arc whose labels are texts held in
// its symbol tables. Consulting a symbol table and comparing weights for
// every arc a lookup tries would dominate the lookup, so AFst copies the
// label texts into plain lists indexed by label id and keeps one final bit
// per state. It also classifies every input and output label once (what an
// input label can consume, what an output label adds to a result), which is
// what the matchers of lookup_matcher.h read per arc.
//
// A network never changes after construction and is shared read-only, by
// shared pointer, by any number of lookups on any number of threads. It
// shares the transducer with whoever built it, who must not change it.

#ifndef KAVERO_CORE_AFST_AFST_H_
#define KAVERO_CORE_AFST_AFST_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>

namespace zel {
namespace afst {

// What an input label can do when a walk tries its arc. A label may be
// several things at once: "??" also matches the character "?" itself, a
// class label ":digit:" also matches ":", a control label "#end1" also
// matches "#".
struct InputLabel {
  enum Flag : uint8_t {
    kEmpty = 1 << 0,        // the empty text: never matches
    kEpsilon = 1 << 1,      // "eps" or "EPS": consumes nothing
    kAny = 1 << 2,          // "??": any character but a space
    kClass = 1 << 3,        // ":name:" or ":#list#:": a character class
    kControl = 1 << 4,      // "#" and more than 4 bytes: consumes nothing
    kEndControl = 1 << 5,   // a control label beginning with "#end"
    kShort = 1 << 6,        // at most 5 bytes long
    kBadFirst = 1 << 7,     // the first character is not valid UTF-8
  };
  // The first code point of the label; meaningful unless the label is empty
  // or kBadFirst is set.
  uint32_t first = 0;
  uint8_t flags = 0;

  static InputLabel classify(const std::string& text);
};

// A state's arcs in a network's arc array: [begin, end).
struct ArcSpan {
  uint32_t begin = 0;
  uint32_t end = 0;
};

// One arc as the lookup walks read it. The arcs of all states reachable from
// the start state lie in one array, each state's arcs together and in their
// stored order, with the input label's class, the target's finality and the
// place of the target's arcs at hand, so that trying an arc and entering its
// target touch nothing else. The states are laid out depth first from the
// start state, so that the states of one path lie close together.
struct LookupArc {
  enum Flag : uint8_t {
    kTargetFinal = 1 << 0,
    kInputBeyondList = 1 << 1,   // the input id has no entry in the lists
    kOutputBeyondList = 1 << 2,  // the output id has no entry in the lists
  };
  uint32_t first;        // InputLabel::first of the input label
  uint8_t input_flags;   // InputLabel::flags of the input label
  uint8_t flags;
  int32_t input;         // label ids and target state as in the transducer
  int32_t output;
  int32_t target;
  ArcSpan target_arcs;   // the target's arcs
};

// What an output label adds to a result (see lookup_matcher.h).
enum class OutputLabel : uint8_t {
  kNothing,  // "eps" or the empty text
  kInput,    // "input": the input text itself
  kIn,       // "in": one input character
  kText,     // any other text, copied
};

OutputLabel classify_output(const std::string& text);

class AFst {
 public:
  using Transducer = fst::VectorFst<fst::StdArc>;

  // Builds the network. The transducer must have both symbol tables;
  // a null transducer, a missing table, or a start state or arc target that
  // is no state of the transducer raises std::invalid_argument.
  explicit AFst(std::shared_ptr<Transducer> transducer);

  AFst(const AFst&) = delete;
  AFst& operator=(const AFst&) = delete;

  const std::shared_ptr<Transducer>& transducer() const { return transducer_; }
  const Transducer& fst() const { return *transducer_; }

  // Label texts by id, for every id from 0 to the symbol table's symbol
  // count minus 1; an id without a symbol has the empty text. Read them with
  // at(): an id beyond a list is an error of the network.
  const std::vector<std::string>& input_symbols() const { return input_symbols_; }
  const std::vector<std::string>& output_symbols() const { return output_symbols_; }

  // One bit per state, in state order: set when the state's final weight is
  // not the tropical zero (+infinity).
  const std::vector<bool>& final_states() const { return final_states_; }
  bool is_final(int state) const { return final_states_[state]; }

  // The classified labels, parallel to the text lists.
  const std::vector<InputLabel>& input_labels() const { return input_labels_; }
  const std::vector<OutputLabel>& output_labels() const { return output_labels_; }

  // The start state (fst::kNoStateId when there is none), its arcs in the
  // arc array, and the array.
  int start() const { return start_; }
  ArcSpan start_arcs() const { return start_arcs_; }
  const std::vector<LookupArc>& arcs() const { return arcs_; }

  // Seconds since the epoch of the file the transducer was read from, for
  // callers that reload changed files; -1 when unknown. The network itself
  // never sets it.
  int64_t file_time = -1;

 private:
  std::shared_ptr<Transducer> transducer_;
  std::vector<std::string> input_symbols_;
  std::vector<std::string> output_symbols_;
  std::vector<bool> final_states_;
  std::vector<InputLabel> input_labels_;
  std::vector<OutputLabel> output_labels_;
  int start_;
  ArcSpan start_arcs_;
  std::vector<LookupArc> arcs_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_AFST_H_
