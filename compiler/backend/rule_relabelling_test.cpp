#include "compiler/backend/rule_relabelling.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core-afst/builder.h"

namespace zel {
namespace compiler {
namespace {

// The input labels of all arcs, as unsigned numbers.
std::multiset<std::uint32_t> input_labels(const fst::StdVectorFst& net) {
  std::multiset<std::uint32_t> labels;
  for (fst::StateIterator<fst::StdVectorFst> states(net); !states.Done(); states.Next()) {
    for (fst::ArcIterator<fst::StdVectorFst> arcs(net, states.Value()); !arcs.Done();
         arcs.Next()) {
      labels.insert(static_cast<std::uint32_t>(arcs.Value().ilabel));
    }
  }
  return labels;
}

TEST(RuleRelabelling, NumbersKindsAndPlainKeys) {
  afst::Builder builder;
  builder.open_rule();
  // Keys are handed out from 2 in order of first use: the attribute test
  // gets key 7 and the property key 12.
  for (const char* text : {"0x10000005", "0x90000000", "@match=\"shortest\"", "0x60000001",
                           "0x70000001", "0x50000000@size=\"big\"", "0x10000006", "0x1000000a",
                           "0x20000003", "0x80000000", "0xa0000000+pl", "0xc0000000"}) {
    builder.pushArc(text, "eps");
  }
  builder.close_rule();
  fst::StdVectorFst* net = builder.build(false);
  ASSERT_EQ(net->InputSymbols()->Find("0x50000000@size=\"big\""), 7);
  ASSERT_EQ(net->InputSymbols()->Find("0xa0000000+pl"), 12);
  const std::set<std::uint32_t> written = replace_rule_ids(*net);
  EXPECT_EQ(written, (std::set<std::uint32_t>{0x10000005u, 0x90000000u, 0x60000001u, 0x70000001u,
                                              0x10000006u, 0x1000000au, 0x20000003u, 0x80000000u,
                                              0xc0000000u}));
  std::multiset<std::uint32_t> labels = input_labels(*net);
  labels.erase(0u);  // epsilon arcs the unoptimised network may hold stay 0
  EXPECT_EQ(labels, (std::multiset<std::uint32_t>{0x10000005u, 0x90000000u, 4u, 0x60000001u,
                                                  0x70000001u, 0x50000007u, 0x10000006u,
                                                  0x1000000au, 0x20000003u, 0x80000000u,
                                                  0xa000000cu, 0xc0000000u}));
  // The builder keeps the network it returned, so what it stores later
  // carries the new labels.
  EXPECT_EQ(input_labels(*builder.simple_copy()), input_labels(*net));
}

TEST(RuleRelabelling, EpsilonArcsAndUnknownKeysStay) {
  fst::SymbolTable table("lower");
  table.AddSymbol("eps", 0);
  table.AddSymbol("0x10000001", 2);
  fst::StdVectorFst net;
  net.SetInputSymbols(&table);
  net.SetOutputSymbols(&table);
  for (int i = 0; i < 4; ++i) net.AddState();
  net.SetStart(0);
  net.AddArc(0, fst::StdArc(0, 0, 1));
  net.AddArc(1, fst::StdArc(2, 0, 2));
  net.AddArc(2, fst::StdArc(99, 0, 3));  // a key the table does not hold
  net.SetFinal(3, fst::StdArc::Weight::One());
  EXPECT_EQ(replace_rule_ids(net), (std::set<std::uint32_t>{0x10000001u}));
  EXPECT_EQ(input_labels(net), (std::multiset<std::uint32_t>{0u, 0x10000001u, 99u}));
}

TEST(RuleRelabelling, ANetworkWithoutStartStateStaysEmpty) {
  fst::StdVectorFst net;
  EXPECT_TRUE(replace_rule_ids(net).empty());
  EXPECT_EQ(net.NumStates(), 0);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
