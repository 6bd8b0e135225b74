#include "compiler/parser/character_class_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/parser/action_testutil.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {
namespace {

class CharacterClassActions : public ActionTest {};

const char kPropertyError[] =
    "\nalnum,alpha,digit,lower,title,upper,xdigit, "
    "or range ex: 'range(a-zA-Z0123)'";

TEST_F(CharacterClassActions, Classes) {
  struct Case {
    std::string text;
    std::string result;
    std::string error;  // empty: none
  };
  const Case cases[] = {
      {"[:alpha:]", "[:alpha:]", ""},
      {"[:xdigit:]", "[:xdigit:]", ""},
      {"[:range(a-z):]", "[:#a-z#:]", ""},
      {"[:range(\\u00e9\\.x):]", "[:#\xC3\xA9\\.x#:]", ""},
      {"[:range():]", "[:##:]", ""},
      {"[:foo:]", "[:none:]", std::string("Invalid character property[:foo:]") + kPropertyError},
      {"[:Alpha:]", "[:none:]",
       std::string("Invalid character property[:Alpha:]") + kPropertyError},
      // Five bytes or fewer.
      {"[:a:]", "[:none:]", std::string("Invalid character property[:a:]") + kPropertyError},
      {"", "[:none:]", std::string("Invalid character property") + kPropertyError},
      {"[:range(:range(a-z)):]", "[:none:]",
       "Deprecated character class format, use square bracket, ex [A-Za-z#]"},
      {"[:range(a\\qz):]", "[:none:]",
       "Invalid character class format.Invalid escaped character [0x71(q)]"},
      // An escape the reader cannot read at all.
      {"[:range(\\u12):]", "[:none:]",
       "Invalid character class format.Invalid unicode escape sequence. \\\\u requires 4 "
       "digits\n context:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    clear_reported();
    EXPECT_EQ(check_character_class(c.text), c.result);
    if (c.error.empty()) {
      EXPECT_TRUE(reported().empty());
    } else {
      EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:0:0:0:" + c.error});
    }
  }
}

TEST_F(CharacterClassActions, HexEscapes) {
  struct Case {
    std::string digits;
    std::string result;
    bool reported;
  };
  const Case cases[] = {
      {"0041", "A", false},
      {"00e9", "\xC3\xA9", false},
      {"20AC", "\xE2\x82\xAC", false},
      {"41xyz", "A", false},
      {"D7FF", "\xED\x9F\xBF", false},
      {"E000", "\xEE\x80\x80", false},
      // Surrogates have no UTF-8 form: reported, nothing appended.
      {"D800", "", true},
      {"dfff", "", true},
      {"110000", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    clear_reported();
    EXPECT_EQ(hex_to_string(c.digits), c.result);
    if (c.reported) {
      EXPECT_EQ(describe(reported()),
                std::vector<std::string>{"error:0:0:0:Invalid unicode escape sequence."});
    } else {
      EXPECT_TRUE(reported().empty());
    }
  }
}

}  // namespace
}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
