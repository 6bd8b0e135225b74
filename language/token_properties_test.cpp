#include "language/token_properties.h"

#include <string>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "language/tokenizer_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::properties_of;
using testing::readings_of;

TEST(TokenProperties, CapitalisationAndAlphanumericMix) {
  struct Case {
    std::string literal;
    std::string properties;
  };
  const Case cases[] = {
      {"Paris", "init-cap,nf"},
      {"NATO", "all-cap,nf"},
      // One byte is too short for "all-cap"; one two-byte capital is not.
      {"A", "init-cap,nf"},
      {"\xC3\x84", "all-cap,nf"},
      {"\xC3\x84rger", "init-cap,nf"},
      {"\xCE\x91\xCE\x98\xCE\x97\xCE\x9D\xCE\x91", "all-cap,nf"},  // ΑΘΗΝΑ
      {"mp3", "alphanum,nf"},
      // The first code point is a digit: no capitalisation.
      {"3D", "alphanum,nf"},
      // A digit is not upper case.
      {"B2B", "alphanum,init-cap,nf"},
      {"123", ""},
      {"paris", ""},
      // Only ASCII letters and digits count as a mix.
      {"\xC3\xA9" "3", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    Token token(0, 0, c.literal);
    add_properties(&token);
    EXPECT_EQ(properties_of(token), c.properties) << c.literal;
  }
}

TEST(TokenProperties, PropertiesAlreadyThereStay) {
  Token token(0, 4, "NATO");
  token.properties = {"abbrev", "nf"};
  add_properties(&token);
  EXPECT_EQ(properties_of(token), "abbrev,all-cap,nf");
  EXPECT_TRUE(all_caps(&token));
  EXPECT_FALSE(init_cap(&token));
  EXPECT_TRUE(remove_token_property(&token, "all-cap"));
  EXPECT_FALSE(remove_token_property(&token, "all-cap"));
  EXPECT_FALSE(all_caps(&token));
}

TEST(TokenProperties, MarkupReadingHasTheBareTag) {
  struct Case {
    std::string literal;
    std::string readings;
  };
  const Case cases[] = {
      {"<a href=\"x\" class=\"y\">", "Markup:<a>"},
      {"<br>", "Markup:<br>"},
      {"</p>", "Markup:</p>"},
  };
  for (const Case& c : cases) {
    Token token(0, 0, c.literal);
    add_markup_info(&token);
    EXPECT_EQ(readings_of(token), c.readings) << c.literal;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
