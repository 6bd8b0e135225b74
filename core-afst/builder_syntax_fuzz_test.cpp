// Both text syntaxes of the builder (formatted strings and the regex form of
// arc lines) over random patterns: groups nested three deep, alternatives
// that are often empty, and every repetition modifier. The strings a built
// network accepts, up to a length, must be the strings that std::regex
// accepts for the same pattern read with the builder's rules:
//   - an empty alternative is dropped from a group that has others;
//   - a group of nothing but empty alternatives is the empty sequence;
//   - "{0}" and "{0,0}" repeat zero times or once.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core-afst/arc_line.h"
#include "core-afst/builder.h"
#include "core-afst/formatted_string.h"
#include "core-afst/network_paths_testutil.h"

namespace zel {
namespace afst {
namespace {

using Strings = std::set<std::string>;

// The longest string compared; every string over the alphabet up to it is
// tried against the expectation.
constexpr size_t kLongest = 4;
const char kAlphabet[] = "abc";

// A random pattern, written once for the builder and once for std::regex.
class PatternMaker {
 public:
  explicit PatternMaker(unsigned seed) : random_(seed) {}

  void make() {
    builder_text.clear();
    regex_text.clear();
    sequence(0, 1, builder_text, regex_text);
  }

  std::string builder_text;
  std::string regex_text;

 private:
  unsigned below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }

  // From `fewest` to 3 items: letters, and groups while `depth` allows.
  void sequence(int depth, unsigned fewest, std::string& text, std::string& regex) {
    const unsigned items = fewest + below(4 - fewest);
    for (unsigned i = 0; i < items; ++i) {
      if (depth < 3 && below(3) == 0) {
        group(depth + 1, text, regex);
      } else {
        const char letter = kAlphabet[below(3)];
        text += letter;
        regex += letter;
      }
    }
  }

  void group(int depth, std::string& text, std::string& regex) {
    const unsigned alternatives = 1 + below(3);
    std::vector<std::string> kept;
    text += "(";
    for (unsigned i = 0; i < alternatives; ++i) {
      if (i > 0) text += "|";
      std::string alternative_text;
      std::string alternative_regex;
      // One alternative in three is empty.
      if (below(3) != 0) sequence(depth, 1, alternative_text, alternative_regex);
      text += alternative_text;
      if (!alternative_text.empty()) kept.push_back(alternative_regex);
    }
    text += ")";
    regex += "(";
    for (size_t i = 0; i < kept.size(); ++i) regex += (i > 0 ? "|" : "") + kept[i];
    regex += ")";

    static const char* const kModifiers[][2] = {
        {"", ""},           {"?", "?"},           {"*", "*"},         {"+", "+"},
        {"{0}", "{0,1}"},   {"{0,0}", "{0,1}"},   {"{1}", "{1}"},     {"{2}", "{2}"},
        {"{0,2}", "{0,2}"}, {"{1,3}", "{1,3}"},   {"{2,3}", "{2,3}"},
    };
    const auto& modifier = kModifiers[below(sizeof kModifiers / sizeof kModifiers[0])];
    text += modifier[0];
    regex += modifier[1];
  }

  std::mt19937 random_;
};

// Every string over the alphabet up to kLongest letters that the expression
// matches whole.
Strings expected_strings(const std::string& expression) {
  const std::regex regex(expression);
  Strings out;
  std::vector<std::string> layer = {""};
  for (size_t length = 0; length <= kLongest; ++length) {
    std::vector<std::string> longer;
    for (const std::string& s : layer) {
      if (std::regex_match(s, regex)) out.insert(s);
      for (const char* c = kAlphabet; *c != '\0'; ++c) longer.push_back(s + *c);
    }
    layer = std::move(longer);
  }
  return out;
}

// The input strings of a built network up to kLongest letters; every output
// must be empty.
Strings accepted_strings(const fst::StdVectorFst& network) {
  Strings out;
  for (const std::string& relation : zel::testing::accepted_relations(network, kLongest)) {
    const size_t arrow = relation.find(" -> ");
    EXPECT_EQ(relation.substr(arrow), " -> ") << relation;
    std::string input;
    for (char c : relation.substr(0, arrow)) {
      if (c != ' ') input += c;
    }
    if (input.size() <= kLongest) out.insert(input);
  }
  return out;
}

// The network of a formatted string inside a group of its own within one
// rule, as the rule compiler uses it.
Strings formatted_string_strings(const std::string& text) {
  Builder b;
  b.open_rule();
  b.open_group();
  add_formatted_string(&b, text);
  b.close_group("");
  b.close_rule();
  return accepted_strings(*b.build(true));
}

// The network of one regex arc line making one rule.
Strings arc_line_strings(const std::string& text) {
  Builder b;
  b.open_rule();
  EXPECT_EQ(push_arcs_line(b, "regex:" + text), kArcLineDone) << text;
  b.close_rule();
  return accepted_strings(*b.build(true));
}

// Fixed patterns first, then random ones from fixed seeds.
std::vector<std::pair<std::string, std::string>> patterns() {
  std::vector<std::pair<std::string, std::string>> out = {
      {"(|)", "()"},           {"(|)?", "()?"},         {"(|)*", "()*"},
      {"(|)+", "()+"},         {"(|){1,3}", "(){1,3}"}, {"a(|)?b", "a()?b"},
      {"(a|)*", "(a)*"},       {"((|)|b){2}", "((())|b){2}"},
      {"(||)c(|)+", "()c()+"},
  };
  PatternMaker maker(29);
  for (int i = 0; i < 300; ++i) {
    maker.make();
    out.emplace_back(maker.builder_text, maker.regex_text);
  }
  return out;
}

TEST(BuilderSyntaxFuzzTest, FormattedStringsAcceptWhatTheirPatternsDescribe) {
  for (const auto& [text, expression] : patterns()) {
    SCOPED_TRACE(text + "  as  " + expression);
    EXPECT_EQ(formatted_string_strings(text), expected_strings(expression));
  }
}

TEST(BuilderSyntaxFuzzTest, RegexArcLinesAcceptWhatTheirPatternsDescribe) {
  for (const auto& [text, expression] : patterns()) {
    SCOPED_TRACE(text + "  as  " + expression);
    EXPECT_EQ(arc_line_strings(text), expected_strings(expression));
  }
}

}  // namespace
}  // namespace afst
}  // namespace zel
