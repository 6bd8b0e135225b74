// The lookup matchers: the depth-first walk that matches a text against a
// lexicon network, and how results are collected from it.
//
// The walk. A stack starts with the start state at the input's beginning
// (a transducer without a start state gives nothing). Each step takes the
// top entry's next arc, so arcs are tried in the state's stored order and the
// walk goes depth first; an entry whose arcs are exhausted is popped, and the
// walk goes on at the input position that the entry below recorded. One arc,
// with input label L, output label O, target T, at position p:
//   - L empty: matches nothing.
//   - L "eps" or "EPS": consumes nothing; when T is final and the end policy
//     allows a result at p, a result is recorded; T is pushed at p.
//   - Otherwise, when there is a character c at p, L consumes it when L's
//     first character is c (the network matchers compare the first character
//     alone, so a label "ab" consumes "a"; the transducer matchers also want
//     L to be at most 5 bytes long), when L is "??" and c is not a space, or
//     when L names a character class holding c (":name:" or ":#list#:", see
//     zel::string::check_character_class). Then a result is recorded when T
//     is final and the policy allows one after c, and T is pushed after c.
//   - Otherwise, when L is a control label ("#" and more than 4 bytes), it
//     consumes nothing: a non-final T is pushed at p; at a final T a label
//     beginning with "#end" records a result when the policy allows one at p
//     (the network matchers then push T as well, the transducer matchers do
//     not); a final T is pushed in no other case.
// There is no visited set, so every path is walked and the same state may be
// entered many times. A walk also ends when its iteration budget runs out
// (every step counts), so that a cycle of arcs that consume nothing cannot
// hang a lookup, or when its collector is full; it keeps what it found.
//
// Results. The network collectors (DefaultResultCollector, sorted and
// distinct; ResultCollectorUnsorted, in the order found) assemble a result
// text S from the outputs of the stack entries, bottom to top, and of the
// last arc, with a second position C that starts at the input's beginning:
//   - "eps" and the empty text add nothing;
//   - "input": when S is still empty it becomes the input text up to the
//     result's position;
//   - "in": the character at C is appended and C moves on (nothing at the end);
//   - any other text is appended, and for a stack entry C moves on one
//     character (so a lexicon writing one output label per input character
//     can copy characters with "in").
// EndOffsetResultCollector pairs the result's end offset (given by the input:
// bytes from the beginning, or minus the code points consumed from the end)
// with the plain concatenation of the outputs other than "eps"; it takes at
// most 21 pairs and then ends the walk.
//
// Errors. Bad UTF-8 in the input or in a label that a step compares raises
// utfcpp's exceptions; a label id beyond a network's lists raises
// std::out_of_range. The walk is abandoned; the next walk starts afresh.
//
// A matcher keeps its stack (and, for the network matchers, its results) to
// reuse them: one walk at a time per matcher.

#ifndef KAVERO_CORE_AFST_LOOKUP_MATCHER_H_
#define KAVERO_CORE_AFST_LOOKUP_MATCHER_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <utf8.h>

#include "base/normalize.h"
#include "core-afst/afst.h"
#include "core-afst/state_item.h"

namespace zel {
namespace afst {

// Iteration budgets. The range and endings walks over domain lexicons and
// endings networks get 10000 steps. A word walk must be able to scan the
// fat first states of lexicons with large alphabets (thousands of arcs in a
// CJK lexicon's start state) several times, so it gets more; it still stops
// an endless cycle of arcs that consume nothing within a fraction of a
// millisecond.
inline constexpr uint64_t kTransducerWalkBudget = 10000;
inline constexpr uint64_t kNetworkWalkBudget = 100000;

// The output id of the start entry, which no arc led to.
inline constexpr int64_t kNoOutput = -1;

// ---------------------------------------------------------------------------
// Inputs: where a walk reads its characters.

// UTF-8 text from `begin` to `end`, read forwards.
class Utf8Input {
 public:
  using Position = const char*;

  // An end before the beginning raises std::out_of_range.
  Utf8Input(const char* begin, const char* end) : begin_(begin), end_(end) {
    if (end < begin) throw std::out_of_range("Invalid utf-8 iterator position");
  }

  Position begin() const { return begin_; }
  Position end() const { return end_; }
  bool at_end(Position p) const { return p == end_; }
  // The character at `p` (not at the end); `*next` becomes the position
  // after it. Bad UTF-8 raises utfcpp's exceptions.
  uint32_t read(Position p, Position* next) const {
    uint32_t c = utf8::next(p, end_);
    *next = p;
    return c;
  }
  int32_t offset(Position p) const { return static_cast<int32_t>(p - begin_); }

 private:
  const char* begin_;
  const char* end_;
};

// A list of code points read from its last towards its first. A position
// is the number of code points consumed.
class ReverseCodePointInput {
 public:
  using Position = std::size_t;

