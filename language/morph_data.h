// The dictionary data of one document bound to a language: the main chain of
// lookups (from "morph_chain"), the guesser chain (from "not_found") and the
// language's disambiguation transducer.
//
// A chain answers a word with the whole answer of exactly one of its
// lookups: the first, in chain order, that knows the word. Answers are lists
// of lexicon output texts such as "run+V-Pres-3-Sg"; the dictionary pass
// turns them into readings.
//
// A MorphData belongs to one blackboard and is used by one thread at a time;
// the transducers underneath are shared and only read.

#ifndef KAVERO_LANGUAGE_MORPH_DATA_H_
#define KAVERO_LANGUAGE_MORPH_DATA_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "language/lookup_descriptor.h"
#include "language/lookup_proxy.h"

namespace zel {
namespace afst {
class AFst;
class ILookupConverter;
}  // namespace afst

namespace kavero {

class Blackboard;
class Engine;

namespace disambiguation {
class Postagger;
}  // namespace disambiguation

namespace core {

class MorphData {
 public:
  // The live lookup of a descriptor, bound to the blackboard: a LookupProxy
  // over a new lexicon lookup of the descriptor's type, whose additional
  // properties are the descriptor's. Raises zel::Exception "Missing
  // 'guesser' morph file in the language config file" for a guesser
  // descriptor without its guesser network, and a zel::Exception naming the
  // type for a lookup type whose lexicon lookup is not available yet.
  static std::shared_ptr<ILookup> create(const MorphDataDescriptor& descriptor,
                                         Blackboard* blackboard);

  // The descriptor of one lookup entry of a language configuration (see
  // lookup_descriptor.h); its files must be resolved already. Loads the
  // transducers through the engine's transducer cache; the caller holds the
  // engine mutex. Raises zel::Exception for a type name that is not in the
  // type table ("invalid config file format, unknown lookup type \"name\";
  // the known types are [...]") and for the refused type "compound"
  // ("invalid config file format, the lookup type \"compound\" is not
  // supported; the known types are [...]"), for a "guesser"
  // lookup without "guesser" ("Missing 'guesser' morph file in the language
  // config file"), and the errors of get_convert, get_additional_properties
  // and load_afst.
  static MorphDataDescriptor create_descriptor(const Engine* engine,
                                               const nlohmann::json& entry);

  // The answer of the first lookup of the main chain alone; empty when the
  // chain is empty.
  std::vector<std::string> first(const std::string& word) const;
  // The first non-empty answer of the second, third, ... lookup.
  std::vector<std::string> others(const std::string& word) const;
  // The first non-empty answer along the whole main chain.
  std::vector<std::string> lookup(const std::string& word) const;
  // The first non-empty answer along the guesser chain.
  std::vector<std::string> guess(const std::string& word) const;

  // Appends a lookup to the main chain.
  void add(const std::shared_ptr<ILookup>& lookup);
  LookupChain::const_iterator begin() const { return lookups.begin(); }
  LookupChain::const_iterator end() const { return lookups.end(); }

  // The language's disambiguation transducer; empty when it has none.
  std::shared_ptr<afst::AFst> postagger;
  // Its checked rules; present exactly when `postagger` is.
  std::shared_ptr<const disambiguation::Postagger> postagger_rules;
  // The main chain, in "morph_chain" order.
  LookupChain lookups;
  // The guesser chain, in "not_found" order; empty when the document's
  // analyzer turned the guesser off.
  LookupChain guessers;
};

}  // namespace core

using NamedLookupChains = std::map<std::string, core::LookupChain>;

// One live lookup per descriptor, in order, bound to the blackboard.
core::LookupChain create_lookup_chain_from_descriptors(
    const core::MorphDataDescriptors& descriptors, Blackboard* blackboard);

// The chain of every name, in name order.
NamedLookupChains create_named_lookup_from_descriptors(
    const core::NamedMorphDataDescriptors& named, Blackboard* blackboard);

}  // namespace kavero

namespace afst {

// A new lower-casing input converter.
std::shared_ptr<ILookupConverter> get_lowercase_converter();

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_LANGUAGE_MORPH_DATA_H_
