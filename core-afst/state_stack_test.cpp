#include "core-afst/state_stack.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "core-afst/afst.h"

namespace zel {
namespace afst {
namespace {

using Transducer = fst::VectorFst<fst::StdArc>;
using Input = InputState<std::string::const_iterator>;
using Stack = StateStack<fst::StdArc, Input, const void*>;

// A transducer of `states` states, start 0, with the arcs (from, label, to)
// in the order given and the final states given; both symbol tables hold
// "eps" and the labels "a", "b", "c" as keys 1 to 3.
std::shared_ptr<Transducer> network(int states, const std::vector<std::vector<int>>& arcs,
                                    const std::vector<int>& finals) {
  auto t = std::make_shared<Transducer>();
  for (int i = 0; i < states; ++i) t->AddState();
  t->SetStart(0);
  for (const auto& a : arcs) t->AddArc(a[0], fst::StdArc(a[1], 0, 0, a[2]));
  for (int f : finals) t->SetFinal(f, fst::TropicalWeight::One());
  fst::SymbolTable symbols;
  symbols.AddSymbol("eps", 0);
  symbols.AddSymbol("a", 1);
  symbols.AddSymbol("b", 2);
  symbols.AddSymbol("c", 3);
  t->SetInputSymbols(&symbols);
  t->SetOutputSymbols(&symbols);
  return t;
}

// Records every check; pushes the target and consumes one element of the
// input when `consume` is set, pushes the target without consuming when
// `push` is set.
class RecordingMatcher : public IntrusiveMatcher<RecordingMatcher, Stack, Input> {
 public:
  explicit RecordingMatcher(std::shared_ptr<Transducer> t)
      : IntrusiveMatcher<RecordingMatcher, Stack, Input>(this, std::move(t)) {}

  void check(const int& state, const fst::StdArc& arc, Input& input) {
    stack().top().arcs.Next();
    seen.push_back({state, arc.ilabel, static_cast<int>(input.current - input.start)});
    if (push) {
      stack().push(arc.nextstate, input, nullptr);
      if (consume && !input.at_end()) input.next();
    }
  }

  struct Seen {
    int state;
    int label;
    int offset;
    bool operator==(const Seen& o) const {
      return state == o.state && label == o.label && offset == o.offset;
    }
  };
  std::vector<Seen> seen;
  bool push = true;
  bool consume = true;
};

TEST(StateStack, SubMatcherOnAnEmptyStackReturnsAtOnce) {
  RecordingMatcher m(network(2, {{0, 1, 1}}, {1}));
  const std::string text = "xy";
  Input input(text.begin(), text.end(), text.begin() + 1);
  m.sub_matcher(input);
  EXPECT_TRUE(m.seen.empty());
  EXPECT_TRUE(m.stack().empty());
  EXPECT_EQ(input.current - input.start, 1);
}

TEST(StateStack, AnArclessStateIsPoppedAndItsInputRestored) {
  RecordingMatcher m(network(2, {{0, 1, 1}}, {1}));
  const std::string text = "xyz";
  Input saved(text.begin(), text.end(), text.begin() + 1);
  Input live(text.begin(), text.end(), text.end());
  m.stack().push(1, saved, nullptr);
  m.sub_matcher(live);
  EXPECT_TRUE(m.seen.empty());
  EXPECT_TRUE(m.stack().empty());
  EXPECT_EQ(live.current - live.start, 1);
}

TEST(StateStack, NoStateIsPoppedLikeAnArclessOne) {
  RecordingMatcher m(network(2, {{0, 1, 1}}, {1}));
  const std::string text = "xyz";
  Input live(text.begin(), text.end(), text.end());
  m.stack().push(-1, Input(text.begin(), text.end(), text.begin() + 2), nullptr);
  m.sub_matcher(live);
  EXPECT_TRUE(m.seen.empty());
  EXPECT_EQ(live.current - live.start, 2);
}

TEST(StateStack, BacktrackingResumesAtTheParentsNextArcWithItsInput) {
  // 0 -a-> 1 -c-> 3, 0 -b-> 2: the arcs of 0 are both tried at offset 0,
  // the arc of 1 one element further on.
  RecordingMatcher m(network(4, {{0, 1, 1}, {0, 2, 2}, {1, 3, 3}}, {3}));
  const std::string text = "xyz";
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(0, input, nullptr);
  m.sub_matcher(input);
  const std::vector<RecordingMatcher::Seen> expected = {{0, 1, 0}, {1, 3, 1}, {0, 2, 0}};
  EXPECT_EQ(m.seen, expected);
  EXPECT_TRUE(m.stack().empty());
  EXPECT_EQ(input.current - input.start, 0);
}

TEST(StateStack, SubMatcherStopsAtTheDepthItStartedFrom) {
  RecordingMatcher m(network(3, {{0, 1, 1}, {1, 2, 2}}, {2}));
  const std::string text = "xy";
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(0, input, nullptr);
  m.stack().top().arcs.Next();  // the entry below has nothing left to try
  m.stack().push(1, input, nullptr);
  m.sub_matcher(input);
  ASSERT_EQ(m.stack().size(), 1u);
  EXPECT_EQ(m.stack().top().state, 0);
  ASSERT_EQ(m.seen.size(), 1u);
  EXPECT_EQ(m.seen[0].state, 1);
}

TEST(StateStack, APushingCycleStopsAfterTheStepLimitWithAnEmptyStack) {
  RecordingMatcher m(network(1, {{0, 1, 0}}, {}));
  m.consume = false;
  const std::string text;
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(0, input, nullptr);
  m.sub_matcher(input);
  EXPECT_TRUE(m.stack().empty());
  EXPECT_EQ(m.seen.size(), RecordingMatcher::kMaxSteps);
}

TEST(StateStack, IntrusiveMatcherCopiesTextsAndFinalBits) {
  RecordingMatcher m(network(3, {{0, 1, 1}}, {2}));
  const std::vector<std::string> texts = {"eps", "a", "b", "c"};
  EXPECT_EQ(m.input_symbols(), texts);
  EXPECT_EQ(m.output_symbols(), texts);
  EXPECT_EQ(m.final_states(), std::vector<bool>({false, false, true}));
}

// The same search over a shared network.
class PointerMatcher : public IntrusiveMatcherPointers<PointerMatcher, Stack, Input> {
 public:
  explicit PointerMatcher(const AFst& network)
      : IntrusiveMatcherPointers<PointerMatcher, Stack, Input>(this, network) {}

