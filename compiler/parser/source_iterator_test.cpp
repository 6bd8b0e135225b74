#include "compiler/parser/source_iterator.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace zel {
namespace compiler {
namespace {

TEST(SourceIterator, CountsLineBreaksAndPairsOnce) {
  struct Case {
    std::string text;
    std::uint64_t line_at_end;
  };
  const Case cases[] = {
      {"", 1},
      {"abc", 1},
      {"a\nb", 2},
      {"a\rb", 2},
      {"a\r\nb", 2},
      {"a\n\rb", 2},
      {"a\n\nb", 3},
      {"a\r\rb", 3},
      {"\n", 2},
      // A CR right after an LF pairs with it, so two CR LF line ends in a
      // row count once: the rule the grammars' positions follow.
      {"a\r\n\r\nb", 2},
  };
  for (const Case& c : cases) {
    SourceIterator it(c.text.data());
    const SourceIterator end(c.text.data() + c.text.size());
    while (it != end) ++it;
    EXPECT_EQ(it.line(), c.line_at_end) << c.text;
  }
}

TEST(SourceIterator, KeepsThePlaceAndThePreviousByte) {
  const std::string text = "ab\ncd";
  SourceIterator it(text.data());
  EXPECT_EQ(it.previous(), 0);
  EXPECT_EQ(*it, 'a');
  std::advance(it, 3);
  EXPECT_EQ(it.base(), text.data() + 3);
  EXPECT_EQ(it.previous(), '\n');
  EXPECT_EQ(it.line(), 2u);
  const SourceIterator copy = it;
  ++it;
  EXPECT_EQ(copy.line(), 2u);
  EXPECT_EQ(*copy, 'c');
  EXPECT_EQ(std::distance(copy, it), 1);
  // Equality is by place only.
  SourceIterator other(text.data() + 3);
  EXPECT_TRUE(other == copy);
  EXPECT_EQ(SourceIterator().base(), nullptr);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
