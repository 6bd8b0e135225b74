#include "compiler/parser/lexicon_entry_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zel {
namespace compiler {
namespace {

TEST(LexiconEntryText, Wildcards) {
  struct Case {
    std::string text;
    bool wildcards;
  };
  const Case cases[] = {
      {"New York", false}, {"New.York", true}, {"a\\b", true},    {"(a)", true},
      {"a*", true},        {"a+", true},       {"a?", true},      {"[ab]", true},
      {"a{2}", true},      {"a|b", true},      {"a)b]c}", false}, {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(has_wildcards(c.text.c_str()), c.wildcards) << c.text;
    EXPECT_EQ(has_wildcards(std::string_view(c.text)), c.wildcards) << c.text;
  }
  EXPECT_FALSE(has_wildcards(static_cast<const char*>(nullptr)));
}

TEST(LexiconEntryText, RawEntries) {
  struct Case {
    std::string entry;
    bool raw;
    std::string stripped;
  };
  const Case cases[] = {
      {"\"\"\"New (York)+\"\"\"", true, "New (York)+"},
      {"\"\"\"\"\"\"", true, ""},
      {"\"\"\"", true, ""},
      {"\"\"\"\"", true, ""},
      {"\"\"\"a\"\"", false, "\"\"\"a\"\""},
      {"\"a\"", false, "\"a\""},
      {"plain", false, "plain"},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_raw_lexicon_entry(c.entry), c.raw) << c.entry;
    std::string entry = c.entry;
    strip_raw_lexicon_entry(entry);
    EXPECT_EQ(entry, c.stripped) << c.entry;
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
