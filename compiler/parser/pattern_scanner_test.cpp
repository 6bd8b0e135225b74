#include "compiler/parser/pattern_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace zel {
namespace compiler {
namespace parser {
namespace action {
namespace {

TEST(PatternScanner, GetClosure) {
  struct Case {
    std::string text;
    std::size_t pos;
    std::size_t start;
    std::size_t end;
  };
  const Case cases[] = {
      {"(ab)+", 3, 4, 5},
      {"(ab)*x", 3, 4, 5},
      {"(ab)?", 3, 4, 5},
      {"(ab){2,3}", 3, 4, 9},
      {"(ab){2,}c", 3, 4, 8},
      {"(ab)", 3, 4, 4},
      {"(ab)c", 3, 4, 4},
      // Not at a ")".
      {"(ab)+", 1, 1, 1},
      {"(ab)+", 9, 9, 9},
      // A "{" without "}" opens no closure.
      {"(ab){2", 3, 4, 4},
      {"(ab){", 3, 4, 4},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    const auto closure = get_closure(text, c.pos);
    EXPECT_EQ(closure.first, c.start) << c.text << " at " << c.pos;
    EXPECT_EQ(closure.second, c.end) << c.text << " at " << c.pos;
  }
}

TEST(PatternScanner, ProcessCaptureAndGroup) {
  struct Case {
    std::string text;
    std::size_t pos;  // of the ")" for a capture, of the "(" for a group
    std::size_t capture_end;
    std::size_t group_end;
  };
  const Case cases[] = {
      {"(a b)+ c", 4, 6, 6},
      {"(a b) c", 4, 5, 5},
      {"(a b){1,2} c", 4, 10, 10},
      {"(a (b)*) c", 7, 8, 8},
      // A class is jumped over whole: its parenthesis does not close.
      {"(a[)]b)? c", 6, 8, 8},
      // An escaped "]" ends no class, so the ")" inside it closes the group.
      {"(a[)\\]b) c", 3, 4, 4},
      // An unclosed "[" is an ordinary byte.
      {"(a[b)+", 4, 6, 6},
      // Nothing passes the end: no "}" for a "{", no ")" for a "(".
      {"(ab){2", 3, 4, 4},
      {"(ab", 2, 3, 3},
      {"(a(b)", 4, 5, 5},
      {"(", 0, 1, 1},
      {")", 0, 1, 1},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    if (text[c.pos] == ')') {
      std::size_t pos = c.pos;
      process_capture(text, pos, text.size());
      EXPECT_EQ(pos, c.capture_end) << c.text;
    }
    std::size_t pos = 0;
    process_group(text, pos, text.size());
    EXPECT_EQ(pos, c.group_end) << c.text;
  }
  // A smaller end bounds the walk.
  const std::string text = "(ab)+";
  std::size_t pos = 3;
  process_capture(text, pos, 4);
  EXPECT_EQ(pos, 4u);
  pos = 0;
  process_group(text, pos, 2);
  EXPECT_EQ(pos, 2u);
}

TEST(PatternScanner, MulticharacterToken) {
  struct Case {
    std::string text;
    bool spans_whole;
    bool has_alternatives;
    unsigned max_length;
    unsigned groups;
  };
  const Case cases[] = {
      {"(b|c)+", true, true, 1, 1},
      {"(bb|c)+", true, true, 2, 1},
      {"(b|cc){2,3}", true, true, 2, 1},
      {"(xy)+", true, false, 2, 1},
      {"(.)+", true, false, 1, 1},
      {"(a(bc)*)+", true, false, 3, 2},
      {"([a-z]|b)+", true, true, 1, 1},
      {"(ab)", true, false, 2, 1},
      // Two groups side by side: the first closes before the end, the
      // second at it.
      {"(a)(b)+", false, false, 2, 2},
      {"(a)b", false, false, 0, 0},
      // Never closed, or closed with a "{" that has no "}": the walk ends at
      // the end of the text without reading past it.
      {"(ab", true, false, 0, 0},
      {"(ab){2", false, false, 0, 0},
      {"(a[b", true, false, 0, 0},
      {"(", true, false, 0, 0},
  };
  for (const Case& c : cases) {
    const MulticharacterToken found = is_multicharacter_token(c.text);
    EXPECT_EQ(found.spans_whole, c.spans_whole) << c.text;
    EXPECT_EQ(found.has_alternatives, c.has_alternatives) << c.text;
    EXPECT_EQ(found.max_length, c.max_length) << c.text;
    EXPECT_EQ(found.groups, c.groups) << c.text;
  }
}

}  // namespace
}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
