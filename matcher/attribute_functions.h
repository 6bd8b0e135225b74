// Built-in rule functions that copy attributes between concepts, rewrite
// tokens, write document metadata and call the plugins' date functions.
//
// Each handler gets the Context of its call (rule_functions.h binds them by
// name and says which run at once and which are queued). F below is the
// Context's concept, the function concept the rule produced; the
// function's arguments are F's attributes.
//
//   "kav::push_att"   copies F's "from" concept's attributes (the one
//                     sharing F's span, else F) into the "to" concepts: into
//                     every live one inside the scope concept's range, or,
//                     without a scope, into the one sharing the source's
//                     span. "to" and "from" may be patterns between slashes;
//                     "attributes" filters the keys copied.
//   "kav::inherit"    copies from the first "from" concept to the first "to"
//                     concept of F's span (names compared exactly).
//   "kav::rewrite"    rewrites the tokens after F from the JSON array of
//                     "_tokens" (literal, one reading, properties), one token
//                     per element, and gives each rewritten token the ids of
//                     the current domain's token encoder again, so that later
//                     rules match it by what it now is.
//   "kav::set_metadata"        appends each of F's own pairs to the
//                              document's metadata.
//   "kav::set_document_date"   hands the document-date options to the
//   "kav::resolve_date"        plugins once per document and triggers the
//                              analyzer's date functions.
//
// Problems with the "_tokens" text are reported on standard error, each as
// "Domain:Warning: " + what + the compact JSON text at fault, without a line
// end; a text that is no JSON raises the JSON library's parse error.

#ifndef KAVERO_MATCHER_ATTRIBUTE_FUNCTIONS_H_
#define KAVERO_MATCHER_ATTRIBUTE_FUNCTIONS_H_

#include <list>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "language/reading.h"

namespace zel {
namespace kavero {

class Concept;

namespace runtime {
class Context;
}  // namespace runtime

struct PushAttHandler {
  std::string operator()(const runtime::Context& context) const;
};

struct InheritAttHandler {
  std::string operator()(const runtime::Context& context) const;
};

struct RewriteHandler {
  std::string operator()(const runtime::Context& context) const;
};

struct SetMetaDataHandler {
  std::string operator()(const runtime::Context& context) const;
};

// Returns the plugin's document date.
struct SetDocumentDateAttHandler {
  std::string operator()(const runtime::Context& context) const;
};

// Returns the plugin's answer.
struct ResolveDateAttHandler {
  std::string operator()(const runtime::Context& context) const;
};

// Adds the source's pairs (own list, then shared store) to the destination
// (a pair it has already is not added twice): all of them when `keys` is
// empty, else those whose key passes get_filter(keys); none when that
// pattern does not compile.
void inherit_attributes(const Concept* source, Concept* destination,
                        const std::string& keys);

// The live concepts named `uri` in c's span, in list order: from the first
// annotation of the run of annotations sharing c's offsets that ends at c,
// up to c's end annotation. Empty when c closes itself.
std::vector<Concept*> find_concepts(Concept* c, const std::string& uri);

// Replaces the readings by the one the "morphology" object describes
// ("pos", "stem", optional "components" of {"pos", "stem"}); a warning on
// standard error for each part that does not fit, and the readings stay
// as they are when "pos" or "stem" is missing.
void add_morphdata(std::list<MorphData>& readings,
                   const nlohmann::json& morphology);

// Hands the options "document_date", "document_date_format", "date_order"
// and "initial_date" that the document has to the plugins, each once per
// document, sending the open-document call before the first.
void set_arguments(const runtime::Context& context);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ATTRIBUTE_FUNCTIONS_H_
