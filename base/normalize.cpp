#include "base/normalize.h"

#include <iostream>
#include <iterator>

#include <unicode/uchar.h>
#include <utf8.h>

#include "base/string_util.h"
#include "base/unicode.h"

namespace zel {
namespace string {
namespace {

// Longest decomposition the normalising traits accept, in UTF-16 units.
constexpr int32_t kDecompositionCapacity = 8;

uint32_t lower(uint32_t c) { return static_cast<uint32_t>(u_tolower(static_cast<UChar32>(c))); }
uint32_t upper(uint32_t c) { return static_cast<uint32_t>(u_toupper(static_cast<UChar32>(c))); }
bool is_lower(uint32_t c) { return u_islower(static_cast<UChar32>(c)); }
bool is_upper(uint32_t c) { return u_isupper(static_cast<UChar32>(c)); }

void append(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else {
    utf8::append(c, std::back_inserter(out));
  }
}

// The mapping behind both normalising traits; `emit` receives the code
// points in order.
template <typename Emit>
void normalize_code_point(uint32_t c, bool to_lower_case, Emit&& emit) {
  if (c <= 0x7F || decomposer == nullptr) {
    emit(to_lower_case ? lower(c) : c);
    return;
  }
  UChar units[kDecompositionCapacity];
  UErrorCode status = U_ZERO_ERROR;
  int32_t const length = unorm2_getDecomposition(decomposer, static_cast<UChar32>(c), units,
                                                 kDecompositionCapacity, &status);
  if (U_FAILURE(status)) {
    // Longer than the buffer (U+FDFA, say): the word keeps a gap.
    emit(0x20);
    return;
  }
  if (length <= 0) {
    auto const folded = zel_convert.find(c);
    if (folded != zel_convert.end()) {
      emit(folded->second);
    } else {
      emit(to_lower_case ? lower(c) : c);
    }
    return;
  }
  uint32_t const first = units[0];
  if (first > 0x7FFE) {
    emit(c);
    return;
  }
  if (!to_lower_case) {
    emit(first);
    return;
  }
  emit(lower(first));
  for (int32_t i = 1; i < length && units[i] <= 0x7E; ++i) emit(lower(units[i]));
}

template <typename Map>
std::string map_code_points(std::string_view text, Map&& map) {
  std::string out;
  out.reserve(text.size());
  char const* it = text.data();
  char const* end = it + text.size();
  while (it != end) map(out, utf8::next(it, end));
  return out;
}

std::string camel_case(std::string_view text, char separator, bool keep_mixed_case) {
  std::string out;
  bool word_start = true;
  // Set, for URIs, once a word has shown a code point that is not upper
  // case: the rest of the word is then kept as written.
  bool keep_rest = false;
  char const* it = text.data();
  char const* end = it + text.size();
  while (it != end) {
    uint32_t const c = utf8::next(it, end);
    if (word_start) {
      append(out, is_lower(c) ? upper(c) : c);
      word_start = false;
      keep_rest = keep_mixed_case && !is_upper(c);
      continue;
    }
    if (c == ' ' || c == '-') {
      if (separator != '\0') out.push_back(separator);
      word_start = true;
      continue;
    }
    if (c == '.') {
      out.push_back('.');
      word_start = true;
      continue;
    }
    if (keep_rest) {
      append(out, c);
    } else if (is_upper(c)) {
      append(out, lower(c));
    } else {
      append(out, c);
      keep_rest = keep_mixed_case;
    }
  }
  return out;
}

using ClassPredicate = UBool (*)(UChar32);

std::map<std::string, ClassPredicate> const& named_classes() {
  static std::map<std::string, ClassPredicate> const classes{
      {"lower", &u_islower}, {"upper", &u_isupper}, {"digit", &u_isdigit},
      {"xdigit", &u_isxdigit}, {"alnum", &u_isalnum}, {"alpha", &u_isalpha},
      {"punct", &u_ispunct}, {"title", &u_istitle},
  };
  return classes;
}

// A list class: characters and inclusive ranges "d-e", escapes resolved.
bool in_character_list(uint32_t c, char const* it, char const* end) {
  while (it != end) {
    uint32_t const first = unicode::next_parse(it, end, unicode::no_special_chars);
    if (it == end) return c == first;
    if (*it == '-') {
      ++it;
      if (it == end) return false;
      uint32_t const last = unicode::next_parse(it, end, unicode::no_special_chars);
      if (first <= c && c <= last) return true;
    } else if (c == first) {
      return true;
    }
  }
  return false;
}

}  // namespace

UNormalizer2 const* init_decomposer() {
  UErrorCode status = U_ZERO_ERROR;
  UNormalizer2 const* instance = unorm2_getNFKDInstance(&status);
  if (U_FAILURE(status)) {
    std::cerr << "Could not init unorm2_getNFKDInstance " << "0x" << std::hex << status
              << std::dec << "\n";
  }
  return U_FAILURE(status) ? nullptr : instance;
}

icu::Normalizer2 const* init_composer() {
  UErrorCode status = U_ZERO_ERROR;
  icu::Normalizer2 const* instance = icu::Normalizer2::getNFKCInstance(status);
  if (U_FAILURE(status)) {
    std::cerr << "Could not init unorm2_getNFKCInstance " << "0x" << std::hex << status
              << std::dec << "\n";
  }
  return U_FAILURE(status) ? nullptr : instance;
}

icu::Normalizer2 const* get_composer() { return composer; }

bool is_decomposed(UChar unit) { return unit >= 0x0300 && unit <= 0x036F; }

bool is_decomposed(icu::UnicodeString const& text) {
  for (int32_t i = 0; i < text.length(); ++i) {
    if (is_decomposed(text.charAt(i))) return true;
  }
  return false;
}

icu::UnicodeString compose(icu::UnicodeString const& text) {
  return detail::compose_with(composer, text);
}

namespace detail {

icu::UnicodeString compose_with(icu::Normalizer2 const* normalizer, icu::UnicodeString const& text) {
  // Callers go on with the text they get back, so a missing normaliser or
  // an ICU failure leaves it as it was rather than empty.
  if (normalizer == nullptr) return text;
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString composed = normalizer->normalize(text, status);
  if (U_FAILURE(status)) return text;
  return composed;
}

}  // namespace detail

std::vector<uint32_t> ToLowerCharTraits::convert(uint32_t c) { return {lower(c)}; }

std::vector<uint32_t> NormalizeCharTraits::convert(uint32_t c) {
  std::vector<uint32_t> result;
  normalize_code_point(c, false, [&](uint32_t d) { result.push_back(d); });
  return result;
}

std::vector<uint32_t> NormalizeToLowerCharTraits::convert(uint32_t c) {
  std::vector<uint32_t> result;
  normalize_code_point(c, true, [&](uint32_t d) { result.push_back(d); });
  return result;
}

std::string to_lower(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) { append(out, lower(c)); });
}

