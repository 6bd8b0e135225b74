#include "compiler/backend/entry_info.h"

#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"

namespace zel {
namespace compiler {
namespace {

TEST(EntryInfo, JsonFormHoldsTheCaptureTheCanonicalTextAndTheFlag) {
  EntryInfo entry;
  entry.literal = "Paris";
  entry.capture.uri_ = "City";
  entry.capture.attributes_ = {{"kind", "\"capital\""}};
  entry.canonical = "paris";
  entry.numbered = 1;
  entry.line = 12;
  nlohmann::json json;
  to_json(json, entry);
  EXPECT_EQ(json.dump(), R"([["City",[["kind","\"capital\""]]],"paris",true])");

  EntryInfo read;
  read.literal = "kept";
  read.line = 3;
  from_json(nlohmann::json::parse(R"([["Town",[]],"",false])"), read);
  EXPECT_EQ(read.capture.uri(), "Town");
  EXPECT_TRUE(read.capture.attributes().empty());
  EXPECT_EQ(read.canonical, "");
  EXPECT_EQ(read.numbered, 0);
  EXPECT_EQ(read.literal, "kept");
  EXPECT_EQ(read.line, 3);

  from_json(json, read);
  EXPECT_EQ(read.capture, entry.capture);
  EXPECT_EQ(read.canonical, "paris");
  EXPECT_EQ(read.numbered, 1);
}

TEST(EntryInfo, OtherShapesAreTypeErrors) {
  for (const char* text : {R"([["City",[]],1,false])", R"([["City",[]],"x","no"])",
                           R"([[1,[]],"x",false])"}) {
    SCOPED_TRACE(text);
    EntryInfo entry;
    EXPECT_THROW(from_json(nlohmann::json::parse(text), entry), nlohmann::json::type_error);
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
