#include "language/pos_table.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace language {
namespace {

const char* const kRoots[] = {"Adj",  "Adv",  "Aux",  "Conj",  "Det",
                              "Nn",   "Num",  "Part", "Prep",  "Pron",
                              "Prop", "Punct", "V",   "Others"};

// The root a tag belongs to, read from its name: the part before the first
// "-" when that is a root, else Others.
std::string root_of(const std::string& tag) {
  std::string head = tag.substr(0, tag.find('-'));
  if (head != "Others" && pos_table::get_root_pos_id(head) != 0) return head;
  return "Others";
}

TEST(PosTable, KnownIds) {
  struct Case {
    const char* name;
    uint32_t id;
  };
  // First and last of every group, and the places where the numbering does
  // not simply restart at 1.
  const Case cases[] = {
      {"Adj", 0x10001},          {"Adj-Sup", 0x1000E},
      {"Adv", 0x20001},          {"Adv-Sup", 0x2000B},
      {"Aux", 0x40001},          {"Aux-Std", 0x4000D},
      {"Conj", 0x80001},         {"Conj-wie", 0x8000B},
      {"Det", 0x10000C},         {"Det-Std", 0x100018},
      {"Nn", 0x200001},          {"Nn-Sym", 0x20000C},
      {"Num", 0x400001},         {"Num-Writ", 0x400003},
      {"Part", 0x800001},        {"Part-Std", 0x800007},
      {"Prep", 0x1000001},       {"Prep-van", 0x1000017},
      {"Pron", 0x2000001},       {"Pron-Std", 0x2000015},
      {"Prop", 0x4000001},       {"Prop-Std", 0x4000005},
      {"Prop-Sg", 0x4000006},    {"Punct", 0x8000001},
      {"Punct-Sent", 0x8000007}, {"Punct-Header", 0x8000008},
      {"V", 0x10000001},         {"V-Pres-have", 0x10000029},
      {"Cmpd-Part", 0x20000001}, {"Emoji", 0x20000002},
      {"Markup", 0x20000007},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pos_table::id(c.name), c.id) << c.name;
    EXPECT_EQ(pos_table::str(c.id), c.name) << std::hex << c.id;
    EXPECT_TRUE(pos_table::has(c.name)) << c.name;
  }
}

TEST(PosTable, NamesThatAreNoTags) {
  for (const char* name : {"Others", "", "adj", "Adj-", "ADJ", "Nn Sg"}) {
    EXPECT_EQ(pos_table::id(name), 0u) << name;
    EXPECT_FALSE(pos_table::has(name)) << name;
  }
  EXPECT_FALSE(pos_table::has(nullptr));
  for (unsigned id : {0u, 0x10000u, 0x20000000u, 0x1000Fu, 0x10000Bu}) {
    EXPECT_EQ(pos_table::str(id), "") << std::hex << id;
  }
}

TEST(PosTable, RootIds) {
  uint32_t expected = 0x10000;
  for (const char* root : kRoots) {
    EXPECT_EQ(pos_table::get_root_pos_id(root), expected) << root;
    expected <<= 1;
  }
  for (const char* name : {"Cmpd-Part", "Adj-Sup", "", "adj", "Emoji"}) {
    EXPECT_EQ(pos_table::get_root_pos_id(name), 0u) << name;
  }
}

TEST(PosTable, EveryTagRoundTripsAndBelongsToItsRootOnly) {
  const auto& table = pos_table::data();
  EXPECT_EQ(table.size(), 190u);
  std::set<uint32_t> ids;
  std::map<std::string, std::vector<uint32_t>> numbers;
  for (const auto& entry : table) {
    const std::string& name = entry.first;
    const uint32_t id = entry.second;
    EXPECT_TRUE(ids.insert(id).second) << "duplicate id of " << name;
    EXPECT_EQ(pos_table::id(name), id);
    EXPECT_EQ(pos_table::str(id), name);
    const std::string root = root_of(name);
    for (const char* other : kRoots) {
      const bool member = (id & pos_table::get_root_pos_id(other)) != 0;
      EXPECT_EQ(member, root == other) << name << " and root " << other;
    }
    EXPECT_EQ(id & 0xFFFF0000u, pos_table::get_root_pos_id(root)) << name;
    numbers[root].push_back(id & 0xFFFF);
  }
  // Within a root the running numbers are gap-free; Det goes on from Conj.
  for (auto& group : numbers) {
    std::vector<uint32_t>& n = group.second;
    std::sort(n.begin(), n.end());
    const uint32_t first = group.first == "Det" ? 12 : 1;
    for (size_t i = 0; i < n.size(); ++i) {
      EXPECT_EQ(n[i], first + i) << group.first;
    }
  }
  EXPECT_EQ(numbers.size(), 14u);
}

}  // namespace
}  // namespace language
}  // namespace zel
