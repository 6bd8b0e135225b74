#include "language/morph_data.h"

#include <sstream>

#include "base/exception.h"
#include "core-afst/cleaner_lookup.h"
#include "core-afst/compound_lookup.h"
#include "core-afst/endings_lookup.h"
#include "core-afst/guesser_lookup.h"
#include "core-afst/icu_lookup.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/tag_lookup.h"
#include "core-afst/word_lookup.h"
#include "language/lookup_type.h"

namespace zel {
namespace kavero {
namespace core {

namespace {

const char kMissingGuesser[] =
    "Missing 'guesser' morph file in the language config file";

std::string type_name(uint64_t type) {
  for (const auto& [name, code] : lookup_types()) {
    if (code == type) return name;
  }
  return std::to_string(type);
}

// The configuration entry a descriptor was made from; null when it has none.
const nlohmann::json& entry_of(const MorphDataDescriptor& descriptor) {
  static const nlohmann::json none;
  return descriptor.config ? *descriptor.config : none;
}

// The lexicon lookup of a descriptor. Descriptors of other types are refused
// when they are made; one built by hand with such a type is refused here by
// name rather than answered by some other lookup.
std::shared_ptr<afst::LookupInterface> make_lexicon_lookup(
    const MorphDataDescriptor& descriptor) {
  switch (descriptor.type) {
    case kLookupNotSet:
    case kLookupPlain:
      return std::make_shared<afst::WordLookup>(descriptor.fst,
                                                descriptor.converter);
    case kLookupCompoundV2:
      return std::make_shared<afst::CompoundLookupV2>(descriptor.fst,
                                                      descriptor.converter);
    case kLookupCompoundV3:
      // Reads its settings ("max_components") from its own entry.
      return std::make_shared<afst::CompoundLookupV3>(
          descriptor.fst, descriptor.converter, entry_of(descriptor));
    case kLookupCompoundNumbers:
      return std::make_shared<afst::CompoundLookupNumbers>(
          descriptor.fst, descriptor.converter, entry_of(descriptor));
    case kLookupCleaner:
      return std::make_shared<afst::CleanerLookup>(descriptor.fst,
                                                   descriptor.converter);
    case kLookupEndings:
      return std::make_shared<afst::EndingsLookup>(descriptor.fst,
                                                   descriptor.converter);
    case kLookupTag:
      return std::make_shared<afst::TagLookup>(descriptor.fst,
                                               descriptor.converter);
    case kLookupIcu:
      return std::make_shared<afst::ICULookup>(descriptor.converter);
    case kLookupGuesser:
      if (!descriptor.guesser_fst) {
        std::ostringstream message;
        message << kMissingGuesser;
        throw Exception(message);
      }
      return std::make_shared<afst::GuesserLookup>(
          descriptor.guesser_fst, descriptor.fst, descriptor.converter);
    default:
      break;
  }
  std::ostringstream message;
  message << "The lookup type '" << type_name(descriptor.type) << "' ("
          << descriptor.type << ") has no lookup.";
  throw Exception(message);
}

}  // namespace

std::shared_ptr<ILookup> MorphData::create(const MorphDataDescriptor& descriptor,
                                           Blackboard* blackboard) {
  auto proxy = std::make_shared<LookupProxy>(make_lexicon_lookup(descriptor),
                                             blackboard);
  proxy->set_properties(descriptor.properties);
  return proxy;
}

std::vector<std::string> MorphData::first(const std::string& word) const {
  if (lookups.empty()) return {};
  return lookups.front()->lookup(word);
}

std::vector<std::string> MorphData::others(const std::string& word) const {
  for (std::size_t i = 1; i < lookups.size(); ++i) {
    std::vector<std::string> answer = lookups[i]->lookup(word);
    if (!answer.empty()) return answer;
  }
  return {};
}

std::vector<std::string> MorphData::lookup(const std::string& word) const {
  return lookup_chain(lookups, word);
}

std::vector<std::string> MorphData::guess(const std::string& word) const {
  return lookup_chain(guessers, word);
}

void MorphData::add(const std::shared_ptr<ILookup>& lookup) {
  lookups.push_back(lookup);
}

}  // namespace core

core::LookupChain create_lookup_chain_from_descriptors(
    const core::MorphDataDescriptors& descriptors, Blackboard* blackboard) {
  core::LookupChain chain;
  chain.reserve(descriptors.size());
  for (const core::MorphDataDescriptor& descriptor : descriptors) {
    chain.push_back(core::MorphData::create(descriptor, blackboard));
  }
  return chain;
}

NamedLookupChains create_named_lookup_from_descriptors(
    const core::NamedMorphDataDescriptors& named, Blackboard* blackboard) {
  NamedLookupChains chains;
  for (const auto& [name, descriptors] : named) {
    chains.emplace(name,
                   create_lookup_chain_from_descriptors(descriptors, blackboard));
  }
  return chains;
}

}  // namespace kavero

namespace afst {

std::shared_ptr<ILookupConverter> get_lowercase_converter() {
  return std::make_shared<LookupConverterLowercase>();
}

}  // namespace afst
}  // namespace zel
