// The depth-first transducer search that the rule pre-test, the token
// encoder and the rule matcher share.
//
// A search is a stack of states (StateItem, state_item.h), each with a
// cursor over its arcs and the input position saved when it was pushed, and
// a loop, sub_matcher(), that hands the top entry's next arc to the concrete
// matcher's check(). The concrete matcher is the base's first template
// argument and check() is called on it directly, so the loop costs no
// virtual call per arc:
//
//   class MyMatcher : public IntrusiveMatcher<MyMatcher, Stack, Input, Texts> {
//    public:
//     // Must move the top entry past `arc` (stack().top().arcs.Next());
//     // may push targets and move the live input.
//     void check(const int& state, const fst::StdArc& arc, Input& input);
//   };
//
// Back-tracking is free: an entry remembers the input of the moment it was
// pushed, and popping it resets the live input to that. A matcher that
// pushes a target and then consumes input resumes, once the target's arcs
// are exhausted, at the parent's next arc with the parent's input. A
// matcher that searches another text from a target pushes it and runs a
// nested sub_matcher() over a local input; the nested call returns once the
// pushed entry has been popped.
//
// The loop of the bases gives up after kMaxSteps passes and empties the
// whole stack, so that a cycle of arcs that keep pushing cannot hang a
// search. A derived matcher that needs no such limit overrides sub_matcher.

#ifndef KAVERO_CORE_AFST_STATE_STACK_H_
#define KAVERO_CORE_AFST_STATE_STACK_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <fst/arc.h>
#include <fst/fst.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>

#include "core-afst/afst.h"
#include "core-afst/state_item.h"

namespace zel {
namespace afst {

// The input position of a search over [start, end).
template <class Iterator>
struct InputState {
  InputState() = default;
  InputState(Iterator start_, Iterator end_, Iterator current_)
      : start(start_), end(end_), current(current_) {}

  bool at_end() const { return current == end; }
  // Consumes one element (one code point over UTF-8 text).
  void next() { ++current; }

  Iterator start{};
  Iterator end{};
  Iterator current{};
};

// A cursor over one state's arcs of a vector transducer. It holds plain
// pointers into the state's arc array, so an entry keeps its place when the
// stack grows above it; the transducer must not change during the search.
template <class Arc>
struct FstArcCursor {
  const Arc* next = nullptr;
  const Arc* end = nullptr;

  bool Done() const { return next == end; }
  const Arc& Value() const { return *next; }
  void Next() { ++next; }
};

template <class Arc, class Input, class Output>
class StateStack {
 public:
  using Fst = fst::VectorFst<Arc>;
  using Item = StateItem<FstArcCursor<Arc>, Input, Output>;

  StateStack() = default;
  explicit StateStack(const Fst* transducer) : fst_(transducer) {}

  void set_fst(const Fst* transducer) { fst_ = transducer; }
  const Fst* fst() const { return fst_; }

  // Appends an entry whose cursor stands at the state's first arc. State -1
  // stands for no state: its entry has no arcs.
  void push(int state, const Input& input, Output output) {
    FstArcCursor<Arc> cursor;
    if (state >= 0) {
      const size_t count = fst_->NumArcs(state);
      if (count > 0) {
        fst::ArcIterator<Fst> arcs(*fst_, state);
        cursor.next = &arcs.Value();
        cursor.end = cursor.next + count;
      }
    }
    items_.push_back(Item{state, cursor, input, output});
  }

  void pop() { items_.pop_back(); }
  Item& top() { return items_.back(); }
  const Item& top() const { return items_.back(); }
  bool empty() const { return items_.empty(); }
  size_t size() const { return items_.size(); }
  void clear() { items_.clear(); }
  void reserve(size_t n) { items_.reserve(n); }

  // The entries, bottom first.
  const std::vector<Item>& items() const { return items_; }
  std::vector<Item>& items() { return items_; }

