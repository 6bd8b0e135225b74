// The start-up settings of the character-level sentence splitter, read once
// when the library is loaded and only read afterwards: the header-prefix
// expression and the two limits of the field-line rule.
//
// The header-prefix expression recognises what opens a header line:
// numbered ("1.", "2.3)", "12a."), lettered ("a)", "b2."), roman ("iv.",
// "XII)") and "#" prefixes ("##"). Its groups open with "(:?", not "(?:":
// each is a capturing group whose first element is an optional ":", so
// ":1." matches too. Stored texts and callers rely on this exact text.
//
// The limits come from the environment as the library is loaded
// (zel::system::get_environment_int): "KAVERO_MAX_FIELD_SIZE" (default 60),
// how far from the sentence start the colon of a field line may lie, and
// "KAVERO_MAX_VALUE_SIZE" (default 80), how long its value may be.

#ifndef KAVERO_LANGUAGE_SPLITTER_SETTINGS_H_
#define KAVERO_LANGUAGE_SPLITTER_SETTINGS_H_

#include <cstdint>
#include <string>

#include "base/regex.h"

namespace zel {
namespace kavero {

// One to four numbered parts: one or two digits, an optional lower-case
// letter, "." or ")".
inline constexpr char header_prefix_pattern_nr[] =
    "(:?[0-9]{1,2}[a-z]?[.)]){1,4}";
// One to four lettered parts: a lower-case letter, an optional digit from 1
// to 9, "." or ")".
inline constexpr char header_prefix_pattern_letters[] =
    "(:?[a-z][1-9]?[.)]){1,4}";

// "(:?" + the numbered pattern + "|" + the lettered pattern + "|" +
// "[XIVxiv]{1,5}[.)]" + "|" + "#{1,6}" + ")".
std::string get_header_prefix();

// get_header_prefix() compiled case-sensitively through the process-wide
// expression cache (zel::kav_regex). Matched only with regex_match, so a
// header prefix is always the whole of the bytes tested.
extern const Regex header_prefix_pattern;

// "KAVERO_MAX_FIELD_SIZE", default 60.
extern const int32_t max_field_size;
// "KAVERO_MAX_VALUE_SIZE", default 80.
extern const int32_t max_value_size;

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SPLITTER_SETTINGS_H_
