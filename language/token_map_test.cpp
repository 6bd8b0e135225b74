#include "language/token_map.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace {

std::vector<std::string> rows_of(const TokenMap& map, int32_t status) {
  std::vector<std::string> rows;
  auto range = map.equal_range(status);
  for (auto it = range.first; it != range.second; ++it) rows.push_back(it->second);
  return rows;
}

TEST(TokenMap, RowsOfOneStatusKeepTheirOrder) {
  const TokenMap& map = init_token_map();
  EXPECT_EQ(&map, &init_token_map());
  EXPECT_EQ(map.size(), 37u);
  struct Case {
    int32_t status;
    std::vector<std::string> rows;
  } const cases[] = {
      {100, {"+Num"}},
      {501, {"+Punct-Sent"}},
      {511, {"+Num", "_not_a_noun_"}},
      {514, {"+Nn-Sym", "currency"}},
      {700, {"+Num", "measure", "_not_a_noun_"}},
      {400, {"+Punct-Header", "hdr-prefix"}},
      {600, {"+Prop-Std", "nf"}},
      {2000, {"tag"}},
      {200, {}},
      {0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(rows_of(map, c.status), c.rows) << c.status;
}

}  // namespace
}  // namespace kavero
}  // namespace zel
