// The two passes that reduce the readings of a document's tokens before the
// hidden-Markov-model tagger runs.
//
// auto_disambiguate prunes the readings that compound-lexicon entries gave a
// token (token_flags::compound): the first reading stays, and each later one
// stays only when it has fewer components than the last one kept, so the
// survivors have strictly falling numbers of components.
//
// disambiguate runs the language's rule-based disambiguator
// (disambiguation_engine.h) over every token that still has two or more
// readings, sentence by sentence in text order. A language without a
// postagger transducer has no rules: its documents are left unchanged.
//
// The analyzer runs auto_disambiguate and then disambiguate after the second
// dictionary pass, when the language has a postagger transducer and the
// option "disambiguate" is on. Both change the blackboard in place and
// return true.

#ifndef KAVERO_LANGUAGE_DISAMBIGUATION_H_
#define KAVERO_LANGUAGE_DISAMBIGUATION_H_

namespace zel {
namespace kavero {

class Blackboard;

// Prunes the compound readings of the document's tokens; tokens met
// directly in the document list are treated like those of a sentence.
bool auto_disambiguate(Blackboard& blackboard);

// Runs the rule-based disambiguator over the ambiguous tokens of every
// sentence of the document list. Errors of the disambiguator propagate.
bool disambiguate(Blackboard& blackboard);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_DISAMBIGUATION_H_