  // Pushes every target; records the labels.
  void check(const int&, const fst::StdArc& arc, Input& input) {
    stack().top().arcs.Next();
    labels.push_back(arc.ilabel);
    stack().push(arc.nextstate, input, nullptr);
  }
  std::vector<int> labels;
};

TEST(StateStack, IntrusiveMatcherPointersReadsTheSharedNetwork) {
  AFst shared(network(3, {{0, 1, 1}, {1, 2, 2}, {0, 3, 2}}, {2}));
  PointerMatcher m(shared);
  EXPECT_EQ(&m.input_symbols(), &shared.input_symbols());
  EXPECT_EQ(&m.final_states(), &shared.final_states());
  const std::string text;
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(shared.start(), input, nullptr);
  m.sub_matcher(input);
  EXPECT_EQ(m.labels, std::vector<int>({1, 2, 3}));
}

// Entries that save only a position give it back as the current position;
// the live input's range stays.
using PositionStack = StateStack<fst::StdArc, std::string::const_iterator, unsigned>;
class PositionMatcher
    : public IntrusiveMatcherPointers<PositionMatcher, PositionStack, Input> {
 public:
  explicit PositionMatcher(const AFst& network)
      : IntrusiveMatcherPointers<PositionMatcher, PositionStack, Input>(this, network) {}

  // Pushes the target at the current position and consumes one element.
  void check(const int&, const fst::StdArc& arc, Input& input) {
    stack().top().arcs.Next();
    offsets.push_back(static_cast<int>(input.current - input.start));
    stack().push(arc.nextstate, input.current, 0);
    if (!input.at_end()) input.next();
  }
  std::vector<int> offsets;
};

TEST(StateStack, EntriesThatSaveAPositionRestoreTheCurrentPosition) {
  // 0 -a-> 1 -c-> 3, 0 -b-> 2
  AFst shared(network(4, {{0, 1, 1}, {0, 2, 2}, {1, 3, 3}}, {3}));
  PositionMatcher m(shared);
  const std::string text = "xyz";
  Input input(text.begin(), text.end(), text.begin() + 1);
  m.stack().push(0, input.current, 0);
  m.sub_matcher(input);
  EXPECT_EQ(m.offsets, std::vector<int>({1, 2, 1}));
  EXPECT_EQ(input.current - input.start, 1);
  EXPECT_EQ(input.end, text.end());
}

TEST(StateStack, PointerBaseStopsAPushingCycleToo) {
  AFst shared(network(1, {{0, 1, 0}}, {}));
  PointerMatcher m(shared);
  const std::string text;
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(0, input, nullptr);
  m.sub_matcher(input);
  EXPECT_TRUE(m.stack().empty());
  EXPECT_EQ(m.labels.size(), PointerMatcher::kMaxSteps);
}

// A nested search from a pushed target over another text returns once the
// pushed entry is popped; the outer search goes on with its own input.
class NestingMatcher : public IntrusiveMatcher<NestingMatcher, Stack, Input> {
 public:
  explicit NestingMatcher(std::shared_ptr<Transducer> t)
      : IntrusiveMatcher<NestingMatcher, Stack, Input>(this, std::move(t)) {}

  void check(const int& state, const fst::StdArc& arc, Input& input) {
    stack().top().arcs.Next();
    log += std::to_string(state) + ":" + std::string(input.current, input.end) + " ";
    if (state == 0 && arc.ilabel == 1) {
      const size_t depth = stack().size();
      stack().push(arc.nextstate, input, nullptr);
      Input local(other.begin(), other.end(), other.begin());
      sub_matcher(local);
      EXPECT_EQ(stack().size(), depth);
    }
  }
  std::string other = "nested";
  std::string log;
};

TEST(StateStack, NestedSubMatcherReturnsWhenItsEntryIsPopped) {
  NestingMatcher m(network(3, {{0, 1, 1}, {0, 2, 2}, {1, 3, 2}}, {2}));
  const std::string text = "outer";
  Input input(text.begin(), text.end(), text.begin());
  m.stack().push(0, input, nullptr);
  m.sub_matcher(input);
  EXPECT_EQ(m.log, "0:outer 1:nested 0:outer ");
}

}  // namespace
}  // namespace afst
}  // namespace zel
