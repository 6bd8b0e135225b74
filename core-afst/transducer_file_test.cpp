#include "core-afst/transducer_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fst/symbol-table.h>
#include <gtest/gtest.h>

#include "base/exception.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/afst.h"

namespace zel {
namespace afst {
namespace {

// The stored layout written field by field, so that a test can damage any
// field by name. The fields and their order are those of the finite-state
// library's writer; WritesAsTheLibraryDoes holds the two together.
struct Layout {
  // A declared count that is the number of items written.
  static constexpr int64_t kActual = std::numeric_limits<int64_t>::min();

  struct Arc {
    int32_t input, output;
    float weight;
    int32_t target;
  };
  struct State {
    float final;
    std::vector<Arc> arcs;
    int64_t declared_arcs = kActual;
  };
  struct Table {
    std::string name;
    std::vector<std::pair<std::string, int64_t>> symbols;
    int64_t declared = kActual;
    int64_t long_symbol = -1;  // a symbol whose length is written as 2^31 - 1
  };

  int32_t magic = 2125659606;
  std::string type = "vector";
  std::string arc_type = "standard";
  int32_t version = 2;
  uint32_t flags = 3;
  uint64_t properties = 0;
  int64_t start = 0;
  int64_t states_declared = kActual;
  Table input{"in", {{"eps", 0}, {"a", 1}, {"b", 2}}};
  Table output{"out", {{"eps", 0}, {"A", 1}}};
  // 0 -a:A-> 1 -b:eps-> 2 (final), and 0 -b:A-> 2.
  std::vector<State> states{{std::numeric_limits<float>::infinity(), {{1, 1, 0, 1}, {2, 1, 0, 2}}},
                            {std::numeric_limits<float>::infinity(), {{2, 0, 0.5f, 2}}},
                            {0.0f, {}}};
  std::string tail;

  template <typename T>
  static void put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  static void put_text(std::string& out, const std::string& text) {
    put<int32_t>(out, static_cast<int32_t>(text.size()));
    out += text;
  }
  static void put_table(std::string& out, const Table& table) {
    put<int32_t>(out, 2125658996);
    put_text(out, table.name);
    put<int64_t>(out, static_cast<int64_t>(table.symbols.size()));
    put<int64_t>(out, table.declared != kActual ? table.declared
                                                : static_cast<int64_t>(table.symbols.size()));
    for (std::size_t i = 0; i < table.symbols.size(); ++i) {
      if (static_cast<int64_t>(i) == table.long_symbol) {
        put<int32_t>(out, 0x7FFFFFFF);
        out += table.symbols[i].first;
      } else {
        put_text(out, table.symbols[i].first);
      }
      put<int64_t>(out, table.symbols[i].second);
    }
  }