std::string lowercase_word(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) {
    for (uint32_t d : ToLowerCharTraits::convert(c)) append(out, d);
  });
}

std::string normalize_word(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) {
    normalize_code_point(c, true, [&](uint32_t d) { append(out, d); });
  });
}

std::string normalize_word_keep_case(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) {
    normalize_code_point(c, false, [&](uint32_t d) { append(out, d); });
  });
}

std::string cleanup_normalized_entry(std::string const& entry, int& status) {
  std::string normalized = normalize_word(entry);
  std::size_t const dash = normalized.find_first_of("-_");
  if (dash == std::string::npos) {
    if (normalized != entry) status = 2;
    return normalized;
  }
  bool const spaced = dash > 0 && normalized[dash - 1] == ' ' && dash + 1 < normalized.size() &&
                      normalized[dash + 1] == ' ';
  if (spaced) {
    clean_dashes(normalized);
    status = 1;
  }
  return normalized;
}

bool starts_with_lowercase(std::string_view text) {
  if (text.empty()) return false;
  char const* it = text.data();
  return is_lower(utf8::next(it, it + text.size()));
}

bool lower_initial_cap_word(std::string_view word, std::string& out) {
  char const* it = word.data();
  char const* end = it + word.size();
  uint32_t const first = utf8::next(it, end);
  if (!is_upper(first)) return false;
  std::string result;
  append(result, lower(first));
  result.append(it, end);
  out = std::move(result);
  return true;
}

std::string camel_case_word(std::string_view text, char separator) {
  return camel_case(text, separator, false);
}

std::string uri_camel_case_word(std::string_view text, char separator) {
  return camel_case(text, separator, true);
}

std::string make_uri(std::string_view text) {
  return uri_camel_case_word(normalize_word_keep_case(text), '\0');
}

std::string cleanup_input(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) {
    if (c >= 0x80) {
      auto const replacement = zel_input_converter.find(c);
      if (replacement != zel_input_converter.end()) c = replacement->second;
    }
    append(out, c);
  });
}

std::string cleanup_input_data(std::string_view text) {
  return map_code_points(text, [](std::string& out, uint32_t c) {
    append(out, c == 0x2018 || c == 0x2019 ? 0x27 : c);
  });
}

bool check_character_class(uint32_t c, std::string const& class_text) {
  std::size_t const size = class_text.size();
  if (size <= 4 || class_text.front() != ':' || class_text.back() != ':') return false;
  if (class_text[1] == '#') {
    // ":#" items "#:"; the byte before the closing colon is not read.
    char const* begin = class_text.data() + 2;
    return in_character_list(c, begin, class_text.data() + size - 2);
  }
  auto const named = named_classes().find(class_text.substr(1, size - 2));
  if (named == named_classes().end()) return false;
  return named->second(static_cast<UChar32>(c));
}

}  // namespace string
}  // namespace zel
