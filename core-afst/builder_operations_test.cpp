#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fst/equal.h>
#include <fst/log.h>
#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/builder.h"
#include "core-afst/network_paths_testutil.h"
#include "base/error_message_testutil.h"

namespace zel {
namespace afst {
namespace {

using zel::testing::message_of;

using Paths = std::set<std::string>;
using zel::testing::accepted_paths;
using zel::testing::accepted_relations;
using zel::testing::capture_stdout;
using zel::testing::ScratchFolder;

// Pushes arcs, each written "in:out" or as one text for both sides.
void push_arcs(Builder& b, const std::vector<std::string>& arcs) {
  for (const auto& arc : arcs) {
    const auto colon = arc.find(':');
    if (colon == std::string::npos) {
      b.pushArc(arc);
    } else {
      b.pushArc(arc.substr(0, colon), arc.substr(colon + 1));
    }
  }
}

void add_rule(Builder& b, const std::vector<std::string>& arcs) {
  b.open_rule();
  push_arcs(b, arcs);
  b.close_rule();
}

// A rule whose group holds the given members, each a list of words (a
// member of several words is their union, built in a nested group). The
// group's operator stays plain, and its last member stays current.
void add_group(Builder& b, const std::vector<std::vector<std::vector<std::string>>>& members) {
  b.open_rule();
  for (size_t m = 0; m < members.size(); ++m) {
    if (m == 0) {
      b.open_group();
    } else {
      b.separator("");
    }
    const auto& words = members[m];
    if (words.size() == 1) {
      push_arcs(b, words[0]);
      continue;
    }
    b.open_group();
    for (size_t w = 0; w < words.size(); ++w) {
      if (w > 0) b.separator("union");
      push_arcs(b, words[w]);
    }
    b.close_group("");
    b.closing_concat_group();
  }
  b.set_final();
}

TEST(BuilderOperationsTest, TwoNetworkOperationsNeedAGroupOfTwo) {
  const std::vector<std::pair<std::string, std::function<void(Builder&)>>> operations = {
      {"intersect", [](Builder& b) { b.intersect(); }},
      {"replace", [](Builder& b) { b.replace("x"); }},
      {"compose", [](Builder& b) { b.compose(); }},
      {"difference", [](Builder& b) { b.difference(); }},
  };
  for (const auto& [name, operation] : operations) {
    SCOPED_TRACE(name);
    const std::string warning =
        "Warning : FstBuilderCommands : " + name + " : Only works on a group of 2 networks.";
    // Three members.
    Builder three;
    add_group(three, {{{"a"}}, {{"b"}}, {{"c"}}});
    stack_item* current = three.current_item();
    EXPECT_EQ(capture_stdout([&] { operation(three); }), warning);
    EXPECT_EQ(three.current_item(), current);
    EXPECT_EQ(current->parent->children.size(), 3u);
    // On a root there is no group at all.
    Builder root;
    EXPECT_EQ(capture_stdout([&] { operation(root); }), warning);
    EXPECT_TRUE(root.roots()[0]->children.empty());
  }
}

TEST(BuilderOperationsTest, ComposeMatchesLabelsByText) {
  Builder b;
  // Member 1 maps a to b, member 2 b to c. "b" is an output of member 1
  // (key 2 of "upper") and an input of member 2 (key 3 of "lower").
  add_group(b, {{{"a:b"}}, {{"b:c"}}});
  ASSERT_NE(b.upper_table()->Find("b"), b.lower_table()->Find("b"));
  stack_item* current = b.current_item();
  b.compose();
  EXPECT_EQ(b.current_item(), current);
  const auto& group = current->parent->children;
  ASSERT_EQ(group.size(), 3u);
  EXPECT_EQ(accepted_relations(*group[2]->network), (Paths{"a -> c"}));
  EXPECT_EQ(group[2]->network->InputSymbols()->Name(), "lower");
  EXPECT_EQ(group[2]->network->OutputSymbols()->Name(), "upper");
}

TEST(BuilderOperationsTest, ComposeOfLongerPaths) {
  Builder b;
  add_group(b, {{{"a:x", "b:y"}, {"c:x", "d:z"}}, {{"x:1", "y:2"}, {"x:3", "z:4"}}});
  b.compose();
  const auto& group = b.current_item()->parent->children;
  ASSERT_EQ(group.size(), 3u);
  EXPECT_EQ(accepted_relations(*group[2]->network), (Paths{"a b -> 1 2", "c d -> 3 4"}));
}

TEST(BuilderOperationsTest, ReplaceInsertsMember2AtTheName) {
  Builder b;
  // A label in "lower" alone shifts that table's keys, so "X" has different
  // keys in the two tables.
  b.push_lower_lable("shift");
  add_group(b, {{{"a", "X", "c"}}, {{"b"}}});
  ASSERT_NE(b.upper_table()->Find("X"), b.lower_table()->Find("X"));
  b.replace("X");
  const auto& group = b.current_item()->parent->children;
  ASSERT_EQ(group.size(), 3u);
  EXPECT_EQ(b.current_item(), group[2].get());
  EXPECT_EQ(accepted_relations(*group[2]->network), (Paths{"a b c -> a b c"}));
  // A name no arc carries leaves member 1 as it is.
  Builder unknown;
  add_group(unknown, {{{"a", "X", "c"}}, {{"b"}}});
  unknown.replace("nothing");
  EXPECT_EQ(accepted_relations(*unknown.current_item()->network), (Paths{"a X c -> a X c"}));
}

TEST(BuilderOperationsTest, DifferenceIsANewChildOfTheCurrentItem) {
  Builder b;
  add_group(b, {{{"a"}, {"b"}}, {{"b"}}});
  stack_item* member2 = b.current_item();
  b.difference();
  ASSERT_EQ(member2->children.size(), 1u);
  EXPECT_EQ(b.current_item(), member2->children[0].get());
  EXPECT_EQ(accepted_relations(*b.current_item()->network), (Paths{"a -> a"}));
  EXPECT_EQ(b.current_item()->network->OutputSymbols()->Name(), "upper");
}

TEST(BuilderOperationsTest, DifferenceNeedsAcceptors) {
  Builder b;
  add_group(b, {{{"a"}}, {{"a:b"}}});
  EXPECT_THROW(b.difference(), AFSTException);
}

TEST(BuilderOperationsTest, IntersectionBecomesTheCurrentThirdMember) {
  Builder b;
  b.push_upper_lable("shift");
  add_group(b, {{{"a"}, {"b"}, {"c"}}, {{"b"}, {"c"}, {"d"}}});
  b.intersect();
  const auto& group = b.current_item()->parent->children;
  ASSERT_EQ(group.size(), 3u);
  EXPECT_EQ(b.current_item(), group[2].get());
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"b -> b", "c -> c"}));
  // Transducers cannot be intersected.
  Builder t;
  add_group(t, {{{"a:b"}}, {{"a"}}});
  EXPECT_THROW(t.intersect(), AFSTException);
}

