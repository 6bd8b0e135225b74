// Lexicon output texts as token readings.
//
// A lexicon lookup answers a word with a list of output texts, one per
// analysis. One text is either
//
//   plain      ["\"] stem "+" pos ("+" property)*
//              The leading backslash protects a stem that begins with "#" or
//              with a backslash; it is dropped. One reading.
//   compound   "#" ["+" token-property ("+" token-property)* "#"]
//                  ["$" head-stem ["+" head-pos] "#"]
//                  component ("#" component)*
//              where a component has the plain form and a last component of
//              part of speech "Clit" is a clitic. One reading for the whole
//              word (property "compound", or "clitic") whose components are
//              the component readings; the token-property texts go to the
//              token itself, and the token gets token_flags::compound.
//
// Splitting at "+" and "#" treats a run of separators as one cut.
//
// Malformed texts never raise: they are reported on standard error, naming
// the whole text so that the lexicon can be fixed, and give what can be made
// of them (see import_result_in_token_obj).

#ifndef KAVERO_LANGUAGE_LEXICON_READINGS_H_
#define KAVERO_LANGUAGE_LEXICON_READINGS_H_

#include <string>
#include <vector>

namespace zel {
namespace kavero {

class Token;

// Appends the readings of one output text to the token.
//
// A plain text gets the given weight. A plain text without a "+" gives no
// reading and is reported.
//
// A compound text gives one reading of weight 1.0 whatever the argument.
// Its stem and part of speech come from the head group when it gives them,
// otherwise the stem is the components' stems joined (without a clitic) and
// the part of speech that of the last component (before a clitic). A
// component without a part of speech is reported and gives a reading "none"
// (stem "no_stem" when it is empty) and the token property "missing_pos". A
// compound without a component that has a part of speech, other than a
// clitic, is invalid: its reading becomes ("Nn-Std", the token's literal)
// without properties or components, the token loses the property "compound"
// and gets "invalid".
void import_result_in_token_obj(Token* token, const std::string& output,
                                double weight);

// Replaces the token's readings by those of the outputs, each plain reading
// weighing 1/n for n outputs. An empty list leaves the token as it was (so
// readings the tokenizer gave stay). A token holding the property "tag" gets
// the flag token_flags::tagged.
void assign_afst_results_token_obj(Token* token,
                                   const std::vector<std::string>& outputs);

// The same, keeping the readings already there.
void append_afst_results_token_obj(Token* token,
                                   const std::vector<std::string>& outputs);

// Appends to `target` every text of `other`, in order, that `target` does not
// hold yet (texts appended earlier count).
void merge_lookup_results(std::vector<std::string>& target,
                          std::vector<std::string>& other);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LEXICON_READINGS_H_
