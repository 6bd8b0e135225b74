#include "compiler/backend/id_collection.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/output_capture_testutil.h"

namespace zel {
namespace compiler {
namespace {

using Ids = std::vector<uint32_t>;

std::string text_of(const IDCollection& ids) {
  std::ostringstream out;
  ids.ostream(out);
  return out.str();
}

TEST(IDCollection, WritesTheIdsInListOrderWithoutItsText) {
  IDCollection ids;
  EXPECT_EQ(text_of(ids), "[]");
  ids.push_back(5);
  ids.push_back(1);
  ids.push_back(5);
  ids.text = "not written";
  EXPECT_EQ(text_of(ids), "[5,1,5]");

  IDCollection back;
  back.text = "old";
  std::istringstream in(text_of(ids));
  back.istream(in);
  EXPECT_EQ(static_cast<const Ids&>(back), (Ids{5, 1, 5}));
  EXPECT_EQ(back.text, "");
}

TEST(IDCollection, AValueOfAnotherShapeLeavesTheListAndSaysSo) {
  for (const char* text : {R"({"a": 1})", R"([1, "2"])", "null"}) {
    IDCollection ids;
    ids.push_back(9);
    ids.text = "kept";
    const std::string out = zel::testing::capture_stdout([&] {
      std::istringstream in(text);
      ids.istream(in);
    });
    EXPECT_EQ(out.rfind("Invalid json stream IDCollection[json.exception.type_error.302]", 0), 0u)
        << text << ": " << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(static_cast<const Ids&>(ids), (Ids{9})) << text;
    EXPECT_EQ(ids.text, "kept");
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