 private:
  const Fst* fst_ = nullptr;
  std::vector<Item> items_;
};

namespace internal {

// Resets the live input to what an entry saved: the whole input state, or,
// for a stack whose entries save only a position, the current position.
template <class Input>
void restore_input(Input& input, const Input& saved) {
  input = saved;
}
template <class Iterator>
void restore_input(InputState<Iterator>& input, const Iterator& saved) {
  input.current = saved;
}

// The step loop of both search bases; see the header comment.
template <class Derived, class Stack, class Input>
void run_sub_matcher(Derived* derived, Stack& stack, Input& input, uint64_t max_steps) {
  const size_t depth = stack.size();
  if (depth == 0) return;
  uint64_t steps = 0;
  while (stack.size() >= depth) {
    if (++steps > max_steps) {
      stack.clear();
      return;
    }
    auto& top = stack.top();
    if (top.state == -1 || top.arcs.Done()) {
      restore_input(input, top.position);
      stack.pop();
      continue;
    }
    // Copies: check() may push, which moves the entries.
    const int state = top.state;
    const auto& arc = top.arcs.Value();
    derived->check(state, arc, input);
  }
}

}  // namespace internal

// The search base that owns copies of the transducer's label texts and final
// bits, for searches long enough (one document's encoding) to repay them.
// `Texts` is the container of texts by label id.
template <class Derived, class Stack, class Input, class Texts = std::vector<std::string>>
class IntrusiveMatcher {
 public:
  using Fst = typename Stack::Fst;
  static constexpr uint64_t kMaxSteps = 10000;

  // Texts for every id from 0 to the symbol table's available key (an id
  // without a symbol gets the empty text); a missing table gives no texts.
  IntrusiveMatcher(Derived* derived, std::shared_ptr<Fst> transducer)
      : derived_(derived), fst_(std::move(transducer)), stack_(fst_.get()) {
    copy_texts(fst_->InputSymbols(), &input_symbols_);
    copy_texts(fst_->OutputSymbols(), &output_symbols_);
    for (fst::StateIterator<Fst> it(*fst_); !it.Done(); it.Next()) {
      final_states_.push_back(fst_->Final(it.Value()) != Fst::Weight::Zero());
    }
  }
  IntrusiveMatcher(const IntrusiveMatcher&) = delete;
  IntrusiveMatcher& operator=(const IntrusiveMatcher&) = delete;

  // Runs the search below the current top entry with `input` as the live
  // input; see the header comment.
  virtual void sub_matcher(Input& input) {
    internal::run_sub_matcher(derived_, stack_, input, kMaxSteps);
  }
  virtual ~IntrusiveMatcher() = default;

  Stack& stack() { return stack_; }
  const Fst& fst() const { return *fst_; }
  const Texts& input_symbols() const { return input_symbols_; }
  const Texts& output_symbols() const { return output_symbols_; }
  const std::vector<bool>& final_states() const { return final_states_; }

 private:
  static void copy_texts(const fst::SymbolTable* table, Texts* texts) {
    if (table == nullptr) return;
    const int64_t size = table->AvailableKey();
    texts->resize(static_cast<size_t>(size));
    for (int64_t id = 0; id < size; ++id) (*texts)[static_cast<size_t>(id)] = table->Find(id);
  }

  Derived* derived_;
  std::shared_ptr<Fst> fst_;
  Texts input_symbols_;
  Texts output_symbols_;
  std::vector<bool> final_states_;
  Stack stack_;
};

// The same search over a shared network: it points at the network's
// transducer, label texts and final bits instead of copying them, for
// searches as short as one rule pre-test. The network must outlive it.
template <class Derived, class Stack, class Input, class Texts = std::vector<std::string>>
class IntrusiveMatcherPointers {
 public:
  using Fst = typename Stack::Fst;
  static constexpr uint64_t kMaxSteps = 10000;

  IntrusiveMatcherPointers(Derived* derived, const AFst& network)
      : derived_(derived),
        fst_(&network.fst()),
        input_symbols_(&network.input_symbols()),
        output_symbols_(&network.output_symbols()),
        final_states_(&network.final_states()),
        stack_(fst_) {}
  IntrusiveMatcherPointers(const IntrusiveMatcherPointers&) = delete;
  IntrusiveMatcherPointers& operator=(const IntrusiveMatcherPointers&) = delete;

  virtual void sub_matcher(Input& input) {
    internal::run_sub_matcher(derived_, stack_, input, kMaxSteps);
  }
  virtual ~IntrusiveMatcherPointers() = default;

  Stack& stack() { return stack_; }
  const Fst& fst() const { return *fst_; }
  const Texts& input_symbols() const { return *input_symbols_; }
  const Texts& output_symbols() const { return *output_symbols_; }
  const std::vector<bool>& final_states() const { return *final_states_; }

 private:
  Derived* derived_;
  const Fst* fst_;
  const Texts* input_symbols_;
  const Texts* output_symbols_;
  const std::vector<bool>* final_states_;
  Stack stack_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_STATE_STACK_H_
