#include "core-afst/guesser_text.h"

#include <gtest/gtest.h>
#include <utf8.h>

#include <stdexcept>
#include <string>

namespace zel {
namespace afst {
namespace {

GuesserFactory make(const std::string& word) {
  return GuesserFactory(word.data(), word.data() + word.size());
}

// The buffer after the text's end holds only zero bytes.
void expect_zero_after_end(const GuesserFactory& text) {
  for (const char* p = text.end(); p != text.begin() + GuesserFactory::kBufferSize; ++p) {
    ASSERT_EQ(*p, '\0') << "at " << (p - text.begin());
  }
}

TEST(GuesserTextTest, ShortensLongRuns) {
  struct Case {
    std::string word;
    std::string text;
  };
  const Case cases[] = {
      {"", ""},
      {"ab", "ab"},
      {"aab", "aab"},           // a run of two stays
      {"aaab", "aab"},          // three become two
      {"baaaaaal", "baal"},     // and so do more
      {"aaabbbccc", "aabbcc"},  // every run on its own
      {"ääää", "ää"},           // code points, not bytes
      {"äöäöäö", "äöäöäö"},     // bytes repeat, code points do not
      {"abababab", "abababab"},
  };
  for (const auto& c : cases) {
    GuesserFactory text = make(c.word);
    EXPECT_EQ(text.str(), c.text) << c.word;
    EXPECT_EQ(text.initial_length(), static_cast<int32_t>(c.text.size())) << c.word;
    expect_zero_after_end(text);
  }
}

TEST(GuesserTextTest, RefusesWhatDoesNotFit) {
  // 51 bytes after shortening fit; long runs are shortened before they count.
  std::string fits;
  for (int i = 0; i < 51; ++i) fits += static_cast<char>('a' + (i % 2));
  EXPECT_EQ(make(fits).size(), 51u);
  EXPECT_EQ(make(std::string(200, 'a')).str(), "aa");
  std::string too_long = fits + "c";
  EXPECT_THROW(make(too_long), std::length_error);
  // Invalid UTF-8 is not copied.
  EXPECT_THROW(make("ab\xC3"), utf8::exception);
  EXPECT_THROW(make("\xFF"), utf8::exception);
}

TEST(GuesserTextTest, ReplaceAndRestore) {
  GuesserFactory text = make("abcdef");
  const char* at = text.begin() + 2;

  // Removing a character.
  text.replace(at, at + 1, at, at);
  EXPECT_EQ(text.str(), "abdef");
  expect_zero_after_end(text);
  EXPECT_TRUE(text.logged(at));
  text.restore(at);
  EXPECT_EQ(text.str(), "abcdef");
  EXPECT_FALSE(text.logged(at));
  expect_zero_after_end(text);

  // Exchanging two characters of different lengths.
  GuesserFactory umlaut = make("abcäd");
  const char* c = umlaut.begin() + 2;
  const std::string swapped = "äc";
  umlaut.replace(c, c + 3, swapped.data(), swapped.data() + swapped.size());
  EXPECT_EQ(umlaut.str(), "abäcd");
  umlaut.restore(c);
  EXPECT_EQ(umlaut.str(), "abcäd");

  // Restoring where nothing is logged changes nothing.
  text.restore(text.begin() + 1);
  EXPECT_EQ(text.str(), "abcdef");
}

TEST(GuesserTextTest, TheFirstChangeAtAPositionIsTheOneRestored) {
  GuesserFactory text = make("abcdef");
  const char* at = text.begin() + 1;
  text.replace(at, at + 1, at, at);  // "acdef"
  text.replace(at, at + 1, at, at);  // "adef", logged under the same key
  EXPECT_EQ(text.str(), "adef");
  // A change further on has its own entry.
  const char* later = text.begin() + 2;
  text.replace(later, later + 1, later, later);  // "adf"
  EXPECT_EQ(text.str(), "adf");
  text.restore(later);
  EXPECT_EQ(text.str(), "adef");
  text.restore(at);
  EXPECT_EQ(text.str(), "abcdef");
  expect_zero_after_end(text);
}

TEST(GuesserTextTest, ChangesStayInsideTheText) {
  GuesserFactory text = make("abc");
  const char* b = text.begin();
  const std::string x = "x";
  // Ranges outside the text or reversed.
  EXPECT_THROW(text.replace(b + 2, b + 1, b, b), std::out_of_range);
  EXPECT_THROW(text.replace(b + 1, b + 4, b, b), std::out_of_range);
  EXPECT_THROW(text.replace(b, b, x.data() + 1, x.data()), std::out_of_range);
  EXPECT_EQ(text.str(), "abc");
  EXPECT_FALSE(text.logged(b));

  // The text may not outgrow the buffer.
  const std::string lots(GuesserFactory::kBufferSize, 'y');
  EXPECT_THROW(text.replace(b, b + 1, lots.data(), lots.data() + lots.size()), std::length_error);
  EXPECT_EQ(text.str(), "abc");
  EXPECT_FALSE(text.logged(b));
}

}  // namespace
}  // namespace afst
}  // namespace zel
