#include "base/unicode.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exception.h"

namespace zel {
namespace string {
namespace unicode {
namespace {

// ---- validity and forward stepping ----

struct Utf8Case {
  char const* name;
  std::string bytes;
  bool valid;
};

TEST(IsUtf8, AcceptsWholeTextsOnly) {
  std::vector<Utf8Case> const cases = {
      {"empty", "", true},
      {"ascii", "abc", true},
      {"e acute", "\xC3\xA9", true},
      {"largest code point", "\xF4\x8F\xBF\xBF", true},
      {"truncated two-byte", "\xC3", false},
      {"overlong NUL", "\xC0\x80", false},
      {"overlong slash in three bytes", "\xE0\x80\xAF", false},
      {"surrogate D800", "\xED\xA0\x80", false},
      {"above 10FFFF", "\xF4\x90\x80\x80", false},
      {"lone continuation", "\x80", false},
      {"lead F8", "\xF8\x88\x80\x80\x80", false},
      {"broken sequence", "\xC3\x28", false},
      {"valid then truncated", "a\xE2\x82", false},
  };
  for (auto const& c : cases) EXPECT_EQ(is_utf8(c.bytes), c.valid) << c.name;
}

TEST(Next, DecodesAndAdvances) {
  std::string const text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  char const* it = text.data();
  char const* end = text.data() + text.size();
  std::vector<std::pair<uint32_t, std::ptrdiff_t>> const expected = {
      {0x61, 1}, {0xE9, 3}, {0x20AC, 6}, {0x1F600, 10}};
  for (auto const& [code_point, offset] : expected) {
    EXPECT_EQ(next(it, end), code_point);
    EXPECT_EQ(it - text.data(), offset);
  }
  EXPECT_THROW(next(it, end), utf8::not_enough_room);
}

TEST(Next, IteratorFormsAgreeWithPointerForm) {
  std::string text = "\xC3\xA9x";
  std::string::iterator it = text.begin();
  EXPECT_EQ(next(it, text.end()), 0xE9u);
  EXPECT_EQ(it - text.begin(), 2);
  std::string const& constant = text;
  std::string::const_iterator cit = constant.begin() + 2;
  EXPECT_EQ(next(cit, constant.end()), 0x78u);
  EXPECT_TRUE(cit == constant.end());
}

// Each bad sequence raises its own error type and leaves the position alone.
TEST(Next, RaisesOnBadSequencesWithoutMoving) {
  struct Case {
    char const* name;
    std::string bytes;
    int kind;  // 0 not_enough_room, 1 invalid_utf8, 2 invalid_code_point
    uint8_t byte;
  };
  std::vector<Case> const cases = {
      {"broken by ASCII", "\xC3\x28", 1, 0xC3},
      {"lone continuation", "\x80", 1, 0x80},
      {"overlong", "\xC0\x80", 1, 0xC0},
      {"truncated", "\xE2\x82", 0, 0},
      {"surrogate", "\xED\xA0\x80", 2, 0},
      {"above 10FFFF", "\xF4\x90\x80\x80", 2, 0},
  };
  for (auto const& c : cases) {
    char const* it = c.bytes.data();
    char const* end = it + c.bytes.size();
    try {
      next(it, end);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (utf8::not_enough_room const&) {
      EXPECT_EQ(c.kind, 0) << c.name;
    } catch (utf8::invalid_utf8 const& e) {
      EXPECT_EQ(c.kind, 1) << c.name;
      EXPECT_EQ(e.utf8_octet(), c.byte) << c.name;
    } catch (utf8::invalid_code_point const&) {
      EXPECT_EQ(c.kind, 2) << c.name;
    }
    EXPECT_EQ(it, c.bytes.data()) << c.name;
  }
}

TEST(NextChar, PeeksWithoutMoving) {
  std::string const text = "\xE2\x82\xAC!";
  char const* begin = text.data();
  EXPECT_EQ(next_char(begin, begin + text.size()), 0x20ACu);
  EXPECT_EQ(get_char(begin + 3, begin + text.size()), 0x21u);
  EXPECT_THROW(get_char(begin + text.size(), begin + text.size()), utf8::not_enough_room);
}

// ---- backward stepping ----

TEST(Decrement, FindsTheStartOfThePreviousCharacter) {
  struct Case {
    char const* name;
    std::string bytes;  // p is the end of these bytes
    std::ptrdiff_t start;
    uint32_t previous;  // prev_char(p)
  };
  std::vector<Case> const cases = {
      {"ascii", "ab", 1, 0x62},
      {"two-byte", "a\xC3\xA9", 1, 0xE9},
      {"three-byte", "a\xE2\x82\xAC", 1, 0x20AC},
      {"four-byte", "a\xF0\x9F\x98\x80", 1, 0x1F600},
      // A continuation byte right before p is skipped; the ASCII byte before
      // it decodes on its own.
      {"stray continuation", "a\xA9", 0, 0x61},
      // p inside a three-byte sequence: the lead would run past p.
      {"inside a sequence", "a\xE2\x82", 0, 0x61},
      {"five continuation bytes", "\x80\x80\x80\x80\x80", 5, 0},
      {"six continuation bytes", "\x80\x80\x80\x80\x80\x80", 6, 0},
  };
  for (auto const& c : cases) {
    char const* p = c.bytes.data() + c.bytes.size();
    EXPECT_EQ(decrement(p) - c.bytes.data(), c.start) << c.name;
    EXPECT_EQ(prev_char(p), c.previous) << c.name;
    std::string::const_iterator const it = c.bytes.cend();
    EXPECT_EQ(decrement(it) - c.bytes.cbegin(), c.start) << c.name;
  }
}

TEST(Decrement, RaisesOnBrokenOrInvalidSequences) {
  struct Case {
    char const* name;
    std::string bytes;  // p is the end of these bytes
    bool bad_value;     // invalid_code_point rather than invalid_utf8
    uint8_t byte;
  };
  std::vector<Case> const cases = {
      // C3 would run past p and is skipped; E2 is broken by C3.
      {"lead broken by a lead", "\xE2\xC3", false, 0xE2},
      {"overlong", "a\xC0\x80", false, 0xC0},
      {"surrogate", "a\xED\xA0\x80", true, 0},
      {"above 10FFFF", "\xF4\x90\x80\x80", true, 0},
  };
  for (auto const& c : cases) {
    char const* p = c.bytes.data() + c.bytes.size();
    try {
      decrement(p);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (utf8::invalid_utf8 const& e) {
      EXPECT_FALSE(c.bad_value) << c.name;
      EXPECT_EQ(e.utf8_octet(), c.byte) << c.name;
    } catch (utf8::invalid_code_point const&) {
      EXPECT_TRUE(c.bad_value) << c.name;
    }
  }
}

// ---- encoding ----

TEST(FromUint, EncodesCodePoints) {
  struct Case {
    uint32_t code_point;
    std::string bytes;
  };
  std::vector<Case> const cases = {
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (auto const& c : cases) EXPECT_EQ(from_uint(c.code_point), c.bytes) << std::hex << c.code_point;

  unsigned int const range[] = {0x68, 0xE9, 0x1F600};
  EXPECT_EQ(from_uint(range, range + 3), "h\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(from_uint(range, range), "");
}

TEST(FromUint, RejectsValuesOutsideUnicode) {
  for (uint32_t bad : {0x110000u, 0xD800u, 0xDFFFu, 0xFFFFFFFFu}) {
    try {
      from_uint(bad);
      ADD_FAILURE() << std::hex << bad << " encoded";
    } catch (utf8::invalid_code_point const& e) {
      EXPECT_EQ(e.code_point(), bad);
    }
  }
}

TEST(FromUint, EncodesUtf16Units) {
  unsigned short const pair[] = {0xD83D, 0xDE00};
  EXPECT_EQ(from_uint(pair, pair + 2), "\xF0\x9F\x98\x80");
  unsigned short const mixed[] = {0x41, 0xE9, 0xD83D, 0xDE00, 0x20AC};
  EXPECT_EQ(from_uint(mixed, mixed + 5), "A\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\xAC");
  EXPECT_EQ(from_uint(static_cast<unsigned short>(0xE9)), "\xC3\xA9");

  struct Bad {
    char const* name;
    std::vector<unsigned short> units;
  };
  std::vector<Bad> const bad = {
      {"lone trail", {0xDE00}},
      {"lone lead at the end", {0x41, 0xD83D}},
      {"lead before a non-surrogate", {0xD83D, 0x41}},
      {"lead before a lead", {0xD83D, 0xD83D}},
  };
  for (auto const& b : bad) {
    EXPECT_THROW(from_uint(b.units.data(), b.units.data() + b.units.size()), utf8::invalid_utf16)
        << b.name;
  }
  EXPECT_THROW(from_uint(static_cast<unsigned short>(0xDE00)), utf8::invalid_utf16);
}

// ---- the escape reader ----

TEST(EscapeReader, ResolvesHexadecimalEscapes) {
  struct Case {
    std::string text;
    uint32_t code_point;
    std::ptrdiff_t consumed;
  };
  std::vector<Case> const cases = {
      {"\\u00e9", 0xE9, 6},
      {"\\u00E9rest", 0xE9, 6},
      {"\\x41", 0x41, 4},
      {"\\xff", 0xFF, 4},
      {"\\x414", 0x41, 4},  // exactly two digits
      {"\\U0001F600", 0x1F600, 10},
      {"\\U7FFFFFFF", 0x7FFFFFFF, 10},  // read, encoding it fails later
      {"q", 0x71, 1},
      {"\xC3\xA9", 0xE9, 2},
  };
  for (auto const& c : cases) {
    char const* it = c.text.data();
    ErrorCode error;
    EXPECT_EQ(next_parse_error_code(it, c.text.data() + c.text.size(), no_special_chars, &error),
              c.code_point)
        << c.text;
    EXPECT_EQ(it - c.text.data(), c.consumed) << c.text;
    EXPECT_EQ(error.code, 0) << c.text;
  }
}

TEST(EscapeReader, ShortHexadecimalEscapesRaise) {
  struct Case {
    std::string text;
    char const* message;  // empty: only the type is checked
  };
  std::vector<Case> const cases = {
      {"\\u00e", "Invalid unicode escape sequence. \\\\u requires 4 digits\n context:"},
      {"\\u00g9", "Invalid unicode escape sequence. \\\\u requires 4 digits\n context:"},
      {"\\u", "Invalid unicode escape sequence. \\\\u requires 4 digits\n context:"},
      {"\\x4", "Invalid unicode escape sequence. \\\\x requires 2 digits\n context:"},
      {"\\xg1", "Invalid unicode escape sequence. \\\\x requires 2 digits\n context:"},
      {"\\U0001F60", ""},
  };
  for (auto const& c : cases) {
    char const* it = c.text.data();
    try {
      next_parse_error_code(it, c.text.data() + c.text.size(), special_chars, nullptr);
      ADD_FAILURE() << c.text << ": no exception";
    } catch (zel::Exception const& e) {
      if (*c.message != '\0') {
        EXPECT_STREQ(e.what(), c.message) << c.text;
      }
    }
    // Left just after the escape letter.
    EXPECT_EQ(it - c.text.data(), 2) << c.text;
  }
}

TEST(EscapeReader, LongEscapeOutOfSignedRangeRaisesStoi) {
  std::string const text = "\\UFFFFFFFF";
  char const* it = text.data();
  try {
    next_parse_error_code(it, text.data() + text.size(), special_chars, nullptr);
    ADD_FAILURE() << "no exception";
  } catch (std::out_of_range const& e) {
    EXPECT_STREQ(e.what(), "stoi");
  }
  std::string const limit = "\\U80000000";
  it = limit.data();
  EXPECT_THROW(next_parse_error_code(it, limit.data() + limit.size(), special_chars, nullptr),
               std::out_of_range);
}

TEST(EscapeReader, BackslashAtTheEndRaises) {
  std::string const text = "\\";
  char const* it = text.data();
  EXPECT_THROW(next_parse_error_code(it, text.data() + 1, special_chars, nullptr),
               utf8::not_enough_room);
}

TEST(EscapeReader, KeepsSpecialCharactersEscaped) {
  std::string const text = "\\,";
  char const* it = text.data();
  char const* end = text.data() + text.size();
  EXPECT_EQ(next_parse_error_code(it, end, special_chars, nullptr), 0x5Cu);
  EXPECT_EQ(it - text.data(), 1);
  EXPECT_EQ(next_parse_error_code(it, end, special_chars, nullptr), 0x2Cu);
  EXPECT_EQ(it, end);
}

TEST(EscapeReader, IteratorFormsBehaveAlike) {
  std::string text = "\\u0041\\x42";
  std::string::iterator it = text.begin();
  EXPECT_EQ(next_parse_error_code(it, text.end(), no_special_chars, nullptr), 0x41u);
  EXPECT_EQ(next_parse(it, text.end(), no_special_chars), 0x42u);
  EXPECT_TRUE(it == text.end());
  std::string const& constant = text;
  std::string::const_iterator cit = constant.begin();
  EXPECT_EQ(next_parse(cit, constant.end(), no_special_chars), 0x41u);
  EXPECT_EQ(cit - constant.begin(), 6);
}

TEST(EscapeReader, InvalidEscapesGoToTheErrorCode) {
  struct Case {
    std::string text;
    uint32_t code_point;
    char const* message;
  };
  std::vector<Case> const cases = {
      {"\\q", 0x71, "Invalid escaped character [0x71(q)]"},
      {"\\,", 0x2C, "Invalid escaped character [0x2c(,)]"},
      {"\\\xC3\xA9", 0xE9, "Invalid escaped character [0xe9]"},
      {"\\\x7F", 0x7F, "Invalid escaped character [0x7f]"},
      {"\\~", 0x7E, "Invalid escaped character [0x7e(~)]"},
  };
  for (auto const& c : cases) {
    char const* it = c.text.data();
    char const* end = c.text.data() + c.text.size();
    ErrorCode error;
    EXPECT_EQ(next_parse_error_code(it, end, no_special_chars, &error), c.code_point) << c.text;
    EXPECT_EQ(it, end) << c.text;
    EXPECT_EQ(error.code, 1) << c.text;
    EXPECT_EQ(error.message, c.message) << c.text;
  }
}

TEST(EscapeReader, WithoutAnErrorCodeReportsOnStandardError) {
  std::string const text = "\\q";
  char const* it = text.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(next_parse_error_code(it, text.data() + 2, no_special_chars, nullptr), 0x71u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Invalid escaped character [0x71(q)]");

  it = text.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(next_parse(it, text.data() + 2, no_special_chars), 0x71u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Invalid escaped character [0x71(q)]");

  std::string const clean = "\\u0041";
  it = clean.data();
  testing::internal::CaptureStderr();
  EXPECT_EQ(next_parse(it, clean.data() + clean.size(), no_special_chars), 0x41u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// ---- whole-text decoding ----

std::string decode(std::string const& text, std::set<char> const& special, ErrorCode* error) {
  return detail::decode(text.data(), text.data() + text.size(), special, error);
}

TEST(Decode, ResolvesEscapesPerSpecialSet) {
  struct Case {
    char const* name;
    std::set<char> const* special;
    std::string text;
    std::string decoded;
    int code;
    std::string message;
  };
  std::vector<Case> const cases = {
      {"special keeps comma", &special_chars, "a\\,b", "a\\,b", 0, ""},
      {"special resolves u", &special_chars, "\\u0041", "A", 0, ""},
      {"special keeps colon", &special_chars, "\\:", "\\:", 0, ""},
      {"special rejects quote", &special_chars, "\\'", "'", 1,
       "Invalid escaped character [0x27(')]"},
      {"special keeps backslash pair", &special_chars, "\\\\", "\\\\", 0, ""},
      {"no special drops backslash", &no_special_chars, "\\,", ",", 1,
       "Invalid escaped character [0x2c(,)]"},
      {"quotes keep apostrophe", &special_chars_with_quotes, "\\'\\\"", "\\'\\\"", 0, ""},
      {"quotes reject equals", &special_chars_with_quotes, "\\=", "=", 1,
       "Invalid escaped character [0x3d(=)]"},
      {"quotes and equal keep equals", &special_chars_with_quotes_and_equal, "a\\=b", "a\\=b", 0,
       ""},
      {"two errors back to back", &no_special_chars, "\\q\\w", "qw", 1,
       "Invalid escaped character [0x71(q)]Invalid escaped character [0x77(w)]"},
      {"escaped non-ASCII", &no_special_chars, "\\\xC3\xA9", "\xC3\xA9", 1,
       "Invalid escaped character [0xe9]"},
      // An escape naming a backslash copies the next character unresolved.
      {"u escape of backslash", &no_special_chars, "\\u005C\\u0041", "\\\\u0041", 0, ""},
      {"plain text", &special_chars, "plain \xE2\x82\xAC", "plain \xE2\x82\xAC", 0, ""},
      {"empty", &special_chars, "", "", 0, ""},
  };
  for (auto const& c : cases) {
    ErrorCode error;
    EXPECT_EQ(decode(c.text, *c.special, &error), c.decoded) << c.name;
    EXPECT_EQ(error.code, c.code) << c.name;
    EXPECT_EQ(error.message, c.message) << c.name;
  }
}

TEST(Decode, SpecialSetsHoldTheirMembers) {
  EXPECT_EQ(special_chars.size(), 15u);
  EXPECT_EQ(special_chars_with_quotes.size(), 17u);
  EXPECT_EQ(special_chars_with_quotes_and_equal.size(), 18u);
  EXPECT_TRUE(no_special_chars.empty());
  for (char c : std::string(".*\\+?:()[]{},|$")) {
    EXPECT_EQ(special_chars.count(c), 1u) << c;
    EXPECT_EQ(special_chars_with_quotes.count(c), 1u) << c;
    EXPECT_EQ(special_chars_with_quotes_and_equal.count(c), 1u) << c;
  }
}

TEST(Decode, FailuresPropagate) {
  ErrorCode error;
  EXPECT_THROW(decode("\\u005C", no_special_chars, &error), utf8::not_enough_room);
  EXPECT_THROW(decode("\\uD800", no_special_chars, &error), utf8::invalid_code_point);
  EXPECT_THROW(decode("ab\\", special_chars, &error), utf8::not_enough_room);
  EXPECT_THROW(decode("\\x4", special_chars, &error), zel::Exception);
  EXPECT_THROW(decode("a\xC3(", special_chars, &error), utf8::invalid_utf8);
}

}  // namespace
}  // namespace unicode
}  // namespace string
}  // namespace zel
