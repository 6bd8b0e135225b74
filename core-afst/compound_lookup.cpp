#include "core-afst/compound_lookup.h"

#include <utf8.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/normalize.h"
#include "base/string_util.h"

namespace zel {
namespace afst {

namespace {

// The default component limit: at most 13 components.
constexpr int32_t kDefaultMaxComponents = 12;

std::string converted(const WordLookup& lookup, const std::string& word) {
  return lookup.converter() ? (*lookup.converter())(word) : word;
}

// The byte offset of every character start of a text, and its length;
// false for invalid UTF-8.
bool character_offsets(const std::string& text, std::vector<int64_t>& offsets) {
  offsets.clear();
  const char* it = text.data();
  const char* const end = it + text.size();
  try {
    while (it != end) {
      offsets.push_back(it - text.data());
      utf8::next(it, end);
    }
  } catch (const utf8::exception&) {
    return false;
  }
  offsets.push_back(static_cast<int64_t>(text.size()));
  return true;
}

// The text whose bytes an answer copies, and how the offsets of the search
// (made in the converted word) carry over to it. The answer copies the word
// as given when the converter left the number of characters alone, so the
// n-th character of the one is the n-th of the other (the lower-casing
// converter maps character to character, though not byte length to byte
// length: "İ" has two bytes, "i" one). Otherwise it copies the converted
// word itself.
class SurfaceWord {
 public:
  SurfaceWord(const std::string& word, const std::string& searched) : text_(&searched) {
    if (word == searched) return;
    if (character_offsets(searched, searched_offsets_) && character_offsets(word, word_offsets_) &&
        searched_offsets_.size() == word_offsets_.size()) {
      text_ = &word;
    } else {
      searched_offsets_.clear();
    }
  }

  const std::string& text() const { return *text_; }

  CompoundSplit place(CompoundSplit split) const {
    if (searched_offsets_.empty()) return split;
    for (auto& part : split) {
      part.start = carry(part.start);
      part.end = carry(part.end);
    }
    return split;
  }

 private:
  // Components begin and end at character starts of the searched word.
  int64_t carry(int64_t offset) const {
    const auto at = std::lower_bound(searched_offsets_.begin(), searched_offsets_.end(), offset);
    if (at == searched_offsets_.end()) return word_offsets_.back();
    return word_offsets_[at - searched_offsets_.begin()];
  }

