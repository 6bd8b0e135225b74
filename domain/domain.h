// A domain as the host opens it: a collection of loaded domains (the main
// domain and the domains it depends on, in running order) and the filter
// of the concepts it outputs.
//
// process() runs the collection over one analysed document: the lexicon
// pass of all domains (lexicon_lookup.h), then, for each domain not yet run
// on the document, its rule pass (conjecture rules first, then every other
// cluster), the queued rule functions and the clean-up of intermediate
// ("$") and deleted concepts (the document's anaphora store first forgets
// the recorded calls and candidates that point at them); finally every concept the filter passes is
// marked for output (import). The document remembers which domains ran on
// it, so a domain runs once per document however many collections hold it.
//
// The output filter: "Sentence", and
//   - with the option "annotation_filter", the option's names (parts
//     between "|"); ".*" means no filtering;
//   - otherwise the "concepts" of the main domain's description (an array,
//     an object's values, or one text taken as one name; ".*" means no
//     filtering), or without them the main domain's own output filter.
// The domains are shared with every other document and domain object
// through the engine's cache: a domain object never changes them.

#ifndef KAVERO_DOMAIN_DOMAIN_H_
#define KAVERO_DOMAIN_DOMAIN_H_

#include <map>
#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/output_filter.h"
#include "base/options.h"
#include "domain/concept_records.h"
#include "engine/engine_interface.h"

namespace zel {
namespace kavero {

class Blackboard;
class DomainFacade;

class Domain {
 public:
  // Opens the domain `text` names through the engine (get_domain_filename,
  // then get_domains, cached unless the option "cache" is false). Raises
  // zel::Exception "Cannot find domain file " + name when the collection
  // holds no domain under that name; errors of the engine propagate, and a
  // "concepts" member that holds no texts raises the JSON library's type
  // error.
  Domain(std::shared_ptr<EngineInterface> engine, const char* text,
         const std::shared_ptr<IOptions>& options);
  virtual ~Domain();

  Domain(const Domain&) = delete;
  Domain& operator=(const Domain&) = delete;

  // Runs the collection over the document. Any std::exception is written
  // to standard error ("Domain::process:" and its text) and raised again;
  // what was done before it stays on the document.
  void process(Blackboard& blackboard) const;

  // The main domain's information with "dom"."run_order", the database
  // files of the collection in running order, as compact JSON. The text
  // stays valid until the next call.
  const char* info() const;

  // The name the engine resolved the opening text to.
  std::string name;
  std::shared_ptr<DomainFacade> main_domain;
  mutable std::string info_text;
  std::shared_ptr<IOptions> options;
  DomainCollection domains;
  // Null: every concept is output.
  std::shared_ptr<OutputFilter> filter;
};

// A filter of the parts of `text` between "|" (none for an empty text),
// not compiled. The domain is not used.
std::shared_ptr<OutputFilter> make_output_filter(const std::shared_ptr<DomainFacade>& domain,
                                                 const std::string& text);

// Whether the domain (by its database file) has not run on the document.
bool needs_to_run_domain(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain);
// Records that the domain ran on the document.
void domain_done_processing(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain);

// One domain's rule pass: encodes the document for the domain, runs the
// "conjecture" collections through the document's conjecture collector
// (made on first use) and spreads what they found, then runs every other
// collection. Returns true.
bool domain_match_rules(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain);

// Takes the intermediate ("$") concepts out of the document: they leave the
// parent lists of the concepts inside them and the end annotations that
// close them, and are marked to_delete; an end annotation that closes no
// concept goes.
void remove_intermediate_concepts(Blackboard& blackboard);

// Removes deleted and to_delete parents from every parent list, then
// deletes the concepts marked to_delete.
void purge_deleted_concepts(Blackboard& blackboard);

// Marks as import every concept the filter passes (every concept for a
// null or empty filter).
void mark_output_concepts_as_import(Blackboard& blackboard,
                                    const std::shared_ptr<OutputFilter>& filter);

// Namespace -> its concept names in ascending order.
nlohmann::json to_json(const std::map<std::string, NamespaceAction>& actions);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_H_