  std::string bytes() const {
    std::string out;
    put(out, magic);
    put_text(out, type);
    put_text(out, arc_type);
    put(out, version);
    put(out, flags);
    put(out, properties);
    put(out, start);
    put<int64_t>(out, states_declared == kActual ? static_cast<int64_t>(states.size())
                                                 : states_declared);
    put<int64_t>(out, 0);
    if (flags & 1) put_table(out, input);
    if (flags & 2) put_table(out, output);
    for (const State& state : states) {
      put(out, state.final);
      put<int64_t>(out, state.declared_arcs != kActual ? state.declared_arcs
                                                       : static_cast<int64_t>(state.arcs.size()));
      for (const Arc& arc : state.arcs) {
        put(out, arc.input);
        put(out, arc.output);
        put(out, arc.weight);
        put(out, arc.target);
      }
    }
    return out + tail;
  }
};

std::string fault_of(const std::string& bytes, const TransducerRules& rules = {}) {
  std::string fault;
  if (read_transducer(bytes, &fault, rules)) return "";
  EXPECT_FALSE(fault.empty());
  return fault;
}

TEST(TransducerFile, WritesAsTheLibraryDoes) {
  // The layout above, made by the library's own writer from the same
  // transducer: the damaged copies of the other tests are damaged copies of
  // what the library writes.
  Layout layout;
  layout.properties = 0;
  fst::SymbolTable in("in"), out("out");
  for (const auto& [text, key] : layout.input.symbols) in.AddSymbol(text, key);
  for (const auto& [text, key] : layout.output.symbols) out.AddSymbol(text, key);
  std::shared_ptr<StoredTransducer> read = read_transducer_record(layout.bytes(), "layout");
  std::ostringstream written;
  read->Write(written, fst::FstWriteOptions("test"));
  Layout same = layout;
  same.properties = read->Properties(fst::kFstProperties, false) | fst::kExpanded |
                    fst::kMutable;
  std::string expected = same.bytes();
  std::string actual = written.str();
  // The properties word (after the types, version and flags) is the
  // library's business; everything else must agree byte for byte.
  constexpr std::size_t kProperties = 4 + 4 + 6 + 4 + 8 + 4 + 4;
  ASSERT_EQ(actual.size(), expected.size());
  std::memset(&actual[kProperties], 0, 8);
  std::memset(&expected[kProperties], 0, 8);
  EXPECT_EQ(actual, expected);
}

TEST(TransducerFile, ReadsASoundTransducer) {
  Layout layout;
  std::shared_ptr<StoredTransducer> t = read_transducer_record(layout.bytes(), "layout");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->NumStates(), 3);
  EXPECT_EQ(t->Start(), 0);
  EXPECT_EQ(t->NumArcs(0), 2u);
  EXPECT_EQ(t->Final(2), fst::TropicalWeight::One());
  EXPECT_EQ(t->Final(0), fst::TropicalWeight::Zero());
  fst::ArcIterator<StoredTransducer> arcs(*t, 1);
  EXPECT_EQ(arcs.Value().ilabel, 2);
  EXPECT_EQ(arcs.Value().olabel, 0);
  EXPECT_FLOAT_EQ(arcs.Value().weight.Value(), 0.5f);
  EXPECT_EQ(arcs.Value().nextstate, 2);
  EXPECT_EQ(t->InputSymbols()->Find(1), "a");
  EXPECT_EQ(t->OutputSymbols()->Find(1), "A");
  EXPECT_EQ(t->InputSymbols()->Name(), "in");
  // The properties are the transducer's own, not the header's.
  EXPECT_TRUE(t->Properties(fst::kAcyclic, true) & fst::kAcyclic);

