// The language loader: Engine::get_language_module_nolock.
//
// A request names a language ("english", a versioned name, or the path of a
// ".language" file). The loader resolves it to its configuration file, and
// hands out a new LanguageModule over the engine's cached data of that file,
// loading the file and every resource it names on a cache miss. It runs with
// the engine mutex held by its caller and locks nothing itself.

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fst/vector-fst.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/options.h"
#include "base/text_excerpt.h"
#include "core-afst/afst.h"
#include "core-afst/transducer_file.h"
#include "engine/engine.h"
#include "engine/pipeline_expansion.h"
#include "language/abbreviation_expression.h"
#include "language/hmm_tables.h"
#include "language/language_module.h"
#include "language/lookup_condition.h"
#include "language/lookup_descriptor.h"
#include "language/postagger.h"
#include "language/resource_file.h"
#include "language/token_map.h"
#include "language/tokenizer_cache.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr char kLanguageTag[] = "[Language] ";

// Languages without a configuration of their own that load "generic".
const std::set<std::string>& generic_languages() {
  static const std::set<std::string> names = {
      "albanian",   "arabic",     "basque",    "bengali",   "bosnian",
      "bulgarian",  "burmese",    "catalan",   "chinese",   "croatian",
      "czech",      "estonian",   "farsi",     "finnish",   "georgian",
      "greek",      "hebrew",     "hindi",     "hungarian", "icelandic",
      "irish",      "italian",    "japanese",  "lao",       "korean",
      "indonesian", "latvian",    "lithuanian", "malayalam", "norwegian",
      "pashto",     "polish",     "romanian",  "serbian",   "slovac",
      "slovene",    "somali",     "tamil",     "telugu",    "thai",
      "tibetan",    "turkish",    "ukrainian", "urdu",      "vietnamese"};
  return names;
}

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

// A path written in double quotes, with a backslash before every double
// quote or backslash inside it.
std::string quoted(const fs::path& path) {
  std::ostringstream text;
  text << path;
  return text.str();
}

bool path_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

bool names_regular_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// Whether a document's language text is a language name: one or more
// folder-free names joined by "/" (a language may live in a subfolder of a
// resource folder), each of printable characters other than the backslash,
// none of them "." or "..", at most 128 bytes in all.
bool is_language_name(const std::string& text) {
  if (text.empty() || text.size() > 128) return false;
  std::string::size_type begin = 0;
  while (true) {
    const std::string::size_type slash = text.find('/', begin);
    const std::string part =
        text.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
    if (part.empty() || part == "." || part == "..") return false;
    for (const char c : part) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F || c == '\\') return false;
    }
    if (slash == std::string::npos) return true;
    begin = slash + 1;
  }
}

// The first regular file of that name in a search folder; a name with
// "@latest" is the newest version found in the folders. Empty when none
// holds it. An empty folder (the working folder) is passed over.
fs::path find_in_folders(const std::string& name, const std::vector<fs::path>& folders) {
  std::vector<fs::path> searched;
  for (const fs::path& folder : folders) {
    if (!folder.empty()) searched.push_back(folder);
  }
  if (name.find("@latest") != std::string::npos) {
    const fs::path found = core::generate_filename(name, searched);
    // generate_filename looks at the name itself first: only a file in one
    // of the folders counts.
    if (found.has_parent_path() && names_regular_file(found) &&
        found != fs::path(name)) {
      return found;
    }
    return fs::path();
  }
  for (const fs::path& folder : searched) {
    const fs::path candidate = folder / name;
    if (names_regular_file(candidate)) return candidate;
  }
  return fs::path();
}

// Appends the configuration's "tokenizer_mapper" rows to the token map:
// each element is [status, text, ...], and each text is one more row of
// that status, after the rows it already has.
void add_tokenizer_mapper(const json& config, const fs::path& cfg,
                          TokenMap& token_map) {
  if (!config.is_object() || !config.contains("tokenizer_mapper")) return;
  const std::string head =
      "Invalid config file format in the tokenizer_mapper :\n - file:" +
      quoted(cfg) + "\n - Format : \"tokenizer_mapper\" : ";
  for (const json& element : config["tokenizer_mapper"]) {
    if (element.size() < 2 || !element[0].is_number_unsigned() ||
        !element[1].is_string()) {
      fail(head + "[ [int,string,...,string],[int,string,...,string] ]");
    }
    const int32_t status = element[0].get<int32_t>();
    for (std::size_t i = 1; i < element.size(); ++i) {
      if (!element[i].is_string()) {
        fail(head + "[ [int,string,...,string],[int,string...,string] ]");
      }
      token_map.emplace(status, element[i].get<std::string>());
    }
  }
}

