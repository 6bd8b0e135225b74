// The lexicons of a compiled domain.
//
// A domain keeps one lexicon transducer per text stream it matches
// ("entities_" followed by the stream's name), each with an attribute text
// whose item "input" names the stream, and a JSON summary of its lexicons
// ("lexicon_info"). LexiconFacade holds one such transducer with its lookup;
// the conjecture pass also wraps transducers it builds in memory.
//
// A facade is read-only after construction and is shared by every document
// that runs its domain, on any thread: both lookups keep their state in the
// call.

#ifndef KAVERO_DOMAIN_LEXICON_FACADE_H_
#define KAVERO_DOMAIN_LEXICON_FACADE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <sqlite3.h>

#include "base/stream_name.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace kavero {

class DomainFacade;

namespace core {

class LexiconFacade {
 public:
  using Transducer = fst::VectorFst<fst::StdArc>;

  // Reads the record `name` of the database. Raises zel::Exception "Could
  // not read data from stream." when its data is no transducer (also when
  // there is no such record).
  LexiconFacade(std::shared_ptr<sqlite3> db, const std::string& name);
  // Wraps a transducer made in memory; `name` is not kept.
  LexiconFacade(std::shared_ptr<Transducer> transducer, const std::string& name,
                std::string attributes);

  // The lexicon's outputs for exactly `text`, sorted and distinct.
  std::vector<std::string> up(const std::string& text) const;
  // Every match that starts at `begin` and ends at `end` or before a space:
  // (bytes consumed, the entry's output).
  template <class Iterator>
  std::vector<std::pair<int32_t, std::string>> up(Iterator begin, Iterator end) const;

  const std::shared_ptr<Transducer>& transducer() const { return transducer_; }
  const std::vector<std::pair<std::string, std::string>>& attributes() const {
    return attributes_;
  }
  // The stream named by the first "input" attribute: literal_stream without
  // one, no_stream (7) when it names no stream.
  text_stream_type input() const { return input_; }

 private:
  void init(std::string attributes);

  std::shared_ptr<Transducer> transducer_;
  std::shared_ptr<afst::WordLookup> lookup_;
  std::vector<std::pair<std::string, std::string>> attributes_;
  text_stream_type input_ = literal_stream;
};

template <>
std::vector<std::pair<int32_t, std::string>> LexiconFacade::up<const char*>(
    const char* begin, const char* end) const;

}  // namespace core

// Fills the domain's lexicon map from the database's "entities_" records,
// walking the stream names in ascending order; of two names of one stream
// ("lemma" and "stem") the first found is kept. A record that cannot be read
// fails the load: zel::Exception naming the database and the record.
void load_lexicons(DomainFacade& domain, std::shared_ptr<sqlite3> db);

// Stores the "lexicon_info" record's JSON as "dom"."lexicons" of the
// domain's information; nothing without the record. Raises zel::Exception
// "Invalid json lexicon info recorded" when it is not JSON.
void load_lexicon_info(DomainFacade& domain, std::shared_ptr<sqlite3> db);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_LEXICON_FACADE_H_
