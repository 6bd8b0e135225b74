#include "core-afst/visitor.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace afst {
namespace {

using Net = fst::VectorFst<fst::StdArc>;

// Records every state and arc it is shown, in order.
class RecordingVisitor : public Visitor {
 public:
  explicit RecordingVisitor(Net* net) : Visitor(net) {}
  void visit(const int& state) override {
    states.push_back(state);
    Visitor::visit(state);
  }
  void visit(const int& state, const fst::StdArc& arc) override {
    arcs.emplace_back(state, arc.ilabel);
  }
  std::vector<int> states;
  std::vector<std::pair<int, int>> arcs;
};

// Overrides only the per-arc operation.
class ArcOnlyVisitor : public Visitor {
 public:
  explicit ArcOnlyVisitor(Net* net) : Visitor(net) {}
  void visit(const int& state, const fst::StdArc& arc) override {
    arcs.emplace_back(state, arc.ilabel);
  }
  std::vector<std::pair<int, int>> arcs;
};

Net chain(int states, int start) {
  Net net;
  for (int i = 0; i < states; ++i) net.AddState();
  if (start >= 0) net.SetStart(start);
  return net;
}

TEST(VisitorTest, NetworkWithoutStatesOrStartIsNotWalked) {
  Net empty;
  RecordingVisitor v1(&empty);
  v1.travers();
  EXPECT_TRUE(v1.states.empty());

  Net no_start = chain(3, -1);
  no_start.AddArc(0, fst::StdArc(1, 1, 0, 1));
  RecordingVisitor v2(&no_start);
  v2.travers();
  EXPECT_TRUE(v2.states.empty());
  EXPECT_TRUE(v2.arcs.empty());
}

TEST(VisitorTest, StartStateFirstThenTheOthersInNumberOrder) {
  Net net = chain(5, 3);
  RecordingVisitor v(&net);
  v.travers();
  EXPECT_EQ(v.states, (std::vector<int>{3, 0, 1, 2, 4}));
  EXPECT_TRUE(v.arcs.empty());  // no state has arcs
}

TEST(VisitorTest, ArcVisitorSeesEveryArcOnceStartStateFirst) {
  Net net = chain(3, 2);
  net.AddArc(0, fst::StdArc(10, 10, 0, 1));
  net.AddArc(0, fst::StdArc(11, 11, 0, 2));
  net.AddArc(1, fst::StdArc(12, 12, 0, 2));
  net.AddArc(2, fst::StdArc(13, 13, 0, 0));
  net.AddArc(2, fst::StdArc(14, 14, 0, 1));
  net.SetFinal(1, 0);
  ArcOnlyVisitor v(&net);
  v.travers();
  std::vector<std::pair<int, int>> expected = {{2, 13}, {2, 14}, {0, 10}, {0, 11}, {1, 12}};
  EXPECT_EQ(v.arcs, expected);
}

// States added while walking are not visited.
class GrowingVisitor : public Visitor {
 public:
  explicit GrowingVisitor(Net* net) : Visitor(net) {}
  void visit(const int& state) override {
    visited.push_back(state);
    network_->AddState();
  }
  std::vector<int> visited;
};

TEST(VisitorTest, StatesAddedDuringTheWalkAreNotVisited) {
  Net net = chain(2, 0);
  GrowingVisitor v(&net);
  v.travers();
  EXPECT_EQ(v.visited, (std::vector<int>{0, 1}));
  EXPECT_EQ(net.NumStates(), 4);
}

TEST(VisitorTest, TakesTheNetworksSymbolTables) {
  Net net = chain(1, 0);
  fst::SymbolTable in("in");
  in.AddSymbol("<eps>");
  net.SetInputSymbols(&in);
  struct Probe : Visitor {
    using Visitor::Visitor;
    const fst::SymbolTable* in() const { return input_symbols_; }
    const fst::SymbolTable* out() const { return output_symbols_; }
  } probe(&net);
  ASSERT_NE(probe.in(), nullptr);
  EXPECT_EQ(probe.in()->Name(), "in");
  EXPECT_EQ(probe.out(), nullptr);
}

}  // namespace
}  // namespace afst
}  // namespace zel
