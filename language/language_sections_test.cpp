#include "language/language_sections.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "language/lid_testutil.h"

namespace zel {
namespace lid {
namespace {

using testing::lid_test_engine;
using testing::lid_test_store;

const std::string kEnglish =
    "The people said that the house was good, and they would have been there.";
const std::string kGerman = "Der Tag war gut, und die Welt ist heute nicht mehr wie sie war.";

struct Section {
  std::size_t begin;
  std::size_t end;
  std::string language;
};

std::string json_of(const std::vector<Section>& sections) {
  std::string out = "[";
  for (const Section& s : sections) {
    if (out.size() > 1) out += ",";
    out += "{\"begin_offset\":" + std::to_string(s.begin) +
           ",\"end_offset\":" + std::to_string(s.end) + ",\"language\":\"" + s.language + "\"}";
  }
  return out + "]";
}

class LanguageSections : public ::testing::Test {
 protected:
  std::string sections(const std::string& text, const char* options = "{}") {
    return lid_test_store(*engine_, options)
        ->identify_language_sections(text.data(), text.size());
  }

  std::shared_ptr<kavero::Engine> engine_ = lid_test_engine();
};

TEST_F(LanguageSections, TwoParagraphsInTwoLanguages) {
  // The line breaks belong to the first section.
  const std::string first = kEnglish + "\n\n";
  const std::string text = first + kGerman;
  EXPECT_EQ(sections(text), json_of({{0, first.size(), "english"},
                                     {first.size(), text.size(), "german"}}));
  EXPECT_EQ(sections(text, R"({"long_names": "off"})"),
            json_of({{0, first.size(), "EN"}, {first.size(), text.size(), "DE"}}));
  // One CR LF is two line-break bytes and cuts as well.
  const std::string crlf = kEnglish + "\r\n" + kGerman;
  EXPECT_EQ(sections(crlf), json_of({{0, kEnglish.size() + 2, "english"},
                                     {kEnglish.size() + 2, crlf.size(), "german"}}));
}

TEST_F(LanguageSections, OneSection) {
  struct Case {
    std::string text;
    std::string language;
  } const cases[] = {
      {kEnglish, "english"},
      {kGerman, "german"},
      // One LF is not enough to cut.
      {kEnglish + "\n" + kGerman, "english"},
      // Too short to cut before the blank line.
      {"Der Tag.\n\n" + kEnglish, "english"},
      {"xyzzy", "english"},
      // A second paragraph decided with a value below 0.5 (German 4 words,
      // English 3: 0.447) is folded into the first.
      {kEnglish + "\n\nder und die sich the of and", "english"},
      // A weak section between two of one language: folded away, and the
      // two neighbours joined.
      {kEnglish + "\n\nder und die sich the of and\n\n" + kEnglish, "english"},
      // A paragraph of one looked-up word is too weak to count.
      {kEnglish + "\n\nDie Welt.\n\nThey would have been there when it was new.", "english"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sections(c.text), json_of({{0, c.text.size(), c.language}})) << c.text;
  }
}

TEST_F(LanguageSections, ParagraphsOfOneLanguageMakeOneSection) {
  const std::string text = kEnglish + "\n\n" + kGerman + "\n\n" + kGerman + "\n\n" + kEnglish;
  const std::size_t german = kEnglish.size() + 2;
  const std::size_t english = text.size() - kEnglish.size();
  EXPECT_EQ(sections(text), json_of({{0, german, "english"},
                                     {german, english, "german"},
                                     {english, text.size(), "english"}}));
}

TEST_F(LanguageSections, EmptyText) { EXPECT_EQ(sections(""), "[]"); }

TEST_F(LanguageSections, WithTheirText) {
  const std::string first = "The people said \"that\" the house was good.\n\n";
  const std::string text = first + kGerman;
  EXPECT_EQ(sections(text, R"({"section_data": "true"})"),
            "[{\"begin_offset\":0,\"end_offset\":" + std::to_string(first.size()) +
                ",\"language\":\"english\","
                "\"text\":\"The people said \\\"that\\\" the house was good.\\n\\n\"},"
                "{\"begin_offset\":" +
                std::to_string(first.size()) + ",\"end_offset\":" +
                std::to_string(text.size()) + ",\"language\":\"german\",\"text\":\"" + kGerman +
                "\"}]");
}

TEST_F(LanguageSections, CutsNeverSplitACharacter) {
  // The first paragraph is too short to end a section, so the cut waits; the
  // 19th byte of the text is the middle of "ö". Cut there, both chunks would
  // be invalid UTF-8.
  const std::string german = "Hallo!\n\nSchöne Grüße über die Brücke, und der Zug ist auch schön.";
  ASSERT_EQ(static_cast<unsigned char>(german[19]) & 0xC0, 0x80);
  const std::string text = german + "\n\n" + kEnglish;
  const std::size_t english = german.size() + 2;
  EXPECT_EQ(sections(text), json_of({{0, english, "german"}, {english, text.size(), "english"}}));
}

TEST_F(LanguageSections, InvalidUtf8) {
  const std::string broken = "the people \xC3";
  EXPECT_EQ(sections(broken), json_of({{0, broken.size(), "invalid utf8"}}));
  // An invalid chunk joins the section around it.
  const std::string text = kEnglish + "\n\n\xFF\xFF\n\n" + kEnglish;
  EXPECT_EQ(sections(text), json_of({{0, text.size(), "english"}}));
}

TEST_F(LanguageSections, TheirTextIsValidJsonWhateverTheBytes) {
  // Each invalid sequence of the text becomes U+FFFD in the section's text;
  // the offsets stay those of the bytes.
  const std::string kReplacement = "\xEF\xBF\xBD";
  struct Case {
    const char* name;
    std::string text;
    std::string shown;
  } const cases[] = {
      {"a cut sequence at the end", "the people \xC3", "the people " + kReplacement},
      {"stray bytes", "the \xFF\xFEpeople", "the " + kReplacement + kReplacement + "people"},
      {"an encoded surrogate", "the \xED\xA0\x80 people", "the " + kReplacement + " people"},
      {"an overlong slash", "the \xC0\xAF people", "the " + kReplacement + " people"},
      {"a NUL byte", std::string("the \0 people", 12), std::string("the \0 people", 12)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = sections(c.text, R"({"section_data": "true"})");
    ASSERT_TRUE(nlohmann::json::accept(out)) << out;
    const nlohmann::json parsed = nlohmann::json::parse(out);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["end_offset"], c.text.size());
    EXPECT_EQ(parsed[0]["text"], c.shown);
  }
}

TEST(LanguageSectionParts, ValidChunksAndTheirValue) {
  SectionDetectionResult chunk;
  chunk.found = true;
  chunk.words = 3;
  EXPECT_TRUE(valid_condition(chunk));
  chunk.words = 2;
  EXPECT_FALSE(valid_condition(chunk));
  chunk.words = 30;
  chunk.found = false;
  EXPECT_FALSE(valid_condition(chunk));

  SectionDetectionResult current;
  current.probability = 0.9;
  chunk.words = 7;
  chunk.hits = 5;
  chunk.probability = 0.5;
  update_probability(current, chunk);
  EXPECT_EQ(current.probability, 0.9);
  EXPECT_EQ(current.words, 7);
  EXPECT_EQ(current.hits, 5);
  chunk.probability = 0.7;
  update_probability(current, chunk);
  EXPECT_DOUBLE_EQ(current.probability, 0.8);
}

}  // namespace
}  // namespace lid
}  // namespace zel
