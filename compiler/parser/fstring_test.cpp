#include "compiler/parser/fstring.h"

#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace compiler {
namespace {

TEST(FstringVariable, Shapes) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"{capture.stem}", true},
      {"{this.stem}", true},
      {"{capture.stem.camelize()}", true},
      {"{capture.x(1)[2]}", true},
      {"{sentence.x(1))}", true},
      // A head and its separator, nothing after.
      {"{rule.}", true},
      // Empty names between separators pass.
      {"{capture..x}", true},
      {"{capture.x[1]}", true},
      {"{capture.x[1].y}", true},
      {"{capture.x(a b)[2]}", true},
      // No separator at all.
      {"{capture}", false},
      // An index right after the head: "1]" is read as a name.
      {"{capture[1]}", false},
      {"{capture[1].stem}", false},
      // A path that ends with a full stop.
      {"{rule.a.}", false},
      // Parts never closed.
      {"{capture.x[1}", false},
      {"{capture.x(1}", false},
      // Something other than ".", ")" or "[" after a closed part.
      {"{capture.x(1)y}", false},
      // A "(" right after the head opens no argument part: what follows is
      // read as the path, so its ")" makes a name invalid.
      {"{normalize(capture.stem)}", false},
      {"{camelize(x).y}", false},
      {"{initial_caps(x)[0]}", false},
      // Names hold letters, digits and underscores only.
      {"{capture.st-em}", false},
      {"{capture.a b}", false},
      {"{foo.bar}", false},
      {"{Capture.x}", false},
      // Not a braced variable, or too short.
      {"capture.stem", false},
      {"{capture.stem", false},
      {"{a.}", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(check_fstring_variable(c.text), c.valid) << c.text;
  }
}

TEST(FstringPattern, CountsValidVariables) {
  struct Case {
    std::string value;
    int result;
  };
  const Case cases[] = {
      {"the value {capture.stem} is here", 1},
      {"the value {rule.x}{capture.y}", 2},
      {"{this.a} and {capture.b} and {rule.c}", 3},
      // Escaped braces hold no variable.
      {"the value {{capture.stem}}", 0},
      {"no variables", 0},
      {"", 0},
      {"{{capture.a}} then {capture.b}", 1},
      // A malformed variable.
      {"{foo.bar}", -2},
      {"{capture}", -2},
      {"{capture.a} {foo.bar}", -2},
      // Forbidden words.
      {"{capture.open}", -1},
      {"{capture.__class__}", -1},
      {"{capture.os.system(1)}", -1},
      {"{capture.a} {capture.eval(x)}", -1},
      // The first fault found decides.
      {"{capture.open} {foo.bar}", -1},
      {"{foo.bar} {capture.open}", -2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(check_fstring_pattern(c.value), c.result) << c.value;
  }
}

}  // namespace
}  // namespace compiler
}  // namespace zel
