#include "language/lookup_descriptor.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include <fst/vector-fst.h>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/text_excerpt.h"
#include "core-afst/afst.h"
#include "core-afst/transducer_file.h"
#include "engine/engine.h"
#include "language/lookup_type.h"
#include "language/morph_data.h"
#include "language/resource_file.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

bool names_regular_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// Resolves the entry's member `key` on the folders and writes the resolved
// path back into the entry.
void resolve_file(json& entry, const char* key, const char* log_text,
                  const char* error_text,
                  const std::vector<fs::path>& folders) {
  const std::string name = entry[key].get<std::string>();
  fs::path resolved = core::generate_filename(name, folders);
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << log_text << resolved; });
  if (!names_regular_file(resolved)) fail(error_text + name + "]");
  entry[key] = resolved.string();
}

}  // namespace

namespace core {

std::string get_lookup_type_name(const json& entry) {
  if (entry.is_object() && entry.contains("lookup")) {
    return entry["lookup"].get<std::string>();
  }
  return "not_set";
}

std::shared_ptr<afst::ILookupConverter> get_convert(const json& entry) {
  std::string name = "none";
  if (entry.is_object() && entry.contains("transform")) {
    name = entry["transform"].get<std::string>();
  }
  if (name == "none") return nullptr;
  if (name == "tolower") return afst::get_lowercase_converter();
  fail(
      "invalid config file format, unknown transformer type. supported types "
      "are [tolower] and not:" +
      name);
}

std::string get_additional_properties(const json& entry) {
  if (!entry.is_object() || !entry.contains("properties")) return "";
  static const char kNotText[] =
      "invalid config file format, properties should be string:";
  std::ostringstream text;
  auto write = [&text](const std::string& property) {
    if (property.size() >= 2 && property[0] != '+') text << '+';
    text << property;
  };
  const json& properties = entry["properties"];
  if (properties.is_string()) {
    write(properties.get<std::string>());
  } else if (properties.is_array()) {
    for (const json& property : properties) {
      if (!property.is_string()) fail(kNotText);
      write(property.get<std::string>());
    }
  } else {
    fail(kNotText);
  }
  return text.str();
}

namespace {

// The names a configuration may use, in the table's code order; "compound"
// is in the table but refused.
std::string known_lookup_types() {
  std::vector<std::pair<uint64_t, std::string>> known;
  for (const auto& type : lookup_types()) {
    if (type.second != kLookupCompound) known.emplace_back(type.second, type.first);
  }
  std::sort(known.begin(), known.end());
  std::string text = "[";
  for (const auto& type : known) {
    if (text.size() > 1) text += ",";
    text += type.second;
  }
  return text + "]";
}

}  // namespace

MorphDataDescriptor MorphData::create_descriptor(const Engine* engine,
                                                 const json& entry) {
  MorphDataDescriptor descriptor;
  const std::string name = get_lookup_type_name(entry);
  // A misspelt type is no plain lookup: the language would load and answer
  // differently from what its author meant.
  if (lookup_types().count(name) == 0) {
    fail("invalid config file format, unknown lookup type \"" + excerpt(name) +
         "\"; the known types are " + known_lookup_types());
  }
  descriptor.type = get_lookup_type(name);
  std::string file;
  if (entry.is_object() && entry.contains("file")) {
    file = entry["file"].get<std::string>();
  }
  descriptor.converter = get_convert(entry);
  switch (descriptor.type) {
    case kLookupNotSet:
    case kLookupPlain:
    case kLookupCompoundV2:
    case kLookupCompoundV3:
    case kLookupCompoundNumbers:
    case kLookupCleaner:
    case kLookupEndings:
    case kLookupTag:
      descriptor.fst = engine->get_afst(file);
      descriptor.file = file;
      break;
    case kLookupGuesser: {
      if (!entry.is_object() || !entry.contains("guesser")) {
        fail("Missing 'guesser' morph file in the language config file");
      }
      const std::string guesser = entry["guesser"].get<std::string>();
      descriptor.guesser_fst = engine->get_afst(guesser);
      descriptor.guesser_file = guesser;
      descriptor.file = file;
      descriptor.fst = engine->get_afst(file);
      break;
    }
    case kLookupIcu:
      break;
    default:
      fail("invalid config file format, the lookup type \"" + excerpt(name) +
           "\" is not supported; the known types are " + known_lookup_types());
  }
  descriptor.properties = get_additional_properties(entry);
  descriptor.config = &entry;
  return descriptor;
}

}  // namespace core