// Reads the language's disambiguation transducer; a file that cannot be
// read is logged and left out, the language loads without it.
void load_postagger(const fs::path& file, LanguageModuleData& data) {
  try {
    if (!path_exists(file)) return;
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "Postagger file: " << file.string();
    });
    // A damaged file is refused with what is wrong with it (see
    // core-afst/transducer_file.h).
    std::shared_ptr<fst::StdVectorFst> transducer = afst::read_transducer_file(file.string());
    auto network = std::make_shared<afst::AFst>(transducer);
    // Malformed labels are refused here, once, rather than on every
    // document that meets them.
    auto rules = std::make_shared<const disambiguation::Postagger>(network);
    data.postagger = network;
    data.postagger_rules = rules;
  } catch (const std::exception& e) {
    // A transducer without symbol tables is refused by the network as an
    // invalid argument; it is as unusable as a file the reader refuses, or
    // one whose labels the rules refuse.
    log(wlog::kLevelError, [&](std::ostream& os) {
      os << kLanguageTag << "Cannot load/find pos disambiguator file "
         << file.string();
    });
    log(wlog::kLevelError, [&](std::ostream& os) { os << kLanguageTag << e.what(); });
  }
}

// The file-naming members of one configuration, for messages that name
// the configuration file and the member.
class Section {
 public:
  Section(const json& configuration, const fs::path& cfg)
      : configuration_(configuration), cfg_(cfg) {}

  bool named(const char* key) const {
    return configuration_.is_object() && configuration_.contains(key);
  }
  // The member's text; a member that is no text is refused by name.
  std::string text(const char* key) const {
    const json& value = configuration_[key];
    if (!value.is_string()) {
      fail("Invalid language file " + quoted(cfg_) + ": the value of \"" + key +
           "\" must be a file name (a text), not " + value.type_name() + ".");
    }
    return value.get<std::string>();
  }
  // " (named by \"key\" in \"file\")".
  std::string where(const char* key) const {
    return std::string(" (named by \"") + key + "\" in " + quoted(cfg_) + ")";
  }
  // The warning that the file the member names is not there.
  void not_found(const char* what, const char* key) const {
    const std::string name = text(key);
    log(wlog::kLevelWarning, [&](std::ostream& os) {
      os << kLanguageTag << what << name << where(key);
    });
  }

 private:
  const json& configuration_;
  const fs::path& cfg_;
};

// The expression of a word list the configuration names. A list that is
// named but not found is a warning that names it; a list that is not named
// is no list, and no warning.
std::string word_list(const Section& section, const char* key, const fs::path& file) {
  if (!section.named(key)) return "";
  if (file.empty() || !path_exists(file)) {
    const std::string name = section.text(key);
    wlog::log(wlog::kRuntimeId, wlog::kLevelWarning, [&](std::ostream& os) {
      os << "Abbreviation file not found: " << name << section.where(key);
    });
    return "";
  }
  return core::build_abbreviation_expression(file.string());
}

}  // namespace

