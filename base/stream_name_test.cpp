#include "base/stream_name.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(StreamName, NamesReadBothWays) {
  struct Case {
    std::string name;
    text_stream_type type;
    std::string printed;
  };
  const std::vector<Case> cases = {
      {"literal", literal_stream, "literal"},
      {"stem", stem_stream, "lemma"},
      {"lemma", stem_stream, "lemma"},
      {"normalized_literal", normalized_literal_stream, "normalized_literal"},
      {"normalized_stem", normalized_stem_stream, "normalized_lemma"},
      {"normalized_lemma", normalized_stem_stream, "normalized_lemma"},
      {"component", component_stream, "component"},
      {"head", head_stream, "head"},
      {"canonical", canonical_stream, "canonical"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(get_stream_type(c.name), c.type);
    EXPECT_EQ(get_stream_type("\"" + c.name + "\""), c.type);
    EXPECT_EQ(get_stream_name(c.type), c.printed);
    EXPECT_EQ(get_stream_type(get_stream_name(c.type)), c.type);
  }
  EXPECT_EQ(stream_types.size(), cases.size());
}

TEST(StreamName, UnknownNamesAndValues) {
  for (const std::string name : {"Stem", "", "\"", "\"\"", "stem ", "\"stem"}) {
    EXPECT_EQ(get_stream_type(name), no_stream) << name;
  }
  EXPECT_EQ(get_stream_name(no_stream), "literal");
  EXPECT_EQ(get_stream_name(static_cast<text_stream_type>(42)), "literal");
  EXPECT_THROW(stream_types.at("Stem"), std::out_of_range);
}

}  // namespace
}  // namespace zel