  const std::string* text_;
  std::vector<int64_t> searched_offsets_;  // empty: offsets carry over as they are
  std::vector<int64_t> word_offsets_;
};

std::vector<std::string> answers(const std::string& word, const std::string& searched,
                                 const std::vector<CompoundSplit>& splits) {
  const SurfaceWord surface(word, searched);
  std::vector<std::string> texts;
  texts.reserve(splits.size());
  for (const auto& split : splits) {
    texts.push_back(construct_stem_v3(surface.text(), surface.place(split)));
  }
  return texts;
}

bool search_splits(ResultsMementoV2& state, const WordLookup& lookup, const std::string& word,
                   int max_components) {
  const char* begin = word.data();
  const char* end = begin + word.size();
  return utf8_iterator::match_section(state, *lookup.network(), begin, begin, end, max_components);
}

// Whether the output has a "+" followed by at least three characters, the
// first of them "N": a noun reading.
bool noun_tags(const std::string& output) {
  const std::size_t plus = output.find('+');
  return plus != std::string::npos && output.size() - plus > 3 && output[plus + 1] == 'N';
}

void append_components(std::string& text, const CompoundSplit& split, bool always_hash) {
  for (const auto& part : split) {
    if (part.output.empty()) continue;
    if (always_hash || part.output.front() != '#') text += '#';
    text += part.output;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

CompoundLookupV2::CompoundLookupV2(std::shared_ptr<AFst> network,
                                   std::shared_ptr<ILookupConverter> converter)
    : lookup_(std::move(network), std::move(converter)) {}

CompoundLookupV2::CompoundLookupV2(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                                   std::shared_ptr<ILookupConverter> converter)
    : lookup_(std::move(transducer), std::move(converter)) {}

CompoundLookupV2::~CompoundLookupV2() = default;

int32_t CompoundLookupV2::type() const { return 3; }

std::vector<std::string> CompoundLookupV2::up(const std::string& word) {
  const std::string searched = converted(lookup_, word);
  ResultsMementoV2 state;
  search_splits(state, lookup_, searched, kDefaultMaxComponents);
  if (state.splits.empty()) return {};
  if (get_most_likely_components(searched, state.splits) < 0) return {};
  return answers(word, searched, state.splits);
}

// ---------------------------------------------------------------------------

CompoundLookupV3::CompoundLookupV3(std::shared_ptr<AFst> network,
                                   std::shared_ptr<ILookupConverter> converter,
                                   const nlohmann::json& config)
    : lookup_(std::move(network), std::move(converter)) {
  set_configuration_parameters(config);
}

CompoundLookupV3::CompoundLookupV3(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                                   std::shared_ptr<ILookupConverter> converter,
                                   const nlohmann::json& config)
    : lookup_(std::move(transducer), std::move(converter)) {
  set_configuration_parameters(config);
}

CompoundLookupV3::~CompoundLookupV3() = default;

int32_t CompoundLookupV3::type() const { return 4; }

void CompoundLookupV3::set_configuration_parameters(const nlohmann::json& config) {
  if (!config.is_object()) return;
  const auto found = config.find("max_components");
  if (found == config.end()) return;
  const nlohmann::json& value = *found;
  // Numbers beyond the 32-bit range are held at its bounds rather than
  // wrapped (or, for a fraction, converted with undefined behaviour).
  constexpr int64_t kLow = std::numeric_limits<int32_t>::min();
  constexpr int64_t kHigh = std::numeric_limits<int32_t>::max();
  if (value.is_number_float()) {
    const double number = std::trunc(value.get<double>());
    if (std::isnan(number)) {
      max_components_ = 0;
    } else {
      max_components_ = static_cast<int32_t>(
          std::clamp(number, static_cast<double>(kLow), static_cast<double>(kHigh)));
    }
  } else if (value.is_number_unsigned()) {
    max_components_ = static_cast<int32_t>(
        std::min<uint64_t>(value.get<uint64_t>(), static_cast<uint64_t>(kHigh)));
  } else if (value.is_number_integer()) {
    max_components_ = static_cast<int32_t>(std::clamp<int64_t>(value.get<int64_t>(), kLow, kHigh));
  } else {
    // A boolean reads as 0 or 1; any other type raises type_error 302.
    max_components_ = value.get<int32_t>();
  }
}

ResultsMementoV2 CompoundLookupV3::search(const std::string& converted_word) const {
  ResultsMementoV2 state;
  search_splits(state, lookup_, converted_word, max_components_);
  return state;
}

ResultsMementoV2 CompoundLookupV3::get_candidates(const std::string& word) const {
  return search(converted(lookup_, word));
}

std::vector<std::string> CompoundLookupV3::up(const std::string& word) {
  const std::string searched = converted(lookup_, word);
  ResultsMementoV2 state = search(searched);
  if (state.splits.empty()) return {};
  filter_genetives(state.splits);
  if (get_most_likely_components(word, state.splits) < 0) return {};
  return answers(word, searched, state.splits);
}

// ---------------------------------------------------------------------------

CompoundLookupNumbers::CompoundLookupNumbers(std::shared_ptr<AFst> network,
                                             std::shared_ptr<ILookupConverter> converter,
                                             const nlohmann::json& config)
    : lookup_(std::move(network), std::move(converter), config) {}

CompoundLookupNumbers::CompoundLookupNumbers(
    std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
    std::shared_ptr<ILookupConverter> converter, const nlohmann::json& config)
    : lookup_(std::move(transducer), std::move(converter), config) {}

CompoundLookupNumbers::~CompoundLookupNumbers() = default;

int32_t CompoundLookupNumbers::type() const { return 5; }

std::vector<std::string> CompoundLookupNumbers::up(const std::string& word) {
  const std::string searched = converted(lookup_.lookup_, word);
  ResultsMementoV2 state = lookup_.search(searched);
  if (get_most_likely_components(word, state.splits) < 0) return {};
  return answers(word, searched, state.splits);
}

// ---------------------------------------------------------------------------

void filter_genetives(std::vector<CompoundSplit>& splits) {
  splits.erase(std::remove_if(splits.begin(), splits.end(),
                              [](const CompoundSplit& split) {
                                if (split.empty()) return true;
                                return std::any_of(split.begin(), split.end() - 1,
                                                   [](const EndOffsetResultPartV2& part) {
                                                     return has_invalid_tags(part.output);
                                                   });
                              }),
               splits.end());
}

int32_t get_most_likely_components(const std::string& word, std::vector<CompoundSplit>& splits) {
  if (splits.empty()) return -1;
  if (splits.size() == 1) {
    if (splits.front().size() == 1) {
      splits.clear();
      return -1;
    }
    return 0;
  }
  std::stable_sort(
      splits.begin(), splits.end(),
      [](const CompoundSplit& a, const CompoundSplit& b) { return a.size() < b.size(); });
  const CompoundSplit& a = splits[0];
  const CompoundSplit& b = splits[1];
  // The word is a lexicon entry as a whole.
  if (a.size() == 1) {
    splits.clear();
    return -1;
  }
  auto keep_a = [&] { splits.erase(splits.begin() + 1, splits.end()); };
  auto keep_b = [&] {
    splits.erase(splits.begin() + 2, splits.end());
    splits.erase(splits.begin());
  };
  auto keep_both = [&] { splits.erase(splits.begin() + 2, splits.end()); };

  if (a.size() < b.size()) {
    keep_a();
    return static_cast<int32_t>(splits.size());
  }
  const std::size_t count = a.size();
  std::string prefix;
  std::size_t i = 0;
  while (i < count && a[i].literal().size() == b[i].literal().size()) {
    prefix += a[i].literal();
    ++i;
  }
  if (i == count || i == 0) {
    keep_both();
  } else if (zel::string::starts_with(word, prefix + std::string(a[i].literal()))) {
    keep_a();
  } else if (zel::string::starts_with(word, prefix + std::string(b[i].literal()))) {
    keep_b();
  } else if (i + 1 != count) {
    keep_both();
  } else if (noun_tags(a[i].output)) {
    keep_a();
  } else if (a[i].output.find('+') == std::string::npos && noun_tags(b[i].output)) {
    keep_b();
  }
  return static_cast<int32_t>(splits.size());
}

std::string construct_stem_v3(const std::string& word, const CompoundSplit& split) {
  if (word.find('#') != std::string::npos) return construct_stem_v2(word, split);
  std::string stem = "#$";
  if (!split.empty()) {
    const EndOffsetResultPartV2& last = split.back();
    // The surface of the leading components, linking characters and runs
    // between them included; never beyond the word.
    stem.append(word, 0, static_cast<std::size_t>(std::max<int64_t>(last.start, 0)));
    const std::string lemma = fst_label_stem(last.output);
    std::string lowered;
    if (!lemma.empty() && zel::string::lower_initial_cap_word(lemma, lowered)) {
      stem += lowered;
    } else {
      stem += lemma;
    }
  }
  append_components(stem, split, false);
  return stem;
}

std::string construct_stem_v2(const std::string& /*word*/, const CompoundSplit& split) {
  std::string stem;
  append_components(stem, split, true);
  return stem;
}

std::string construct_literal(const std::string& word, const CompoundSplit& split) {
  std::string stem = "#$" + word;
  append_components(stem, split, false);
  return stem;
}

std::string fst_label_stem(const std::string& output) { return output.substr(0, output.find('+')); }

std::size_t has_properties(const std::string& output) {
  const std::size_t first = output.find('+');
  if (first == std::string::npos) return std::string::npos;
  return output.find('+', first + 1);
}

}  // namespace afst
}  // namespace zel