  explicit ReverseCodePointInput(const std::vector<uint32_t>& code_points)
      : code_points_(code_points.data()), size_(code_points.size()) {}

  Position begin() const { return 0; }
  bool at_end(Position p) const { return p == size_; }
  uint32_t read(Position p, Position* next) const {
    *next = p + 1;
    return code_points_[size_ - 1 - p];
  }
  int32_t offset(Position p) const { return -static_cast<int32_t>(p); }

 private:
  const uint32_t* code_points_;
  std::size_t size_;
};

// ---------------------------------------------------------------------------
// End policies: where a walk that reaches a final state may record a result.

// Only where the whole input is consumed.
struct DefaultIteratorPolicy {
  template <class Input>
  static bool allows(const Input& input, typename Input::Position p) {
    return input.at_end(p);
  }
};

// Where the input is consumed or its next character is a space.
struct SpaceEndPolicy {
  template <class Input>
  static bool allows(const Input& input, typename Input::Position p) {
    if (input.at_end(p)) return true;
    typename Input::Position next;
    return input.read(p, &next) == 0x20;
  }
};

// At every final state reached.
struct AlwasyTrueEndPolicy {
  template <class Input>
  static bool allows(const Input&, typename Input::Position) {
    return true;
  }
};

// ---------------------------------------------------------------------------
// Label sources.

// Labels from the network's lists; an id beyond a list raises
// std::out_of_range.
class AFSTDefauldSymbolTraits {
 public:
  explicit AFSTDefauldSymbolTraits(const AFst& network) : network_(&network) {}

  InputLabel input(const LookupArc& arc) const {
    if (arc.flags & LookupArc::kInputBeyondList) return network_->input_labels().at(arc.input);
    return InputLabel{arc.first, arc.input_flags};
  }
  const std::string& input_text(int64_t id) const { return network_->input_symbols().at(id); }
  void check_output(const LookupArc& arc) const {
    if (arc.flags & LookupArc::kOutputBeyondList) (void)network_->output_labels().at(arc.output);
  }
  OutputLabel output(int64_t id) const {
    return id == kNoOutput ? OutputLabel::kNothing : network_->output_labels().at(id);
  }
  const std::string& output_text(int64_t id) const { return network_->output_symbols().at(id); }

 private:
  const AFst* network_;
};

// Labels from the transducer's own symbol tables, where an id without a
// symbol reads as the empty text. The network's lists are copies of those
// tables (the transducer never changes), so they serve every id they hold
// and only ids beyond them go to the tables.
class DefauldSymbolTraits {
 public:
  explicit DefauldSymbolTraits(const AFst& network) : network_(&network) {}

  InputLabel input(const LookupArc& arc) const {
    if (arc.flags & LookupArc::kInputBeyondList) return InputLabel::classify(input_text(arc.input));
    return InputLabel{arc.first, arc.input_flags};
  }
  const std::string& input_text(int64_t id) const {
    const auto& texts = network_->input_symbols();
    if (id >= 0 && static_cast<std::size_t>(id) < texts.size()) return texts[id];
    scratch_ = network_->fst().InputSymbols()->Find(id);
    return scratch_;
  }
  void check_output(const LookupArc&) const {}
  OutputLabel output(int64_t id) const {
    if (id == kNoOutput) return OutputLabel::kNothing;
    const auto& kinds = network_->output_labels();
    if (id >= 0 && static_cast<std::size_t>(id) < kinds.size()) return kinds[id];
    return classify_output(output_text(id));
  }
  const std::string& output_text(int64_t id) const {
    const auto& texts = network_->output_symbols();
    if (id >= 0 && static_cast<std::size_t>(id) < texts.size()) return texts[id];
    scratch_ = network_->fst().OutputSymbols()->Find(id);
    return scratch_;
  }

 private:
  const AFst* network_;
  mutable std::string scratch_;
};

// ---------------------------------------------------------------------------
// Result collectors.

namespace internal {

// The result text of the network collectors (see the top of this file).
template <class Labels, class Stack>
void assemble_network_result(const Utf8Input& input, const char* at, const Labels& labels,
                             const Stack& stack, int64_t last_output, std::string& result) {
  result.clear();
  const char* c = input.begin();
  auto add = [&](int64_t id, bool moves) {
    switch (labels.output(id)) {
      case OutputLabel::kNothing:
        break;
      case OutputLabel::kInput:
        if (result.empty()) result.assign(input.begin(), at);
        break;
      case OutputLabel::kIn:
        if (!input.at_end(c)) {
          const char* next;
          input.read(c, &next);
          result.append(c, next);
          c = next;
        }
        break;
      case OutputLabel::kText:
        result += labels.output_text(id);
        if (moves && !input.at_end(c)) input.read(c, &c);
        break;
    }
  };
  for (const auto& entry : stack) add(entry.output, true);
  add(last_output, false);
}

}  // namespace internal

// Sorted (byte-wise) distinct result texts.
class DefaultResultCollector {
 public:
  using Results = std::vector<std::string>;

