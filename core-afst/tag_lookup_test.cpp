#include "core-afst/tag_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/output_capture_testutil.h"
#include "core-afst/lookup_network_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using testing::lexicon;

std::vector<std::string> pieces(const std::string& text) {
  std::vector<std::string> texts;
  for (const auto& [first, second] : is_camelcase(text)) texts.emplace_back(first, second);
  return texts;
}

TEST(TagLookupTest, TagCharacters) {
  EXPECT_EQ(get_tag_property("#tag"), "#+hash-tag");
  EXPECT_EQ(get_tag_property("@name"), "#+add-tag");
  EXPECT_EQ(get_tag_property("tag"), "");
  EXPECT_EQ(get_tag_property(""), "");
  EXPECT_EQ(&get_tag_property("#a"), &get_tag_property("#b"));  // one constant

  EXPECT_TRUE(is_tag_begin_char('#'));
  EXPECT_TRUE(is_tag_begin_char('@'));
  EXPECT_FALSE(is_tag_begin_char('a'));
  EXPECT_FALSE(is_tag_begin_char(0x100000023ull));  // not cut to 32 bits
}

TEST(TagLookupTest, AllCaps) {
  struct Case {
    std::string text;
    bool caps;
  };
  const std::vector<Case> cases = {
      {"ABC", true}, {"ÄÖÜ", true},  {"", true},   {"AbC", false},
      {"A1", false}, {"A-B", false}, {"ǅ", false},  // title case is not upper case
  };
  for (const auto& c : cases) {
    const Utf8Range range(c.text.data(), c.text.data() + c.text.size());
    EXPECT_EQ(all_caps(range), c.caps) << c.text;
  }
  const std::string bad = "A\xff";
  EXPECT_THROW(all_caps({bad.data(), bad.data() + bad.size()}), utf8::exception);
}

TEST(TagLookupTest, CamelCaseSplit) {
  struct Case {
    std::string text;
    std::vector<std::string> pieces;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"#", {}},
      {"Ä", {}},  // two bytes, one code point
      {"#a", {"a"}},
      {"#HelloWorld", {"Hello", "World"}},
      {"#helloWorld", {"hello", "World"}},
      {"#NASAGoesHome", {"NASA", "Goes", "Home"}},
      {"#ABc", {"A", "Bc"}},
      {"#ABC1", {"ABC", "1"}},
      {"#Top10List", {"Top", "10", "List"}},
      {"#Hello_World", {"Hello", "", "World"}},  // the piece before "_" is empty
      {"#HELLO_World", {"HELLO", "World"}},
      {"#Hello__", {"Hello", "", "_"}},  // the last character always closes
      {"#Hello#World", {"Hello", "World"}},
      {"#AB#Cd", {"Cd"}},       // "#" drops the open piece
      {"#iPhone", {"iPhone"}},  // not after the first letter
      {"#ÄrgerÜber", {"Ärger", "Über"}},
      {"@jo_", {"jo", "_"}},
      {"@a_", {"a_"}},  // the last character always closes
  };
  for (const auto& c : cases) EXPECT_EQ(pieces(c.text), c.pieces) << c.text;
  EXPECT_THROW(is_camelcase("#Ab\xff"), utf8::exception);
}

class TagLookupCamelCaseTest : public ::testing::Test {
 protected:
  static std::shared_ptr<AFst> camel_lexicon() {
    testing::TestNetwork net;
    net.word("Hello", "hello+Intj");
    net.word("world", "world+Nn-Sg");
    net.word("Jo", "zo+Prop");  // two outputs: the first found, not the first sorted
    net.word("Jo", "jo+Nn-Sg");
    net.word("nasa", "NASA+Prop");
    net.word("cat", "cat+Nn-Sg");
    net.word("10", "ten+Num");
    net.path({"L", "i", "s", "t"}, {"input", "+Nn-Sg"});  // the word itself
    return net.network();
  }

  std::shared_ptr<AFst> network_ = camel_lexicon();
  TagLookup folded_{network_, std::make_shared<LookupConverterLowercase>()};
  TagLookup exact_{network_, nullptr};
};

