#include "base/normalize.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <utf8.h>

namespace zel {
namespace string {
namespace {

using CodePoints = std::vector<uint32_t>;

TEST(Normalizers, AreAvailable) {
  ASSERT_NE(decomposer, nullptr);
  ASSERT_NE(composer, nullptr);
  EXPECT_EQ(get_composer(), composer);
}

TEST(CharTraits, MapOneCodePoint) {
  struct Case {
    char const* name;
    uint32_t c;
    CodePoints lower;       // ToLowerCharTraits
    CodePoints keep_case;   // NormalizeCharTraits
    CodePoints normalized;  // NormalizeToLowerCharTraits
  };
  std::vector<Case> const cases = {
      {"ASCII upper", 'A', {'a'}, {'A'}, {'a'}},
      {"ASCII punctuation", '-', {'-'}, {'-'}, {'-'}},
      {"E acute", 0x00C9, {0x00E9}, {'E'}, {'e'}},
      {"e acute", 0x00E9, {0x00E9}, {'e'}, {'e'}},
      {"fi ligature", 0xFB01, {0xFB01}, {'f'}, {'f', 'i'}},
      {"ffl ligature", 0xFB04, {0xFB04}, {'f'}, {'f', 'f', 'l'}},
      {"barred L", 0x0141, {0x0142}, {'l'}, {'l'}},
      {"barred l", 0x0142, {0x0142}, {'l'}, {'l'}},
      {"sharp s", 0x00DF, {0x00DF}, {0x00DF}, {0x00DF}},
      {"Cyrillic Zhe", 0x0416, {0x0436}, {0x0416}, {0x0436}},
      // Decomposes into a letter followed by non-ASCII: the list stops there.
      {"Roman numeral twelve", 0x216B, {0x217B}, {'X'}, {'x', 'i', 'i'}},
      {"Hangul syllable GA", 0xAC00, {0xAC00}, {0x1100}, {0x1100}},
      {"Arabic ligature longer than 8 units", 0xFDFA, {0xFDFA}, {' '}, {' '}},
      {"fullwidth A", 0xFF21, {0xFF41}, {'A'}, {'a'}},
      {"superscript two", 0x00B2, {0x00B2}, {'2'}, {'2'}},
      {"mathematical bold A", 0x1D400, {0x1D400}, {'A'}, {'a'}},
      // First unit above 7FFE (a surrogate, or a CJK ideograph): the code
      // point stays.
      {"musical half note", 0x1D15E, {0x1D15E}, {0x1D15E}, {0x1D15E}},
      {"CJK compatibility ideograph", 0xF900, {0xF900}, {0xF900}, {0xF900}},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(ToLowerCharTraits::convert(c.c), c.lower) << c.name;
    EXPECT_EQ(NormalizeCharTraits::convert(c.c), c.keep_case) << c.name;
    EXPECT_EQ(NormalizeToLowerCharTraits::convert(c.c), c.normalized) << c.name;
  }
}

TEST(WordFunctions, LowerCaseAndNormalise) {
  struct Case {
    char const* name;
    std::string text;
    std::string lower;
    std::string normalized;
    std::string keep_case;
  };
  std::vector<Case> const cases = {
      {"Elan", "\xC3\x89lan", "\xC3\xA9lan", "elan", "Elan"},
      {"Lodz", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\xB3" "d\xC5\xBA", "lodz", "lodz"},
      {"fi ligature", "\xEF\xAC\x81", "\xEF\xAC\x81", "fi", "f"},
      {"A grave B", "\xC3\x80" "B", "\xC3\xA0" "b", "ab", "AB"},
      {"sharp s", "Stra\xC3\x9F" "E", "stra\xC3\x9F" "e", "stra\xC3\x9F" "e", "Stra\xC3\x9F" "E"},
      {"U+FDFA inside", "a\xEF\xB7\xBA" "b", "a\xEF\xB7\xBA" "b", "a b", "a b"},
      {"combining mark alone", "e\xCC\x81", "e\xCC\x81", "e\xCC\x81", "e\xCC\x81"},
      {"empty", "", "", "", ""},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(to_lower(c.text), c.lower) << c.name;
    EXPECT_EQ(lowercase_word(c.text), c.lower) << c.name;
    EXPECT_EQ(normalize_word(c.text), c.normalized) << c.name;
    EXPECT_EQ(normalize_word_keep_case(c.text), c.keep_case) << c.name;
  }
}

TEST(WordFunctions, RejectBadUtf8) {
  std::string const bad = "a\xC3(";
  EXPECT_THROW(to_lower(bad), utf8::invalid_utf8);
  EXPECT_THROW(normalize_word(bad), utf8::invalid_utf8);
  EXPECT_THROW(make_uri("a\xE2\x82"), utf8::not_enough_room);
}

TEST(Composition, ComposesAndDetectsMarks) {
  EXPECT_TRUE(is_decomposed(static_cast<UChar>(0x0301)));
  EXPECT_TRUE(is_decomposed(static_cast<UChar>(0x0300)));
  EXPECT_TRUE(is_decomposed(static_cast<UChar>(0x036F)));
  EXPECT_FALSE(is_decomposed(static_cast<UChar>(0x00E9)));
  EXPECT_FALSE(is_decomposed(static_cast<UChar>(0x0370)));

  icu::UnicodeString const decomposed = icu::UnicodeString::fromUTF8("cafe\xCC\x81");
  EXPECT_TRUE(is_decomposed(decomposed));
  icu::UnicodeString const composed = compose(decomposed);
  EXPECT_FALSE(is_decomposed(composed));
  std::string utf8_text;
  composed.toUTF8String(utf8_text);
  EXPECT_EQ(utf8_text, "caf\xC3\xA9");

  // Compatibility forms fold too.
  utf8_text.clear();
  compose(icu::UnicodeString::fromUTF8("\xEF\xAC\x81")).toUTF8String(utf8_text);
  EXPECT_EQ(utf8_text, "fi");
}

TEST(Composition, WithoutANormaliserTheTextStays) {
  icu::UnicodeString const decomposed = icu::UnicodeString::fromUTF8("cafe\xCC\x81");
  EXPECT_EQ(detail::compose_with(nullptr, decomposed), decomposed);
}

TEST(CleanupNormalizedEntry, ReportsHowTheEntryChanged) {
  struct Case {
    std::string entry;
    std::string result;
    int status;  // starts as -1
  };
  std::vector<Case> const cases = {
      {"Caf\xC3\xA9", "cafe", 2},
      {"cafe", "cafe", -1},
      {"new - york", "new york", 1},
      {"a - b - c", "a b c", 1},
      {"e-mail", "e-mail", -1},
      {"\xC3\x9C" "ber-mail", "uber-mail", -1},
      {"New_York", "new_york", -1},
      {"a _ b", "a _ b", 1},
      {"- a", "- a", -1},
      {"a -", "a -", -1},
  };
  for (auto const& c : cases) {
    int status = -1;
    EXPECT_EQ(cleanup_normalized_entry(c.entry, status), c.result) << c.entry;
    EXPECT_EQ(status, c.status) << c.entry;
  }
}

TEST(InitialCase, FirstCodePoint) {
  struct Case {
    std::string word;
    bool lower;
    bool changed;
    std::string lowered;
  };
  std::vector<Case> const cases = {
      {"apple", true, false, ""},
      {"Apple", false, true, "apple"},
      {"\xC3\x89t\xC3\xA9", false, true, "\xC3\xA9t\xC3\xA9"},
      {"\xC3\xA9t\xC3\xA9", true, false, ""},
      {"ABC", false, true, "aBC"},
      {"1abc", false, false, ""},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(starts_with_lowercase(c.word), c.lower) << c.word;
    std::string out = "untouched";
    EXPECT_EQ(lower_initial_cap_word(c.word, out), c.changed) << c.word;
    EXPECT_EQ(out, c.changed ? c.lowered : "untouched") << c.word;
  }
  EXPECT_FALSE(starts_with_lowercase(""));
  std::string out;
  EXPECT_THROW(lower_initial_cap_word("", out), utf8::not_enough_room);
}

TEST(CamelCase, PersonCanonicalsAndUris) {
  struct Case {
    std::string text;
    char separator;
    std::string camel;
    std::string uri;
  };
  std::vector<Case> const cases = {
      {"jean-luc picard", ' ', "Jean Luc Picard", "Jean Luc Picard"},
      {"MCDONALD", ' ', "Mcdonald", "Mcdonald"},
      {"McDonald", ' ', "Mcdonald", "McDonald"},
      {"IBM", ' ', "Ibm", "Ibm"},
      {"new york", '\0', "NewYork", "NewYork"},
      {" jean", ' ', " jean", " jean"},
      {"j.r.r.", ' ', "J.R.R.", "J.R.R."},
      {"van der BERG", '_', "Van_Der_Berg", "Van_Der_Berg"},
      {"\xC3\xA9mile", ' ', "\xC3\x89mile", "\xC3\x89mile"},
      {"iPhone", '\0', "Iphone", "IPhone"},
      {"eBAY", '\0', "Ebay", "EBAY"},
      {"", ' ', "", ""},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(camel_case_word(c.text, c.separator), c.camel) << c.text;
    EXPECT_EQ(uri_camel_case_word(c.text, c.separator), c.uri) << c.text;
  }
}

TEST(MakeUri, FoldsAccentsAndJoinsWords) {
  std::vector<std::pair<std::string, std::string>> const cases = {
      {"s\xC3\xA3o paulo", "SaoPaulo"},
      {"the  city", "The city"},
      {"New York City", "NewYorkCity"},
      {"IBM corporation", "IbmCorporation"},
      {"McDonald's", "McDonald's"},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "Lodz"},
      {"Z\xC3\xBCrich-West", "ZurichWest"},
      {"", ""},
  };
  for (auto const& [text, uri] : cases) EXPECT_EQ(make_uri(text), uri) << text;
}

TEST(CleanupInput, ReplacesTypographicPunctuation) {
  struct Case {
    std::string text;
    std::string input;  // cleanup_input
    std::string data;   // cleanup_input_data
  };
  std::vector<Case> const cases = {
      {"\xE2\x80\x9Cq\xE2\x80\x9D", "\"q\"", "\xE2\x80\x9Cq\xE2\x80\x9D"},
      {"\xE2\x80\x98" "a\xE2\x80\x99", "'a\xE2\x80\x99", "'a'"},
      {"\xE2\x80\x9E\xE2\x80\xB2\xE2\x81\x8E", "\"'*", "\xE2\x80\x9E\xE2\x80\xB2\xE2\x81\x8E"},
      {"\xE2\x80\x9A", ",", "\xE2\x80\x9A"},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "l\xC3\xB3" "d\xC5\xBA", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
      {"plain 'text'", "plain 'text'", "plain 'text'"},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(cleanup_input(c.text), c.input) << c.text;
    EXPECT_EQ(cleanup_input_data(c.text), c.data) << c.text;
  }
  EXPECT_EQ(zel_input_converter.size(), 14u);
  EXPECT_EQ(zel_input_converter.count(0x2019), 0u);
}

TEST(CharacterClass, NamedClassesAndLists) {
  struct Case {
    char const* class_text;
    uint32_t c;
    bool member;
  };
  std::vector<Case> const cases = {
      {":lower:", 0x00E9, true},
      {":lower:", 'Q', false},
      {":lowercase:", 'a', false},
      {"lower", 'a', false},
      {":lower", 'a', false},
      {":upper:", 0x00C9, true},
      {":digit:", 0x0663, true},
      {":digit:", 'x', false},
      {":xdigit:", 'F', true},
      {":xdigit:", 'g', false},
      {":alnum:", '7', true},
      {":alnum:", '-', false},
      {":alpha:", 0x05D0, true},
      {":alpha:", '7', false},
      {":punct:", 0x00BF, true},
      {":punct:", 'a', false},
      {":title:", 0x01C5, true},
      {":title:", 'A', false},
      {":ab:", 'a', false},  // four bytes: no class
      {":#a-z#:", 'q', true},
      {":#a-z#:", 'Q', false},
      {":#a-z#:", 'z', true},
      {":#abc#:", 'b', true},
      {":#abc#:", 'c', true},
      {":#abc#:", 'd', false},
      {":#ab!:", 'b', true},  // the byte before the closing colon is not read
      {":#ab!:", '!', false},
      {":#a-#:", 'a', false},
      {":#a-#:", '-', false},
      {":#x#:", 'x', true},
      {":#0-9a-f#:", 'c', true},
      {":#0-9a-f#:", 'g', false},
      {":#\xC3\xA0-\xC3\xBF#:", 0x00E9, true},
      {":#\\u00e9#:", 0x00E9, true},
      {":#\\x41-\\x43#:", 'B', true},
      {":#\\U0001F600#:", 0x1F600, true},
      {":#-a#:", '-', true},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(check_character_class(c.c, c.class_text), c.member)
        << c.class_text << " " << std::hex << c.c;
  }
}

TEST(CharacterClass, InvalidEscapesInListsAreReportedAndKept) {
  testing::internal::CaptureStderr();
  EXPECT_TRUE(check_character_class('q', ":#\\q#:"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Invalid escaped character [0x71(q)]");
}

}  // namespace
}  // namespace string
}  // namespace zel
