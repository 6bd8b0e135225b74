// Measurements written as one word: a value with a unit ("100km"), a
// currency sign with a value ("$100"), or both with a magnitude ("$5m").
//
// The tokenizer matches the language's measure expression against a whole
// token literal and cuts the token by its groups: group 1 a leading unit (a
// currency sign), group 2 the value, group 3 a trailing unit. The pieces get
// their readings at once, except a unit word that may be read two ways
// ("m": metre or million). Such a word is marked `measure_candidate`, its
// sentence `has_measure_candidate`, and fix_measurements decides it after
// the sentence's dictionary pass from the word that follows.
//
// The cut pieces follow the token directly in the sentence's list. Their
// offsets are counted from the token's begin by the byte lengths of the
// groups; the last piece ends where the token ended.

#ifndef KAVERO_LANGUAGE_MEASUREMENT_H_
#define KAVERO_LANGUAGE_MEASUREMENT_H_

namespace zel {

class SMatch;
struct SubMatch;

namespace kavero {

class Blackboard;
class Sentence;
class Token;

// Cuts the token by the number of groups (from group 1 on) that took part
// in the match: two with group 1 a unit and a value, two without it a value
// and a unit, three a currency, a value and a magnitude. Any other number
// leaves the token alone.
void apply_measurement(Sentence* sentence, Token* token, const SMatch& match);

// "$100": the token keeps the unit ("Nn-Sym" reading, properties cleared),
// a new token takes the value ("Num"); both readings are final.
void apply_measurement_unit_value(Sentence* sentence, Token* token,
                                  const SubMatch& unit, const SubMatch& value);

// "100km": the token keeps the value ("Num" reading, properties cleared), a
// new token takes the unit. By the unit:
//   "m"             no reading, property "_mc_", `measure_candidate`; the
//                   sentence gets `has_measure_candidate`; nothing final;
//   "bn", "tn", "k" a "Num" reading and the properties "measure" and
//                   "_mc_"; the value is final;
//   anything else   an "Nn-Sym" reading and the property "unit"; both final.
void apply_measurement_value_unit(Sentence* sentence, Token* token,
                                  const SubMatch& value, const SubMatch& unit);

// "$5m": the token keeps the currency sign ("Nn-Sym" reading only, property
// "currency", "nf" and "alphanum" removed), a new token the value ("Num"),
// both final; a third token the magnitude, with the property "measure" and
// the flags `measure_candidate` and `measure_unit` but no reading; the
// sentence gets `has_measure_candidate`.
void apply_3part_measurement(Sentence* sentence, Token* token,
                             const SMatch& match);

// Decides the unit words of a sentence marked `has_measure_candidate`, once
// they have their dictionary readings (nothing happens without a main
// lookup chain). A magnitude after a currency keeps its "value" readings.
// Any other candidate looks at the next token that has no adjective
// reading: a plural noun, or a unit or currency, after it keeps its "value"
// readings ("5m people"); a singular noun makes it a "measure" with its
// "unit" readings ("5m stretch"); anything else, or no such token, keeps
// the "unit" readings ("5m tall.").
void fix_measurements(Blackboard& blackboard, Sentence& sentence);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_MEASUREMENT_H_
