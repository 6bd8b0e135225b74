#include "language/pos_table.h"

#include <map>
#include <vector>

namespace zel {
namespace language {
namespace pos_table {
namespace {

const std::map<std::string, uint32_t>& roots() {
  static const std::map<std::string, uint32_t> table = {
      {"Adj", 0x10000},     {"Adv", 0x20000},      {"Aux", 0x40000},
      {"Conj", 0x80000},    {"Det", 0x100000},     {"Nn", 0x200000},
      {"Num", 0x400000},    {"Part", 0x800000},    {"Prep", 0x1000000},
      {"Pron", 0x2000000},  {"Prop", 0x4000000},   {"Punct", 0x8000000},
      {"V", 0x10000000},    {"Others", 0x20000000},
  };
  return table;
}

struct Group {
  const char* root;
  // Where the running numbers of the group start.
  uint32_t first;
  std::vector<const char*> tags;
};

// The catalogue, group by group. The numbering is part of the data that
// language resources are keyed by: Det goes on from the end of Conj instead
// of starting again at 1, and the Others tags count on their own.
const std::vector<Group>& groups() {
  static const std::vector<Group> catalogue = {
      {"Adj", 1,
       {"Adj", "Adj-Attr", "Adj-Comp", "Adj-Def-Pl", "Adj-Def-Sg",
        "Adj-Indef-Pl", "Adj-Indef-Sg", "Adj-Gen", "Adj-Ord", "Adj-Pred",
        "Adj-Pl", "Adj-Sg", "Adj-Std", "Adj-Sup"}},
      {"Adv", 1,
       {"Adv", "Adv-Comp", "Adv-Deg", "Adv-Int", "Adv-Int-Rel", "Adv-Neg",
        "Adv-Part", "Adv-Pron", "Adv-Rel", "Adv-Std", "Adv-Sup"}},
      {"Aux", 1,
       {"Aux", "Aux-Fin-be", "Aux-Fin-have", "Aux-Fin", "Aux-Inf",
        "Aux-Inf-be", "Aux-Inf-have", "Aux-Inf-SForm", "Aux-Impv",
        "Aux-PaPart", "Aux-PrPart", "Aux-Pres-SForm", "Aux-Std"}},
      {"Conj", 1,
       {"Conj", "Conj-Adv", "Conj-Coord", "Conj-Comp", "Conj-Inf", "Conj-Sub",
        "Conj-als", "Conj-che", "Conj-Pre", "Conj-Que", "Conj-wie"}},
      {"Det", 12,
       {"Det", "Det-Def", "Det-Dem", "Det-Dem-Pl", "Det-Indef", "Det-Int",
        "Det-Int-Rel", "Det-Pl", "Det-Pre", "Det-Poss", "Det-Rel", "Det-Sg",
        "Det-Std"}},
      {"Nn", 1,
       {"Nn", "Nn-Def-Pl", "Nn-Def-Sg", "Nn-Gen", "Nn-Indef-Pl",
        "Nn-Indef-Sg", "Nn-Indef-SP", "Nn-Inf", "Nn-Pl", "Nn-Sg", "Nn-Std",
        "Nn-Sym"}},
      {"Num", 1, {"Num", "Num-Std", "Num-Writ"}},
      {"Part", 1,
       {"Part", "Part-Inf", "Part-Neg", "Part-Prefix", "Part-Poss",
        "Part-Verb", "Part-Std"}},
      {"Prep", 1,
       {"Prep", "Prep-Det", "Prep-Det-a", "Prep-Det-da", "Prep-Det-de",
        "Prep-Det-di", "Prep-Det-Def", "Prep-Det-Dem", "Prep-Det-Pl",
        "Prep-Det-Sg", "Prep-Pre", "Prep-Std", "Prep-a", "Prep-at", "Prep-de",
        "Prep-di", "Prep-da", "Prep-en", "Prep-from", "Prep-of", "Prep-than",
        "Prep-to", "Prep-van"}},
      {"Pron", 1,
       {"Pron", "Pron-chi", "Pron-en", "Pron-Clitic", "Pron-Dem",
        "Pron-Indef", "Pron-Int", "Pron-Int-Rel", "Pron-Loc", "Pron-Pers",
        "Pron-Pl", "Pron-Poss", "Pron-Prep", "Pron-Prep-Dem",
        "Pron-Prep-Pers", "Pron-Recip", "Pron-Recip-Gen", "Pron-Refl",
        "Pron-Rel", "Pron-se", "Pron-Std"}},
      {"Prop", 1,
       {"Prop", "Prop-Abbr", "Prop-Adj", "Prop-Gen", "Prop-Std", "Prop-Sg"}},
      {"Punct", 1,
       {"Punct", "Punct-Comma", "Punct-Close", "Punct-Line", "Punct-Open",
        "Punct-Quote", "Punct-Sent", "Punct-Header"}},
      {"V", 1,
       {"V", "V-Cond", "V-Impr", "V-Impv", "V-Impv-SForm", "V-Inf",
        "V-Inf-Pron", "V-Inf-SForm", "V-Inf-be", "V-Izu", "V-Fin",
        "V-Fin-have", "V-Fut", "V-PaPart", "V-PaPart-Pl", "V-PaPart-Sg",
        "V-PaPart-SForm", "V-PaPart-be", "V-PaPart-have", "V-PaPast", "V-Past",
        "V-Past-Pl", "V-Past-Pl-be", "V-Past-Sg", "V-Past-Sg-be",
        "V-Past-SForm", "V-Past-have", "V-PastPart", "V-PrPart", "V-PrPart-be",
        "V-PrPart-have", "V-Pres", "V-Pres-3", "V-Pres-3-Sg",
        "V-Pres-3-Sg-have", "V-Pres-Pl", "V-Pres-Pl-be", "V-Pres-Sg",
        "V-Pres-Sg-be", "V-Pres-SForm", "V-Pres-have"}},
      {"Others", 1,
       {"Cmpd-Part", "Emoji", "Guess", "Interj", "Url", "Unicode", "Markup"}},
  };
  return catalogue;
}

const std::unordered_map<std::string, uint32_t>& tags() {
  static const std::unordered_map<std::string, uint32_t> table = [] {
    std::unordered_map<std::string, uint32_t> t;
    for (const Group& g : groups()) {
      const uint32_t bit = roots().at(g.root);
      uint32_t number = g.first;
      for (const char* name : g.tags) t.emplace(name, bit | number++);
    }
    return t;
  }();
  return table;
}

// Built during static initialisation so that no caller ever pays for, or
// races on, the first use.
[[maybe_unused]] const bool tables_ready = (tags(), roots(), true);

}  // namespace

uint32_t id(const std::string& name) {
  const auto& t = tags();
  auto it = t.find(name);
  return it == t.end() ? 0 : it->second;
}

std::string str(const unsigned& id) {
  for (const auto& entry : tags()) {
    if (entry.second == id) return entry.first;
  }
  return std::string();
}

bool has(const char* name) { return name != nullptr && tags().count(name) != 0; }

uint32_t get_root_pos_id(const std::string& name) {
  const auto& r = roots();
  auto it = r.find(name);
  return it == r.end() ? 0 : it->second;
}

const std::unordered_map<std::string, uint32_t>& data() { return tags(); }

}  // namespace pos_table
}  // namespace language
}  // namespace zel
