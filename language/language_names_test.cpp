#include "language/language_names.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace language {
namespace {

TEST(LanguageNames, CodeListedTwiceKeepsItsFirstName) {
  auto const& map = get_language_map();
  EXPECT_EQ(map.size(), 186u);
  EXPECT_EQ(map.at("KL"), "greenlandic");
  EXPECT_EQ(map.at("GV"), "gaelic-manx");
  EXPECT_EQ(map.at("II"), "nuosu");
  EXPECT_EQ(map.at("SS"), "siswati");
  EXPECT_EQ(map.at("ZH-HANS"), "chinese-simplified");
  EXPECT_EQ(map.at("VO"), "volap\xC3\xBCk");
}

TEST(LanguageNames, KnownNamesAreExactNamesOfTheTable) {
  struct Case {
    char const* name;
    bool known;
  };
  Case const cases[] = {
      {"english", true},        {"greenlandic", true},
      {"kalaallisut", false},   {"manx", false},  // rows dropped for a repeated code
      {"sichuan yi", false},    {"swati", false},
      {"southern ndebele", true}, {"p\xC4\x81li", true},
      {"danish", true},         {"English", false},  // case-sensitive
      {" english", false},      {"EN", false},       // untrimmed; codes are no names
      {"", false},              {"not-supported", false},
  };
  for (auto const& c : cases) EXPECT_EQ(is_known_language(c.name), c.known) << c.name;
}

TEST(LanguageNames, ReverseMapKeepsTheFirstKeyOfASharedValue) {
  std::map<std::string, std::string> const map = {{"DA", "danish"}, {"DK", "danish"}, {"EN", "english"}};
  auto const reversed = detail::make_reverse_map(map);
  EXPECT_EQ(reversed.size(), 2u);
  EXPECT_EQ(reversed.at("danish"), "DA");
  EXPECT_EQ(reversed.at("english"), "EN");
}

}  // namespace
}  // namespace language
}  // namespace zel
