// The lexicon pass: every lexicon of every domain of a run, looked up over
// the text streams of one document before any rule runs.
//
// Each lexicon is filed under a text stream (literal, stem, normalised
// forms, ...). The pass builds the streams the lexicons need once per pass
// (create_lookup_stream), from the document as the analysis left it, then
// walks the tokens of every sentence and looks every lexicon up at each
// position where the token's text starts in the lexicon's stream. A match
// that ends exactly at the end of a token of the same sentence becomes a
// concept through the blackboard's concept inserter ("URI@attributes"
// outputs; the rule name is the domain's lookup name, "lexicon:" + its
// database file name), and the rule functions the insertion queued run at
// once.
//
// Unknown words: a token that the language's dictionary did not know
// ("nf") and that no lexicon which ran over the document found gets "nf-lex";
// a token some lexicon found loses it. A domain without lexicons, or whose
// lexicons already ran on the document, leaves the mark as it is.
//
// The streams live with the document (the blackboard's named object "asi")
// and are shared with the conjecture pass, which looks its own lexicon up
// over the literal stream.
//
// The pass comes in two instantiations of one template: a silent one, and
// one (debug flag "stream_lookup") that traces every lookup and every
// match on standard error. The debug flags "streams" and "stream_lookup"
// also print every stream built, on standard output.

#ifndef KAVERO_DOMAIN_LEXICON_LOOKUP_H_
#define KAVERO_DOMAIN_LEXICON_LOOKUP_H_

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "analysis/text_stream.h"
#include "base/inline_logger.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;
class Token;

// The lookup streams of one document: slot i holds the stream of
// zel::text_stream_type i. A slot is built when its begin map is not empty.
using stream_collection_type = std::array<annotation_stream_info, 7>;

// The name of the collection among the blackboard's named objects.
extern const char kStreamCollectionName[];

// The blackboard's collection, made empty (every slot unbuilt) on first use
// and kept as long as the blackboard.
stream_collection_type* get_stream_collection(Blackboard& blackboard);

// Builds, in the blackboard's collection, the stream of each lexicon's own
// input type that is not built yet (a type that names no stream builds
// nothing). With the debug flag "streams" or "stream_lookup" it writes
// "Display Lexicon Streams" and every stream it builds to standard output.
void create_lookup_stream(Blackboard& blackboard,
                          const std::shared_ptr<DomainFacade>& domain);

// One trace record of the lexicon pass, written to standard error when it
// is destroyed:
//   "msg" (a text)     the text, and a line end when "endl" is present;
//   "action" "lookup"  "[" input "]:" word, line end;
//   "action" "result"  "[result]:" and the lines " - length    :",
//                      " - uri       :" and " - total     :" with
//                      end_match_offset, uri and total;
//   any other action   " " name ":" value, a line per variable.
class LexiconLogger : public log::inline_logger::BaseLogger {
 public:
  static constexpr bool enabled = true;
  ~LexiconLogger() override;
};

// The whole pass over the blackboard's domain list; false (and nothing
// done) when no domain of the list has a lexicon, true otherwise. Errors of
// the inserter, of queued rule functions, of lexicons and of stream
// building propagate; the concepts inserted by then stay.
template <class Logger>
bool all_lexicon_lookup_logger(Blackboard& blackboard);

extern template bool all_lexicon_lookup_logger<LexiconLogger>(Blackboard&);
extern template bool all_lexicon_lookup_logger<log::inline_logger::CodeNotThere>(
    Blackboard&);

// The pass, traced when the debug flag "stream_lookup" is on.
bool all_domains_lexicon_lookup(Blackboard& blackboard);

// The outputs for one token: for each domain of the blackboard's list and
// each of its lexicons in stream order, the first non-empty answer of the
// lexicon for the token's literal, then its normalised literal, then the
// stem of each reading in order. Empty when nothing answers. Inserts
// nothing.
std::vector<std::string> lexicon_lookup(Blackboard& blackboard, const Token* token);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_LEXICON_LOOKUP_H_
