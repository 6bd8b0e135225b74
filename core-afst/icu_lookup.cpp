#include "core-afst/icu_lookup.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <iostream>

namespace zel {
namespace afst {

namespace {

std::vector<std::string> answer(const std::string& word, const char* tag) {
  std::string text;
  // The readers of lexicon outputs take a text beginning with "#" for a
  // compound entry and drop one leading backslash; the backslash keeps the
  // token as the stem.
  if (word[0] == '#' || word[0] == '\\') text += '\\';
  text += word;
  text += tag;
  return {text};
}

}  // namespace

ICULookup::ICULookup(std::shared_ptr<ILookupConverter>) {}

ICULookup::~ICULookup() = default;

int32_t ICULookup::type() const { return 10; }

std::vector<std::string> ICULookup::up(const std::string& word) {
  if (word.empty()) return {};
  bool first_upper = false;
  bool proper = false;
  bool digit_seen = false;
  bool first = true;
  for (auto it = word.begin(); it != word.end(); first = false) {
    const uint32_t c = utf8::next(it, word.end());
    switch (u_charType(static_cast<UChar32>(c))) {
      case U_DASH_PUNCTUATION:
      case U_CONNECTOR_PUNCTUATION:
      case U_OTHER_PUNCTUATION:
        return answer(word, "+Punct");
      case U_START_PUNCTUATION:
      case U_INITIAL_PUNCTUATION:
        return answer(word, "+Punct-Open");
      case U_END_PUNCTUATION:
      case U_FINAL_PUNCTUATION:
        return answer(word, "+Punct-Close");
      case U_CURRENCY_SYMBOL:
        return answer(word, "+Nn-Sym+currency");
      case U_UPPERCASE_LETTER:
        if (first) first_upper = true;
        break;
      case U_LOWERCASE_LETTER:
      case U_OTHER_LETTER:
        if (!first && first_upper) proper = true;
        break;
      case U_DECIMAL_DIGIT_NUMBER:
        digit_seen = true;
        break;
      default:
        proper = false;
        break;
    }
  }
  if (digit_seen) return answer(word, "+Num-Std");
  if (proper) return answer(word, "+Prop-Std");
  return {};
}

void ICULookup::print_results(const std::string& word) {
  for (const auto& output : up(word)) std::cout << "  -g- " << output << std::endl;
}

}  // namespace afst
}  // namespace zel
