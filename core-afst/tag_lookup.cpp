#include "core-afst/tag_lookup.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <cstddef>

#include "core-afst/compound_lookup.h"
#include "core-afst/compound_section_matcher.h"
#include "core-afst/lookup_matcher.h"

namespace zel {
namespace afst {

namespace {

constexpr uint32_t kUnderscore = 0x5F;
constexpr uint32_t kHash = 0x23;
constexpr uint32_t kAt = 0x40;

bool is_lower(uint32_t c) { return u_islower(static_cast<UChar32>(c)); }
bool is_upper(uint32_t c) { return u_isupper(static_cast<UChar32>(c)); }
bool is_digit(uint32_t c) { return u_isdigit(static_cast<UChar32>(c)); }

// The first output of a whole-text walk, or nothing.
bool first_output(UnsortedWordMatcher& matcher, const std::string& text, std::string& output) {
  matcher.match(text);
  if (matcher.results().empty()) return false;
  output = std::move(matcher.results().front());
  return true;
}

// A tag written in lower case has no boundaries to split at: the compound
// splitter cuts it into lexicon entries (and runs of digits) instead.
constexpr int kMaxTagComponents = 6;

bool starts_lower(const Utf8Range& segment) {
  const char* it = segment.first;
  return is_lower(utf8::next(it, segment.second));
}

// One answer per chosen split of the text after the tag character (and
// after a second tag character right behind it). The converter is not
// applied: the tag is split as written.
std::vector<std::string> split_compound(const AFst& network, const std::string& word,
                                        const std::string& property) {
  const char* const begin = word.data();
  const char* const end = begin + word.size();
  const char* start = begin + 1;
  if (start != end && is_tag_begin_char(static_cast<unsigned char>(*start))) ++start;

  ResultsMementoV2 state;
  utf8_iterator::match_section_skip_numbers(state, network, start, begin, end, kMaxTagComponents);
  if (state.splits.empty()) return {};
  if (get_most_likely_components(word, state.splits) < 0) return {};
  std::vector<std::string> answers;
  answers.reserve(state.splits.size());
  for (const CompoundSplit& split : state.splits) {
    answers.push_back(property + construct_stem_v2(word, split));
  }
  return answers;
}

// The component of one camel-case piece: digits as a number, else the
// lexicon's first output for the piece as written, else for the piece
// converted (a piece in capitals only when it has three letters), else a
// fallback reading.
std::string camel_case_component(UnsortedWordMatcher& matcher, ILookupConverter* converter,
                                 const Utf8Range& segment) {
  const std::string piece(segment.first, segment.second);
  const char* it = segment.first;
  if (is_digit(utf8::next(it, segment.second))) return piece + "+Num-Std";
  std::string component;
  if (first_output(matcher, piece, component)) return component;
  if (all_caps(segment)) {
    // Short acronyms are often ordinary words written in capitals.
    if (piece.size() == 3 && converter && first_output(matcher, (*converter)(piece), component)) {
      return component;
    }
    return piece + "+Nn-Std+all-cap";
  }
  if (converter && first_output(matcher, (*converter)(piece), component)) return component;
  return piece + "+Nn-Std+TLNF";
}

}  // namespace

const std::string& get_tag_property(const std::string& text) {
  static const std::string hash_tag = "#+hash-tag";
  static const std::string add_tag = "#+add-tag";
  static const std::string none;
  if (!text.empty() && text[0] == '#') return hash_tag;
  if (!text.empty() && text[0] == '@') return add_tag;
  return none;
}

bool is_tag_begin_char(uint64_t c) { return c == kHash || c == kAt; }

bool all_caps(const Utf8Range& range) {
  for (const char* it = range.first; it != range.second;) {
    if (!is_upper(utf8::next(it, range.second))) return false;
  }
  return true;
}

std::vector<Utf8Range> is_camelcase(const std::string& text) {
  std::vector<Utf8Range> segments;
  if (text.size() < 2) return segments;
  const char* const begin = text.data();
  const char* const end = begin + text.size();

  // The code points and where each begins.
  std::vector<uint32_t> code_points;
  std::vector<const char*> starts;
  for (const char* it = begin; it != end;) {
    starts.push_back(it);
    code_points.push_back(utf8::next(it, end));
  }
  starts.push_back(end);
  const std::size_t n = code_points.size();
  if (n < 2) return segments;

  // Skip the tag character.
  const char* open = starts[1];
  auto close_after = [&](std::size_t i) {
    segments.emplace_back(open, starts[i + 1]);
    open = starts[i + 1];
  };
  for (std::size_t i = 1; i < n; ++i) {
    const uint32_t d = code_points[i];
    if (i + 1 == n) {
      segments.emplace_back(open, end);
      break;
    }
    const uint32_t f = code_points[i + 1];
    if (d == kUnderscore) {
      segments.emplace_back(open, starts[i]);
      open = starts[i + 1];
    } else if (i > 1 && is_lower(d) && !is_lower(f)) {
      close_after(i);
    } else if (is_upper(d)) {
      if (is_upper(f) && i + 2 < n && is_lower(code_points[i + 2])) {
        close_after(i);
        // f opens the next piece; reading goes on at the letter after it.
        ++i;
      } else if (!is_upper(f) && is_digit(f)) {
        close_after(i);
      }
    } else if (is_digit(d) && !is_digit(f)) {
      close_after(i);
    } else if (d == kHash) {
      open = starts[i + 1];
    }
  }
  return segments;
}

TagLookup::TagLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter)
    : lookup_(std::move(network), std::move(converter)) {}

TagLookup::TagLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                     std::shared_ptr<ILookupConverter> converter)
    : lookup_(std::move(transducer), std::move(converter)) {}

TagLookup::~TagLookup() = default;

int32_t TagLookup::type() const { return 9; }

std::vector<std::string> TagLookup::up(const std::string& word) {
  const std::string& property = get_tag_property(word);
  if (property.empty()) return {};

  // An underscore after a piece that a lower-case letter closed leaves an
  // empty piece; it stands for no word and gets no component.
  std::vector<Utf8Range> segments;
  for (const Utf8Range& segment : is_camelcase(word)) {
    if (segment.first != segment.second) segments.push_back(segment);
  }

  if (segments.empty() || starts_lower(segments.front())) {
    return split_compound(*lookup_.network(), word, property);
  }

  ILookupConverter* converter = lookup_.converter().get();
  UnsortedWordMatcher matcher(*lookup_.network());
  std::string answer = property;
  for (const Utf8Range& segment : segments) {
    answer += '#';
    answer += camel_case_component(matcher, converter, segment);
  }
  return {answer};
}

}  // namespace afst
}  // namespace zel