TEST_F(TagLookupCamelCaseTest, OneAnswerWithAComponentPerPiece) {
  struct Case {
    std::string word;
    std::string folded;  // the answer with the lower-casing converter
    std::string exact;   // the answer without a converter
  };
  const std::vector<Case> cases = {
      {"#HelloWorld", "#+hash-tag#hello+Intj#world+Nn-Sg",
       "#+hash-tag#hello+Intj#World+Nn-Std+TLNF"},
      {"@HelloWorld", "#+add-tag#hello+Intj#world+Nn-Sg", "#+add-tag#hello+Intj#World+Nn-Std+TLNF"},
      {"@Jo", "#+add-tag#zo+Prop", "#+add-tag#zo+Prop"},
      // Digits are never looked up.
      {"#Top10", "#+hash-tag#Top+Nn-Std+TLNF#10+Num-Std", "#+hash-tag#Top+Nn-Std+TLNF#10+Num-Std"},
      {"#10List", "#+hash-tag#10+Num-Std#List+Nn-Sg", "#+hash-tag#10+Num-Std#List+Nn-Sg"},
      // Capitals: only a three-letter piece is tried converted.
      {"#CAT", "#+hash-tag#cat+Nn-Sg", "#+hash-tag#CAT+Nn-Std+all-cap"},
      {"#NASA", "#+hash-tag#NASA+Nn-Std+all-cap", "#+hash-tag#NASA+Nn-Std+all-cap"},
      {"#CATWorld", "#+hash-tag#cat+Nn-Sg#world+Nn-Sg",
       "#+hash-tag#CAT+Nn-Std+all-cap#World+Nn-Std+TLNF"},
      // An underscore separates pieces and belongs to none.
      {"#Hello_World", "#+hash-tag#hello+Intj#world+Nn-Sg",
       "#+hash-tag#hello+Intj#World+Nn-Std+TLNF"},
      {"#Hello_Cat", "#+hash-tag#hello+Intj#cat+Nn-Sg", "#+hash-tag#hello+Intj#Cat+Nn-Std+TLNF"},
      {"#_Hello", "#+hash-tag#hello+Intj", "#+hash-tag#hello+Intj"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(folded_.up(c.word), ElementsAre(c.folded)) << c.word;
    EXPECT_THAT(exact_.up(c.word), ElementsAre(c.exact)) << c.word;
  }
}

TEST_F(TagLookupCamelCaseTest, NoTagNoAnswer) {
  EXPECT_EQ(folded_.type(), 9);
  for (const std::string word : {"Hello", "hello", "1Hello", "", "\\#Hello", "_Hello"}) {
    EXPECT_THAT(folded_.up(word), IsEmpty()) << word;
  }
}

TEST_F(TagLookupCamelCaseTest, InputLabelStandsForThePiece) {
  // The entry "List" writes "input": the piece, not the whole tag.
  EXPECT_THAT(exact_.up("#HelloList"), ElementsAre("#+hash-tag#hello+Intj#List+Nn-Sg"));
}

TEST(TagLookupCompoundTest, LowerCaseTagsAreSplitIntoLexiconEntries) {
  auto converter = std::make_shared<LookupConverterLowercase>();
  TagLookup lookup(lexicon({{"hello", "hello+Interj"}, {"world", "world+Nn-Sg"}}), converter);
  struct Case {
    std::string word;
    std::vector<std::string> answers;
  };
  const std::vector<Case> cases = {
      {"#helloworld", {"#+hash-tag#hello+Interj#world+Nn-Sg"}},
      {"@helloworld", {"#+add-tag#hello+Interj#world+Nn-Sg"}},
      // A second "#" is passed over.
      {"##helloworld", {"#+hash-tag#hello+Interj#world+Nn-Sg"}},
      // Digits make a component of their own; an underscore joins the
      // component before it.
      {"#hello2024", {"#+hash-tag#hello+Interj#2024+Num"}},
      {"#hello_world", {"#+hash-tag#hello+Interj#world+Nn-Sg"}},
      // The first piece decides: "helloWorld" begins in lower case.
      {"#helloWorld", {}},
      // Tags that do not split, or are one entry as a whole.
      {"#xyzzy", {}},
      {"#hello", {}},
      {"#", {}},
      // The converter is not applied on this path.
      {"#hElloworld", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup.up(c.word), c.answers) << c.word;
}

TEST(TagLookupCompoundTest, AtMostSevenComponents) {
  testing::TestNetwork net;
  for (char letter = 'a'; letter <= 'h'; ++letter) {
    net.word(std::string(1, letter), std::string(1, letter) + "+X");
  }
  TagLookup lookup(net.network(), nullptr);
  EXPECT_THAT(lookup.up("#abcdefg"), ElementsAre("#+hash-tag#a+X#b+X#c+X#d+X#e+X#f+X#g+X"));
  EXPECT_THAT(lookup.up("#abcdefgh"), IsEmpty());
}

TEST_F(TagLookupCamelCaseTest, BadUtf8Raises) {
  EXPECT_THROW(folded_.up("#Hello\xff"), utf8::exception);
  EXPECT_THROW(folded_.up("#hello\xff"), utf8::exception);
}

TEST_F(TagLookupCamelCaseTest, ConcurrentCalls) {
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        if (exact_.up("#HelloWorld") ==
            std::vector<std::string>{"#+hash-tag#hello+Intj#World+Nn-Std+TLNF"}) {
          ++right;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(right, 800);
}

TEST_F(TagLookupCamelCaseTest, PrintResults) {
  EXPECT_EQ(zel::testing::capture_stdout([&] { folded_.print_results("#HelloWorld"); }),
            "up [#HelloWorld]\n  -- #+hash-tag#hello+Intj#world+Nn-Sg\n");
}

}  // namespace
}  // namespace afst
}  // namespace zel
