// Normalisation, case mapping and character classes.
//
// Words are compared as written, lower-cased, and normalised: accents and
// compatibility forms folded to their base letters through ICU's NFKD
// decomposition. The per-code-point mappings are the three CharTraits
// classes (the text streams of the annotation model take them as a policy);
// the word functions apply them to whole UTF-8 texts. Input is decoded with
// checked decoding, so bad UTF-8 raises utfcpp's exceptions (see unicode.h).

#ifndef KAVERO_BASE_NORMALIZE_H_
#define KAVERO_BASE_NORMALIZE_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/unorm2.h>

namespace zel {
namespace string {

// ICU's NFKD and NFKC instances. When ICU cannot provide one, a line
// "Could not init unorm2_getNFKDInstance 0x<code>" (or ...NFKCInstance) goes
// to standard error and the handle is null.
UNormalizer2 const* init_decomposer();
icu::Normalizer2 const* init_composer();

// Process-wide normalisers, built before any static initialiser of a file
// that includes this header runs; shareable between threads.
inline UNormalizer2 const* const decomposer = init_decomposer();
inline icu::Normalizer2 const* const composer = init_composer();

icu::Normalizer2 const* get_composer();

// Letters without a decomposition that still fold: both barred Ls become a
// lower-case l, also where case is otherwise kept.
inline std::map<uint32_t, uint32_t> const zel_convert{{0x0141, 0x006C}, {0x0142, 0x006C}};

// Typographic punctuation to ASCII (and the barred Ls), for cleanup_input.
// U+2019 is deliberately absent.
inline std::map<uint32_t, uint32_t> const zel_input_converter{
    {0x2018, 0x0027}, {0x201A, 0x002C}, {0x201B, 0x0027}, {0x201C, 0x0022},
    {0x201D, 0x0022}, {0x201E, 0x0022}, {0x201F, 0x0022}, {0x2032, 0x0027},
    {0x2033, 0x0022}, {0x2035, 0x0027}, {0x2036, 0x0022}, {0x204E, 0x002A},
    {0x0141, 0x006C}, {0x0142, 0x006C},
};

// True for a combining diacritical mark (U+0300..U+036F), or for a text
// holding one.
bool is_decomposed(UChar unit);
bool is_decomposed(icu::UnicodeString const& text);

// The NFKC form of a text. Without a composer, or when ICU fails, the text
// comes back unchanged.
icu::UnicodeString compose(icu::UnicodeString const& text);

namespace detail {
// compose over a given normaliser (null: none).
icu::UnicodeString compose_with(icu::Normalizer2 const* normalizer, icu::UnicodeString const& text);
}  // namespace detail

// Per-code-point mappings.
struct ToLowerCharTraits {
  // ICU's simple lower-case mapping.
  static std::vector<uint32_t> convert(uint32_t c);
};

struct NormalizeCharTraits {
  // The first unit of the NFKD decomposition, case kept (combining marks
  // dropped); zel_convert for a code point without one; a space when the
  // decomposition is longer than 8 UTF-16 units. ASCII is unchanged.
  static std::vector<uint32_t> convert(uint32_t c);
};

struct NormalizeToLowerCharTraits {
  // The NFKD decomposition lower-cased, up to its first unit above 7E, so a
  // ligature gives its letters and an accented letter its base letter;
  // zel_convert (not lower-cased again) or the lower-case form for a code
  // point without a decomposition; a space for a decomposition longer than
  // 8 UTF-16 units.
  static std::vector<uint32_t> convert(uint32_t c);
};

// Word functions over UTF-8 texts.
std::string to_lower(std::string_view text);
std::string lowercase_word(std::string_view text);
std::string normalize_word(std::string_view text);
std::string normalize_word_keep_case(std::string_view text);

// normalize_word of a lexicon entry. `status` becomes 2 when the entry has
// no hyphen-minus or underscore and normalising changed it; 1 when its first
// hyphen-minus or underscore stands between two spaces, in which case every
// " - " is folded to one space; otherwise it is left as it was.
std::string cleanup_normalized_entry(std::string const& entry, int& status);

// Whether the first code point is lower case; false for an empty text.
bool starts_with_lowercase(std::string_view text);

// When the word's first code point is upper case: writes the word with that
// code point lower-cased to `out` and returns true. Otherwise returns false
// and leaves `out` alone. An empty word raises utf8::not_enough_room.
bool lower_initial_cap_word(std::string_view word, std::string& out);

// Capitalises each word (the first code point upper-cased when it is lower
// case) and lower-cases the rest of it. Words end at a space or hyphen-minus,
// which become `separator` (dropped when it is 0), and at a full stop, which
// stays: "jean-luc picard" gives "Jean Luc Picard" with a space separator.
std::string camel_case_word(std::string_view text, char separator);

// As camel_case_word, but inside a word upper-case letters are lower-cased
// only until the first code point of the word that is not upper case; from
// there the word is kept as written ("McDonald" stays, "IBM" gives "Ibm").
std::string uri_camel_case_word(std::string_view text, char separator);

// The concept-URI form of a text: accents folded with case kept, each word
// camel-cased and the words joined without separator ("são paulo" gives
// "SaoPaulo").
std::string make_uri(std::string_view text);

// Replaces every code point found in zel_input_converter.
std::string cleanup_input(std::string_view text);
// Replaces U+2018 and U+2019 by an apostrophe.
std::string cleanup_input_data(std::string_view text);

// Tests a code point against a class text: ":name:" for a named class
// (lower, upper, digit, xdigit, alnum, alpha, punct, title) or ":#items#:"
// for a list of characters and ranges ("a-z"), read with \u, \x and \U
// escapes. A text of 4 bytes or fewer, or one not enclosed in colons, is
// no class and matches nothing.
bool check_character_class(uint32_t c, std::string const& class_text);

}  // namespace string
}  // namespace zel

#endif  // KAVERO_BASE_NORMALIZE_H_