std::shared_ptr<LanguageModuleData> Engine::load_configuration(
    const fs::path& cfg, const std::string& key, const std::string& language,
    std::vector<fs::path> folders) const {
  const std::string text = file::load(key.c_str());
  json config;
  try {
    config = json::parse(text);
  } catch (const std::exception& e) {
    // The parser's text gives the position; the file itself is quoted in a
    // short excerpt at most.
    fail("Invalid json input file:" + quoted(cfg) + "\n" + json_error_text(e));
  }
  auto data = std::make_shared<LanguageModuleData>(key);
  data->config_json = std::make_shared<json>(std::move(config));
  json& configuration = *data->config_json;
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << kLanguageTag << "Name: " << language; });

  if (configuration.contains("detect_headers")) {
    const json& detect_headers = configuration["detect_headers"];
    if (!detect_headers.is_boolean()) {
      fail("Invalid type for the field 'detect_headers' for the language [" + language +
           "] in " + quoted(cfg) + "\n" + "a boolean is expected, not " +
           detect_headers.type_name() + " " + excerpt(detect_headers.dump()));
    }
    data->detect_headers = detect_headers.get<bool>();
  }
  if (!configuration.contains("morph_chain")) {
    log(wlog::kLevelWarning, [&](std::ostream& os) {
      os << "Missing morph_chain file in " << quoted(cfg) << excerpt(text);
    });
  }

  folders.insert(folders.begin(), cfg.parent_path());
  const core::filename_generator resolve(folders, configuration, language);
  const Section section(configuration, cfg);

  const fs::path abbreviations = resolve(".abbrev", "abbreviations");
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kLanguageTag << "Abbreviation file: " << abbreviations.string();
  });
  const fs::path apostrophes = resolve(".apostrophe", "apostrophe");
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "- apostrophe file: " << apostrophes.string();
  });

  const fs::path hmm = section.named("hmm")
                           ? core::generate_filename(section.text("hmm"), folders)
                           : resolve(".hmm", "hmm");
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << kLanguageTag << "HMM file: " << hmm.string(); });
  if (path_exists(hmm)) {
    data->hmm_tables = core::hmm::load(hmm.string());
  } else if (section.named("hmm")) {
    section.not_found("HMM file not found: ", "hmm");
  }

  data->conditions = make_conditions(configuration);
  data->abbreviation_expression = word_list(section, "abbreviations", abbreviations);
  data->apostrophe_expression = word_list(section, "apostrophe", apostrophes);

  const fs::path measures = resolve(".measure", "measure");
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kLanguageTag << "Measure file: " << measures.string();
  });
  data->measure_expression = word_list(section, "measure", measures);

  if (section.named("tokenizer")) {
    const std::string name = section.text("tokenizer");
    const fs::path rules = core::generate_filename(name, folders);
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "Tokenizer file: " << quoted(rules);
    });
    if (rules.empty()) {
      fail("Missing tokenizer file: [" + language + "] " + name + section.where("tokenizer"));
    }
    check_tokenizer_cache_file(rules, language, *data);
  }

  const std::string file = cfg.string();
  data->lookup_descriptors =
      create_lookup_chain_descriptors(this, configuration, "morph_chain", folders, file);
  data->guesser_descriptors =
      create_lookup_chain_descriptors(this, configuration, "not_found", folders, file);
  data->named_descriptors = create_named_lookup_descriptors(this, configuration, folders, file);

  const fs::path postagger = resolve(".postagger", "postagger");
  if (section.named("postagger") && !path_exists(postagger)) {
    section.not_found("Postagger file not found: ", "postagger");
  } else {
    load_postagger(postagger, *data);
  }

  data->token_map = init_token_map();
  add_tokenizer_mapper(configuration, cfg, data->token_map);

  data->config_file = key;
  data->last_write_time_stamp = file::modification_time(key.c_str());
  return data;
}

std::shared_ptr<LanguageModule> Engine::get_language_module_nolock(
    const std::shared_ptr<IOptions>& options) const {
  return load_language_nolock(options->get("language"), options->get("project_path"),
                              options);
}

std::shared_ptr<LanguageModule> Engine::get_document_language_module_nolock(
    const std::string& language, const std::string& project_path) const {
  if (language.empty()) fail("Language has not been set.");
  if (!is_language_name(language)) {
    fail("Invalid language name in the document: \"" + excerpt(language) +
         "\" (a language name is expected, not a path)");
  }
  return load_language_nolock(language, project_path, nullptr);
}

