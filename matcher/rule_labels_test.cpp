#include "matcher/rule_labels.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace matcher {
namespace {

struct PredicateCase {
  const char* what;
  unsigned int label;
  bool concept_begin;
  bool capture_group;
  bool capture_begin;
  bool capture_end;
  bool submatcher;
};

TEST(RuleLabels, PredicatesTestKindBitsAndRefuseInvalidId) {
  const std::vector<PredicateCase> cases = {
      // what, label, concept_begin, capture_group, begin, end, submatcher
      {"plain label 5", 5u, false, true, false, false, false},
      {"CAPBEG 1", CAPBEG | 1u, false, true, true, false, false},
      {"CAPEND 1", CAPEND | 1u, true, true, false, true, false},
      {"ATT 3", ATT | 3u, false, false, false, false, false},
      {"PROP 3", PROP | 3u, false, false, false, false, false},
      {"TK 1", TK | 1u, false, false, false, false, false},
      {"CNCPT_BEG 2", CNCPT_BEG | 2u, true, false, false, false, false},
      {"SUBMATCH_REF 7", SUBMATCH_REF | 7u, true, false, false, false, true},
      {"ANYTK", ANYTK, false, false, false, false, false},
      {"kind 0xF0", 0xF0000001u, true, true, false, false, true},
      {"invalid_id", invalid_id, false, false, false, false, false},
  };
  for (const PredicateCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(is_concept_begin(c.label), c.concept_begin);
    EXPECT_EQ(is_capture_group(c.label), c.capture_group);
    EXPECT_EQ(is_capture_group_begin(c.label), c.capture_begin);
    EXPECT_EQ(is_capture_group_end(c.label), c.capture_end);
    EXPECT_EQ(is_submatcher(c.label), c.submatcher);
  }
}

TEST(RuleLabels, KindAndIndexSplitTheLabel) {
  EXPECT_EQ(label_kind(TK | 0x123456u), TK);
  EXPECT_EQ(label_index(TK | 0x123456u), 0x123456u);
  EXPECT_EQ(label_kind(NEGATION_NEXT), NEGATION_NEXT);
}

TEST(RuleLabels, PrintTypeStringNamesKindsAndMarksTheRest) {
  const std::vector<std::pair<unsigned int, std::string>> cases = {
      {LABLE, "LABLE"},
      {TK, "TK"},
      {CNCPT, "CNCPT"},
      {CNCPT_BEG, "CNCPT_BEG"},
      {CNCPT_END, "CNCPT_END"},
      {ATT, "ATT"},
      {CAPBEG, "CAPBEG"},
      {CAPEND, "CAPEND"},
      {SHRTMATCH, "SHRTMATCH"},
      {ANYTK, "ANYTK"},
      {PROP, "PROP"},
      {NEGATION, "NEGATION"},
      {KAV_NEGATION_END, "KAV_NEGATION_END"},
      {TK | 1u, "NEED MAPPING:x10000001"},
      {SUBMATCH_REF, "NEED MAPPING:xb0000000"},
      {NEGATION_BODY, "NEED MAPPING:xc1000000"},
      {NEGATION_NEXT, "NEED MAPPING:xc2000000"},
      {5u, "NEED MAPPING:x5"},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    forward::print_type_string(out, c.first);
    EXPECT_EQ(out.str(), c.second);
  }
}

TEST(RuleLabels, PrintTypeStringLeavesTheStreamHexadecimalAfterAnUnknownKind) {
  std::ostringstream out;
  forward::print_type_string(out, TK | 1u);
  out << " " << 255;
  EXPECT_EQ(out.str(), "NEED MAPPING:x10000001 ff");
}

}  // namespace
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
