#include "domain/concept_records.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ConvertAttributes, PairsBecomeASortedListWithoutEnclosingQuotes) {
  const Attributes list =
      convert_attributes(Pairs{{"to", "\"Region\""}, {"from", "City"},
                               {"to", "Region"}, {"note", "\"\""}});
  EXPECT_EQ(convert_attributes(list),
            (Pairs{{"from", "City"}, {"note", ""}, {"to", "Region"}}));
}

TEST(ConvertAttributes, AFunctionCallOfADefinitionKeepsItsName) {
  const KavFunctionPlaceHolder call("kav::push_att", Pairs{{"to", "\"X\""}});
  EXPECT_EQ(call.name, "kav::push_att");
  EXPECT_EQ(convert_attributes(call.attributes), (Pairs{{"to", "X"}}));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