std::shared_ptr<LanguageModule> Engine::load_language_nolock(
    std::string language, const std::string& project_path,
    const std::shared_ptr<IOptions>& request) const {
  const bool by_name = request == nullptr;
  // Resolution of the request.
  if (language.empty()) fail("Language has not been set.");
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << "-- get_language_module:" << language; });
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "-- project path:" << quoted(project_path);
  });

  auto module = std::make_shared<LanguageModule>();
  module->requested_name = language;

  std::vector<fs::path> folders;
  for (const std::string& folder : resource_folders_) {
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << "-- data path:" << folder; });
    folders.emplace_back(folder);
  }
  folders.emplace_back(project_path);

  fs::path cfg;
  if (by_name) {
    // A name: the configuration lies in a search folder; the working
    // folder is no search folder here.
    cfg = find_in_folders(language + ".language", folders);
    module->language_name =
        cfg.empty() ? language : relative_to_paths(cfg.string(), folders);
  } else {
    if (!path_exists(language)) {
      json expansion =
          pipeline::expand2json(language, resource_folders_, true, true, "");
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << "-- [PIPELINE][EXPANSION]:(" << language << ") -> "
           << expansion.dump();
      });
      const json first =
          expansion.is_array() && !expansion.empty() ? expansion[0] : json::object();
      if (first.contains("exception_msg")) {
        // A name the expansion does not find in the resource folders is
        // still looked for below, also in the project folder, and a missing
        // configuration may fall back to "generic"; only a failure of
        // another kind (a file that is no language) ends the request here.
        if (first.value("exception_type", "") != "not_found") {
          fail("Language file not found. " + language);
        }
      } else if (first.contains("filename") && first["filename"].is_string()) {
        cfg = first["filename"].get<std::string>();
      }
    }

    if (names_regular_file(cfg)) {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << "- generate config: " << quoted(cfg); });
      module->language_name = relative_to_paths(cfg.string(), folders);
      language = module->language_name;
    } else {
      cfg = core::generate_filename(language + ".language", folders);
      if (cfg.empty()) cfg = language;
      module->language_name = relative_to_paths(cfg.string(), folders);
    }
  }
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "- language: " << module->language_name;
  });
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << "- config file: " << cfg.string(); });

  const std::string key = cfg.empty() ? language : cfg.string();
  check_language_file(key);

  if (cfg.empty() || !path_exists(cfg)) {
    if (generic_languages().count(key) == 0) {
      fail("language config file missing for [" + language + "] :" + key);
    }
    // The generic fallback: the same request for the language "generic".
    if (by_name) {
      log(wlog::kLevelDebug, [&](std::ostream& os) {
        os << "using generic language module." << json{{"language", language}}.dump();
      });
      return load_language_nolock("generic", project_path, nullptr);
    }
    const std::string request_text = request->str();
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << "using generic language module." << request_text;
    });
    std::shared_ptr<IOptions> generic = convert_string_to_api_options(request_text);
    generic->add("language", "generic");
    return get_language_module_nolock(generic);
  }
  // Only a regular ".language" file is opened: a folder cannot be read, a
  // FIFO would block the load with the engine mutex held, a device or any
  // other file is no configuration.
  if (!names_regular_file(cfg)) {
    fail("The language configuration " + quoted(cfg) + " is not a regular file.");
  }
  if (cfg.extension() != ".language" || cfg.stem().empty()) {
    fail("The language configuration " + quoted(cfg) + " is no \".language\" file.");
  }

  // The request protocol.
  log(wlog::kLevelInfo,
      [&](std::ostream& os) { os << kLanguageTag << "Get: " << key; });
  const bool cached = language_cache_.find(key) != language_cache_.end();
  if (!cached) {
    log(wlog::kLevelDebug,
        [&](std::ostream& os) { os << kLanguageTag << "Load: " << key; });

    // Load.
    std::shared_ptr<LanguageModuleData> data;
    try {
      data = load_configuration(cfg, key, language, folders);
    } catch (const Exception&) {
      throw;
    } catch (const nlohmann::json::exception& e) {
      // A value of the wrong JSON type somewhere in the configuration.
      fail("Invalid language file " + quoted(cfg) + ": " + json_error_text(e));
    } catch (const std::bad_alloc&) {
      fail("Cannot load the language file " + quoted(cfg) +
           ": a resource it names is too large for the memory.");
    } catch (const std::logic_error& e) {
      // Library texts such as "vector::reserve" mean a resource that is
      // not what it should be.
      fail("Cannot load the language file " + quoted(cfg) + ": " + excerpt(e.what(), 200));
    }
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << kLanguageTag << "ADDING : " << key
         << " wts=" << data->last_write_time_stamp.load();
    });
    language_cache_.emplace(key, data);
  }

  auto it = language_cache_.find(key);
  if (it == language_cache_.end()) fail("Could not load language:" + key);
  module->module_data = it->second;
  // A language just loaded counts as used now, so that a purge keeps the
  // most recently used languages; only a cache hit runs the purge.
  module->module_data->last_access = now();
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kLanguageTag
       << "Last access : " << module->module_data->last_access.load();
  });
  if (cached) check_language_purge();
  return module;
}

}  // namespace kavero
}  // namespace zel