TEST(BuilderOperationsTest, Reverse) {
  Builder b;
  add_rule(b, {"a", "b:x", "c"});
  b.reverse();
  EXPECT_EQ(accepted_relations(*b.build(true)), (Paths{"c b a -> c x a"}));
}

TEST(BuilderOperationsTest, InvertSwapsTheTablesForLaterNetworks) {
  Builder b;
  b.push_upper_lable("u");
  b.invert();
  EXPECT_EQ(b.lower_table()->Name(), "upper");
  EXPECT_EQ(b.lower_table()->Find("u"), 2);
  add_rule(b, {"u"});
  EXPECT_EQ(b.build(true)->InputSymbols()->Name(), "upper");
  b.invert();
  EXPECT_EQ(b.lower_table()->Name(), "lower");
  EXPECT_EQ(b.upper_table()->Name(), "upper");
}

TEST(BuilderOperationsTest, SaveAndReadBack) {
  ScratchFolder folder;
  const std::string path = folder.str("net.fst");
  Builder b;
  add_rule(b, {"H", "a", "u", "s", "eps:+Nn"});
  add_rule(b, {"a", "b:x"});
  b.applyUnion(0);
  b.build(true);
  b.save(path);
  Builder other;
  other.push_lable("something first");
  other.read(path);
  EXPECT_EQ(other.roots()[0]->children.size(), 1u);
  EXPECT_EQ(accepted_relations(*other.build(true)), (Paths{"H a u s -> H a u s +Nn", "a b -> a x"}));
  // Unbuilt networks are written as they are, with the tables.
  Builder raw;
  add_rule(raw, {"q"});
  raw.raw_save(path);
  std::unique_ptr<fst::StdVectorFst> read(fst::StdVectorFst::Read(path));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->NumStates(), 2);
  EXPECT_EQ(read->InputSymbols()->Find("q"), 2);
}