  template <class Labels, class Stack>
  void add(const Utf8Input& input, const char* at, const Labels& labels, const Stack& stack,
           int64_t last_output) {
    internal::assemble_network_result(input, at, labels, stack, last_output, text_);
    auto place = std::lower_bound(results_.begin(), results_.end(), text_);
    if (place == results_.end() || *place != text_) results_.insert(place, text_);
  }
  bool full() const { return false; }
  void clear() { results_.clear(); }
  Results& results() { return results_; }

 private:
  Results results_;
  std::string text_;
};

// Result texts in the order found, duplicates kept.
class ResultCollectorUnsorted {
 public:
  using Results = std::vector<std::string>;

  template <class Labels, class Stack>
  void add(const Utf8Input& input, const char* at, const Labels& labels, const Stack& stack,
           int64_t last_output) {
    results_.emplace_back();
    internal::assemble_network_result(input, at, labels, stack, last_output, results_.back());
  }
  bool full() const { return false; }
  void clear() { results_.clear(); }
  Results& results() { return results_; }

 private:
  Results results_;
};

// (end offset, output text) pairs in the order found, into the caller's
// list; at most 21 pairs.
class EndOffsetResultCollector {
 public:
  using Results = std::vector<std::pair<int32_t, std::string>>;
  static constexpr std::size_t kMaxResults = 21;

  explicit EndOffsetResultCollector(Results* results) : results_(results) {}

  template <class Input, class Labels, class Stack>
  void add(const Input& input, typename Input::Position at, const Labels& labels,
           const Stack& stack, int64_t last_output) {
    if (results_->size() >= kMaxResults) {
      full_ = true;
      return;
    }
    std::string text;
    auto add_output = [&](int64_t id) {
      if (labels.output(id) != OutputLabel::kNothing) text += labels.output_text(id);
    };
    for (const auto& entry : stack) add_output(entry.output);
    add_output(last_output);
    results_->emplace_back(input.offset(at), std::move(text));
    if (results_->size() >= kMaxResults) full_ = true;
  }
  bool full() const { return full_; }
  Results& results() { return *results_; }

 private:
  Results* results_;
  bool full_ = false;
};

// ---------------------------------------------------------------------------
// The walk.

namespace internal {

// How the two matcher families differ in the arc step. The network walks
// also charge every result they record to the budget, one step per stack
// entry that the result's text is assembled from: a cycle of arcs that
// consume nothing through a final state would otherwise record a result on
// every turn from an ever deeper stack, and cost the square of the budget.
struct NetworkRules {
  static constexpr bool kShortLabelsOnly = false;
  static constexpr bool kPushAfterEndControl = true;
  static constexpr bool kChargeResults = true;
};
struct TransducerRules {
  static constexpr bool kShortLabelsOnly = true;
  static constexpr bool kPushAfterEndControl = false;
  static constexpr bool kChargeResults = false;
};

// A state's arcs in the network's arc array.
struct ArcCursor {
  const LookupArc* next;
  const LookupArc* end;
  bool Done() const { return next == end; }
  const LookupArc& Value() const { return *next; }
  void Next() { ++next; }
};

template <class Position>
using WalkStack = std::vector<StateItem<ArcCursor, Position, int64_t>>;

template <class Rules, class EndPolicy, class Input, class Labels, class Collector>
void walk(const AFst& network, const Labels& labels, const Input& input,
          WalkStack<typename Input::Position>& stack, Collector& collector, uint64_t budget) {
  using Position = typename Input::Position;
  stack.clear();
  if (network.start() == fst::kNoStateId) return;
  const LookupArc* arcs = network.arcs().data();
  auto push = [&](int state, ArcSpan span, Position at, int64_t output) {
    stack.push_back({state, ArcCursor{arcs + span.begin, arcs + span.end}, at, output});
  };
  push(network.start(), network.start_arcs(), input.begin(), kNoOutput);

  // The character at the top entry's position, decoded once per position.
  bool decoded = false;
  Position decoded_at{};
  Position after{};
  uint32_t c = 0;

  uint64_t iterations = 0;
  // Records a result; false when the walk is to end.
  auto record = [&](Position at, int64_t output) {
    collector.add(input, at, labels, stack, output);
    if (Rules::kChargeResults) iterations += stack.size();
    return !collector.full();
  };
  while (!stack.empty()) {
    if (++iterations > budget) break;
    auto& top = stack.back();
    if (top.arcs.Done()) {
      stack.pop_back();
      continue;
    }
    const LookupArc& arc = top.arcs.Value();
    top.arcs.Next();
    const Position at = top.position;
    // `top` is not used below: a push may move the stack.
    const InputLabel label = labels.input(arc);
    if (label.flags & InputLabel::kEmpty) continue;
    const bool final = arc.flags & LookupArc::kTargetFinal;

    if (label.flags & InputLabel::kEpsilon) {
      labels.check_output(arc);
      if (final && EndPolicy::allows(input, at)) {
        if (!record(at, arc.output)) break;
      }
      push(arc.target, arc.target_arcs, at, arc.output);
      continue;
    }

    if (!input.at_end(at)) {
      if (!decoded || decoded_at != at) {
        c = input.read(at, &after);
        decoded_at = at;
        decoded = true;
      }
      if (label.flags & InputLabel::kBadFirst) {
        // Raises the label's UTF-8 error.
        const std::string& text = labels.input_text(arc.input);
        auto it = text.begin();
        utf8::next(it, text.end());
      }
      const bool consumes =
          (label.first == c && (!Rules::kShortLabelsOnly || (label.flags & InputLabel::kShort))) ||
          ((label.flags & InputLabel::kAny) && c != 0x20) ||
          ((label.flags & InputLabel::kClass) &&
           zel::string::check_character_class(c, labels.input_text(arc.input)));
      if (consumes) {
        labels.check_output(arc);
        const Position next = after;
        if (final && EndPolicy::allows(input, next)) {
          if (!record(next, arc.output)) break;
        }
        push(arc.target, arc.target_arcs, next, arc.output);
        continue;
      }
    }

    if (label.flags & InputLabel::kControl) {
      labels.check_output(arc);
      if (!final) {
        push(arc.target, arc.target_arcs, at, arc.output);
      } else if ((label.flags & InputLabel::kEndControl) && EndPolicy::allows(input, at)) {
        if (!record(at, arc.output)) break;
        if (Rules::kPushAfterEndControl) push(arc.target, arc.target_arcs, at, arc.output);
      }
    }
  }
  stack.clear();
}

}  // namespace internal

// ---------------------------------------------------------------------------
// Matchers over a lexicon network.

// The walk over a network with the network's label lists and final bits.
// Holds its stack and collector for reuse; the network must outlive it.
template <class EndPolicy, class Collector>
class AFSTArcMatcher {
 public:
  explicit AFSTArcMatcher(const AFst& network, uint64_t budget = kNetworkWalkBudget)
      : network_(&network), labels_(network), budget_(budget) {
    stack_.reserve(50);
  }