  // A transducer written as a stream, without its state count, reads too,
  // as does one without states and without a start.
  layout.states_declared = -1;
  EXPECT_EQ(fault_of(layout.bytes()), "");
  Layout empty;
  empty.states.clear();
  empty.start = -1;
  std::shared_ptr<StoredTransducer> none = read_transducer_record(empty.bytes(), "empty");
  EXPECT_EQ(none->NumStates(), 0);
  EXPECT_EQ(none->Start(), fst::kNoStateId);
}

TEST(TransducerFile, RefusesEveryDamagedField) {
  using L = Layout;
  struct Case {
    const char* what;
    void (*damage)(Layout&);
    std::string fault;
  };
  const Case cases[] = {
      {"magic", [](L& l) { l.magic = 7; }, "not a compiled transducer (no magic number) (byte 0"},
      {"type", [](L& l) { l.type = "const"; }, "the transducer type \"const\" is not \"vector\""},
      {"binary type", [](L& l) { l.type = std::string("v\0\x7f\"", 4); },
       "the transducer type \"v\\x00\\x7f\\x22\" is not"},
      {"arc type", [](L& l) { l.arc_type = "log"; }, "the arc type \"log\" is not \"standard\""},
      {"version", [](L& l) { l.version = 1; }, "the version 1 is unknown"},
      {"flags", [](L& l) { l.flags = 0x13; }, "the header flags 19 are unknown"},
      {"no input table", [](L& l) { l.flags = 2; }, "the transducer has no input symbol table"},
      {"no output table", [](L& l) { l.flags = 1; }, "the transducer has no output symbol table"},
      {"negative state count", [](L& l) { l.states_declared = -5; },
       "the state count -5 is negative"},
      {"state count past the bytes", [](L& l) { l.states_declared = int64_t{1} << 40; },
       "the state count 1099511627776 does not fit the"},
      {"start", [](L& l) { l.start = 3; }, "the start state 3 is not one of the 3 states"},
      {"negative start", [](L& l) { l.start = -2; }, "the start state -2 is not one of"},
      {"symbol count", [](L& l) { l.input.declared = int64_t{1} << 33; },
       "the symbol count 8589934592 of the input symbol table does not fit"},
      {"negative symbol count", [](L& l) { l.output.declared = -1 - (int64_t{1} << 40); },
       "the symbol count -1099511627777 of the output symbol table does not fit"},
      {"empty symbol text", [](L& l) { l.input.symbols[1].first.clear(); }, ""},
      {"symbol length", [](L& l) { l.output.long_symbol = 1; },
       "the length 2147483647 of a symbol of the output symbol table does not fit the"},
      {"negative key", [](L& l) { l.input.symbols[2].second = -4; },
       "symbol 2 of the input symbol table has the negative key -4"},
      {"key twice", [](L& l) { l.input.symbols[2].second = 1; },
       "the input symbol table has the key 1 twice"},
      {"high key twice", [](L& l) { l.output.symbols = {{"eps", 0}, {"A", 9}, {"B", 9}}; },
       "the output symbol table has the key 9 twice"},
      {"text twice", [](L& l) { l.input.symbols[2].first = "a"; },
       "the input symbol table has the text \"a\" twice"},
      {"bad UTF-8", [](L& l) { l.output.symbols[1].first = "\xC3("; },
       "symbol 1 of the output symbol table is not valid UTF-8: \"\\xc3(\""},
      {"arc count", [](L& l) { l.states[0].declared_arcs = int64_t{1} << 31; },
       "the arc count 2147483648 of state 0 does not fit"},
      {"negative arc count", [](L& l) { l.states[2].declared_arcs = -1; },
       "the arc count -1 of state 2 does not fit"},
      {"target", [](L& l) { l.states[0].arcs[1].target = 3; },
       "arc 1 of state 0 leads to state 3 of 3 states"},
      {"negative target", [](L& l) { l.states[1].arcs[0].target = -1; },
       "arc 0 of state 1 leads to state -1 of 3 states"},
      {"input label", [](L& l) { l.states[0].arcs[0].input = 3; },
       "arc 0 of state 0 has the input label 3, which the input symbol table of 3 symbols "
       "does not hold"},
      {"output label", [](L& l) { l.states[1].arcs[0].output = -1; },
       "arc 0 of state 1 has the output label -1, which the output symbol table"},
      {"label of a missing key", [](L& l) { l.input.symbols[2].second = 7; },
       "arc 1 of state 0 has the input label 2, which the input symbol table"},
      {"final weight", [](L& l) { l.states[2].final = std::numeric_limits<float>::quiet_NaN(); },
       "state 2 has a final weight that is no number"},
      {"final minus infinity", [](L& l) { l.states[0].final = -INFINITY; },
       "state 0 has a final weight that is no number"},
      {"arc weight", [](L& l) { l.states[0].arcs[0].weight = NAN; },
       "arc 0 of state 0 has a weight that is no number"},
      {"trailing bytes", [](L& l) { l.tail = "xyz"; }, "3 bytes follow the last of the 3 states"},
      {"streamed, target past the end",
       [](L& l) {
         l.states_declared = -1;
         l.states[1].arcs[0].target = 5;
       },
       "an arc or the start leads past the last of the 3 states"},
      {"streamed, a state cut off",
       [](L& l) {
         l.states_declared = -1;
         l.tail = "ab";
       },
       "the bytes end inside a state"},
  };
  for (const Case& c : cases) {
    Layout layout;
    c.damage(layout);
    const std::string fault = fault_of(layout.bytes());
    if (c.fault.empty()) {
      EXPECT_EQ(fault, "") << c.what;
    } else {
      EXPECT_EQ(fault.rfind(c.fault, 0), 0u) << c.what << ": " << fault;
      EXPECT_NE(fault.find(" (byte "), std::string::npos) << c.what << ": " << fault;
    }
  }
}

TEST(TransducerFile, RulesForOtherTransducers) {
  // A reader that allows transducers without tables takes any label that
  // is not negative on that side.
  Layout bare;
  bare.flags = 1;
  bare.states[0].arcs[0].output = 700;
  TransducerRules without_tables;
  without_tables.symbol_tables = false;
  EXPECT_EQ(fault_of(bare.bytes(), without_tables), "");
  std::shared_ptr<StoredTransducer> t = read_transducer_record(bare.bytes(), "bare", without_tables);
  EXPECT_EQ(t->OutputSymbols(), nullptr);
  bare.states[0].arcs[0].output = -3;
  EXPECT_EQ(fault_of(bare.bytes(), without_tables).rfind("arc 0 of state 0 has the output label -3 (", 0),
            0u);

  Layout latin1;
  latin1.input.symbols[1].first = "\xE9";
  TransducerRules any_bytes;
  any_bytes.utf8_symbols = false;
  EXPECT_EQ(fault_of(latin1.bytes(), any_bytes), "");
  EXPECT_NE(fault_of(latin1.bytes()), "");
}

TEST(TransducerFile, EveryCutIsRefused) {
  const std::string bytes = Layout().bytes();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_NE(fault_of(bytes.substr(0, size)), "") << size;
  }
}

TEST(TransducerFile, RandomDamageGivesAFaultOrASoundTransducer) {
  // Whatever the damage, a transducer that is accepted can be walked: every
  // arc leads to a state and carries labels its tables hold.
  const std::string bytes = Layout().bytes();
  for (uint32_t seed = 1; seed <= 3000; ++seed) {
    std::mt19937 rng(seed);
    std::string damaged = bytes;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 3); i < n; ++i) {
      damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
    }
    std::string fault;
    std::shared_ptr<StoredTransducer> t = read_transducer(damaged, &fault);
    if (!t) {
      EXPECT_FALSE(fault.empty()) << seed;
      continue;
    }
    const auto states = t->NumStates();
    ASSERT_TRUE(t->Start() == fst::kNoStateId || (t->Start() >= 0 && t->Start() < states)) << seed;
    for (int s = 0; s < states; ++s) {
      for (fst::ArcIterator<StoredTransducer> it(*t, s); !it.Done(); it.Next()) {
        const fst::StdArc& arc = it.Value();
        ASSERT_GE(arc.nextstate, 0) << seed;
        ASSERT_LT(arc.nextstate, states) << seed;
        ASSERT_LT(static_cast<std::size_t>(arc.ilabel), t->InputSymbols()->NumSymbols()) << seed;
        ASSERT_LT(static_cast<std::size_t>(arc.olabel), t->OutputSymbols()->NumSymbols()) << seed;
      }
    }
    AFst network(t);  // lays the network out; must not read outside it
  }
}

