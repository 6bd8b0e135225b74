#include "base/base64.h"

#include <exception>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace string {
namespace base64 {
namespace {

struct Vector {
  std::string bytes;
  std::string text;
};

TEST(Base64, KnownVectorsBothWays) {
  const std::vector<Vector> vectors = {
      {"", ""},           {"M", "TQ=="},          {"Ma", "TWE="},
      {"Man", "TWFu"},    {"foob", "Zm9vYg=="},   {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {std::string("\0\xff", 2), "AP8="},
      {"\xC3\xA9t\xC3\xA9", "w6l0w6k="},
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.text);
    EXPECT_EQ(encode(v.bytes), v.text);
    EXPECT_EQ(encode(std::vector<unsigned char>(v.bytes.begin(), v.bytes.end())), v.text);
    EXPECT_EQ(decode(v.text), v.bytes);
  }
}

TEST(Base64, EveryByteValueSurvivesARoundTrip) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (std::size_t n = 0; n <= all.size(); n += 85) {
    const std::string part = all.substr(0, n) + all.substr(n);  // rotated
    EXPECT_EQ(decode(encode(part)), part);
    EXPECT_EQ(decode(encode(part.substr(1))), part.substr(1));
    EXPECT_EQ(decode(encode(part.substr(2))), part.substr(2));
  }
}

TEST(Base64, DecodingAddsMissingPaddingAndSkipsWhiteSpace) {
  EXPECT_EQ(decode("TWE"), "Ma");
  EXPECT_EQ(decode("TQ"), "M");
  EXPECT_EQ(decode("Zm9v\nYmFy"), "foobar");
  EXPECT_EQ(decode(" TW Fu"), "Man");
  // A line-wrapped text, as the base64 tool writes it, loses nothing.
  const std::string source(100, 'k');
  std::string wrapped = encode(source);
  for (std::size_t at = 76; at < wrapped.size(); at += 77) wrapped.insert(at, "\n");
  EXPECT_EQ(decode(wrapped + "\n"), source);
}

TEST(Base64, CharactersOutsideTheAlphabetRaise) {
  for (const std::string bad : {"TW*u", "TW\xC3\xA9", "TW-_"}) {
    SCOPED_TRACE(bad);
    try {
      decode(bad);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), "attempt to decode a value not in base64 char set");
    }
  }
}

}  // namespace
}  // namespace base64
}  // namespace string
}  // namespace zel
