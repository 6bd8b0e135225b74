// The configured dictionary lookups of a language, as read from its
// ".language" configuration, and the reader of lexicon transducers.
//
// Three sections of the configuration name lookups: "morph_chain" (the main
// chain), "not_found" (the guesser chain) and "property_chain" (an object of
// named chains). Each entry is an object:
//
//   { "file": "english.lex", "lookup": "plain", "transform": "tolower",
//     "properties": ["proper"] }
//
// "file" names the lexicon transducer, found on the language's search
// folders; "guesser" names the guesser transducer of a "guesser" lookup;
// "lookup" is a type name of lookup_type.h (default "not_set", a plain word
// lookup; an unknown name counts as "not_set"); "transform" is "none" (the
// default) or "tolower"; "properties" is a text or an array of texts that
// are appended, each as "+name", to every output of the lookup. Other
// members stay in the entry for the lookups that read them.
//
// Loading a language turns every entry into a MorphDataDescriptor, loading
// each transducer once through the engine's transducer cache (transducers
// are shared by every entry and language naming the same resolved file) and
// writing the resolved paths back into the entries' "file" and "guesser".
// Binding the language to a document turns the descriptors into live lookups
// (morph_data.h).

#ifndef KAVERO_LANGUAGE_LOOKUP_DESCRIPTOR_H_
#define KAVERO_LANGUAGE_LOOKUP_DESCRIPTOR_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zel {
namespace afst {
class AFst;
class ILookupConverter;
}  // namespace afst

namespace kavero {

class Engine;

namespace core {

// One configured lookup. Copies share the transducers and the converter.
struct MorphDataDescriptor {
  // The lookup type's code (lookup_type.h).
  uint64_t type = 0;
  // The resolved lexicon file; empty when the entry has none.
  std::string file;
  // The resolved guesser file; only for a "guesser" lookup.
  std::string guesser_file;
  // The input transform; empty for "none".
  std::shared_ptr<afst::ILookupConverter> converter;
  // The lexicon of `file`; empty for an "icu" lookup.
  std::shared_ptr<afst::AFst> fst;
  // The guesser network; only for a "guesser" lookup.
  std::shared_ptr<afst::AFst> guesser_fst;
  // The entry inside the language's configuration, which must outlive the
  // descriptor and keep its structure.
  const nlohmann::json* config = nullptr;
  // The additional properties, already as "+name" texts joined together.
  std::string properties;
};

using MorphDataDescriptors = std::vector<MorphDataDescriptor>;
using NamedMorphDataDescriptors = std::map<std::string, MorphDataDescriptors>;

// The "lookup" text of an object entry, else "not_set". A "lookup" that is
// not a text raises the JSON library's type error.
std::string get_lookup_type_name(const nlohmann::json& entry);

// The converter of the entry's "transform": none for "none" (the default), a
// new lower-casing converter for "tolower". Any other name raises
// zel::Exception "invalid config file format, unknown transformer type.
// supported types are [tolower] and not:" + the name.
std::shared_ptr<afst::ILookupConverter> get_convert(const nlohmann::json& entry);

// The entry's "properties" as one text: each text of two or more bytes that
// does not begin with "+" gets one in front; a one-byte text is kept as it
// is, an empty one adds nothing; an array's texts are joined with nothing
// between. Empty without "properties". Any other value, or an array element
// that is not a text, raises zel::Exception "invalid config file format,
// properties should be string:".
std::string get_additional_properties(const nlohmann::json& entry);

}  // namespace core

// The descriptors of the lookup entries of config[section], in entry order;
// empty when config is no object or has no such member. A section that is
// not an array is walked the way the JSON library walks any value (an
// object's member values in key order; null gives nothing; any other value
// is one entry). The entries' "file" and "guesser" values are resolved on
// the folders (resource_file.h) and replaced by the resolved paths.
//
// Raises zel::Exception for a text entry ("Deprecated Config use new
// format." + the text + "ex: { \"file\": \"english.morph\" , \"lookup\" :
// \"plain\" , \"transform\" : \"none\" }"), for any other entry that is not
// an object ("invalid config file format for " + where, below), for a "file"
// or "guesser" that does not resolve to a regular file ("Cannot find morph
// file:[" + name + "]", "Cannot find guesser morph file:[" + name + "]"),
// for a member of the wrong JSON type, and the errors of
// MorphData::create_descriptor. Every message ends with where the entry is:
// " (entry N of \"section\" in \"config_file\")", entries counted from 1, the
// file left out when `config_file` is empty. The caller holds the engine
// mutex.
core::MorphDataDescriptors create_lookup_chain_descriptors(
    const Engine* engine, nlohmann::json& config, const std::string& section,
    const std::vector<std::filesystem::path>& folders,
    const std::string& config_file = std::string());

// The named chains of config["property_chain"], by name; empty without it.
// Messages name the entry as in "property_chain"."name".
core::NamedMorphDataDescriptors create_named_lookup_descriptors(
    const Engine* engine, nlohmann::json& config,
    const std::vector<std::filesystem::path>& folders,
    const std::string& config_file = std::string());

// Reads a lexicon transducer file (OpenFst's binary vector transducer over
// the tropical arc, with both symbol tables) into a new network whose
// file_time is the file's modification time. Raises zel::Exception "morph
// file not found :(get_afst)[" + file + "]" when the file is not a regular
// file, and "Invalid/Corrupt morph file:(get_fst)[" + file + "]: " + what
// is wrong when it cannot be read or is no sound transducer with both
// symbol tables (see core-afst/transducer_file.h).
std::shared_ptr<afst::AFst> load_afst(const std::string& file);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_DESCRIPTOR_H_