TEST(BuilderOperationsTest, FileErrors) {
  ScratchFolder folder;
  const std::string missing_folder = folder.str("no/such/folder/net.fst");
  const std::string missing_file = folder.str("missing.fst");
  const std::string text_file = folder.str("text.fst");
  std::ofstream(text_file) << "not a network\n";
  Builder b;
  add_rule(b, {"a"});
  // A network file whose last arc leads to a state it does not have (the
  // arc's next state comes just before the last state's 12 bytes).
  const std::string damaged_file = folder.str("damaged.fst");
  ASSERT_TRUE(b.write(damaged_file));
  {
    std::ifstream in(damaged_file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 16u);
    bytes[bytes.size() - 12 - 2] = 0x40;
    std::ofstream(damaged_file, std::ios::binary | std::ios::trunc) << bytes;
  }
  EXPECT_EQ(message_of([&] { b.save(missing_folder); }), "Could not save the " + missing_folder + ".");
  EXPECT_EQ(message_of([&] { b.save(""); }), "Could not save the .");
  EXPECT_FALSE(b.write(missing_folder));
  for (const auto& path : {missing_file, text_file, damaged_file, std::string()}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(b.read_fst(path));
    EXPECT_EQ(message_of([&] { b.read(path); }), "Could not read from stream. [" + path + "]");
  }
  EXPECT_EQ(b.roots()[0]->children.size(), 1u);
}

TEST(BuilderOperationsTest, StreamWriteIsTheOptimisedNetwork) {
  Builder b;
  add_rule(b, {"a", "b"});
  add_rule(b, {"a", "c"});
  b.applyUnion(0);
  std::stringstream stream;
  b.write(stream);
  std::unique_ptr<fst::StdVectorFst> read(fst::StdVectorFst::Read(stream, fst::FstReadOptions("stream")));
  ASSERT_NE(read, nullptr);
  Builder same;
  add_rule(same, {"a", "b"});
  add_rule(same, {"a", "c"});
  same.applyUnion(0);
  EXPECT_TRUE(fst::Equal(*read, *same.build(true)));
  EXPECT_EQ(read->InputSymbols()->Name(), "lower");
  EXPECT_EQ(read->OutputSymbols()->Name(), "upper");
  EXPECT_EQ(accepted_relations(*read), (Paths{"a b -> a b", "a c -> a c"}));

  std::stringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(message_of([&] { b.write(broken); }), "Could not save to stream.");
  EXPECT_FALSE(b.write(broken, fst::FstWriteOptions("stream")));
}

TEST(BuilderOperationsTest, Printers) {
  Builder b;
  EXPECT_EQ(capture_stdout([&] { print_symbol_table("lower", b.lower_table().get()); }),
            "lower\n0:0=eps\n1:1=EPS\n");
  add_rule(b, {"a:x"});
  EXPECT_EQ(capture_stdout([&] { b.print_upper("up"); }), "up\n0:0=eps\n1:1=EPS\n2:2=x\n");
  EXPECT_EQ(b.current_item()->network->OutputSymbols()->Name(), "upper");
  EXPECT_EQ(capture_stdout([&] { b.print_lower("low"); }), "low\n0:0=eps\n1:1=EPS\n2:2=a\n");
  EXPECT_EQ(capture_stdout([&] { b.print_stack("anything"); }), "");

  add_group(b, {{{"p"}}, {{"q"}}});
  const std::string tree = capture_stdout([&] { b.print_stack_item(0, b.roots()[0]); });
  const std::regex line_format(
      "( *)0x[0-9a-f]+_separator_type:([a-z:]*) group_size:([0-9]+)");
  std::vector<std::string> shapes;
  std::istringstream lines(tree);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, line_format)) << line;
    shapes.push_back(std::to_string(m[1].length() / 2) + " " + m[2].str() + " " + m[3].str());
  }
  EXPECT_EQ(shapes, (std::vector<std::string>{"0  2", "1  0", "1  2", "2  0", "2  0"}));
}

}  // namespace
}  // namespace afst
}  // namespace zel
