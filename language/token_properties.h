// The properties every new token gets from its literal, and the small
// property rules that the tokenizer, the dictionary pass and the repairs
// share.
//
// A token's properties are texts in its property set. The ones set here and
// by the measurement rules (measurement.h) are named below, so that the
// passes that read them spell them alike.

#ifndef KAVERO_LANGUAGE_TOKEN_PROPERTIES_H_
#define KAVERO_LANGUAGE_TOKEN_PROPERTIES_H_

#include <string>

namespace zel {
namespace kavero {

class Token;

namespace token_property {

// The first character is upper case, not all of them (a one-byte capital
// such as "A" counts here).
inline constexpr char init_cap[] = "init-cap";
// Every character is upper case, and the literal has two bytes or more.
inline constexpr char all_cap[] = "all-cap";
// ASCII letters and ASCII digits mixed.
inline constexpr char alphanum[] = "alphanum";
// Not found in the main lexicon (yet): set with the capitalisation and
// alphanumeric properties, removed when the lexicon answers.
inline constexpr char not_found[] = "nf";
// A currency sign.
inline constexpr char currency[] = "currency";
// A measurement's magnitude or decided unit word.
inline constexpr char measure[] = "measure";
// A measurement's unit ("km" of 100km).
inline constexpr char unit[] = "unit";
// A measurement whose unit word is still to be decided ("m" of 100m).
inline constexpr char measure_undecided[] = "_mc_";
// A number that must not be taken for a noun.
inline constexpr char not_a_noun[] = "_not_a_noun_";
// A URL.
inline constexpr char internet[] = "internet";
// What a rule status of 1000 or more without rows gives, followed by the
// status in decimal ("prop_1234").
inline constexpr char status_prefix[] = "prop_";

}  // namespace token_property

// Reading properties the lexicon gives unit words, which the measurement
// repair decides between.
namespace reading_property {
// The unit reading ("m" as metre).
inline constexpr char unit[] = "unit";
// The magnitude reading ("m" as million).
inline constexpr char value[] = "value";
}  // namespace reading_property

// Adds the capitalisation and alphanumeric properties of the literal, by
// code points: "all-cap" or "init-cap" (see above) with "nf" when the first
// character is upper case; "alphanum" with "nf" when the literal holds an
// ASCII letter and an ASCII digit. Properties already there stay; an empty
// literal gets nothing.
void add_properties(Token* token);

// Whether the property set holds "all-cap" / "init-cap".
bool all_caps(Token* token);
bool init_cap(Token* token);

// Removes a property; true when it was there.
bool remove_token_property(Token* token, const std::string& property);

// Appends the reading of a markup token: part of speech "Markup", stem the
// literal up to its first space followed by ">" (the bare tag of an opening
// tag with attributes), or the whole literal when it has no space.
void add_markup_info(Token* token);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKEN_PROPERTIES_H_