TEST(TransducerFile, FilesAndRecordsAreNamedInTheError) {
  testing::ScratchFolder scratch;
  Layout layout;
  layout.states[0].arcs[0].target = 99;
  const std::string damaged = scratch.write("damaged.fst", layout.bytes()).string();
  const std::string sound = scratch.write("sound.fst", Layout().bytes()).string();
  EXPECT_NE(read_transducer_file(sound), nullptr);

  auto message_of = [](auto&& read) -> std::string {
    try {
      read();
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message_of([&] { read_transducer_file(damaged); }).rfind(
                "Invalid transducer file [" + damaged + "]: arc 0 of state 0 leads to state 99", 0),
            0u);
  EXPECT_EQ(message_of([&] { read_transducer_file(scratch.path().string()); }),
            "Invalid transducer file [" + scratch.path().string() + "]: not a regular file");
  EXPECT_EQ(message_of([&] { read_transducer_record("", "rule:r1 of x.dom"); }),
            "Invalid transducer [rule:r1 of x.dom]: not a compiled transducer (no magic number) "
            "(byte 0 of 0)");
}

TEST(TransducerFile, NetworkRefusesATargetOutsideTheTransducer) {
  // Transducers made in memory are not checked by a reader; the network
  // still refuses to lay out an arc to a state that is not there.
  auto t = read_transducer_record(Layout().bytes(), "layout");
  t->AddArc(1, fst::StdArc(1, 1, 0, 17));
  EXPECT_THROW(AFst network(t), std::invalid_argument);
  auto u = read_transducer_record(Layout().bytes(), "layout");
  u->SetStart(9);
  EXPECT_THROW(AFst network(u), std::invalid_argument);
}

}  // namespace
}  // namespace afst
}  // namespace zel