namespace {

// " (entry N of "section" in "file")".
std::string where(std::size_t index, const std::string& label,
                  const std::string& config_file) {
  std::ostringstream text;
  text << " (entry " << index + 1 << " of " << label;
  if (!config_file.empty()) text << " in " << fs::path(config_file);
  text << ")";
  return text.str();
}

core::MorphDataDescriptors chain_descriptors(const Engine* engine, json& config,
                                             const std::string& section,
                                             const std::string& label,
                                             const std::vector<fs::path>& folders,
                                             const std::string& config_file) {
  core::MorphDataDescriptors descriptors;
  if (!config.is_object() || !config.contains(section)) return descriptors;
  std::size_t index = 0;
  for (json& entry : config[section]) {
    if (entry.is_string()) {
      fail("Deprecated Config use new format." + excerpt(entry.get<std::string>()) +
           "ex: { \"file\": \"english.morph\" , \"lookup\" : \"plain\" , "
           "\"transform\" : \"none\" }" + where(index, label, config_file));
    }
    if (!entry.is_object()) {
      fail(std::string("invalid config file format for ") + "an entry that is " +
           entry.type_name() + ", not an object" + where(index, label, config_file));
    }
    try {
      if (entry.contains("file")) {
        resolve_file(entry, "file", "  -- morph_chain file: ",
                     "Cannot find morph file:[", folders);
      }
      if (entry.contains("guesser")) {
        resolve_file(entry, "guesser", "  -- morph_chain : guesser ",
                     "Cannot find guesser morph file:[", folders);
      }
      descriptors.push_back(core::MorphData::create_descriptor(engine, entry));
    } catch (const std::exception& e) {
      // Every fault of an entry says which entry of which file it is.
      fail(json_error_text(e) + where(index, label, config_file));
    }
    ++index;
  }
  return descriptors;
}

}  // namespace

core::MorphDataDescriptors create_lookup_chain_descriptors(
    const Engine* engine, json& config, const std::string& section,
    const std::vector<fs::path>& folders, const std::string& config_file) {
  return chain_descriptors(engine, config, section, "\"" + section + "\"", folders,
                           config_file);
}

core::NamedMorphDataDescriptors create_named_lookup_descriptors(
    const Engine* engine, json& config, const std::vector<fs::path>& folders,
    const std::string& config_file) {
  core::NamedMorphDataDescriptors named;
  if (!config.is_object() || !config.contains("property_chain")) return named;
  json& chains = config["property_chain"];
  if (!chains.is_object()) {
    std::string text = std::string("invalid config file format, \"property_chain\" must be an "
                                   "object of named chains, not ") + chains.type_name();
    std::ostringstream where;
    if (!config_file.empty()) where << " (in " << fs::path(config_file) << ")";
    fail(text + where.str());
  }
  for (auto it = chains.begin(); it != chains.end(); ++it) {
    const std::string name = it.key();
    named.emplace(name, chain_descriptors(engine, chains, name,
                                          "\"property_chain\".\"" + name + "\"", folders,
                                          config_file));
  }
  return named;
}

std::shared_ptr<afst::AFst> load_afst(const std::string& file) {
  if (!names_regular_file(file)) fail("morph file not found :(get_afst)[" + file + "]");
  log(wlog::kLevelTrace, [&](std::ostream& os) { os << "[afst] load" << file; });
  // The transducer is checked as it is read (core-afst/transducer_file.h): a
  // damaged file is refused with what is wrong with it.
  std::string bytes;
  std::string fault;
  std::shared_ptr<fst::StdVectorFst> transducer;
  if (afst::read_transducer_bytes(file, &bytes, &fault)) {
    transducer = afst::read_transducer(bytes, &fault);
  }
  if (!transducer) fail("Invalid/Corrupt morph file:(get_fst)[" + file + "]: " + fault);
  auto network = std::make_shared<afst::AFst>(transducer);
  network->file_time = file::modification_time(file.c_str());
  return network;
}

std::shared_ptr<afst::AFst> Engine::get_afst(const std::string& file) const {
  auto it = afst_cache.find(file);
  if (it == afst_cache.end()) {
    return afst_cache.emplace(file, load_afst(file)).first->second;
  }
  if (file::modification_time(file.c_str()) > it->second->file_time) {
    it->second = load_afst(file);
  }
  return it->second;
}

}  // namespace kavero
}  // namespace zel