  // Walks `input`, adding to the results already collected.
  void walk(const Utf8Input& input) {
    internal::walk<internal::NetworkRules, EndPolicy>(*network_, labels_, input, stack_,
                                                      collector_, budget_);
  }

  Collector& collector() { return collector_; }
  const AFst& network() const { return *network_; }

 private:
  const AFst* network_;
  AFSTDefauldSymbolTraits labels_;
  internal::WalkStack<Utf8Input::Position> stack_;
  Collector collector_;
  uint64_t budget_;
};

// Runs whole walks: clears the results, then walks a text.
template <class ArcMatcher>
class AFSTBaseMatcher : public ArcMatcher {
 public:
  using ArcMatcher::ArcMatcher;

  void match(const std::string& text) { match(text.data(), text.data() + text.size()); }
  void match(const char* begin, const char* end) {
    this->collector().clear();
    this->walk(Utf8Input(begin, end));
  }
  auto& results() { return this->collector().results(); }
};

// The word matcher: whole texts, sorted distinct outputs.
using WordMatcher = AFSTBaseMatcher<AFSTArcMatcher<DefaultIteratorPolicy, DefaultResultCollector>>;
// The same with the outputs in the order found.
using UnsortedWordMatcher =
    AFSTBaseMatcher<AFSTArcMatcher<DefaultIteratorPolicy, ResultCollectorUnsorted>>;

// ---------------------------------------------------------------------------
// The matcher over a network's transducer, reading labels the transducer's
// way (DefauldSymbolTraits), for walks whose results end anywhere. Made per
// call; all its state is its own, so calls over one network may run
// concurrently.
template <class Input, class EndPolicy, class Collector>
class ArcMatcher {
 public:
  ArcMatcher(const AFst& network, Collector collector, uint64_t budget = kTransducerWalkBudget)
      : network_(&network), labels_(network), collector_(std::move(collector)), budget_(budget) {
    stack_.reserve(50);
  }

  void match(const Input& input) {
    internal::walk<internal::TransducerRules, EndPolicy>(*network_, labels_, input, stack_,
                                                         collector_, budget_);
  }

  Collector& collector() { return collector_; }

 private:
  const AFst* network_;
  DefauldSymbolTraits labels_;
  internal::WalkStack<typename Input::Position> stack_;
  Collector collector_;
  uint64_t budget_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_LOOKUP_MATCHER_H_
